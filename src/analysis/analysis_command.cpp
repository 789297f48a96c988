#include "analysis_command.h"

#include <charconv>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <system_error>
#include <tuple>

#include "analysis/statistics.h"
#include "shared/calendar.h"
#include "storage/record_store.h"

namespace tama {

DefaultPeriod defaultPeriod(int year, int month, int day) {
    char to[32];
    std::snprintf(to, sizeof to, "%d/%02d/%02d", year, month, day);
    return {std::to_string(year) + "/01/01", to};
}

DefaultPeriod defaultPeriodToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return defaultPeriod(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

AnalysisArguments parseAnalysisArguments(const std::vector<std::string>& args, const DefaultPeriod& opening) {
    AnalysisArguments parsed;
    auto bad = [&](std::string message) {
        parsed.error = std::move(message);
        return parsed;
    };
    std::vector<std::string> positional;
    SearchCriteria& c = parsed.criteria;
    std::optional<std::string> from, to;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--all-period") {
            c.allPeriod = true;
            continue;
        }
        if (!a.starts_with("--")) {
            positional.push_back(a);
            continue;
        }
        if (i + 1 >= args.size()) return bad(a + " の値がありません");
        const std::string& value = args[++i];
        if (a == "--from") from = value;
        else if (a == "--to") to = value;
        else if (a == "--hall") c.hall = value;
        else if (a == "--number") c.number = value;
        else if (a == "--type") c.type = value;
        else if (a == "--machine") c.machine = value;
        else if (a == "--comment") c.comment = value;
        else if (a == "--table") {
            int& table = parsed.table;
            auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), table);
            if (ec != std::errc() || end != value.data() + value.size() || table < 0 || table >= kAnalysisTabCount)
                return bad("--table は 0 から 6 で指定して下さい: " + value);
        } else {
            return bad("知らないオプションです: " + a);
        }
    }
    if (positional.size() != 2) return bad("FOLDER と USER を指定して下さい");
    parsed.folder = positional[0];
    c.user = positional[1];
    if (std::error_code ec; !fs::is_directory(parsed.folder, ec))
        return bad("フォルダーがありません: " + parsed.folder.string());
    if (std::string problem = userNameProblem(c.user); !problem.empty()) return bad(problem);
    // A bound is read as the date it means ("2003/5/1" is 2003/05/01); a text
    // that is no date is refused rather than compared as a text.
    for (auto [given, bound, which] : {std::tuple{&from, &c.from, "開始"}, std::tuple{&to, &c.to, "終了"}}) {
        if (!*given) continue;
        const auto date = typedDate(**given);
        if (!date) return bad((bound == &c.from ? "--from: " : "--to: ") + notADateMessage(which, **given));
        **given = *date;
    }
    c.from = from.value_or(opening.from);
    c.to = to.value_or(opening.to);
    return parsed;
}

int runAnalysisCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                       const DefaultPeriod& opening) {
    const AnalysisArguments parsed = parseAnalysisArguments(args, opening);
    if (!parsed.error.empty()) {
        err << parsed.error << " (使い方: tamalog-cli " << kAnalysisCommandUsage << ")\n";
        return 2;
    }
    const fs::path& folder = parsed.folder;
    const SearchCriteria& c = parsed.criteria;
    const int table = parsed.table;

    auto matched = std::make_shared<const MatchedRecords>(loadRecords(folder, c));
    for (const std::string& skipped : matched->skippedFiles) err << "読み飛ばしたファイル: " << skipped << "\n";
    out << countLabelText(matched->n(), matched->totalLines) << "\n";
    out << buildTable(matched, static_cast<AnalysisTab>(table)).toTsv();
    if (!out.good()) return 1;
    return matched->skippedFiles.empty() ? 0 : 1;
}

}  // namespace tama
