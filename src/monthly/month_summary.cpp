#include "month_summary.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>
#include <stdexcept>

#include "entry/calculations.h"
#include "shared/number_format.h"
#include "shared/row_order.h"

namespace tama {

namespace {

bool holdsNumber(std::string_view text) { return parseNumber(text).has_value(); }

// A record's balance as a 64-bit whole number: a win of 3,000,000,000 counts in
// full (a figure beyond the 64-bit range only a damaged file holds counts 0).
std::int64_t balanceOf(const DailyRecord& r) { return wholeInt64(numberOrZero(r.Syusi)).value_or(0); }

// Sums of such figures; only sums of damaged figures near the 64-bit limit
// could overflow, and they stop at the limit instead.
void addTo(std::int64_t& total, std::int64_t v) {
    if (__builtin_add_overflow(total, v, &total)) total = v > 0 ? INT64_MAX : INT64_MIN;
}

std::string withUnit(const std::string& number, std::string_view unit) { return number + std::string(unit); }

// The characters QString::trimmed removes besides ASCII white space, in UTF-8:
// U+0085, U+00A0, U+1680, U+2000..U+200A, U+2028, U+2029, U+202F, U+205F, U+3000.
constexpr std::string_view kUnicodeSpaces[] = {
    "\xC2\x85",     "\xC2\xA0",     "\xE1\x9A\x80", "\xE2\x80\x80", "\xE2\x80\x81", "\xE2\x80\x82", "\xE2\x80\x83",
    "\xE2\x80\x84", "\xE2\x80\x85", "\xE2\x80\x86", "\xE2\x80\x87", "\xE2\x80\x88", "\xE2\x80\x89", "\xE2\x80\x8A",
    "\xE2\x80\xA8", "\xE2\x80\xA9", "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE3\x80\x80"};

// Length of the white space character at the start (or the end) of `s`; 0 for none.
size_t spaceLength(std::string_view s, bool atEnd) {
    if (s.empty()) return 0;
    if (std::string_view(" \t\n\v\f\r").find(atEnd ? s.back() : s.front()) != std::string_view::npos) return 1;
    for (std::string_view sp : kUnicodeSpaces)
        if (atEnd ? s.ends_with(sp) : s.starts_with(sp)) return sp.size();
    return 0;
}

std::string_view trimSpaces(std::string_view s) {
    while (size_t n = spaceLength(s, false)) s.remove_prefix(n);
    while (size_t n = spaceLength(s, true)) s.remove_suffix(n);
    return s;
}

// A box text as a whole decimal number, read the way the toolbar always read
// it (QString::trimmed().toLongLong()): optional sign, ASCII digits, 64 bits.
std::optional<long long> boxNumber(std::string_view text) {
    std::string_view s = trimSpaces(text);
    std::string_view digits = s;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) digits.remove_prefix(1);
    if (digits.empty() || !entry::isDigitsOnly(digits)) return std::nullopt;
    // from_chars takes a minus sign but no plus sign.
    std::string_view number = s.front() == '-' ? s : digits;
    long long value = 0;
    auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec != std::errc() || end != number.data() + number.size()) return std::nullopt;
    return value;
}

std::optional<std::string> stepped(std::string_view text, int delta) {
    auto value = boxNumber(text);
    long long next = 0;
    if (!value || __builtin_add_overflow(*value, static_cast<long long>(delta), &next)) return std::nullopt;
    return std::to_string(next);
}

}  // namespace

std::int64_t recordBalance(const DailyRecord& record) { return balanceOf(record); }

CellAlign MonthRow::alignment(int column) const {
    if (column == 0 || column == 1 || column == 4) return CellAlign::Center;
    if (column < 0 || column >= kMonthColumns) return CellAlign::Left;
    return holdsNumber(cells[static_cast<size_t>(column)]) ? CellAlign::Right : CellAlign::Left;
}

const SummaryText& MonthSummary::label(std::string_view name) const {
    for (int i = 0; i < kSummaryLabels; ++i)
        if (kSummaryLabelNames[static_cast<size_t>(i)] == name) return labels[static_cast<size_t>(i)];
    throw std::out_of_range("no summary label " + std::string(name));
}

MonthPosition locateMonth(const std::vector<DailyRecord>& records, std::string_view month) {
    MonthPosition pos;
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].Tuki != month) continue;
        if (pos.count == 0) pos.first = static_cast<int>(i + 1);
        ++pos.count;
    }
    return pos;
}

