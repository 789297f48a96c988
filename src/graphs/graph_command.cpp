#include "graph_command.h"

#include <system_error>

#include "graph_request.h"
#include "storage/data_folders.h"
#include "storage/settings_file.h"

namespace tama {

namespace {

bool allDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

int usageError(std::ostream& err, const std::string& message) {
    err << message << "\n使い方: tamalog-cli " << kGraphCommandUsage << "\n";
    return 2;
}

}  // namespace

int runGraphCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> positional;
    GraphRequest request;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--hall" || a == "--machine") {
            if (i + 1 >= args.size()) return usageError(err, a + " の後にホール名／機種名がありません。");
            (a == "--hall" ? request.filter.hall : request.filter.machine) = args[++i];
        } else if (a == "--cumulative") {
            request.cumulative = true;
        } else if (a.starts_with("--")) {
            return usageError(err, "知らないオプションです: " + a);
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 6) return usageError(err, "引数の数が違います。");
    const fs::path folder = positional[0];
    const std::string& user = positional[1];
    const std::string& year = positional[2];

    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return usageError(err, "フォルダー「" + folder.string() + "」がありません。");
    if (std::string problem = userNameProblem(user); !problem.empty()) return usageError(err, problem);
    RecordStore store(folder);
    if (!fs::is_directory(store.userFolder(user), ec))
        return usageError(err, "利用者「" + user + "」のフォルダーがありません。");
    if (!allDigits(year)) return usageError(err, "年は数字で指定して下さい: " + year);
    const int month = monthNumber(positional[3]);  // "5" and "05" both name May
    if (month == 0) return usageError(err, "月は 1～12 で指定して下さい: " + positional[3]);
    auto period = periodFromText(positional[4]);
    if (!period)
        return usageError(err, "期間は " + std::string(kPeriodDayText) + "、" + std::string(kPeriodMonthText) + "、" +
                                   std::string(kPeriodYearText) + " のどれかです: " + positional[4]);
    auto item = itemFromText(positional[5]);
    if (!item)
        return usageError(err, "項目は " + std::string(kItemBalanceText) + " か " + std::string(kItemWeekdayText) +
                                   " です: " + positional[5]);
    request.period = *period;
    request.item = *item;

    SettingsFile settings(settingsFilePath(folder));
    request.titles = TitleOptions::from(readOptionSet(settings));

    const YearRecordList list = store.loadYear(user, year);
    out << graphReportText(computeGraph(request, list, monthLabel(month), store));
    return 0;
}

}  // namespace tama
