#pragma once
// The workbooks that 出力 leaves in the program's Temp folder for the
// spreadsheet application: each export writes a new one, so old ones are
// removed at start-up once they are older than a number of days.
#include <chrono>
#include <filesystem>
#include <string_view>
#include <vector>

namespace tama {

namespace fs = std::filesystem;

// Days a workbook stays in Temp when tmrec.ini does not say otherwise.
inline constexpr int kDefaultWorkbookKeepDays = 7;

// Whether a file name is one the exports give a workbook in Temp: a sheet name
// of the analysis export ("月間収支データ一覧.xlsx") or of a month
// ("日間収支データ一覧  (2003年05月度).xlsx"), optionally numbered " (2)".
bool isExportWorkbookName(std::string_view name);

// The days of key `KeepDays` in section `[Export]` of tmrec.ini: a whole
// number 0..3650, where 0 keeps every workbook; any other text gives the default.
int workbookKeepDays(const fs::path& programFolder);

// Removes from `temp` the export's workbooks (by name) whose last change lies
// more than `days` days before `now`. Only regular files are removed and no
// link is followed, neither in place of the folder nor of a file. Returns the
// names removed. days <= 0 removes nothing.
std::vector<fs::path> removeOldWorkbooks(const fs::path& temp, int days,
                                         std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

// The start-up step: the Temp folder of the program folder, with the days of
// tmrec.ini, only while no other writer holds the program folder's write lock
// (a workbook being written then may belong to it). Never throws.
std::vector<fs::path> removeOldWorkbooksAtStart(const fs::path& programFolder);

}  // namespace tama
