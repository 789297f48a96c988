#pragma once
// Clicking into a balance graph: what a click on one of its points opens, and
// the tooltip that names the point's exact figure. The year graph opens the
// month graph of the clicked year, the month graph the day graph of the
// clicked month, and the day graph the monthly list at the clicked day. The
// weekday graphs and the chart without data open nothing.
#include <cstddef>
#include <string>
#include <string_view>

#include "graph_series.h"

namespace tama {

struct DrillTarget {
    enum class Kind {
        None,        // nothing to open
        MonthGraph,  // the month graph of `year`
        DayGraph,    // the day graph of `year` / `month`
        MonthlyDay,  // the monthly list of `year` / `month`, at day `day` (a Hi text)
    };
    Kind kind = Kind::None;
    std::string year, month, day;
    bool operator==(const DrillTarget&) const = default;
};

// What drew the series: its period and item, and the monthly window's year and
// month ("2024", "05") it was computed for.
struct DrawnGraph {
    GraphPeriod period = GraphPeriod::Day;
    GraphItem item = GraphItem::Balance;
    bool cumulative = false;
    std::string year, month;
};

// What clicking point `index` (0 = first) of `series` opens; an index outside
// the points opens nothing. The month graph of a year names the drawn month,
// which only says where the monthly window may stand (the window keeps its own).
DrillTarget drillTarget(const DrawnGraph& drawn, const GraphSeries& series, std::size_t index);

// The tooltip of a point that opens something: its date or month and its figure
// in whole yen formatted "#,##0" ("2024/05/04　11,500 円", "2024年05月　-32,000 円",
// "2024年　36,500 円"; a cumulative point "2024/05/18 までの累積　19,000 円").
// A point shown in 万円 names the yen it stands for. Empty for a point that opens nothing.
std::string pointTipText(const DrawnGraph& drawn, const GraphSeries& series, std::size_t index);

}  // namespace tama
