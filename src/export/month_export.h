#pragma once
// The monthly export: the month's records of the monthly window's loaded year
// to the CSV work file Temp/work.csv and to a workbook laid out for one A4 page.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "export/workbook.h"
#include "monthly/month_summary.h"
#include "storage/daily_record.h"

namespace tama {

namespace fs = std::filesystem;

// program folder / Temp / work.csv (an existing Temp folder found without regard to case).
fs::path workCsvPath(const fs::path& programFolder);

// The CSV work file's bytes (CP932, CR LF, every field quoted): the header line
// and one line per record whose Tuki equals `month` exactly, in list order.
// `count` receives the number of record lines. Throws FileError (naming
// work.csv) when a text cannot be written in CP932.
std::string workCsvBytes(const std::vector<DailyRecord>& records, std::string_view month, int* count = nullptr);

// Writes the CSV work file atomically, making the Temp folder when it is
// missing. Returns the number of record lines. Throws FileError.
int writeWorkCsv(const fs::path& programFolder, const std::vector<DailyRecord>& records, std::string_view month);

// What the monthly workbook shows besides the records.
struct MonthSheetInput {
    std::string sheetName;  // the monthly window's caption
    std::string user;       // for the right page header
    std::string month;      // two-digit month text the records are selected by
};

// The monthly worksheet: header row, the month's records in list order, the
// summary block with the texts of `summary`'s nine labels, and the page setup
// for one A4 page. `progress` is told (steps done, n + 10) as the sheet is
// built, and stops it by returning false (throws xlsx::Cancelled).
xlsx::Sheet monthSheet(const std::vector<DailyRecord>& records, const MonthSummary& summary,
                       const MonthSheetInput& input, const xlsx::ProgressFn& progress = {});

// The whole export as the dialog's 出力 and tamalog-cli run it: the CSV work
// file first, then the workbook saved to `target`. Returns the record count.
int exportMonth(const fs::path& programFolder, const std::vector<DailyRecord>& records, const MonthSummary& summary,
                const MonthSheetInput& input, const fs::path& target, const xlsx::ProgressFn& progress = {});

}  // namespace tama