MonthSummary summarizeMonth(const std::vector<DailyRecord>& records, std::string_view month) {
    MonthSummary s;
    s.month = month;

    // First pass: MonthCount, MonthFirst and the number of days.
    for (size_t i = 0; i < records.size(); ++i) {
        const DailyRecord& r = records[i];
        if (r.Tuki != month) continue;
        if (s.MonthCount == 0) s.MonthFirst = static_cast<int>(i + 1);
        ++s.MonthCount;
        if (r.DayFirst == "1") ++s.days;
    }

    if (s.MonthCount == 0) {
        s.rows.push_back(MonthRow{});  // the list always shows one data row
        return s;
    }

    // Second pass: rows, day totals, play time, largest win, balance.
    s.rows.reserve(static_cast<size_t>(s.MonthCount));
    // Each "1" record opens a day; a "2" record adds to the day of its own date.
    // A file re-sorted by date may hold a day's "2" record before its "1": it
    // then waits for that "1". A "2" record whose date has no "1" record adds to
    // a day that is never counted.
    std::map<std::string_view, size_t> openDay;              // DateKey -> latest day of that date
    std::map<std::string_view, std::int64_t> waitingForDay;  // DateKey -> "2" balances before its "1"
    int r = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        const DailyRecord& rec = records[i];
        if (rec.Tuki != month) continue;
        ++r;
        MonthRow row;
        row.cells = {rec.DateKey, rec.Youbi, rec.Holl, rec.Kisyu, rec.K_no, rec.T_tim, rec.Syusi};
        row.recordIndex = static_cast<int>(i + 1);
        row.fillRow = r;

        const std::int64_t syusi = balanceOf(rec);
        if (rec.DayFirst == "1") {
            std::int64_t total = syusi;
            if (auto w = waitingForDay.find(rec.DateKey); w != waitingForDay.end()) {
                addTo(total, w->second);
                waitingForDay.erase(w);
            }
            openDay[rec.DateKey] = s.dayTotals.size();
            s.dayTotals.push_back(total);
        } else if (rec.DayFirst == "2") {
            if (auto o = openDay.find(rec.DateKey); o != openDay.end()) addTo(s.dayTotals[o->second], syusi);
            else addTo(waitingForDay[rec.DateKey], syusi);
        }

        row.balanceColour = numberOrZero(rec.Syusi) < 0 ? kRgbRed : kRgbBlack;
        s.hours += numberOrZero(rec.T_tim);
        if (syusi > s.largestWin) s.largestWin = syusi;
        addTo(s.balance, syusi);
        row.background = (r % 10) % 2 == 0 ? kRgbRowTint : kRgbWhite;
        s.rows.push_back(std::move(row));
    }
    for (auto total : s.dayTotals)
        if (total > 0) ++s.wins;

    const double D = s.days, T = s.hours, S = static_cast<double>(s.balance);
    const double winRate = s.days > 0 ? s.wins / D : 0.0;
    const double avgHours = s.days > 0 ? T / D : 0.0;
    const double hourly = T != 0 ? S / T : 0.0;
    const double daily = s.days > 0 ? S / D : 0.0;
    auto redIfNegative = [](double v) { return v < 0 ? kRgbRed : kRgbBlack; };

    s.labels[0] = {std::to_string(s.days) + " 日 ", kRgbBlack};
    s.labels[1] = {std::to_string(s.wins) + " 日 ", kRgbBlack};
    s.labels[2] = {formatFixed(winRate, 3) + " ", kRgbBlack};
    s.labels[3] = {withUnit(formatFixed(T, 1), " 時間 "), kRgbBlack};
    s.labels[4] = {withUnit(formatGrouped(static_cast<double>(s.largestWin)), " 円 "), kRgbBlack};
    s.labels[5] = {withUnit(formatFixed(avgHours, 1), " 時間 "), kRgbBlack};
    s.labels[6] = {withUnit(formatGrouped(hourly), " 円 "), redIfNegative(hourly)};
    s.labels[7] = {withUnit(formatGrouped(daily), " 円 "), redIfNegative(daily)};
    s.labels[8] = {withUnit(formatGrouped(S), " 円 "), redIfNegative(S)};
    return s;
}

void sortRows(std::vector<MonthRow>& rows, int column, SortMode mode) {
    if (column < 0 || column >= kMonthColumns) return;
    const size_t c = static_cast<size_t>(column);
    const bool generic = mode == SortMode::GenericAscending || mode == SortMode::GenericDescending;
    const bool descending = mode == SortMode::TextDescending || mode == SortMode::GenericDescending;
    auto cmp = [generic](const std::string& a, const std::string& b) {
        return generic ? compareGeneric(a, b) : compareText(a, b);
    };
    if (descending)
        mergeSort(rows, [&](const MonthRow& a, const MonthRow& b) { return cmp(a.cells[c], b.cells[c]) > 0; });
    else mergeSort(rows, [&](const MonthRow& a, const MonthRow& b) { return cmp(a.cells[c], b.cells[c]) < 0; });
}

void sortOnHeadingClick(std::vector<MonthRow>& rows, int column, int& headerSortDescending) {
    if (headerSortDescending == 0) {
        sortRows(rows, column, column == 0 ? SortMode::TextDescending : SortMode::GenericDescending);
        headerSortDescending = 1;
    } else {
        sortRows(rows, column, column == 0 ? SortMode::TextAscending : SortMode::GenericAscending);
        headerSortDescending = 0;
    }
}

void sortByDate(std::vector<MonthRow>& rows) { sortRows(rows, 0, SortMode::TextAscending); }

YearRecordList loadMonthYear(const RecordStore& store, std::string_view user, std::string_view year) {
    YearRecordList empty;
    empty.user = user;
    empty.year = year;
    if (!userNameProblem(user).empty()) return empty;
    if (year.empty() || !entry::isDigitsOnly(year)) return empty;
    std::error_code ec;
    if (!fs::is_directory(store.userFolder(user), ec)) return empty;
    return store.loadYear(user, year);
}

std::string twoDigitMonth(std::string_view month) { return entry::storedMonthDay(month); }

std::string typedMonth(std::string_view text) {
    if (text == "010" || text == "011" || text == "012") return std::string(text.substr(1));
    return twoDigitMonth(text);
}

std::string stepYearText(std::string_view year, int delta) { return stepped(year, delta).value_or(std::string(year)); }

void stepMonthText(std::string& year, std::string& month, int delta) {
    auto next = stepped(month, delta);
    if (!next) return;
    month = std::move(*next);
    if (month == "13") {
        month = "1";
        year = stepYearText(year, +1);
    } else if (month == "0") {
        month = "12";
        year = stepYearText(year, -1);
    }
}

std::string monthlyCaption(std::string_view year, std::string_view month) {
    return "日間収支データ一覧  (" + std::string(year) + "年" + std::string(month) + "月度)";
}

}  // namespace tama
