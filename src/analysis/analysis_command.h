#pragma once
// tamalog-cli analysis: what the analysis window shows after a search, as text.
#include <ostream>
#include <string>
#include <vector>

#include "analysis/search.h"

namespace tama {

inline constexpr const char* kAnalysisCommandUsage =
    "analysis FOLDER USER [--from Y/M/D] [--to Y/M/D] [--all-period] [--hall TEXT] [--number TEXT] "
    "[--type TEXT] [--machine TEXT] [--comment TEXT] [--table N]";

// The period the analysis window opens with for a date: from year/01/01 to
// year/mm/dd of that date (month and day as two digits).
struct DefaultPeriod {
    std::string from, to;
};
DefaultPeriod defaultPeriod(int year, int month, int day);
// The same for today's local date.
DefaultPeriod defaultPeriodToday();

// A search as the command line gives it.
struct AnalysisArguments {
    fs::path folder;
    SearchCriteria criteria;  // period bounds filled in from the opening default where not given
    int table = 0;            // the tab 0..6
    std::string error;        // non-empty: the one-line reason the arguments are wrong
};
// Reads FOLDER USER and the options below; shared by tamalog-cli analysis and
// tamalog-cli export analysis.
AnalysisArguments parseAnalysisArguments(const std::vector<std::string>& args,
                                         const DefaultPeriod& opening = defaultPeriodToday());

// Runs the command with the arguments after "analysis":
//   FOLDER           the program folder (holds Data)
//   USER             the user name (a folder under Data)
//   --from / --to    the start and end of the period, Y/M/D read as the date
//                    meant ("2003/5/1" is 2003/05/01; a text that is no date is
//                    a wrong argument); a missing one takes the window's
//                    opening default
//   --all-period     "全ての期間" ticked: no period
//   --hall, --number, --type, --machine   the selector texts; omitted or given
//                    as the pseudo entry, the filter is off
//   --comment TEXT   only records whose comment contains TEXT (omitted or empty: all)
//   --table N        the tab 0..6 (default 0)
// Writes the count label, then the table's heading row and rows, cells joined by
// TAB. Returns 0; 1 (after the output) when a damaged YearFile was left out, each
// named on `err`; 2 with a one-line message on `err` for a wrong argument.
int runAnalysisCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                       const DefaultPeriod& opening = defaultPeriodToday());

}  // namespace tama
