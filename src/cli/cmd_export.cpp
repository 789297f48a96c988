// tamalog-cli export month FOLDER USER YEAR MONTH --out FILE.xlsx: what the
// monthly export dialog's 出力 does for that selection: Temp/work.csv and the
// month workbook, saved to FILE.
// tamalog-cli export analysis FOLDER USER [search options] [--table N] --out FILE.xlsx:
// the analysis search and the workbook of one table, as the analysis window's
// Excel 出力 writes it.
#include <algorithm>
#include <iostream>
#include <map>
#include <memory>

#include "command_registry.h"
#include "analysis/analysis_command.h"
#include "export/analysis_export.h"
#include "export/month_export.h"
#include "monthly/month_summary.h"
#include "shared/file_io.h"

namespace tama::cli {
namespace {

bool allDigits(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Takes "--out FILE" out of the arguments; empty when missing.
std::string takeOut(std::vector<std::string>& args, bool& twice) {
    std::string out;
    twice = false;
    for (size_t i = 0; i + 1 < args.size();) {
        if (args[i] == "--out") {
            if (!out.empty()) twice = true;
            out = args[i + 1];
            args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
        } else {
            ++i;
        }
    }
    return out;
}

constexpr const char* kUsage =
    "export month FOLDER USER YEAR MONTH --out FILE.xlsx | export analysis FOLDER USER [--from Y/M/D] [--to Y/M/D] "
    "[--all-period] [--hall TEXT] [--number TEXT] [--type TEXT] [--machine TEXT] [--comment TEXT] [--table N] "
    "--out FILE.xlsx";

// A program folder that exists and a user name that can name a folder; a message otherwise.
bool usableFolderAndUser(const std::string& folder, const std::string& user) {
    if (std::string problem = userNameProblem(user); !problem.empty()) {
        std::cerr << problem << "\n";
        return false;
    }
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        std::cerr << "フォルダーがありません: " << folder << "\n";
        return false;
    }
    return true;
}

int usage() {
    std::cerr << "使い方: tamalog-cli " << kUsage << "\n";
    return 2;
}

int runExportMonth(std::vector<std::string> args) {
    bool twice = false;
    const std::string out = takeOut(args, twice);
    if (out.empty() || twice || args.size() != 4) return usage();
    const std::string& folder = args[0];
    const std::string& user = args[1];
    const std::string& year = args[2];
    const std::string& monthArg = args[3];
    if (!allDigits(year) || year.size() > 4) {
        std::cerr << "年は4桁までの数字で指定して下さい: " << year << "\n";
        return 2;
    }
    const int m = allDigits(monthArg) && monthArg.size() <= 2 ? std::stoi(monthArg) : 0;
    if (m < 1 || m > 12) {
        std::cerr << "月は 1..12 で指定して下さい: " << monthArg << "\n";
        return 2;
    }
    if (!usableFolderAndUser(folder, user)) return 2;
    RecordStore store{fs::path(folder)};
    const YearRecordList list = loadMonthYear(store, user, year);
    const std::string month = twoDigitMonth(monthArg);
    const MonthSummary summary = summarizeMonth(list.records, month);
    try {
        const int n = exportMonth(store.programFolder(), list.records, summary,
                                  MonthSheetInput{monthlyCaption(year, month), user, month}, fs::path(out));
        std::cout << n << " 件を " << out << " に出力しました\n";
    } catch (const FileError& e) {
        std::cerr << "エラー: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

int runExportAnalysis(std::vector<std::string> args) {
    bool twice = false;
    const std::string out = takeOut(args, twice);
    if (out.empty() || twice || args.size() < 2) return usage();
    const AnalysisArguments parsed = parseAnalysisArguments(args);
    if (!parsed.error.empty()) {
        std::cerr << parsed.error << "\n";
        return 2;
    }
    const fs::path& folder = parsed.folder;
    const SearchCriteria& c = parsed.criteria;
    const int table = parsed.table;
    auto records = std::make_shared<const MatchedRecords>(loadRecords(folder, c));
    for (const std::string& skipped : records->skippedFiles) std::cerr << "注意: " << skipped << "\n";
    try {
        exportAnalysis(records, static_cast<AnalysisTab>(table), c, fs::path(out), {}, folder);
        std::cout << records->n() << " 件の「" << analysisSheetName(static_cast<AnalysisTab>(table)) << "」を " << out
                  << " に出力しました\n";
    } catch (const FileError& e) {
        std::cerr << "エラー: " << e.what() << "\n";
        return 1;
    }
    // A YearFile that could not be read is missing from the workbook: not a success.
    return records->skippedFiles.empty() ? 0 : 1;
}

int runExport(const std::vector<std::string>& args) {
    if (args.empty()) return usage();
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "month") return runExportMonth(rest);
    if (args[0] == "analysis") return runExportAnalysis(rest);
    return usage();
}

const Register reg("export", kUsage, runExport);

}  // namespace
}  // namespace tama::cli
