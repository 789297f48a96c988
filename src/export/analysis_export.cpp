#include "analysis_export.h"

#include <array>
#include <charconv>

#include "analysis/statistics.h"
#include "export/header_text.h"
#include "shared/text_codec.h"

namespace tama {

namespace {

using xlsx::HAlign;
using xlsx::StylePatch;

constexpr std::uint32_t kHeadingFill = xlsx::rgb(210, 215, 190);
constexpr const char* kHeadingFont = "ＭＳ Ｐ明朝";
constexpr const char* kYenFormat = "#,##0;[赤]-#,##0";
constexpr const char* kHoursFormat = "#,##0.0;#,##0.0";

constexpr std::array<std::string_view, kAnalysisTabCount> kSheetNames = {
    "日間収支データ一覧",       "月間収支データ一覧",     "年間収支データ一覧",  "月間曜日別収支データ一覧",
    "年間曜日別収支データ一覧", "ホール別収支データ一覧", "機種別収支データ一覧"};

struct DailyColumn {
    std::string_view heading;
    double width;
};
constexpr std::array<DailyColumn, 11> kDailyColumns = {{{"日付", 14},
                                                        {"曜日", 4},
                                                        {"ホール名", 20},
                                                        {"機種タイプ", 10},
                                                        {"機種名", 28},
                                                        {"台番", 6},
                                                        {"稼働時間", 9},
                                                        {"投資金額", 9},
                                                        {"回収金額", 9},
                                                        {"時給", 9},
                                                        {"収支金額", 9}}};

// The shortest text that reads back as the same number.
std::string numberText(double v) {
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

// The number format of a statistics column, by its heading.
const char* formatFor(std::string_view heading) {
    if (heading == "勝率") return "0.000";
    if (heading == "稼働時間" || heading == "平均時間") return kHoursFormat;
    static constexpr std::array<std::string_view, 8> kYen = {"総投資額", "総回収額", "総収支額", "平均投資",
                                                             "平均回収", "平均時給", "平均日給", "平均収支"};
    for (std::string_view y : kYen)
        if (heading == y) return kYenFormat;
    return nullptr;
}

// A column width in characters for a grid width in twips, wide enough for its heading
// (a full-width character takes two).
double widthFor(const TableColumn& c) {
    double headingUnits = 0;
    for (size_t i = 0; i < c.heading.size();) {
        const auto b = static_cast<unsigned char>(c.heading[i]);
        const size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        // Half-width katakana (EF BD A1 .. EF BE 9F) take one unit.
        const bool half = len == 3 && b == 0xEF && i + 1 < c.heading.size() &&
                          (static_cast<unsigned char>(c.heading[i + 1]) == 0xBD ||
                           static_cast<unsigned char>(c.heading[i + 1]) == 0xBE);
        headingUnits += (len == 1 || half) ? 1 : 2;
        i += len;
    }
    return std::max(static_cast<double>(c.widthTwips) / 90.0, headingUnits + 1.5);
}

HAlign alignFor(CellAlign a) {
    switch (a) {
    case CellAlign::Center: return HAlign::Center;
    case CellAlign::Right: return HAlign::Right;
    case CellAlign::Left: return HAlign::Left;
    case CellAlign::General: break;
    }
    return HAlign::General;
}

void commonPage(xlsx::Sheet& sheet, const SearchCriteria& criteria, int lastRow, int lastCol, int titleRows) {
    xlsx::PageSetup& page = sheet.page();
    page.paper = 9;
    page.landscape = true;
    page.printArea = xlsx::Range{0, 0, lastRow, lastCol};
    page.leftHeader = "&\"ＭＳ Ｐゴシック,太字\"&16&A";
    page.rightHeader = "&\"ＭＳ Ｐゴシック\"&11利用者：" + xlsx::headerText(criteria.user);
    page.repeatRows = std::pair{0, titleRows - 1};
    page.fitOnePageWide = true;
    page.top = 1.11;
    page.left = 0.5;
    page.right = 0.5;
    page.bottom = 0.52;
    page.header = 0.65;
}

void headingRow(xlsx::Sheet& sheet, int col, std::string_view heading, double width) {
    sheet.setText(1, col, std::string(heading));
    sheet.setColumnWidth(col, width);
    sheet.style(xlsx::cell(1, col), StylePatch{.font = kHeadingFont, .size = 11, .bold = true});
}

}  // namespace

std::string_view analysisSheetName(AnalysisTab tab) { return kSheetNames[static_cast<size_t>(tab)]; }

std::string conditionLine(const SearchCriteria& c) {
    auto orShort = [](const std::string& text, std::string_view pseudo, std::string_view shortForm) {
        return text == pseudo ? std::string(shortForm) : text;
    };
    return "分析条件 [ 期間：" + (c.allPeriod ? std::string("全期間") : c.from + "～" + c.to) +
           "　ﾎｰﾙ名：" + orShort(c.hall, kAllHalls, "全ﾎｰﾙ") + "　台番号：" + orShort(c.number, kAllNumbers, "全番号") +
           "　機種ﾀｲﾌﾟ：" + orShort(c.type, kAllTypes, "全ﾀｲﾌﾟ") + "　機種名：" +
           orShort(c.machine, kAllMachines, "全機種") + (c.comment.empty() ? "" : "　ｺﾒﾝﾄ：" + c.comment) + " ]";
}

xlsx::Sheet analysisSheet(std::shared_ptr<const MatchedRecords> records, AnalysisTab tab,
                          const SearchCriteria& criteria, const xlsx::ProgressFn& progress) {
    xlsx::Sheet sheet{std::string(analysisSheetName(tab))};
    sheet.setText(0, 0, conditionLine(criteria));
    const long step = 1000;

    if (tab == AnalysisTab::Daily) {
        const int n = records->n();
        const int cols = static_cast<int>(kDailyColumns.size());
        sheet.reserve(n + 2, cols);
        for (int c = 0; c < cols; ++c)
            headingRow(sheet, c, kDailyColumns[static_cast<size_t>(c)].heading,
                       kDailyColumns[static_cast<size_t>(c)].width);
        sheet.style({1, 0, 1, cols - 1}, StylePatch{.fill = kHeadingFill, .align = HAlign::Center});
        for (int i = 1; i <= n; ++i) {
            const MatchedRecord& r = records->record(i);
            const int row = i + 1;
            sheet.setText(row, 0, r.date);
            sheet.setText(row, 1, r.weekday);
            sheet.setText(row, 2, r.hall);
            sheet.setText(row, 3, r.type);
            sheet.setText(row, 4, r.machine);
            sheet.setText(row, 5, r.number);
            sheet.setText(row, 6, r.playTime);
            sheet.setText(row, 7, r.moneyIn);
            sheet.setText(row, 8, r.moneyOut);
            // The hourly rate over no play time has no value.
            sheet.setText(row, 9, r.playTimeValue != 0 ? numberText(r.balanceValue / r.playTimeValue) : "--- ");
            sheet.setText(row, 10, r.balance);
            if (progress && (i % step == 0 || i == n) && !progress(i, n)) throw xlsx::Cancelled();
        }
        const int last = n + 1;
        sheet.style({1, 0, last, cols - 1}, StylePatch{.border = true});
        if (n > 0) {
            sheet.style({2, 0, last, 0}, StylePatch{.align = HAlign::Center, .numberFormat = "yyyy/mm/dd"});
            for (int c : {1, 3, 5}) sheet.style({2, c, last, c}, StylePatch{.align = HAlign::Center});
            sheet.style({2, 6, last, 6}, StylePatch{.align = HAlign::Right, .numberFormat = kHoursFormat});
            for (int c : {9, 10}) sheet.style({2, c, last, c}, StylePatch{.numberFormat = kYenFormat});
        }
        commonPage(sheet, criteria, last, cols - 1, 2);
        return sheet;
    }

    AnalysisTable table = buildTable(records, tab);
    // Group rows in group order, oldest first (the window shows the newest first).
    if (tab == AnalysisTab::Monthly || tab == AnalysisTab::Yearly) table.sortRows(0, SortMode::TextAscending);
    const int cols = table.columnCount();
    const int n = table.rowCount();
    for (int c = 0; c < cols; ++c) {
        const TableColumn& col = table.columns()[static_cast<size_t>(c)];
        headingRow(sheet, c, col.heading, widthFor(col));
    }
    sheet.style({1, 0, 1, cols - 1}, StylePatch{.fill = kHeadingFill, .align = HAlign::Center});
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < cols; ++c) sheet.setText(r + 2, c, table.text(r, c));
        if (progress && ((r + 1) % step == 0 || r + 1 == n) && !progress(r + 1, n)) throw xlsx::Cancelled();
    }
    const int last = n + 1;
    sheet.style({1, 0, last, cols - 1}, StylePatch{.border = true});
    if (n > 0) {
        for (int c = 0; c < cols; ++c) {
            const TableColumn& col = table.columns()[static_cast<size_t>(c)];
            StylePatch patch;
            if (HAlign a = alignFor(col.cellAlign); a != HAlign::General) patch.align = a;
            if (const char* f = formatFor(col.heading)) patch.numberFormat = f;
            sheet.style({2, c, last, c}, patch);
        }
    }
    const bool twoTitleRows = tab == AnalysisTab::Monthly || tab == AnalysisTab::ByHall || tab == AnalysisTab::ByMachine;
    commonPage(sheet, criteria, last, cols - 1, twoTitleRows ? 2 : 1);
    return sheet;
}

void exportAnalysis(std::shared_ptr<const MatchedRecords> records, AnalysisTab tab, const SearchCriteria& criteria,
                    const fs::path& target, const xlsx::ProgressFn& progress) {
    // The first half of the bar is the building, the second the writing.
    auto half = [&](long offset) -> xlsx::ProgressFn {
        if (!progress) return {};
        return [&progress, offset](long done, long total) {
            return progress(offset * total + done, 2 * std::max(total, 1L));
        };
    };
    xlsx::Sheet sheet = analysisSheet(std::move(records), tab, criteria, half(0));
    xlsx::saveWorkbook(sheet, target, half(1));
}

}  // namespace tama
