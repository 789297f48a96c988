#include "graph_series.h"

#include <charconv>
#include <set>
#include <cmath>
#include <cstdint>

#include "shared/number_format.h"

namespace tama {

std::string_view periodText(GraphPeriod period) {
    switch (period) {
        case GraphPeriod::Day: return kPeriodDayText;
        case GraphPeriod::Month: return kPeriodMonthText;
        case GraphPeriod::Year: return kPeriodYearText;
    }
    return {};
}

std::optional<GraphPeriod> periodFromText(std::string_view text) {
    if (text == kPeriodDayText) return GraphPeriod::Day;
    if (text == kPeriodMonthText) return GraphPeriod::Month;
    if (text == kPeriodYearText) return GraphPeriod::Year;
    return std::nullopt;
}

std::string_view itemText(GraphItem item) { return item == GraphItem::Balance ? kItemBalanceText : kItemWeekdayText; }

std::optional<GraphItem> itemFromText(std::string_view text) {
    if (text == kItemBalanceText) return GraphItem::Balance;
    if (text == kItemWeekdayText) return GraphItem::Weekday;
    return std::nullopt;
}

int weekdayChartIndex(std::string_view youbi) {
    for (size_t i = 0; i < kWeekdayChartOrder.size(); ++i)
        if (kWeekdayChartOrder[i] == youbi) return static_cast<int>(i);
    return -1;
}

int monthNumber(std::string_view tuki) {
    if (tuki.empty() || tuki.size() > 2) return 0;
    int m = 0;
    for (char c : tuki) {
        if (c < '0' || c > '9') return 0;
        m = m * 10 + (c - '0');
    }
    return m >= 1 && m <= 12 ? m : 0;
}

std::string monthLabel(int month) { return (month < 10 ? "0" : "") + std::to_string(month); }

TitleOptions TitleOptions::from(const OptionSet& options) {
    TitleOptions t;
    t.chartTitle = flagValue(options.chkG1Value, false);
    // The options dialog labels chkG2 "Ｘ軸（横軸）項目名を表示する" and chkG3
    // "Ｙ軸（縦軸）項目名を表示する": each switches the axis its label names.
    t.xAxisTitle = flagValue(options.chkG2Value, true);
    t.yAxisTitle = flagValue(options.chkG3Value, true);
    return t;
}

std::optional<std::string> yearOfFileName(std::string_view name) {
    if (name.size() < 6) return std::nullopt;  // "s" + at least one digit + ".sdb"
    if (name.front() != 's' && name.front() != 'S') return std::nullopt;
    if (!equalsNoCase(name.substr(name.size() - 4), ".sdb")) return std::nullopt;
    std::string_view year = name.substr(1, name.size() - 5);
    for (char c : year)
        if (c < '0' || c > '9') return std::nullopt;
    return std::string(year);
}

std::vector<YearFileEntry> listYearFiles(const RecordStore& store, std::string_view user) {
    std::vector<YearFileEntry> files;
    if (!userNameProblem(user).empty()) return files;
    const fs::path folder = store.userFolder(user);
    for (const auto& name : store.yearFileNames(user))
        if (auto year = yearOfFileName(name)) files.push_back({folder / name, std::move(*year)});
    return files;
}

std::string yearSpanText(const std::vector<YearFileEntry>& files) {
    if (files.empty()) return {};
    if (files.size() == 1) return files.front().year;
    std::vector<std::int32_t> keys;
    for (const auto& f : files) keys.push_back(toInt32(leadingNumber(f.year)));
    const auto order = orderByKey(std::move(keys));
    return files[static_cast<size_t>(order.front())].year + "-" + files[static_cast<size_t>(order.back())].year;
}

std::string allYearsTitle(std::string_view head, const std::vector<YearFileEntry>& files) {
    std::string span = yearSpanText(files);
    if (span.empty()) return std::string(head);
    return std::string(head) + " （" + span + "年度）";
}

std::vector<std::string> categoryTexts(const std::vector<GraphPoint>& points) {
    std::vector<std::string> out;
    out.reserve(points.size());
    std::set<std::string> used;
    for (const auto& p : points) {
        std::string text = p.label;
        // A later point may itself be labelled like an earlier point's
        // numbered text: count on until the text is free.
        for (int n = 2; used.count(text); ++n) text = p.label + " (" + std::to_string(n) + ")";
        used.insert(text);
        out.push_back(std::move(text));
    }
    return out;
}

std::string plainValueText(double value) {
    if (value == std::floor(value)) return formatPlain(value);
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

std::string dataLabelText(double value) { return formatFixed(value, 0); }

std::string verticalAxisTitle(std::string_view title) {
    static constexpr std::string_view kOpen = "⌒", kClose = "ー";
    const size_t open = title.find(kOpen);
    if (open == std::string_view::npos) return std::string(title);
    std::string out(title.substr(0, open));
    out += "（";
    std::string_view rest = title.substr(open + kOpen.size());
    // The bracket closes at the last "ー" after the unit; a unit without one
    // keeps its closing bracket anyway.
    const size_t close = rest.rfind(kClose);
    if (close == std::string_view::npos) return out + std::string(rest) + "）";
    return out + std::string(rest.substr(0, close)) + "）" + std::string(rest.substr(close + kClose.size()));
}

}  // namespace tama
