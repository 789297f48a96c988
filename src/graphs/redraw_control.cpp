#include "redraw_control.h"

namespace tama {

std::string_view chartTypeText(ChartType type) {
    switch (type) {
        case ChartType::Bar: return kChartBarText;
        case ChartType::Line: return kChartLineText;
        case ChartType::Bar3D: return kChart3DBarText;
        case ChartType::Line3D: return kChart3DLineText;
    }
    return {};
}

std::optional<ChartType> chartTypeFromText(std::string_view text) {
    for (ChartType t : {ChartType::Bar, ChartType::Line, ChartType::Bar3D, ChartType::Line3D})
        if (chartTypeText(t) == text) return t;
    return std::nullopt;
}

namespace {

StaleGraph balanceGraph(GraphPeriod p) {
    switch (p) {
        case GraphPeriod::Day: return StaleGraph::DayBalance;
        case GraphPeriod::Month: return StaleGraph::MonthBalance;
        case GraphPeriod::Year: break;
    }
    return StaleGraph::YearBalance;
}

StaleGraph weekdayGraph(GraphPeriod p) {
    switch (p) {
        case GraphPeriod::Day: return StaleGraph::DayWeekday;
        case GraphPeriod::Month: return StaleGraph::MonthWeekday;
        case GraphPeriod::Year: break;
    }
    return StaleGraph::YearWeekday;
}

StaleGraph typeGraph(ChartType t) {
    switch (t) {
        case ChartType::Bar: return StaleGraph::Bar;
        case ChartType::Line: return StaleGraph::Line;
        case ChartType::Bar3D: return StaleGraph::Bar3D;
        case ChartType::Line3D: break;
    }
    return StaleGraph::Line3D;
}

constexpr GraphPeriod kPeriods[] = {GraphPeriod::Day, GraphPeriod::Month, GraphPeriod::Year};
constexpr ChartType kTypes[] = {ChartType::Bar, ChartType::Line, ChartType::Bar3D, ChartType::Line3D};

}  // namespace

RedrawControl::RedrawControl(GraphSelection initial) : seen_(std::move(initial)) { stale_.fill(true); }

void RedrawControl::dataChanged() {
    recordsChanged_ = true;
    // A cumulative graph has to follow the data as well as a plain one.
    cumulativeStale_ = true;
}

RedrawStep RedrawControl::step(const GraphSelection& now) {
    RedrawStep out;

    // A new filter makes every graph stale.
    if (now.hall != seen_.hall) {
        recordsChanged_ = cumulativeStale_ = true;
        typeApplied_ = false;
        seen_.hall = now.hall;
    }
    if (now.machine != seen_.machine) {
        recordsChanged_ = cumulativeStale_ = true;
        typeApplied_ = false;
        seen_.machine = now.machine;
    }
    if (now.period != seen_.period) {
        if (now.cumulative) cumulativeStale_ = true;
        typeApplied_ = false;
        seen_.period = now.period;
    }
    if (now.type != seen_.type) {
        typeApplied_ = false;
        seen_.type = now.type;
    }
    if (now.item != seen_.item) {
        typeApplied_ = false;
        seen_.item = now.item;
    }
    seen_.cumulative = now.cumulative;

    if (recordsChanged_) stale_.fill(true);

    const std::optional<GraphPeriod> period = periodFromText(now.period);
    const std::optional<GraphItem> item = itemFromText(now.item);
    if (item == GraphItem::Balance) {
        out.cumulativeEnabled = true;
        for (GraphPeriod p : kPeriods) setStale(weekdayGraph(p), true);
        if (period) {
            if (now.cumulative) {
                if (cumulativeStale_) {
                    out.draw = RedrawStep::Draw::Balance;
                    out.period = *period;
                    out.cumulative = true;
                    // Kept set, so that leaving cumulative mode redraws the plain graph.
                    recordsChanged_ = true;
                    cumulativeStale_ = false;
                }
            } else {
                if (stale(balanceGraph(*period))) {
                    out.draw = RedrawStep::Draw::Balance;
                    out.period = *period;
                    recordsChanged_ = false;
                    for (GraphPeriod p : kPeriods) setStale(balanceGraph(p), p != *period);
                }
                cumulativeStale_ = true;
            }
        }
    } else if (item == GraphItem::Weekday) {
        for (GraphPeriod p : kPeriods) setStale(balanceGraph(p), true);
        if (period && stale(weekdayGraph(*period))) {
            out.draw = RedrawStep::Draw::Weekday;
            out.period = *period;
            recordsChanged_ = false;
            for (GraphPeriod p : kPeriods) setStale(weekdayGraph(p), p != *period);
        }
        cumulativeStale_ = true;
        out.cumulativeEnabled = false;
    }

    if (!typeApplied_) {
        // The type is applied after every new drawing and every change of type.
        // (RecordsChanged is left as it is here: clearing it after a cumulative
        // drawing would keep the plain graph from being redrawn when cumulative
        // mode is left.)
        if (const std::optional<ChartType> type = chartTypeFromText(now.type)) {
            out.applyType = *type;
            for (ChartType t : kTypes) setStale(typeGraph(t), t != *type);
        }
        typeApplied_ = true;
    }
    return out;
}

}  // namespace tama
