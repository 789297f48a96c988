#pragma once
// The analysis export: one table of the analysis window as a workbook. The
// daily sheet lists MatchedRecords in read order (oldest first); the monthly,
// yearly and weekday sheets write one row per group in group order, oldest
// first; the ranking sheets by hall and by machine are written best first, as
// shown. Row 1 holds the search conditions, row 2 the headings. Columns are
// widened to their widest text, figures are right-aligned, and hours are
// numbers that show their unit.
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "analysis/analysis_table.h"
#include "analysis/search.h"
#include "export/workbook.h"

namespace tama {

namespace fs = std::filesystem;

// The sheet name (also the page header) of a tab's workbook: "日間収支データ一覧" ...
std::string_view analysisSheetName(AnalysisTab tab);

// The condition line of row 1: "分析条件 [ 期間：2003/01/01～2003/12/31　ﾎｰﾙ名：全ﾎｰﾙ ... ]";
// a comment searched for is named last ("　ｺﾒﾝﾄ：爆発 ]").
// The period is the search's start and end texts, or "全期間" when the period
// is not applied; a selector on its pseudo entry shows its short form.
std::string conditionLine(const SearchCriteria& criteria);

// The worksheet of `tab` for the records of the last search made with
// `criteria` (whose user names the right page header). `progress` is told
// (rows done, rows in all) and stops the building by returning false.
xlsx::Sheet analysisSheet(std::shared_ptr<const MatchedRecords> records, AnalysisTab tab,
                          const SearchCriteria& criteria, const xlsx::ProgressFn& progress = {});

// Builds and saves the workbook to `target`; progress runs over both halves.
// With a program folder, its write lock is held while the file is written (the
// start-up clean-up then leaves the hidden temporary alone) and its Temp
// folder, when there is one, takes the writer's row file (see xlsx::saveWorkbook).
void exportAnalysis(std::shared_ptr<const MatchedRecords> records, AnalysisTab tab, const SearchCriteria& criteria,
                    const fs::path& target, const xlsx::ProgressFn& progress = {}, const fs::path& programFolder = {});

}  // namespace tama
