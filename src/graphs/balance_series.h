#pragma once
// The balance graphs: the days of the selected month, the months of the
// selected year and all years of the user, plain or cumulative.
#include <string_view>

#include "graph_series.h"

namespace tama {

// Day graph (drawDays) from the monthly window's YearRecordList and its
// selected month ("01".."12"). Only records of that month count, in list order.
// Without a machine filter each point is one day's total (records of one date
// in a row share a point; with a hall filter only that hall's records count);
// with a machine filter every matching record is a point of its own. Labels
// are the Hi of the record that opened the point; always in yen. No matching
// record gives the no-data chart.
GraphSeries dayBalanceSeries(const YearRecordList& list, std::string_view month, const GraphFilter& filter,
                             bool cumulative, const TitleOptions& titles);

// Month graph (drawMonths) from the YearRecordList: one point per month that
// has a matching record, in calendar order, labelled "01".."12" (months with
// nothing are left out). Plain mode stays in yen; in cumulative mode a running
// sum above 899,999 yen turns the whole graph into 万円. No present month gives
// the no-data chart.
GraphSeries monthBalanceSeries(const YearRecordList& list, const GraphFilter& filter, bool cumulative,
                               const TitleOptions& titles);

// Year graph (drawYears) of a user. Without a filter the points are the
// lines of Year.txt; with a filter each YearFile is read once and gives one
// point (labelled with the Nen of its first matching record) when it holds a
// matching record. A point of 900,000 yen or more turns all points into 万円.
// The title carries the years of the user's YearFiles. No point gives an
// empty series with the usual titles. Throws FileError for a damaged file.
GraphSeries yearBalanceSeries(const RecordStore& store, std::string_view user, const GraphFilter& filter,
                              bool cumulative, const TitleOptions& titles);

// The window caption (and chart title text) of each balance graph.
std::string dayBalanceTitle(std::string_view year, std::string_view month);
std::string monthBalanceTitle(std::string_view year);

}  // namespace tama
