#pragma once
// When the graph window redraws. The window reports every change of data and
// runs one step after each change of its selectors; the step says which graph
// to draw (if any) and whether the chart type has to be applied again. A graph
// is drawn once after each change of data, filter, period, item or cumulative
// state and never on a step without a change; a change of chart type alone
// applies the type to the series already computed.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "graph_series.h"

namespace tama {

// The chart-type box (cboGtype); the values are the ChartTypeCode.
enum class ChartType { Bar = 1, Line = 2, Bar3D = 3, Line3D = 4 };
inline constexpr std::string_view kChartBarText = "棒ｸﾞﾗﾌ";
inline constexpr std::string_view kChartLineText = "折れ線ｸﾞﾗﾌ";
inline constexpr std::string_view kChart3DBarText = "3D棒ｸﾞﾗﾌ";
inline constexpr std::string_view kChart3DLineText = "3D折れ線ｸﾞﾗﾌ";

std::string_view chartTypeText(ChartType type);
// Nothing for any other text.
std::optional<ChartType> chartTypeFromText(std::string_view text);
inline bool is3D(ChartType type) { return type == ChartType::Bar3D || type == ChartType::Line3D; }

// What the selectors of the graph window hold: the box texts (UTF-8) and the
// two check boxes.
struct GraphSelection {
    std::string period{kPeriodDayText};  // cboKikan
    std::string type{kChartBarText};     // cboGtype
    std::string item{kItemBalanceText};  // cboKou
    std::string hall{kAllHalls};         // cboHoll
    std::string machine{kAllMachines};   // cboKisyu
    bool cumulative = false;             // chk1
};

// What one step asks the window to do.
struct RedrawStep {
    enum class Draw { None, Balance, Weekday };
    Draw draw = Draw::None;  // compute and draw this graph of `period`
    GraphPeriod period = GraphPeriod::Day;
    bool cumulative = false;             // the balance graph is the cumulative one
    std::optional<ChartType> applyType;  // redrawChart with this type
    bool cumulativeEnabled = true;       // chk1 is enabled (not for weekday graphs)

    bool changesChart() const { return draw != Draw::None || applyType.has_value(); }
};

// The graphs and chart types that can be stale (GraphStale).
enum class StaleGraph {
    DayBalance,
    MonthBalance,
    YearBalance,
    Bar,
    Line,
    Bar3D,
    Line3D,
    DayWeekday,
    MonthWeekday,
    YearWeekday,
};
inline constexpr size_t kStaleGraphCount = 10;

class RedrawControl {
public:
    // The selection the window opened with. Everything starts stale, so the
    // first step draws the graph of that selection and applies its type.
    explicit RedrawControl(GraphSelection initial = {});

    // The records changed (a reload of the monthly list, a save, an update or a
    // delete, or new display options): RecordsChanged and CumulativeStale are set.
    void dataChanged();

    // One step with the selectors as they are now (the graph window's runRedrawStep).
    RedrawStep step(const GraphSelection& now);

    bool recordsChanged() const { return recordsChanged_; }
    bool cumulativeStale() const { return cumulativeStale_; }
    bool typeApplied() const { return typeApplied_; }
    bool stale(StaleGraph g) const { return stale_[static_cast<size_t>(g)]; }

private:
    void setStale(StaleGraph g, bool on) { stale_[static_cast<size_t>(g)] = on; }

    GraphSelection seen_;
    bool recordsChanged_ = true;
    bool cumulativeStale_ = true;
    bool typeApplied_ = false;
    std::array<bool, kStaleGraphCount> stale_{};
};

}  // namespace tama
