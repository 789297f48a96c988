#pragma once
// The tables of the analysis window built from MatchedRecords: the daily list
// (tab 0), the monthly and yearly tables (tabs 1, 2), the tables by weekday
// within each month and each year (tabs 3, 4) and the ranking by hall and by
// machine (tabs 5, 6).
//
// Money sums are 64-bit whole yen, rounded to the nearest whole number (ties to
// even) after every addition; an empty money-in or money-out amount adds
// nothing. Shown figures round halves away from zero: "#,##0", "0.0", "0.000".
#include <memory>

#include "analysis/analysis_table.h"
#include "analysis/search.h"

namespace tama {

// The columns (heading, width in twips, alignments) of a tab's empty table.
std::vector<TableColumn> tableColumns(AnalysisTab tab);

// buildTable: the table a tab shows for `records`, built in one pass and, on
// tabs 0 to 2, sorted by column 0 descending (newest first); tabs 3 and 4 keep
// their order; tabs 5 and 6 come sorted by balance, best first. With no record
// the table has its headings and no row.
AnalysisTable buildTable(std::shared_ptr<const MatchedRecords> records, AnalysisTab tab);

// The daily list's cells for record `index` (1-based) as row `index` fills them (mf_dl).
TableCell dailyCell(const MatchedRecords& records, int index, int column);

}  // namespace tama
