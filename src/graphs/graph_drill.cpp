#include "graph_drill.h"

#include "shared/number_format.h"

namespace tama {

DrillTarget drillTarget(const DrawnGraph& drawn, const GraphSeries& series, std::size_t index) {
    if (drawn.item != GraphItem::Balance || series.noData || index >= series.points.size()) return {};
    const std::string& label = series.points[index].label;
    switch (drawn.period) {
        case GraphPeriod::Year: return {DrillTarget::Kind::MonthGraph, label, drawn.month, {}};
        case GraphPeriod::Month: return {DrillTarget::Kind::DayGraph, drawn.year, label, {}};
        case GraphPeriod::Day: return {DrillTarget::Kind::MonthlyDay, drawn.year, drawn.month, label};
    }
    return {};
}

std::string pointTipText(const DrawnGraph& drawn, const GraphSeries& series, std::size_t index) {
    if (drillTarget(drawn, series, index).kind == DrillTarget::Kind::None) return {};
    const std::string& label = series.points[index].label;
    std::string when;
    switch (drawn.period) {
        case GraphPeriod::Year: when = label + "年"; break;
        case GraphPeriod::Month: when = drawn.year + "年" + label + "月"; break;
        case GraphPeriod::Day: when = drawn.year + "/" + drawn.month + "/" + label; break;
    }
    if (drawn.cumulative) when += " までの累積";
    const double yen = index < series.yen.size() ? series.yen[index] : series.points[index].value;
    return when + "　" + formatGrouped(yen) + " 円";
}

}  // namespace tama
