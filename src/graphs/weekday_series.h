#pragma once
// The weekday graphs (drawWeekdays): the balance summed by weekday, Monday
// first, over the selected month, the selected year or all years of the user.
#include <string_view>

#include "graph_series.h"

namespace tama {

// Weekday graph of a period:
// - Day: the YearRecordList's records of the selected month ("01".."12");
// - Month: all records of the YearRecordList;
// - Year: every record of every YearFile of the list's user (each file read once).
// Records must match the filter. An empty YearRecordList gives the no-data
// chart for every period (also Year, whatever the other years hold).
// Seven points "月".."日" with both axis titles and no chart title; a total
// above 899,999 yen turns all points into 万円 with their fraction kept.
// Records whose Youbi is no weekday name count as a match but add to no point.
// Throws FileError for a damaged YearFile (Year period).
GraphSeries weekdaySeries(GraphPeriod period, const YearRecordList& list, std::string_view month,
                          const RecordStore& store, const GraphFilter& filter);

// The window caption of a weekday graph. `files` is used by the Year period only.
std::string weekdayTitle(GraphPeriod period, std::string_view year, std::string_view month,
                         const std::vector<YearFileEntry>& files);

}  // namespace tama
