#pragma once
// One visit to a hall: the 24 text fields of a line of a YearFile, and the
// reading and writing of such lines.
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tama {

struct DailyRecord {
    std::string DateKey;   // "2003/05/01"
    std::string Nen;       // year as entered
    std::string Tuki;      // "01".."12"
    std::string Hi;        // "01".."31"
    std::string Youbi;     // 日 月 火 水 木 金 土
    std::string Holl;      // hall name, "（不明）" when none was given
    std::string Z1_1;      // start hour
    std::string Z1_2;      // start minute "00" / "30"
    std::string Z2_1;      // end hour
    std::string Z2_2;      // end minute
    std::string T_tim;     // play time in hours "#0.0"
    std::string Tousi;     // money put in, plain decimal or empty
    std::string Kaisyu;    // money taken out, plain decimal or empty
    std::string Zikyu;     // hourly rate "#,##0"
    std::string Syusi;     // balance "#,##0"
    std::string K_no;      // machine number or "?"
    std::string K_type;    // machine type
    std::string Kisyu;     // machine name, "（不明）" when none was given
    std::string Come;      // comment
    std::string DayFirst;  // "1" first record of its date, "2" otherwise
    std::string Reserve1, Reserve2, Reserve3, Reserve4;

    static constexpr int kFieldCount = 24;

    // The fields in file order.
    std::array<std::string*, kFieldCount> fields();
    std::array<const std::string*, kFieldCount> fields() const;

    bool operator==(const DailyRecord&) const = default;
};

// The text "（不明）" that stands for a hall or machine name left empty.
inline constexpr std::string_view kUnknownName = "（不明）";

// The seven weekday names, Sunday first.
inline constexpr std::array<std::string_view, 7> kWeekdayNames = {"日", "月", "火", "水", "木", "金", "土"};

// Parses one line (UTF-8, without its line end) of 24 quoted fields separated by
// commas. Returns nothing, with a reason in `why`, when the line has another shape
// or holds a CR or LF.
std::optional<DailyRecord> parseRecordLine(std::string_view line, std::string* why = nullptr);

// parseRecordLine into an existing record, whose fields are all overwritten on
// success (on failure some may be). Lets a reader fill records in place.
bool parseRecordLineInto(std::string_view line, DailyRecord& out, std::string* why = nullptr);

// The line of a record (UTF-8, without its line end): every field in double
// quotes, separated by commas.
std::string formatRecordLine(const DailyRecord& r);
// The same line written into `out`, which is emptied first (for a reused buffer).
void formatRecordLineInto(const DailyRecord& r, std::string& out);

}  // namespace tama
