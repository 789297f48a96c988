#include "graph_request.h"

#include "balance_series.h"
#include "weekday_series.h"

namespace tama {

GraphSeries computeGraph(const GraphRequest& request, const YearRecordList& list, std::string_view month,
                         const RecordStore& store) {
    if (request.item == GraphItem::Weekday) return weekdaySeries(request.period, list, month, store, request.filter);
    switch (request.period) {
        case GraphPeriod::Day: return dayBalanceSeries(list, month, request.filter, request.cumulative, request.titles);
        case GraphPeriod::Month: return monthBalanceSeries(list, request.filter, request.cumulative, request.titles);
        case GraphPeriod::Year: break;
    }
    return yearBalanceSeries(store, list.user, request.filter, request.cumulative, request.titles);
}

std::string graphReportText(const GraphSeries& series) {
    std::string out = series.caption + "\n";
    out += "title\t" + series.chartTitle + "\n";
    out += "x\t" + series.xAxisTitle + "\n";
    out += "y\t" + series.yAxisTitle + "\n";
    for (const auto& p : series.points) out += p.label + "\t" + plainValueText(p.value) + "\n";
    return out;
}

}  // namespace tama
