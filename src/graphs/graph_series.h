#pragma once
// What a graph draws: one series of labelled points with its titles and
// unit, and the selections it is computed from (period, item, hall and
// machine filters, cumulative mode, title options). The computations live in
// balance_series and weekday_series; the graph window and tamalog-cli only
// show their result.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/daily_record.h"
#include "storage/master_lists.h"
#include "storage/record_store.h"
#include "storage/settings_file.h"

namespace tama {

// The period box (cboKikan).
enum class GraphPeriod { Day, Month, Year };
inline constexpr std::string_view kPeriodDayText = "日間ﾃﾞｰﾀ";
inline constexpr std::string_view kPeriodMonthText = "月間ﾃﾞｰﾀ";
inline constexpr std::string_view kPeriodYearText = "年間ﾃﾞｰﾀ";

// The item box (cboKou).
enum class GraphItem { Balance, Weekday };
inline constexpr std::string_view kItemBalanceText = "収支";
inline constexpr std::string_view kItemWeekdayText = "曜日別";

// The box text of a period / item, and back (nothing for any other text).
std::string_view periodText(GraphPeriod period);
std::optional<GraphPeriod> periodFromText(std::string_view text);
std::string_view itemText(GraphItem item);
std::optional<GraphItem> itemFromText(std::string_view text);

// Axis titles and the text of a chart without data.
inline constexpr std::string_view kYenAxisTitle = "収 支 額 ⌒円ー";
inline constexpr std::string_view kManYenAxisTitle = "収 支 額 ⌒万円ー";
inline constexpr std::string_view kDayAxisTitle = "遊   技   日";
inline constexpr std::string_view kMonthAxisTitle = "遊   技   月";
inline constexpr std::string_view kYearAxisTitle = "遊   技   年";
inline constexpr std::string_view kWeekdayAxisTitle = "曜    日";
inline constexpr std::string_view kNoDataTitle = "該当するデータはありません";

// The weekday points in chart order, Monday first.
inline constexpr std::array<std::string_view, 7> kWeekdayChartOrder = {"月", "火", "水", "木", "金", "土", "日"};

// Position of a weekday name in kWeekdayChartOrder, or -1 for any other text.
int weekdayChartIndex(std::string_view youbi);

// 1..12 for a month text "01".."12" (also "1".."12"), 0 for anything else.
int monthNumber(std::string_view tuki);

// A month 1..12 as the two-digit text the records and graph labels use: 7 -> "07".
std::string monthLabel(int month);

// The hall and machine boxes. A box holding its pseudo entry ("全ﾎｰﾙ対象",
// "全機種対象") filters nothing; any other text keeps only the records whose
// Holl / Kisyu equals it exactly.
struct GraphFilter {
    std::string hall{kAllHalls};
    std::string machine{kAllMachines};

    bool hallOn() const { return hall != kAllHalls; }           // HallFilterOn
    bool machineOn() const { return machine != kAllMachines; }  // MachineFilterOn
    bool any() const { return hallOn() || machineOn(); }
    bool matches(const DailyRecord& r) const {
        return (!hallOn() || r.Holl == hall) && (!machineOn() || r.Kisyu == machine);
    }
};

// Which titles the balance graphs show (the weekday graphs ignore them).
struct TitleOptions {
    bool chartTitle = false;  // chkG1: title inside the plot area
    bool xAxisTitle = true;   // chkG2: "Ｘ軸（横軸）項目名を表示する"
    bool yAxisTitle = true;   // chkG3: "Ｙ軸（縦軸）項目名を表示する"

    static TitleOptions from(const OptionSet& options);
};

enum class GraphUnit { Yen, ManYen };  // whole yen, or units of 10,000 yen (万円)

struct GraphPoint {
    std::string label;
    // Yen or 万円. Whole numbers, except a weekday total in 万円, which keeps
    // its fraction (12,345 yen -> 1.2345).
    double value = 0;
    bool operator==(const GraphPoint&) const = default;
};

// One computed graph, ready to draw.
struct GraphSeries {
    std::string caption;     // window caption: the graph's title text, always set
    std::string chartTitle;  // title inside the plot; empty when hidden; kNoDataTitle for the no-data chart
    std::string xAxisTitle;  // empty when hidden
    std::string yAxisTitle;  // empty when hidden
    GraphUnit unit = GraphUnit::Yen;
    bool noData = false;  // the chart "該当するデータはありません": no rows, no axis titles
    std::vector<GraphPoint> points;
    // A balance graph drawn in 万円: each point's figure in whole yen (what its
    // tooltip names); empty when the points are in yen.
    std::vector<double> yen;
};

// One YearFile of a user: its path and the year its name carries.
struct YearFileEntry {
    fs::path path;
    std::string year;
};

// The year a YearFile name carries: "s2003.sdb" -> "2003" (letter case of "s"
// and ".sdb" ignored). Nothing for a name of another shape ("backup.sdb",
// "s2003 copy.sdb"), which is not a YearFile.
std::optional<std::string> yearOfFileName(std::string_view fileName);

// The user's YearFiles in listing order (sorted by name). A missing user
// folder, or a user name that cannot be a folder, gives none.
std::vector<YearFileEntry> listYearFiles(const RecordStore& store, std::string_view user);

// The years part of a year-graph title: the smallest and the largest year
// joined by "-" ("2002-2004"), the year alone for one file, empty for none.
// The years are ordered by their numeric value with sortByKey.
std::string yearSpanText(const std::vector<YearFileEntry>& files);

// A title over all years: head + " （" + span + "年度）", or the head alone
// when the user has no YearFile.
std::string allYearsTitle(std::string_view head, const std::vector<YearFileEntry>& files);

// A point value as plain text: whole numbers without separators ("-48000"),
// a fraction kept as it is ("1.2345").
std::string plainValueText(double value);

// The category texts of the 2D chart's x axis, one per point: each point's
// label, with " (2)", " (3)" ... added to the second and later points of a
// label already seen ("08", "08 (2)"), because a category axis keeps only one
// category per text and would drop the points that repeat it.
std::vector<std::string> categoryTexts(const std::vector<GraphPoint>& points);

// The value label the chart shows on a point (format "0": rounded, no separators).
std::string dataLabelText(double value);

// A Y-axis title as the chart writes it along the vertical axis, where the text
// runs upwards: the "⌒" and "ー" that stand for the brackets around the unit
// would read turned there, so they become "（" and "）":
// "収 支 額 ⌒円ー" -> "収 支 額 （円）". A title without "⌒" stays as it is.
std::string verticalAxisTitle(std::string_view title);

}  // namespace tama
