#pragma once
// The month as a calendar without a window: weeks from Sunday, each date of
// the month with the summed balance of its records, and the text lines that
// tamalog-cli calendar prints. The calendar window shows this result.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "entry/entry_model.h"
#include "storage/daily_record.h"

namespace tama {

// One cell of the grid.
struct CalendarCell {
    int day = 0;               // 1..31; 0 for a cell outside the month
    int records = 0;           // records on this date; 0 for a day without visits
    std::int64_t balance = 0;  // the summed balance of those records, yen
    bool visited() const { return records > 0; }
};

struct MonthCalendar {
    int year = 0;
    int month = 0;
    // Whole weeks, Sunday first: 4 to 6 of them.
    std::vector<std::array<CalendarCell, 7>> weeks;

    // The cell of a day of the month, or null.
    const CalendarCell* cellOf(int day) const;
};

// Number of days of a month of the Gregorian calendar (February 29 in leap years).
int daysInMonth(int year, int month);

// The day a record stands on: its Hi as a number of one or two digits; 0 when
// the text is no such number.
int recordDay(const DailyRecord& record);

// The grid of `month` (1..12) of `year`: the records whose Tuki is the month's
// two-digit text ("05", as the monthly list selects them) are summed per day.
// A record whose Hi names no day of the month is left out of the grid.
MonthCalendar buildMonthCalendar(int year, int month, const std::vector<DailyRecord>& records);

// The year and month texts of the monthly window as numbers: a year of four
// digits and a month 1..12 (one or two digits); nothing otherwise.
struct YearMonth {
    int year = 0;
    int month = 0;
};
std::optional<YearMonth> readYearMonth(std::string_view yearText, std::string_view monthText);

// "2004年5月": the caption above the grid (no padding).
std::string calendarCaption(int year, int month);

// The text of one cell as tamalog-cli calendar prints it: "" outside the
// month, the day number on a day without visits, "D:balance" on a visit day
// ("29:0", "3:-1,600", "10:98,600").
std::string calendarCellText(const CalendarCell& cell);

// What tamalog-cli calendar prints, without line ends: the caption, the
// weekday heading "日\t月\t火\t水\t木\t金\t土", then one line per week of seven
// TAB-separated cells.
std::vector<std::string> calendarLines(const MonthCalendar& calendar);

// The date a new record opens on when the entry form is opened from the
// monthly window: the first day of the month it shows when that is another
// month than today's, otherwise today. A year or month text that names no
// month gives today as well.
CalendarDate newEntryDate(const CalendarDate& today, std::string_view yearText, std::string_view monthText);

}  // namespace tama
