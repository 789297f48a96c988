#include "analysis_table.h"

#include <optional>
#include <stdexcept>

#include "analysis/statistics.h"
#include "shared/number_format.h"

namespace tama {

AnalysisTable::AnalysisTable(AnalysisTab tab, std::vector<TableColumn> columns)
    : tab_(tab), columns_(std::move(columns)) {}

AnalysisTable::AnalysisTable(std::shared_ptr<const MatchedRecords> records, std::vector<TableColumn> columns)
    : tab_(AnalysisTab::Daily), columns_(std::move(columns)), records_(std::move(records)) {
    const int n = records_ ? records_->n() : 0;
    order_.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) order_[static_cast<size_t>(i)] = i;
}

int AnalysisTable::rowCount() const { return static_cast<int>(records_ ? order_.size() : rows_.size()); }

TableCell AnalysisTable::cell(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        throw std::out_of_range("no analysis table cell " + std::to_string(row) + "," + std::to_string(column));
    const size_t r = static_cast<size_t>(row);
    if (records_) return dailyCell(*records_, order_[r] + 1, column);
    const auto& cells = rows_[r];
    return static_cast<size_t>(column) < cells.size() ? cells[static_cast<size_t>(column)] : TableCell{};
}

void AnalysisTable::addRow(std::vector<TableCell> cells) {
    if (records_) throw std::logic_error("the daily list takes its rows from the matched records");
    rows_.push_back(std::move(cells));
}

int AnalysisTable::recordIndex(int row) const {
    if (!records_ || row < 0 || row >= rowCount()) return 0;
    return order_[static_cast<size_t>(row)] + 1;
}

namespace {

struct SortKey {
    std::string text;
    std::optional<double> number;
    std::int32_t row = 0;
};

// Text order of two dates through their packed first 16 bytes; the full texts
// only when both are longer and those bytes are equal.
int compareDates(const MatchedRecord& a, const MatchedRecord& b) {
    if (a.dateOrderHigh != b.dateOrderHigh) return a.dateOrderHigh < b.dateOrderHigh ? -1 : 1;
    if (a.dateOrderLow != b.dateOrderLow) return a.dateOrderLow < b.dateOrderLow ? -1 : 1;
    if (a.date.size() <= 16 && b.date.size() <= 16) return 0;
    return compareText(a.date, b.date);
}

}  // namespace

void AnalysisTable::sortRows(int column, SortMode mode) {
    if (column < 0 || column >= columnCount()) return;
    const bool generic = mode == SortMode::GenericAscending || mode == SortMode::GenericDescending;
    const bool descending = mode == SortMode::TextDescending || mode == SortMode::GenericDescending;

    if (records_ && column == 0 && !generic) {
        sortDaysByDate(descending);
        return;
    }

    std::vector<SortKey> keys(static_cast<size_t>(rowCount()));
    for (int r = 0; r < rowCount(); ++r) {
        SortKey& k = keys[static_cast<size_t>(r)];
        k.text = text(r, column);
        if (generic) k.number = parseNumber(k.text);
        k.row = r;
    }
    auto cmp = [generic](const SortKey& a, const SortKey& b) {
        if (generic && a.number && b.number) return *a.number < *b.number ? -1 : (*a.number > *b.number ? 1 : 0);
        return compareText(a.text, b.text);
    };
    mergeSort(keys, [&](const SortKey& a, const SortKey& b) { return descending ? cmp(a, b) > 0 : cmp(a, b) < 0; });

    if (records_) {
        std::vector<std::int32_t> order(order_.size());
        for (size_t i = 0; i < keys.size(); ++i) order[i] = order_[static_cast<size_t>(keys[i].row)];
        order_.swap(order);
    } else {
        std::vector<std::vector<TableCell>> rows(rows_.size());
        for (size_t i = 0; i < keys.size(); ++i) rows[i] = std::move(rows_[static_cast<size_t>(keys[i].row)]);
        rows_.swap(rows);
    }
}

void AnalysisTable::sortDaysByDate(bool descending) {
    // The date column as text, without making cell texts, through the packed dates.
    const auto& recs = records_->records;
    auto cmp = [&](std::int32_t a, std::int32_t b) {
        return compareDates(recs[static_cast<size_t>(a)], recs[static_cast<size_t>(b)]);
    };
    const int outOfOrder = descending ? -1 : 1;  // the sign of cmp(row, next row) that needs sorting
    bool inOrder = true, reversed = true;
    for (size_t i = 1; i < order_.size() && (inOrder || reversed); ++i) {
        const int c = cmp(order_[i - 1], order_[i]);
        if (c == outOfOrder) inOrder = false;
        if (c == -outOfOrder) reversed = false;
    }
    if (inOrder) return;
    if (reversed) {
        // Records read in the opposite order (the usual case: files and lines in
        // date order): the runs of equal dates change places, each keeping its order.
        std::vector<std::int32_t> order;
        order.reserve(order_.size());
        size_t end = order_.size();
        while (end > 0) {
            size_t start = end - 1;
            while (start > 0 && cmp(order_[start - 1], order_[start]) == 0) --start;
            order.insert(order.end(), order_.begin() + static_cast<std::ptrdiff_t>(start),
                         order_.begin() + static_cast<std::ptrdiff_t>(end));
            end = start;
        }
        order_.swap(order);
        return;
    }
    // Any other order: the packed dates side by side, so the sort reads no record.
    struct Key {
        std::uint64_t high, low;
        std::int32_t record;
    };
    std::vector<Key> keys(order_.size());
    for (size_t i = 0; i < order_.size(); ++i) {
        const MatchedRecord& r = recs[static_cast<size_t>(order_[i])];
        keys[i] = {r.dateOrderHigh, r.dateOrderLow, order_[i]};
    }
    auto keyCmp = [&](const Key& a, const Key& b) {
        if (a.high != b.high) return a.high < b.high ? -1 : 1;
        if (a.low != b.low) return a.low < b.low ? -1 : 1;
        return cmp(a.record, b.record);
    };
    std::stable_sort(keys.begin(), keys.end(),
                     [&](const Key& a, const Key& b) { return descending ? keyCmp(a, b) > 0 : keyCmp(a, b) < 0; });
    for (size_t i = 0; i < keys.size(); ++i) order_[i] = keys[i].record;
}

void AnalysisTable::sortOnHeadingClick(int column, int& headerSortDescending) {
    if (column < 0 || column >= columnCount()) return;
    if (headerSortDescending == 0) {
        sortRows(column, column == 0 ? SortMode::TextDescending : SortMode::GenericDescending);
        headerSortDescending = 1;
    } else {
        sortRows(column, column == 0 ? SortMode::TextAscending : SortMode::GenericAscending);
        headerSortDescending = 0;
    }
}

std::string AnalysisTable::toTsv() const {
    std::string out;
    for (int c = 0; c < columnCount(); ++c) {
        if (c > 0) out += '\t';
        out += columns_[static_cast<size_t>(c)].heading;
    }
    out += '\n';
    for (int r = 0; r < rowCount(); ++r) {
        for (int c = 0; c < columnCount(); ++c) {
            if (c > 0) out += '\t';
            out += text(r, c);
        }
        out += '\n';
    }
    return out;
}

}  // namespace tama
