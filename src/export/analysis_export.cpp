#include "analysis_export.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "analysis/statistics.h"
#include "export/header_text.h"
#include "shared/file_io.h"
#include "shared/text_codec.h"

namespace tama {

namespace {

using xlsx::HAlign;
using xlsx::StylePatch;

constexpr std::uint32_t kHeadingFill = xlsx::rgb(210, 215, 190);
constexpr const char* kHeadingFont = "ＭＳ Ｐ明朝";
constexpr const char* kYenFormat = "#,##0;[赤]-#,##0";
constexpr const char* kHoursFormat = "#,##0.0;#,##0.0";
// Hours with their unit: the number 6 shows "6.0 h", as the window shows it.
constexpr const char* kHoursUnitFormat = "0.0\" h\"";

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
    if (heading == "稼働時間" || heading == "平均時間") return kHoursUnitFormat;
    if (heading == "回収率") return "0.0%";
    static constexpr std::array<std::string_view, 8> kYen = {"総投資額", "総回収額", "総収支額", "平均投資",
                                                             "平均回収", "平均時給", "平均日給", "平均収支"};
    for (std::string_view y : kYen)
        if (heading == y) return kYenFormat;
    return nullptr;
}

// A column width in characters for a grid width in twips, wide enough for its
// heading. The writing widens it further to the widest figure.
double widthFor(const TableColumn& c) {
    return std::max(static_cast<double>(c.widthTwips) / 90.0, xlsx::textWidth(c.heading) + 1.5);
}

// The alignment of a table column's cells on paper. A column the window leaves
// to the grid holds figures: right-aligned, so that hours, yen and the "---"
// that stands for a missing figure line up on one edge.
HAlign alignFor(CellAlign a) {
    switch (a) {
        case CellAlign::Center: return HAlign::Center;
        case CellAlign::Left: return HAlign::Left;
        case CellAlign::Right:
        case CellAlign::General: break;
    }
    return HAlign::Right;
}

// The daily list's texts of one matched record, one per column.
void dailyTexts(const MatchedRecord& r, std::vector<std::string>& t) {
    t[0] = r.date;
    t[1] = r.weekday;
    t[2] = r.hall;
    t[3] = r.type;
    t[4] = r.machine;
    t[5] = r.number;
    t[6] = r.playTime;
    t[7] = r.moneyIn;
    t[8] = r.moneyOut;
    // The hourly rate over no play time has no value.
    t[9] = r.playTimeValue != 0 ? numberText(r.balanceValue / r.playTimeValue) : "--- ";
    t[10] = r.balance;
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
    return "分析条件 [ 期間：" + (c.allPeriod ? std::string("全期間") : c.from + "～" + c.to) + "　ﾎｰﾙ名：" +
           orShort(c.hall, kAllHalls, "全ﾎｰﾙ") + "　台番号：" + orShort(c.number, kAllNumbers, "全番号") +
           "　機種ﾀｲﾌﾟ：" + orShort(c.type, kAllTypes, "全ﾀｲﾌﾟ") + "　機種名：" +
           orShort(c.machine, kAllMachines, "全機種") + (c.comment.empty() ? "" : "　ｺﾒﾝﾄ：" + c.comment) + " ]";
}

xlsx::Sheet analysisSheet(std::shared_ptr<const MatchedRecords> records, AnalysisTab tab,
                          const SearchCriteria& criteria, const xlsx::ProgressFn& progress) {
    xlsx::Sheet sheet{std::string(analysisSheetName(tab))};
    sheet.setText(0, 0, conditionLine(criteria));
    const long step = 1000;

    if (tab == AnalysisTab::Daily) {
        // Up to a hundred thousand rows: made from the records as the file is written.
        const int n = records->n();
        const int cols = static_cast<int>(kDailyColumns.size());
        for (int c = 0; c < cols; ++c)
            headingRow(sheet, c, kDailyColumns[static_cast<size_t>(c)].heading,
                       kDailyColumns[static_cast<size_t>(c)].width);
        sheet.style({1, 0, 1, cols - 1}, StylePatch{.fill = kHeadingFill, .align = HAlign::Center});
        sheet.streamRows(2, n, cols, [records](int row, std::vector<std::string>& texts) {
            dailyTexts(records->record(row - 1), texts);
        });
        const int last = n + 1;
        sheet.style({1, 0, last, cols - 1}, StylePatch{.border = true});
        if (n > 0) {
            sheet.style({2, 0, last, 0}, StylePatch{.align = HAlign::Center, .numberFormat = "yyyy/mm/dd"});
            for (int c : {1, 3, 5}) sheet.style({2, c, last, c}, StylePatch{.align = HAlign::Center});
            sheet.style({2, 6, last, 6}, StylePatch{.align = HAlign::Right, .numberFormat = kHoursFormat});
            for (int c : {7, 8}) sheet.style({2, c, last, c}, StylePatch{.align = HAlign::Right});
            for (int c : {9, 10})
                sheet.style({2, c, last, c}, StylePatch{.align = HAlign::Right, .numberFormat = kYenFormat});
        }
        sheet.fitColumns(1);
        commonPage(sheet, criteria, last, cols - 1, 2);
        if (progress && !progress(n, n)) throw xlsx::Cancelled();
        return sheet;
    }

    const AnalysisTable table = buildTable(records, tab);
    const int cols = table.columnCount();
    const int n = table.rowCount();
    // The monthly and yearly tables one row per group in the order the groups
    // start, oldest first; the window shows them by key, newest first. A
    // group's figures carry its position (the band of its shading), and two
    // groups of one key (records out of date order) stay two rows.
    std::vector<int> order(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r) order[static_cast<size_t>(r)] = r;
    if ((tab == AnalysisTab::Monthly || tab == AnalysisTab::Yearly) && cols > 1)
        std::stable_sort(order.begin(), order.end(),
                         [&table](int a, int b) { return table.cell(a, 1).band < table.cell(b, 1).band; });
    for (int c = 0; c < cols; ++c) {
        const TableColumn& col = table.columns()[static_cast<size_t>(c)];
        headingRow(sheet, c, col.heading, widthFor(col));
    }
    sheet.style({1, 0, 1, cols - 1}, StylePatch{.fill = kHeadingFill, .align = HAlign::Center});
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < cols; ++c) sheet.setText(r + 2, c, table.text(order[static_cast<size_t>(r)], c));
        if (progress && ((r + 1) % step == 0 || r + 1 == n) && !progress(r + 1, n)) throw xlsx::Cancelled();
    }
    const int last = n + 1;
    sheet.style({1, 0, last, cols - 1}, StylePatch{.border = true});
    if (n > 0) {
        for (int c = 0; c < cols; ++c) {
            const TableColumn& col = table.columns()[static_cast<size_t>(c)];
            StylePatch patch{.align = alignFor(col.cellAlign)};
            if (const char* f = formatFor(col.heading)) patch.numberFormat = f;
            sheet.style({2, c, last, c}, patch);
        }
    }
    sheet.fitColumns(1);
    // Every page but the yearly sheet's repeats the headings under the condition
    // line; the yearly sheet, a row a year, fits on one page.
    commonPage(sheet, criteria, last, cols - 1, tab == AnalysisTab::Yearly ? 1 : 2);
    return sheet;
}

void exportAnalysis(std::shared_ptr<const MatchedRecords> records, AnalysisTab tab, const SearchCriteria& criteria,
                    const fs::path& target, const xlsx::ProgressFn& progress, const fs::path& programFolder) {
    // The first half of the bar is the building, the second the writing.
    auto half = [&](long offset) -> xlsx::ProgressFn {
        if (!progress) return {};
        return [&progress, offset](long done, long total) {
            return progress(offset * total + done, 2 * std::max(total, 1L));
        };
    };
    xlsx::checkWorkbookTarget(target);
    xlsx::Sheet sheet = analysisSheet(std::move(records), tab, criteria, half(0));
    if (programFolder.empty()) {
        xlsx::saveWorkbook(sheet, target, half(1));
        return;
    }
    FolderWriteLock lock(programFolder);
    xlsx::saveWorkbook(sheet, target, half(1), xlsx::scratchFolderOf(programFolder));
}

}  // namespace tama
