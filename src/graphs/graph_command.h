#pragma once
// tamalog-cli graph: prints the series the graph window would draw for a
// user's data and settings.
#include <ostream>
#include <string>
#include <vector>

namespace tama {

inline constexpr const char* kGraphCommandUsage =
    "graph FOLDER USER YEAR MONTH KIKAN KOU [--hall H] [--machine M] [--cumulative]";

// Runs the command with the arguments after "graph":
//   FOLDER   the program folder (holds Data and tmrec.ini)
//   USER     the user name (a folder under Data)
//   YEAR     the year, as in s<year>.sdb
//   MONTH    1..12 or 01..12
//   KIKAN    日間ﾃﾞｰﾀ, 月間ﾃﾞｰﾀ or 年間ﾃﾞｰﾀ;  KOU  収支 or 曜日別
//   --hall H / --machine M   a hall / machine filter (default: all)
//   --cumulative             the cumulative balance graph
// The title options come from tmrec.ini. Writes graphReportText to `out` and
// returns 0; a wrong argument gives a message on `err` and 2. A file that
// cannot be read throws FileError.
int runGraphCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tama
