#include "statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <unordered_map>

#include "shared/number_format.h"

namespace tama {

namespace {

constexpr CellAlign L = CellAlign::Left, C = CellAlign::Center, R = CellAlign::Right, G = CellAlign::General;

// The weekday names by weekday number 1 "月" .. 7 "日".
constexpr std::array<std::string_view, 8> kWeekdayByNumber = {"", "月", "火", "水", "木", "金", "土", "日"};

// The columns every ranking tab shows after its name columns.
std::vector<TableColumn> rankingColumns(std::vector<TableColumn> names) {
    const std::vector<TableColumn> common = {
        {"日数", 460, C, C},     {"回数", 460, C, C},      {"勝数", 460, C, C},      {"勝率", 700, C, C},
        {"稼働時間", 860, C, R}, {"総投資額", 1000, C, R}, {"総回収額", 1000, C, R}, {"総収支額", 1000, C, R},
        {"回収率", 760, C, R},   {"平均時給", 860, C, R},  {"平均収支", 860, C, R}};
    names.insert(names.end(), common.begin(), common.end());
    return names;
}

// Background of the cells of data row k (1-based fill or rank position): the
// fixed column 0 keeps the heading colour, the others alternate.
Rgb rowBackground(int k, int column) {
    if (column == 0) return kRgbHeading;
    return k % 2 == 0 ? kRgbRowTint : kRgbWhite;
}

// Adds an amount to a whole-yen sum and rounds the sum to a whole number, ties to
// even. Whole amounts are added exactly in 64 bits; a sum that would leave the
// 64-bit range (or an amount that is not finite) leaves the sum as it is.
void addRounded(std::int64_t& sum, double amount) {
    if (!std::isfinite(amount)) return;
    constexpr double kLimit = 9.2e18;
    if (amount == std::trunc(amount) && std::fabs(amount) < kLimit) {
        std::int64_t next = 0;
        if (!__builtin_add_overflow(sum, static_cast<std::int64_t>(amount), &next)) sum = next;
        return;
    }
    const double s = roundHalfEven(static_cast<double>(sum) + amount);
    if (std::fabs(s) < kLimit) sum = static_cast<std::int64_t>(s);
}

// `count` characters of `s` from character `from` (UTF-8 aware; a short text gives what there is).
std::string_view characters(std::string_view s, size_t from, size_t count) {
    // Dates are ASCII: then characters are bytes.
    const size_t bytes = std::min(s.size(), from + count);
    if (std::all_of(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(bytes),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return from < s.size() ? s.substr(from, count) : std::string_view();
    auto advance = [&](size_t pos, size_t chars) {
        while (chars > 0 && pos < s.size()) {
            ++pos;
            while (pos < s.size() && (static_cast<unsigned char>(s[pos]) & 0xC0) == 0x80) ++pos;
            --chars;
        }
        return pos;
    };
    const size_t start = advance(0, from);
    return s.substr(start, advance(start, count) - start);
}

TableCell cellOf(std::string text, int k, int column, CellAlign align, bool red = false) {
    return TableCell{std::move(text), red ? kRgbRed : kRgbBlack, rowBackground(k, column), align, column == 0 ? 0 : k};
}

std::string hours(double h) { return formatFixed(h, 1) + " h"; }

// One group's (or one weekday cell's) sums.
struct Sums {
    std::int64_t days = 0;
    std::int64_t wins = 0;
    double time = 0;
    std::int64_t moneyIn = 0;
    std::int64_t moneyOut = 0;
    std::int64_t balance = 0;
};

void addAmounts(Sums& s, const MatchedRecord& r) {
    s.time += r.playTimeValue;
    if (!r.moneyIn.empty()) addRounded(s.moneyIn, r.moneyInValue);
    if (!r.moneyOut.empty()) addRounded(s.moneyOut, r.moneyOutValue);
}

// The running state of one build of the period or weekday tables.
struct Grouping {
    bool monthly = true;            // key "yyyy/mm" (tabs 1, 3) or "yyyy" (tabs 2, 4)
    std::vector<std::string> keys;  // key per group, in the order the groups start
    std::string_view groupYear, groupMonth;
    std::optional<std::string_view> lastDate;  // none before the first record
    double dayBalance = 0;

    // Starts a new group when the record does not belong to the current one;
    // returns true when it did.
    bool enter(std::string_view date) {
        const std::string_view year = characters(date, 0, 4);
        const std::string_view month = monthly ? characters(date, 5, 2) : std::string_view();
        if (!keys.empty() && year == groupYear && month == groupMonth) return false;
        keys.emplace_back(characters(date, 0, monthly ? 7 : 4));
        groupYear = year;
        groupMonth = month;
        return true;
    }

    // The cell whose day is open and that day's running balance: a day counts
    // once as won when its balance after its last record is above 0.
    Sums* dayCell = nullptr;

    // Decides the open day's win; called when a day ends and after the last record.
    void closeDay() {
        if (dayCell && dayBalance > 0) dayCell->wins += 1;
        dayCell = nullptr;
    }

    // Starts a record: a new group or a date other than the last record's ends
    // the open day. Call before a new group's cells are made (they may move).
    void begin(std::string_view date, bool newGroup) {
        if (newGroup || !lastDate || *lastDate != date) closeDay();
    }

    // Adds a record's balance to a cell; the first record of a day opens it there.
    void addDay(Sums& s, const MatchedRecord& r) {
        if (!dayCell) {
            s.days += 1;
            dayCell = &s;
            dayBalance = r.balanceValue;
        } else {
            dayBalance += r.balanceValue;
        }
        addRounded(s.balance, r.balanceValue);
        addAmounts(s, r);
    }
};

// A quotient shown "#,##0", red when below zero.
TableCell quotientCell(double q, int k, int column, CellAlign align) {
    return cellOf(formatGrouped(q), k, column, align, q < 0);
}

// The figures of one group (or one weekday of a group), appended to its row from
// the days column on: days, wins, win rate, time, the three sums, and the
// averages per day and per hour. Without a day the rate shows "---" and the
// averages "--- "; without play time the hourly average shows "--- ".
void addFigures(std::vector<TableCell>& row, const Sums& s, int k, const std::vector<TableColumn>& cols) {
    auto add = [&](std::string text, bool red = false) {
        const int c = static_cast<int>(row.size());
        row.push_back(cellOf(std::move(text), k, c, cols[static_cast<size_t>(c)].cellAlign, red));
    };
    auto addQuotient = [&](double q) { add(formatGrouped(q), q < 0); };
    const double days = static_cast<double>(s.days);
    add(std::to_string(s.days));
    add(std::to_string(s.wins));
    add(s.days ? formatFixed(static_cast<double>(s.wins) / days, 3) : "---");
    add(hours(s.time));
    add(formatGrouped(static_cast<double>(s.moneyIn)), s.moneyIn < 0);
    add(formatGrouped(static_cast<double>(s.moneyOut)), s.moneyOut < 0);
    add(formatGrouped(static_cast<double>(s.balance)), s.balance < 0);
    if (s.days == 0) {
        for (int i = 0; i < 5; ++i) add("--- ");
        return;
    }
    add(hours(s.time / days));
    addQuotient(static_cast<double>(s.moneyIn) / days);
    addQuotient(static_cast<double>(s.moneyOut) / days);
    if (s.time == 0) add("--- ");
    else addQuotient(static_cast<double>(s.balance) / s.time);
    addQuotient(static_cast<double>(s.balance) / days);
}

AnalysisTable periodTable(const MatchedRecords& m, AnalysisTab tab) {
    AnalysisTable table(tab, tableColumns(tab));
    Grouping g;
    g.monthly = tab == AnalysisTab::Monthly;
    std::vector<Sums> sums;
    for (const MatchedRecord& r : m.records) {
        const bool newGroup = g.enter(r.date);
        g.begin(r.date, newGroup);
        if (newGroup) sums.emplace_back();
        g.addDay(sums.back(), r);
        g.lastDate = r.date;
    }
    g.closeDay();
    const auto& cols = table.columns();
    auto al = [&](int c) { return cols[static_cast<size_t>(c)].cellAlign; };
    for (size_t i = 0; i < sums.size(); ++i) {
        const Sums& s = sums[i];
        const int k = static_cast<int>(i + 1);
        std::vector<TableCell> row;
        row.push_back(cellOf(g.keys[i], k, 0, al(0)));
        addFigures(row, s, k, cols);
        table.addRow(std::move(row));
    }
    table.sortRows(0, SortMode::TextDescending);
    return table;
}

AnalysisTable weekdayTable(const MatchedRecords& m, AnalysisTab tab) {
    AnalysisTable table(tab, tableColumns(tab));
    Grouping g;
    g.monthly = tab == AnalysisTab::MonthlyWeekday;
    std::vector<std::array<Sums, 7>> cells;  // any number of groups
    for (const MatchedRecord& r : m.records) {
        const bool newGroup = g.enter(r.date);
        g.begin(r.date, newGroup);
        if (newGroup) cells.emplace_back();
        // A record without a known weekday is added nowhere; its date still ends the day before.
        if (r.weekdayNumber != 0) g.addDay(cells.back()[static_cast<size_t>(r.weekdayNumber - 1)], r);
        g.lastDate = r.date;
    }
    g.closeDay();
    const auto& cols = table.columns();
    auto al = [&](int c) { return cols[static_cast<size_t>(c)].cellAlign; };
    for (size_t i = 0; i < cells.size(); ++i) {
        const int k = static_cast<int>(i + 1);
        for (int w = 1; w <= 7; ++w) {
            const Sums& s = cells[i][static_cast<size_t>(w - 1)];
            std::vector<TableCell> row;
            row.push_back(cellOf(g.keys[i], k, 0, al(0)));
            row.push_back(cellOf(std::string(kWeekdayByNumber[static_cast<size_t>(w)]), k, 1, al(1)));
            addFigures(row, s, k, cols);
            table.addRow(std::move(row));
        }
    }
    return table;
}

AnalysisTable rankingTable(const MatchedRecords& m, AnalysisTab tab) {
    AnalysisTable table(tab, tableColumns(tab));
    const bool byMachine = tab == AnalysisTab::ByMachine;
    struct Rank {
        const MatchedRecord* first = nullptr;  // names
        std::int64_t records = 0;
        Sums sums;
        const MatchedRecord* lastDay = nullptr;  // the latest date seen while the dates come in order
        bool datesInOrder = true;
    };
    // Text order of two records' dates through their packed first 16 bytes.
    auto compareDates = [](const MatchedRecord& a, const MatchedRecord& b) {
        if (a.dateOrderHigh != b.dateOrderHigh) return a.dateOrderHigh < b.dateOrderHigh ? -1 : 1;
        if (a.dateOrderLow != b.dateOrderLow) return a.dateOrderLow < b.dateOrderLow ? -1 : 1;
        return a.date.size() <= 16 && b.date.size() <= 16 ? 0 : compareText(a.date, b.date);
    };
    struct NameHash {
        size_t operator()(const std::pair<std::string_view, std::string_view>& k) const {
            return std::hash<std::string_view>()(k.first) * 31 + std::hash<std::string_view>()(k.second);
        }
    };
    std::vector<Rank> ranks;
    std::unordered_map<std::pair<std::string_view, std::string_view>, size_t, NameHash> index;
    size_t current = 0;
    const MatchedRecord* previous = nullptr;
    for (const MatchedRecord& r : m.records) {
        const std::pair<std::string_view, std::string_view> key = byMachine
                                                                      ? std::pair<std::string_view, std::string_view>(
                                                                            r.type, r.machine)
                                                                      : std::pair<std::string_view, std::string_view>(
                                                                            r.hall, {});
        // Records of one hall or machine usually follow each other: skip the lookup then.
        const bool same = previous && (byMachine ? previous->type == r.type && previous->machine == r.machine
                                                 : previous->hall == r.hall);
        if (!same) {
            auto [it, added] = index.try_emplace(key, ranks.size());
            if (added) {
                ranks.emplace_back();
                ranks.back().first = &r;
            }
            current = it->second;
        }
        previous = &r;
        Rank& x = ranks[current];
        x.records += 1;
        if (r.balanceValue > 0) x.sums.wins += 1;
        addRounded(x.sums.balance, r.balanceValue);
        addAmounts(x.sums, r);
        // Distinct dates: counted on the way while they come in date order (the
        // usual case), else from the sorted dates afterwards.
        if (x.datesInOrder) {
            const int c = x.lastDay ? compareDates(*x.lastDay, r) : -1;
            if (c < 0) {
                x.sums.days += 1;
                x.lastDay = &r;
            } else if (c > 0) {
                x.datesInOrder = false;
            }
        }
    }
    // Names whose dates came out of order: their distinct dates from one more pass.
    for (Rank& x : ranks) {
        if (x.datesInOrder) continue;
        std::vector<std::string_view> dates;
        for (const MatchedRecord& r : m.records)
            if (byMachine ? r.type == x.first->type && r.machine == x.first->machine : r.hall == x.first->hall)
                dates.push_back(r.date);
        std::sort(dates.begin(), dates.end());
        x.sums.days = std::unique(dates.begin(), dates.end()) - dates.begin();
    }
    // Best balance first; equal balances by their names in character code order.
    std::vector<size_t> order(ranks.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const Rank &x = ranks[a], &y = ranks[b];
        if (x.sums.balance != y.sums.balance) return x.sums.balance > y.sums.balance;
        if (byMachine && x.first->type != y.first->type) return x.first->type < y.first->type;
        return byMachine ? x.first->machine < y.first->machine : x.first->hall < y.first->hall;
    });
    const auto& cols = table.columns();
    auto al = [&](int c) { return cols[static_cast<size_t>(c)].cellAlign; };
    for (size_t pos = 0; pos < order.size(); ++pos) {
        const Rank& x = ranks[order[pos]];
        const Sums& s = x.sums;
        const int k = static_cast<int>(pos + 1);
        std::vector<TableCell> row;
        int c = 0;
        if (byMachine) {
            row.push_back(cellOf(x.first->type, k, c, al(c)));
            ++c;
            row.push_back(cellOf(x.first->machine, k, c, al(c)));
            ++c;
        } else {
            row.push_back(cellOf(x.first->hall, k, c, al(c)));
            ++c;
        }
        const double count = static_cast<double>(x.records);
        row.push_back(cellOf(std::to_string(x.sums.days), k, c, al(c)));
        ++c;
        row.push_back(cellOf(std::to_string(x.records), k, c, al(c)));
        ++c;
        row.push_back(cellOf(std::to_string(s.wins), k, c, al(c)));
        ++c;
        row.push_back(cellOf(formatFixed(s.wins / count, 3), k, c, al(c)));
        ++c;
        row.push_back(cellOf(hours(s.time), k, c, al(c)));
        ++c;
        row.push_back(cellOf(formatGrouped(static_cast<double>(s.moneyIn)), k, c, al(c)));
        ++c;
        row.push_back(cellOf(formatGrouped(static_cast<double>(s.moneyOut)), k, c, al(c)));
        ++c;
        row.push_back(cellOf(formatGrouped(static_cast<double>(s.balance)), k, c, al(c), s.balance < 0));
        ++c;
        if (s.moneyIn == 0) row.push_back(cellOf("--- ", k, c, al(c)));
        else
            row.push_back(
                cellOf(formatFixed(static_cast<double>(s.moneyOut) / static_cast<double>(s.moneyIn) * 100, 1) + "%", k,
                       c, al(c)));
        ++c;
        if (s.time == 0) row.push_back(cellOf("--- ", k, c, al(c)));
        else row.push_back(quotientCell(static_cast<double>(s.balance) / s.time, k, c, al(c)));
        ++c;
        row.push_back(quotientCell(static_cast<double>(s.balance) / count, k, c, al(c)));
        table.addRow(std::move(row));
    }
    return table;
}

}  // namespace

std::vector<TableColumn> tableColumns(AnalysisTab tab) {
    switch (tab) {
        case AnalysisTab::Daily:
            return {{"日付", 1100, C, C},    {"曜日", 460, C, C}, {"ホール名", 1600, C, L}, {"機種ﾀｲﾌﾟ", 800, C, C},
                    {"機種名", 2000, C, L},  {"台番", 460, C, C}, {"稼働時間", 860, C, G},  {"投資金額", 860, C, G},
                    {"回収金額", 860, C, G}, {"時給", 860, C, G}, {"収支金額", 860, C, G}};
        case AnalysisTab::Monthly:
        case AnalysisTab::Yearly:
            return {{tab == AnalysisTab::Monthly ? "年月" : "年度", 900, C, C},
                    {"日数", 460, C, C},
                    {"勝数", 460, C, C},
                    {"勝率", 620, C, C},
                    {"稼働時間", 860, C, R},
                    {"総投資額", 860, C, R},
                    {"総回収額", 860, C, R},
                    {"総収支額", 860, C, G},
                    {"平均時間", 860, C, G},
                    {"平均投資", 860, C, R},
                    {"平均回収", 860, C, G},
                    {"平均時給", 860, C, G},
                    {"平均日給", 860, C, G}};
        case AnalysisTab::MonthlyWeekday:
        case AnalysisTab::YearlyWeekday:
            return {{tab == AnalysisTab::MonthlyWeekday ? "年月" : "年度", 900, C, C},
                    {"曜日", 460, C, C},
                    {"日数", 460, C, C},
                    {"勝数", 460, C, C},
                    {"勝率", 620, C, C},
                    {"稼働時間", 860, C, R},
                    {"総投資額", 860, C, R},
                    {"総回収額", 860, C, G},
                    {"総収支額", 860, C, G},
                    {"平均時間", 860, C, R},
                    {"平均投資", 860, R, G},
                    {"平均回収", 860, G, G},
                    {"平均時給", 860, G, G},
                    {"平均日給", 860, G, G}};
        case AnalysisTab::ByHall: return rankingColumns({{"ホール名", 1600, C, L}});
        case AnalysisTab::ByMachine: return rankingColumns({{"機種ﾀｲﾌﾟ", 1000, C, C}, {"機種名", 2000, C, L}});
    }
    return {};
}

TableCell dailyCell(const MatchedRecords& records, int index, int column) {
    const MatchedRecord& r = records.record(index);
    static const std::vector<TableColumn> columns = tableColumns(AnalysisTab::Daily);
    if (column < 0 || column >= static_cast<int>(columns.size())) return {};
    TableCell cell;
    cell.align = columns[static_cast<size_t>(column)].cellAlign;
    cell.background = rowBackground(index, column);
    cell.band = column == 0 ? 0 : index;
    auto amount = [](const std::string& text, double value, bool isNumber) {
        return text.empty() || !isNumber ? text : formatGrouped(value);
    };
    switch (column) {
        case 0: cell.text = r.date; break;
        case 1: cell.text = r.weekday; break;
        case 2: cell.text = r.hall; break;
        case 3: cell.text = r.type; break;
        case 4: cell.text = r.machine; break;
        case 5: cell.text = r.number; break;
        case 6: cell.text = r.playTime + " h"; break;
        case 7: cell.text = amount(r.moneyIn, r.moneyInValue, parseNumber(r.moneyIn).has_value()); break;
        case 8: cell.text = amount(r.moneyOut, r.moneyOutValue, parseNumber(r.moneyOut).has_value()); break;
        case 9:
            if (!r.balanceIsNumber || !r.playTimeIsNumber || r.playTimeValue == 0) {
                cell.text = "--- ";
            } else {
                cell.text = formatGrouped(r.balanceValue / r.playTimeValue);
                if (cell.text.starts_with('-')) cell.colour = kRgbRed;
            }
            break;
        case 10:
            cell.text = r.balance;
            if (r.balanceValue < 0) cell.colour = kRgbRed;
            break;
    }
    return cell;
}

AnalysisTable buildTable(std::shared_ptr<const MatchedRecords> records, AnalysisTab tab) {
    if (!records) records = std::make_shared<const MatchedRecords>();
    switch (tab) {
        case AnalysisTab::Daily: {
            AnalysisTable table(records, tableColumns(tab));
            table.sortRows(0, SortMode::TextDescending);
            return table;
        }
        case AnalysisTab::Monthly:
        case AnalysisTab::Yearly: return periodTable(*records, tab);
        case AnalysisTab::MonthlyWeekday:
        case AnalysisTab::YearlyWeekday: return weekdayTable(*records, tab);
        case AnalysisTab::ByHall:
        case AnalysisTab::ByMachine: return rankingTable(*records, tab);
    }
    return AnalysisTable(tab, tableColumns(tab));
}

}  // namespace tama
