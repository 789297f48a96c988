#pragma once
// The monthly list and its summary without a window: which records of a
// loaded year belong to the selected month, the seven cells of each row with
// their colours and alignment, the day totals, and the nine summary texts.
// The monthly window shows this result; tamalog-cli month prints it.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shared/row_order.h"
#include "shared/table_style.h"
#include "storage/record_store.h"

namespace tama {

inline constexpr int kMonthColumns = 7;
inline constexpr std::array<std::string_view, kMonthColumns> kMonthHeadings = {"日付", "曜日", "ホール名", "機種名",
                                                                               "台番", "時間", "収支金額"};

// Column widths in twips when the settings file holds none.
inline constexpr std::array<int, kMonthColumns> kMonthDefaultColumnWidths = {1100, 460, 1600, 2000, 460, 460, 900};

// One data row of the list.
struct MonthRow {
    std::array<std::string, kMonthColumns> cells;
    int recordIndex = 0;  // 1-based index in the YearRecordList; 0 for the empty row of an empty month
    int fillRow = 0;      // row number when the list was filled (file order, 1 = first)
    Rgb background = kRgbWhite;
    Rgb balanceColour = kRgbBlack;  // text colour of column 6 ("収支金額")

    Rgb textColour(int column) const { return column == 6 ? balanceColour : kRgbBlack; }
    // Columns 0, 1 and 4 are centred; the others show numbers to the right and text to the left.
    CellAlign alignment(int column) const;
};

// The nine summary labels in the frame fraInfo, in display order.
inline constexpr int kSummaryLabels = 9;
inline constexpr std::array<std::string_view, kSummaryLabels> kSummaryLabelNames = {
    "lblDay", "lblWin", "lblAvr", "lblTim", "lblMax", "lblH_tim", "lblH_zikyu", "lblH_nikyu", "lblSyusi"};
// The caption beside each label.
inline constexpr std::array<std::string_view, kSummaryLabels> kSummaryCaptions = {
    "日数", "勝数", "勝率", "時間", "最大勝ち額", "平均時間", "平均時給", "平均日給", "月間収支"};

struct SummaryText {
    std::string text;
    Rgb colour = kRgbBlack;
    bool operator==(const SummaryText&) const = default;
};

// What refillList shows for one month.
struct MonthSummary {
    std::string month;                               // the month text the records were selected by
    std::vector<MonthRow> rows;                      // in display order; one empty row when the month has no records
    int MonthCount = 0;                              // records of the month
    int MonthFirst = 0;                              // 1-based index of the month's first record; 0 when it has none
    int days = 0;                                    // records whose DayFirst is "1" (D)
    int wins = 0;                                    // day totals greater than 0 (w)
    std::vector<std::int64_t> dayTotals;             // balance of each day (per DateKey), in the order the days start
    double hours = 0;                                // summed play time (T)
    std::int64_t largestWin = 0;                     // largest single balance, at least 0
    std::int64_t balance = 0;                        // month balance (S), yen
    std::array<SummaryText, kSummaryLabels> labels;  // all empty when MonthCount is 0

    const SummaryText& label(std::string_view name) const;
};

// A record's balance (Syusi) as the summary counts it: a whole number of yen,
// thousands separators and sign allowed; 0 for a text that is not a number.
std::int64_t recordBalance(const DailyRecord& record);

// MonthFirst and MonthCount of a month text in a list of records.
struct MonthPosition {
    int first = 0;  // 0 when the month has no records
    int count = 0;
};
MonthPosition locateMonth(const std::vector<DailyRecord>& records, std::string_view month);

// Fills the list and the summary for the records whose Tuki equals `month`
// exactly ("05"; "5" matches nothing), in file order.
//
// Divisions by zero: a month whose records have no play time shows an hourly
// rate of "0 円 "; a month with records but no record that starts a day
// (DayFirst "1") shows "0.000 " as win rate, "0.0 時間 " as average time and
// "0 円 " as daily rate. Any number of days is counted (no 31-day limit).
MonthSummary summarizeMonth(const std::vector<DailyRecord>& records, std::string_view month);

// Sorts the rows by one column, keeping the order of rows that compare equal.
// Text compares the cells as character codes; generic compares two cells as
// numbers when both hold numbers ("1,500", "-2,000", "8.0") and as text otherwise.
void sortRows(std::vector<MonthRow>& rows, int column, SortMode mode);

// A click on a heading: column 0 sorts as text, the others generic; descending
// when `headerSortDescending` is 0 (which then becomes 1), ascending otherwise
// (which then becomes 0). The flag is shared by all columns.
void sortOnHeadingClick(std::vector<MonthRow>& rows, int column, int& headerSortDescending);

// The order after a reload: column 0 as text ascending, which is date order.
void sortByDate(std::vector<MonthRow>& rows);

// Loads the YearRecordList of a user and year as the monthly window does
// (reloadYear). An empty or unusable user name, a year that is empty or not all
// digits, a missing user folder or a missing YearFile give an empty list.
// Throws FileError (naming file and line) for a YearFile that cannot be read.
YearRecordList loadMonthYear(const RecordStore& store, std::string_view user, std::string_view year);

// A month typed as 1..12 or two digits brought to the two-digit form the
// records hold ("7" -> "07"); other texts are returned unchanged. This is the
// entry form's rule for a stored month, so a selection matches what was saved.
std::string twoDigitMonth(std::string_view month);

// The monthly window's caption, which names the period (and the monthly
// workbook's sheet): "日間収支データ一覧  (2003年05月度)".
std::string monthlyCaption(std::string_view year, std::string_view month);

// The month box's text after a keystroke: a single digit 1..9 gets its leading
// "0" ("7" -> "07"), and that added "0" followed by a second digit that makes
// 10, 11 or 12 is dropped ("012" -> "12"), so both one- and two-digit months
// can be typed digit by digit. Other texts are returned unchanged.
std::string typedMonth(std::string_view text);

// The toolbar's year and month steps, on the texts of the year and month boxes.
// A number is read as Qt reads a box text: white space around it (Unicode
// spaces included) and a sign are allowed, leading zeros too; anything else,
// or a value beyond 64 bits, is not a number.
//
// Year text stepped by `delta`: the decimal value plus delta, written without
// leading zeros ("0999" + 1 -> "1000"; no range). A text that is not a number
// stays as it is.
std::string stepYearText(std::string_view year, int delta);
// Month text stepped by `delta` (+1 or -1), written without leading zeros:
// "13" becomes "1" with the year one up, "0" becomes "12" with the year one
// down. A month that is not a number leaves both texts as they are.
void stepMonthText(std::string& year, std::string& month, int delta);

}  // namespace tama
