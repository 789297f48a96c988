#include "month_calendar.h"

#include "entry/calculations.h"
#include "monthly/month_summary.h"
#include "shared/number_format.h"

namespace tama {

const CalendarCell* MonthCalendar::cellOf(int day) const {
    for (const auto& week : weeks)
        for (const CalendarCell& c : week)
            if (c.day == day && day > 0) return &c;
    return nullptr;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    if (month == 2 && entry::isRealDate(year, 2, 29)) return 29;
    return kDays[month - 1];
}

int recordDay(const DailyRecord& record) {
    const std::string& hi = record.Hi;
    if (hi.empty() || hi.size() > 2 || !entry::isDigitsOnly(hi)) return 0;
    return std::stoi(hi);
}

MonthCalendar buildMonthCalendar(int year, int month, const std::vector<DailyRecord>& records) {
    MonthCalendar cal;
    cal.year = year;
    cal.month = month;
    const int days = daysInMonth(year, month);
    if (days == 0) return cal;
    const int lead = entry::weekdayOf(year, month, 1);  // blank cells before the 1st
    const int weeks = (lead + days + 6) / 7;
    cal.weeks.resize(static_cast<size_t>(weeks));
    for (int day = 1; day <= days; ++day) {
        const int pos = lead + day - 1;
        cal.weeks[static_cast<size_t>(pos / 7)][static_cast<size_t>(pos % 7)].day = day;
    }
    const std::string monthText = twoDigitMonth(std::to_string(month));
    for (const DailyRecord& r : records) {
        if (r.Tuki != monthText) continue;
        const int day = recordDay(r);
        if (day < 1 || day > days) continue;
        const int pos = lead + day - 1;
        CalendarCell& c = cal.weeks[static_cast<size_t>(pos / 7)][static_cast<size_t>(pos % 7)];
        ++c.records;
        // Sums stop at the 64-bit limit; only a damaged file's figures get there.
        if (__builtin_add_overflow(c.balance, recordBalance(r), &c.balance))
            c.balance = recordBalance(r) > 0 ? INT64_MAX : INT64_MIN;
    }
    return cal;
}

std::optional<YearMonth> readYearMonth(std::string_view yearText, std::string_view monthText) {
    if (yearText.size() != 4 || !entry::isDigitsOnly(yearText)) return std::nullopt;
    if (monthText.empty() || monthText.size() > 2 || !entry::isDigitsOnly(monthText)) return std::nullopt;
    const int year = std::stoi(std::string(yearText));
    const int month = std::stoi(std::string(monthText));
    if (year < 1 || month < 1 || month > 12) return std::nullopt;
    return YearMonth{year, month};
}

std::string calendarCaption(int year, int month) { return std::to_string(year) + "年" + std::to_string(month) + "月"; }

std::string calendarCellText(const CalendarCell& cell) {
    if (cell.day == 0) return {};
    std::string text = std::to_string(cell.day);
    if (cell.visited()) text += ":" + formatGrouped(static_cast<double>(cell.balance));
    return text;
}

std::vector<std::string> calendarLines(const MonthCalendar& calendar) {
    std::vector<std::string> lines;
    lines.push_back(calendarCaption(calendar.year, calendar.month));
    std::string heading;
    for (size_t k = 0; k < kWeekdayNames.size(); ++k) heading += (k ? "\t" : "") + std::string(kWeekdayNames[k]);
    lines.push_back(heading);
    for (const auto& week : calendar.weeks) {
        std::string line;
        for (size_t k = 0; k < week.size(); ++k) line += (k ? "\t" : "") + calendarCellText(week[k]);
        lines.push_back(line);
    }
    return lines;
}

CalendarDate newEntryDate(const CalendarDate& today, std::string_view yearText, std::string_view monthText) {
    const auto shown = readYearMonth(yearText, monthText);
    if (!shown || (shown->year == today.year && shown->month == today.month)) return today;
    return {shown->year, shown->month, 1};
}

}  // namespace tama
