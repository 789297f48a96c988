#include "month_export.h"

#include <array>

#include "export/header_text.h"
#include "shared/file_io.h"
#include "shared/text_codec.h"

namespace tama {

namespace {

using xlsx::HAlign;
using xlsx::Range;
using xlsx::StylePatch;

constexpr std::uint32_t kHeadingFill = xlsx::rgb(190, 215, 210);
constexpr const char* kHeadingFont = "ＭＳ Ｐ明朝";

struct Column {
    std::string_view heading;
    double width;
};
constexpr std::array<Column, 7> kColumns = {
    {{"日付", 12}, {"曜日", 4}, {"ホール名", 20}, {"機種名", 27}, {"台番", 6}, {"稼働時間", 9}, {"収支金額", 9}}};

constexpr std::array<std::string_view, 9> kSummaryTitles = {
    "日　　　数", "勝　　　数", "勝　　　率", "稼働時間", "最大勝額", "平均時間", "平均時給", "平均日給", "月間収支"};

// The number formats of the nine summary figures, in the labels' order.
constexpr std::array<std::string_view, 9> kSummaryFormats = {"0\" 日 \"",     "0\" 日 \"",     "0.000 　",
                                                             "0.0\" 時間 \"", "#,##0\" 円 \"", "0.0\" 時間 \"",
                                                             "#,##0\" 円 \"", "#,##0\" 円 \"", "#,##0\" 円 \""};

}  // namespace

fs::path workCsvPath(const fs::path& programFolder) { return findNoCase(programFolder, "Temp") / "work.csv"; }

std::string workCsvBytes(const std::vector<DailyRecord>& records, std::string_view month, int* count) {
    std::string text = "\"日付\",\"曜日\",\"ホール名\",\"機種名\",\"台番号\",\"時間\",\"収支金額\"\r\n";
    int n = 0;
    for (const DailyRecord& r : records) {
        if (r.Tuki != month) continue;
        for (const std::string* f : {&r.DateKey, &r.Youbi, &r.Holl, &r.Kisyu, &r.K_no, &r.T_tim, &r.Syusi}) {
            if (f != &r.DateKey) text += ',';
            text += '"';
            text += *f;
            text += '"';
        }
        text += "\r\n";
        ++n;
    }
    if (count) *count = n;
    auto bytes = utf8ToCp932(text);
    if (!bytes) throw FileError("work.csv", 0, "Shift-JIS で書けない文字があります");
    return *bytes;
}

int writeWorkCsv(const fs::path& programFolder, const std::vector<DailyRecord>& records, std::string_view month) {
    int n = 0;
    std::string bytes = workCsvBytes(records, month, &n);
    const fs::path path = workCsvPath(programFolder);
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (ec) throw FileError(path.parent_path(), 0, "フォルダーを作れません: " + ec.message());
    writeFileAtomic(path, bytes);
    return n;
}

xlsx::Sheet monthSheet(const std::vector<DailyRecord>& records, const MonthSummary& summary,
                       const MonthSheetInput& input, const xlsx::ProgressFn& progress) {
    int n = 0;
    for (const DailyRecord& r : records)
        if (r.Tuki == input.month) ++n;
    const long total = n + 10;
    long done = 0;
    auto advance = [&] {
        ++done;
        if (progress && !progress(done, total)) throw xlsx::Cancelled();
    };

    xlsx::Sheet sheet(input.sheetName);
    // Header row.
    for (int c = 0; c < 7; ++c) {
        sheet.setText(0, c, std::string(kColumns[static_cast<size_t>(c)].heading));
        sheet.setColumnWidth(c, kColumns[static_cast<size_t>(c)].width);
        sheet.style(xlsx::cell(0, c), StylePatch{.font = kHeadingFont, .size = 11, .bold = true});
    }
    sheet.style({0, 0, 0, 6}, StylePatch{.fill = kHeadingFill, .align = HAlign::Center});

    // List rows 2 .. L (0-based 1 .. n).
    int row = 0;
    for (const DailyRecord& r : records) {
        if (r.Tuki != input.month) continue;
        ++row;
        sheet.setText(row, 0, r.DateKey);
        sheet.setText(row, 1, r.Youbi);
        sheet.setText(row, 2, r.Holl);
        sheet.setText(row, 3, r.Kisyu);
        sheet.setText(row, 5, r.T_tim + " h");
        sheet.setText(row, 6, r.Syusi);
        sheet.setText(row, 4, r.K_no == "?" ? std::string(kUnknownName) : r.K_no);
        advance();
    }
    const int last = n;  // 0-based row of L
    sheet.style({0, 0, last, 6}, StylePatch{.border = true});
    advance();
    // The column formats of the list rows; a month without records has no list rows to format.
    auto columnFormat = [&](int col, const StylePatch& patch) {
        if (n > 0) sheet.style({1, col, last, col}, patch);
        advance();
    };
    columnFormat(0, StylePatch{.align = HAlign::Center, .numberFormat = "yyyy/mm/dd"});
    columnFormat(1, StylePatch{.align = HAlign::Center});
    columnFormat(4, StylePatch{.align = HAlign::Center});
    // Hours are numbers that show their unit ("7.5 h").
    columnFormat(5, StylePatch{.align = HAlign::Right, .numberFormat = "0.0\" h\""});
    columnFormat(6, StylePatch{.numberFormat = "#,##0;[赤]-#,##0"});

    // Row L + 1 stays empty; the summary block starts at S = L + 2.
    const int s = last + 2;
    sheet.setText(s, 0, "月間収支情報");
    for (int i = 0; i < 9; ++i) {
        sheet.setText(s + 1 + i, 0, std::string(kSummaryTitles[static_cast<size_t>(i)]));
        sheet.setText(s + 1 + i, 1, summary.labels[static_cast<size_t>(i)].text);
    }
    sheet.style({s + 1, 0, s + 9, 0}, StylePatch{.fill = kHeadingFill});
    sheet.style({s, 0, s + 9, 0}, StylePatch{.align = HAlign::Center});
    sheet.style({s, 1, s + 9, 1}, StylePatch{.align = HAlign::Right});
    // Each figure is a number whose format shows the label's text: " 日 ",
    // " 時間 " and " 円 " are part of the format, so the sheet can add them up.
    for (int i = 1; i <= 9; ++i)
        sheet.style(xlsx::cell(s + i, 1),
                    StylePatch{.numberFormat = std::string(kSummaryFormats[static_cast<size_t>(i - 1)])});
    for (int i = 1; i <= 9; ++i) sheet.merge({s + i, 1, s + i, 2});
    sheet.style({s + 1, 0, s + 9, 2}, StylePatch{.border = true});
    advance();

    // The laid-out widths stay, except where a figure would print as "###": the
    // hours and balance columns widen to their widest figure.
    sheet.fitColumns(1, {5, 6});

    xlsx::PageSetup& page = sheet.page();
    page.paper = 9;
    page.landscape = false;
    page.printArea = Range{0, 0, s + 9, 6};
    // The columns fit one A4 page wide whatever the printer's fonts measure.
    page.fitOnePageWide = true;
    advance();
    page.leftHeader = "&\"ＭＳ Ｐゴシック,太字\"&16&A";
    page.rightHeader = "&\"ＭＳ Ｐゴシック\"&11利用者：" + xlsx::headerText(input.user);
    advance();
    page.top = 1.11;
    page.left = 0.71;
    page.right = 0.42;
    page.bottom = 0.52;
    page.header = 0.65;
    advance();
    return sheet;
}

int exportMonth(const fs::path& programFolder, const std::vector<DailyRecord>& records, const MonthSummary& summary,
                const MonthSheetInput& input, const fs::path& target, const xlsx::ProgressFn& progress) {
    // A target that is refused leaves work.csv as it was.
    xlsx::checkWorkbookTarget(target);
    // A writer in the program folder: work.csv, and a hidden temporary that the
    // start-up clean-up must leave alone while it is being written.
    FolderWriteLock lock(programFolder);
    const int n = writeWorkCsv(programFolder, records, input.month);
    xlsx::Sheet sheet = monthSheet(records, summary, input, progress);
    const long total = n + 10;
    xlsx::saveWorkbook(
        sheet, target, [&](long, long) { return !progress || progress(total, total); },
        xlsx::scratchFolderOf(programFolder));
    return n;
}

}  // namespace tama
