// tamalog-cli calendar FOLDER USER YEAR MONTH: what the calendar window's grid
// shows for that month: the caption, the weekday heading, then one line per
// week of seven TAB-separated cells.
#include <iostream>

#include "command_registry.h"
#include "monthly/month_calendar.h"
#include "monthly/month_summary.h"

namespace tama::cli {
namespace {

int runCalendar(const std::vector<std::string>& args) {
    if (args.size() != 4) {
        std::cerr << "使い方: tamalog-cli calendar FOLDER USER YEAR MONTH\n";
        return 2;
    }
    const std::string& user = args[1];
    const auto shown = readYearMonth(args[2], args[3]);
    if (!shown) {
        std::cerr << "年は4桁、月は 1..12 の数字で指定して下さい: " << args[2] << " " << args[3] << "\n";
        return 2;
    }
    if (std::string problem = userNameProblem(user); !problem.empty()) {
        std::cerr << problem << "\n";
        return 2;
    }
    RecordStore store{fs::path(args[0])};
    std::error_code ec;
    if (!fs::is_directory(store.userFolder(user), ec))
        std::cerr << "注意: 利用者「" << user << "」のフォルダーがありません (空の月を表示します)\n";
    // A damaged YearFile throws: the error line names the file and the line.
    const YearRecordList list = loadMonthYear(store, user, args[2]);
    for (const std::string& line : calendarLines(buildMonthCalendar(shown->year, shown->month, list.records)))
        std::cout << line << '\n';
    return std::cout.good() ? 0 : 1;
}

const Register reg("calendar", "calendar FOLDER USER YEAR MONTH", runCalendar);

}  // namespace
}  // namespace tama::cli
