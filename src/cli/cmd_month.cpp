// tamalog-cli month FOLDER USER YEAR MONTH: what the monthly window shows for
// that selection after its reload: the list's rows in display order (cells
// separated by tabs), then one "label<TAB>text" line per summary label.
#include <algorithm>
#include <iostream>

#include "command_registry.h"
#include "monthly/month_summary.h"

namespace tama::cli {
namespace {

bool allDigits(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int runMonth(const std::vector<std::string>& args) {
    if (args.size() != 4) {
        std::cerr << "使い方: tamalog-cli month FOLDER USER YEAR MONTH\n";
        return 2;
    }
    const std::string& folder = args[0];
    const std::string& user = args[1];
    const std::string& year = args[2];
    const std::string& monthArg = args[3];
    if (!allDigits(year)) {
        std::cerr << "年は数字で指定して下さい: " << year << "\n";
        return 2;
    }
    if (!allDigits(monthArg) || monthArg.size() > 2) {
        std::cerr << "月は 1..12 か2桁の数字で指定して下さい: " << monthArg << "\n";
        return 2;
    }
    if (std::string problem = userNameProblem(user); !problem.empty()) {
        std::cerr << problem << "\n";
        return 2;
    }
    RecordStore store{fs::path(folder)};
    std::error_code ec;
    if (!fs::is_directory(store.userFolder(user), ec))
        std::cerr << "注意: 利用者「" << user << "」のフォルダーがありません (空の月を表示します)\n";

    const YearRecordList list = loadMonthYear(store, user, year);
    MonthSummary summary = summarizeMonth(list.records, twoDigitMonth(monthArg));
    sortByDate(summary.rows);

    for (const MonthRow& row : summary.rows) {
        for (int c = 0; c < kMonthColumns; ++c) {
            if (c > 0) std::cout << '\t';
            std::cout << row.cells[static_cast<size_t>(c)];
        }
        std::cout << '\n';
    }
    for (int i = 0; i < kSummaryLabels; ++i)
        std::cout << kSummaryLabelNames[static_cast<size_t>(i)] << '\t' << summary.labels[static_cast<size_t>(i)].text
                  << '\n';
    return std::cout.good() ? 0 : 1;
}

const Register reg("month", "month FOLDER USER YEAR MONTH", runMonth);

}  // namespace
}  // namespace tama::cli
