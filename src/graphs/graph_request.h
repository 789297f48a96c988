#pragma once
// One entry point for "draw what the selectors say": the graph window and
// tamalog-cli both hand the selections here and show the result.
#include <string>
#include <string_view>

#include "graph_series.h"

namespace tama {

// The graph window's selectors.
struct GraphRequest {
    GraphPeriod period = GraphPeriod::Day;  // cboKikan
    GraphItem item = GraphItem::Balance;    // cboKou
    GraphFilter filter;                     // cboHoll, cboKisyu
    bool cumulative = false;                // chk1; the weekday graphs ignore it
    TitleOptions titles;                    // chkG1..chkG3 of the OptionSet
};

// The series of the request. `list` is the monthly window's YearRecordList (its
// user and year name the graphs), `month` its selected month text "01".."12";
// the year graphs read the user's files through `store`. Throws FileError for
// a file that cannot be read.
GraphSeries computeGraph(const GraphRequest& request, const YearRecordList& list, std::string_view month,
                         const RecordStore& store);

// The series as text lines (UTF-8, "\n" ends):
//   caption
//   title<TAB>chart title      (empty when hidden)
//   x<TAB>X-axis title
//   y<TAB>Y-axis title
//   label<TAB>value            one line per point, values as plainValueText
std::string graphReportText(const GraphSeries& series);

}  // namespace tama
