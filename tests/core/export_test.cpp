// The export writers: how texts are typed into cells, the CSV work file's
// bytes, and the workbooks read back with openpyxl (values, types, formats,
// fonts, fills, borders, merges, widths and page setup); refused targets, the
// writer's temporary files, and the removal of old workbooks from Temp.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "export/analysis_export.h"
#include "export/month_export.h"
#include "export/old_workbooks.h"
#include "export/workbook.h"
#include "shared/file_io.h"
#include "test_support.h"

namespace tama {
namespace {

using test::TempFolder;
using xlsx::CellValue;

TEST(CellTyping, TextsAreStoredAsATypedEntryWouldBe) {
    struct Case {
        const char* text;
        CellValue::Kind kind;
        double number;
    };
    using K = CellValue::Kind;
    const Case cases[] = {
        {"2003/05/01", K::Date, 0},
        {"2004/02/29", K::Date, 0},
        {"2003/02/29", K::Text, 0},
        {"2003/13/01", K::Text, 0},
        {"1899/12/31", K::Text, 0},
        {"2003/5/1", K::Text, 0},
        {"15,000", K::Number, 15000},
        {"-2,000", K::Number, -2000},
        {"8.0", K::Number, 8},
        {"0.667 ", K::Number, 0.667},
        {"+3", K::Number, 3},
        {"8.0 h", K::Text, 0},
        {"（不明）", K::Text, 0},
        {" 3 日 ", K::Text, 0},
        {"?", K::Text, 0},
        {"--- ", K::Text, 0},
        {"1e5", K::Text, 0},
        {"1.2.3", K::Text, 0},
        {"", K::Empty, 0},
    };
    for (const Case& c : cases) {
        const CellValue v = xlsx::typeOf(c.text);
        EXPECT_EQ(v.kind, c.kind) << c.text;
        if (c.kind == K::Number) {
            EXPECT_DOUBLE_EQ(v.number, c.number) << c.text;
        }
    }
    const CellValue d = xlsx::typeOf("2004/02/29");
    EXPECT_EQ(d.year * 10000 + d.month * 100 + d.day, 20040229);
}

TEST(CellTyping, LocalColourNamesBecomeFileNames) {
    EXPECT_EQ(xlsx::fileNumberFormat("#,##0;[赤]-#,##0"), "#,##0;[Red]-#,##0");
    EXPECT_EQ(xlsx::fileNumberFormat("[青]0;[黒]-0"), "[Blue]0;[Black]-0");
    EXPECT_EQ(xlsx::fileNumberFormat("0.000 　"), "0.000 　");
    EXPECT_EQ(xlsx::fileNumberFormat("[h]:mm"), "[h]:mm");
}

// Three records of May among records of April and June; one without machine number.
std::vector<DailyRecord> sampleYear() {
    std::vector<DailyRecord> v;
    DailyRecord april = test::recordOn("2003/04/30");
    v.push_back(april);
    DailyRecord a = test::recordOn("2003/05/01");
    a.Holl = "駅前ホール";
    a.Kisyu = "ＣＲ花火";
    DailyRecord b = test::recordOn("2003/05/03");
    b.Youbi = "土";
    b.K_no = "?";
    b.T_tim = "7.5";
    b.Syusi = "-12,500";
    DailyRecord c = test::recordOn("2003/05/03");
    c.Youbi = "土";
    c.DayFirst = "2";
    c.Syusi = "0";
    v.push_back(a);
    v.push_back(b);
    v.push_back(c);
    v.push_back(test::recordOn("2003/06/01"));
    return v;
}

TEST(WorkCsv, HeaderAndTheMonthsRecordsQuotedInCp932WithCrLf) {
    TempFolder tmp;  // no Temp folder: the export makes it
    const int n = writeWorkCsv(tmp.path(), sampleYear(), "05");
    EXPECT_EQ(n, 3);
    EXPECT_EQ(test::fileBytes(tmp.path() / "Temp" / "work.csv"),
              test::sjis("\"日付\",\"曜日\",\"ホール名\",\"機種名\",\"台番号\",\"時間\",\"収支金額\"\n"
                         "\"2003/05/01\",\"木\",\"駅前ホール\",\"ＣＲ花火\",\"12\",\"8.0\",\"15,000\"\n"
                         "\"2003/05/03\",\"土\",\"駅前ホール\",\"（不明）\",\"?\",\"7.5\",\"-12,500\"\n"
                         "\"2003/05/03\",\"土\",\"駅前ホール\",\"（不明）\",\"12\",\"8.0\",\"0\"\n"));
    // The month test compares texts: "5" is not "05".
    EXPECT_EQ(writeWorkCsv(tmp.path(), sampleYear(), "5"), 0);
    EXPECT_EQ(test::fileText(tmp.path() / "Temp" / "work.csv"),
              "\"日付\",\"曜日\",\"ホール名\",\"機種名\",\"台番号\",\"時間\",\"収支金額\"\n");
}

TEST(WorkCsv, AnExistingTempFolderIsFoundWithoutRegardToCase) {
    TempFolder tmp;
    fs::create_directories(tmp.path() / "TEMP");
    writeWorkCsv(tmp.path(), sampleYear(), "05");
    EXPECT_TRUE(fs::exists(tmp.path() / "TEMP" / "work.csv"));
    EXPECT_FALSE(fs::exists(tmp.path() / "Temp"));
}

MonthSheetInput mayInput(std::string user = "太郎") { return {monthlyCaption("2003", "05"), std::move(user), "05"}; }

TEST(MonthWorkbook, ThreeRecordsGiveListSummaryAndPageSetupAsLaidOut) {
    TempFolder tmp;
    const auto year = sampleYear();
    const MonthSummary summary = summarizeMonth(year, "05");
    const fs::path file = tmp.path() / "m.xlsx";
    std::vector<long> steps;
    exportMonth(tmp.path(), year, summary, mayInput(), file, [&](long done, long total) {
        steps.push_back(done * 1000 + total);
        return true;
    });
    // The progress bar's maximum is n + 10 and it reaches it.
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.front(), 1013);
    EXPECT_EQ(steps.back(), 13013);

    const test::WorkbookDump d = test::dumpWorkbook(file);
    EXPECT_EQ(d.sheet, "日間収支データ一覧  (2003年05月度)");
    // Header row.
    const char* headers[] = {"日付", "曜日", "ホール名", "機種名", "台番", "稼働時間", "収支金額"};
    const char* cols = "ABCDEFG";
    for (int c = 0; c < 7; ++c) {
        const auto& h = d.cell(std::string(1, cols[c]) + "1");
        EXPECT_EQ(h.value, headers[c]);
        EXPECT_EQ(h.look.at("font"), "ＭＳ Ｐ明朝");
        EXPECT_EQ(h.look.at("bold"), "1");
        EXPECT_EQ(h.look.at("fill"), "BED7D2");
        EXPECT_EQ(h.look.at("align"), "center");
        EXPECT_EQ(h.look.at("border"), "thin");
    }
    // List rows 2..4 in list order, typed as a spreadsheet types them.
    EXPECT_EQ(d.cell("A2").type, "d");
    EXPECT_EQ(d.cell("A2").value, "2003-05-01");
    EXPECT_EQ(d.cell("A2").look.at("format"), "yyyy/mm/dd");
    EXPECT_EQ(d.cell("A2").look.at("align"), "center");
    EXPECT_EQ(d.cell("B3").value, "土");
    EXPECT_EQ(d.cell("B3").look.at("align"), "center");
    EXPECT_EQ(d.cell("D2").value, "ＣＲ花火");
    EXPECT_EQ(d.cell("E2").type, "n");
    EXPECT_EQ(d.cell("E3").type, "s");
    EXPECT_EQ(d.cell("E3").value, "（不明）");
    EXPECT_EQ(d.cell("E3").look.at("align"), "center");
    // Hours are numbers whose format shows the unit: "7.5 h" as before.
    EXPECT_EQ(d.cell("F3").type, "n");
    EXPECT_EQ(d.cell("F3").value, "7.5");
    EXPECT_EQ(d.cell("F3").look.at("align"), "right");
    EXPECT_EQ(d.cell("F3").look.at("format"), "0.0\" h\"");
    EXPECT_EQ(xlsx::formatNumber(7.5, d.cell("F3").look.at("format")), "7.5 h");
    EXPECT_EQ(d.cell("G3").type, "n");
    EXPECT_EQ(d.cell("G3").value, "-12500.0");
    EXPECT_EQ(d.cell("G3").look.at("format"), "#,##0;[Red]-#,##0");
    EXPECT_EQ(d.cell("G4").value, "0.0");
    EXPECT_EQ(d.cell("G4").look.at("border"), "thin");
    // Row 5 empty; summary title in row 6, rows 7..15.
    EXPECT_FALSE(d.has("A5"));
    EXPECT_EQ(d.cell("A6").value, "月間収支情報");
    EXPECT_EQ(d.cell("A6").look.at("align"), "center");
    EXPECT_EQ(d.cell("A6").look.at("border"), "-");
    EXPECT_EQ(d.cell("A6").look.at("fill"), "-");
    EXPECT_EQ(d.cell("A7").value, "日　　　数");
    EXPECT_EQ(d.cell("A7").look.at("fill"), "BED7D2");
    EXPECT_EQ(d.cell("B7").look.at("align"), "right");
    // Every summary figure is a number; its format shows the label's text (the
    // win rate keeps its laid-out format).
    const char* formats[] = {"0\" 日 \"",     "0\" 日 \"",     "0.000 　",      "0.0\" 時間 \"", "#,##0\" 円 \"",
                             "0.0\" 時間 \"", "#,##0\" 円 \"", "#,##0\" 円 \"", "#,##0\" 円 \""};
    for (int i = 0; i < 9; ++i) {
        const auto& b = d.cell("B" + std::to_string(7 + i));
        SCOPED_TRACE(summary.labels[static_cast<size_t>(i)].text);
        EXPECT_EQ(b.type, "n");
        EXPECT_EQ(b.look.at("format"), formats[i]);
        if (i != 2) {
            EXPECT_EQ(xlsx::formatNumber(std::stod(b.value), b.look.at("format")),
                      summary.labels[static_cast<size_t>(i)].text);
        }
    }
    EXPECT_EQ(d.cell("B15").value, "2500.0");
    EXPECT_EQ(d.cell("A15").value, "月間収支");
    EXPECT_EQ(d.cell("C15").look.at("border"), "thin");
    EXPECT_FALSE(d.has("A16"));
    std::vector<std::string> merges;
    for (int r = 7; r <= 15; ++r) merges.push_back("B" + std::to_string(r) + ":C" + std::to_string(r));
    auto got = d.merges;
    std::sort(got.begin(), got.end());
    std::sort(merges.begin(), merges.end());
    EXPECT_EQ(got, merges);
    // Widths in characters as the spreadsheet stores them (the cell padding added).
    EXPECT_EQ(d.widths.at("A"), "12.7109");
    EXPECT_EQ(d.widths.at("D"), "27.7109");
    EXPECT_EQ(d.widths.at("G"), "9.71094");
    EXPECT_EQ(d.page.at("paper"), "9");
    EXPECT_EQ(d.page.at("orientation"), "portrait");
    EXPECT_EQ(d.page.at("print_area"), "['$A$1:$G$15']");
    EXPECT_EQ(d.page.at("fit_width"), "1");
    EXPECT_EQ(d.margins.at("top"), "1.11");
    EXPECT_EQ(d.margins.at("left"), "0.71");
    EXPECT_EQ(d.margins.at("right"), "0.42");
    EXPECT_EQ(d.margins.at("bottom"), "0.52");
    EXPECT_EQ(d.margins.at("header"), "0.65");
    EXPECT_EQ(d.header, "&L&\"ＭＳ Ｐゴシック,太字\"&16&A&R&\"ＭＳ Ｐゴシック\"&11利用者：太郎");
}

TEST(MonthWorkbook, EmptyMonthHasHeaderBordersAndSummaryFromRowThree) {
    TempFolder tmp;
    const auto year = sampleYear();
    const fs::path file = tmp.path() / "m.xlsx";
    exportMonth(tmp.path(), year, summarizeMonth(year, "08"), {monthlyCaption("2003", "08"), "A&B", "08"}, file);
    const test::WorkbookDump d = test::dumpWorkbook(file);
    EXPECT_EQ(d.cell("G1").look.at("border"), "thin");
    EXPECT_FALSE(d.has("A2"));  // no list row is formatted
    EXPECT_EQ(d.cell("A3").value, "月間収支情報");
    EXPECT_EQ(d.cell("A4").value, "日　　　数");
    EXPECT_EQ(d.page.at("print_area"), "['$A$1:$G$12']");
    // "&" in a user name is shown, not taken as a header code.
    EXPECT_NE(d.header.find("利用者：A&&B"), std::string::npos) << d.header;
}

TEST(WorkbookFile, AFailedOrStoppedWriteLeavesNoFile) {
    TempFolder tmp;
    xlsx::Sheet sheet("S");
    for (int r = 0; r < 5000; ++r) sheet.setText(r, 0, std::to_string(r));
    // Stopped halfway: neither the target nor a temporary file remains.
    const fs::path file = tmp.path() / "out.xlsx";
    EXPECT_THROW(xlsx::saveWorkbook(sheet, file, [](long done, long) { return done < 2500; }), xlsx::Cancelled);
    EXPECT_TRUE(fs::is_empty(tmp.path()));
    // A folder that does not exist.
    EXPECT_THROW(xlsx::saveWorkbook(sheet, tmp.path() / "no" / "out.xlsx"), FileError);
    // A sheet name the spreadsheet refuses.
    EXPECT_THROW(xlsx::saveWorkbook(xlsx::Sheet("a/b"), file), FileError);
    EXPECT_TRUE(fs::is_empty(tmp.path()));
    // An old file is replaced whole and keeps its permissions; a read-only one is refused.
    test::putBytes(file, "old");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    xlsx::saveWorkbook(sheet, file);
    EXPECT_EQ(test::dumpWorkbook(file).cell("A5000").value, "4999.0");
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::permissions(file, fs::perms::owner_read);
    EXPECT_THROW(xlsx::saveWorkbook(sheet, file), FileError);
    EXPECT_EQ(fs::directory_iterator(tmp.path())->path(), file);  // no temporary file left
    // A new file gets the ordinary permissions, not those of a private temporary file.
    xlsx::saveWorkbook(sheet, tmp.path() / "new.xlsx");
    EXPECT_TRUE((fs::status(tmp.path() / "new.xlsx").permissions() & fs::perms::others_read) != fs::perms::none);
}

TEST(WorkbookFile, ANewNameWhenTheSheetsFileIsTaken) {
    TempFolder tmp;
    EXPECT_EQ(xlsx::freeWorkbookPath(tmp.path(), "月間収支データ一覧"), tmp.path() / "月間収支データ一覧.xlsx");
    test::putBytes(tmp.path() / "月間収支データ一覧.xlsx", "x");
    test::putBytes(tmp.path() / "月間収支データ一覧 (2).xlsx", "x");
    EXPECT_EQ(xlsx::freeWorkbookPath(tmp.path(), "月間収支データ一覧"), tmp.path() / "月間収支データ一覧 (3).xlsx");
    EXPECT_EQ(xlsx::freeWorkbookPath(tmp.path(), "a/b").filename(), "a_b.xlsx");
}

}  // namespace
}  // namespace tama

namespace tama {
namespace {

std::shared_ptr<const MatchedRecords> matched(std::vector<DailyRecord> list) {
    auto m = std::make_shared<MatchedRecords>();
    for (DailyRecord& r : list) m->add(std::move(r));
    return m;
}

std::vector<DailyRecord> analysisRecords() {
    DailyRecord a = test::recordOn("2003/04/30");  // +15,000 in 8.0 h
    DailyRecord b = test::recordOn("2003/05/02");
    b.Holl = "北ホール";
    b.T_tim = "0.0";
    b.Syusi = "-3,000";
    b.Tousi = "3000";
    b.Kaisyu = "";
    b.K_no = "?";
    DailyRecord c = test::recordOn("2004/01/05");
    c.Syusi = "2,000";
    return {a, b, c};
}

TEST(AnalysisWorkbook, ConditionLineNamesEveryFilterOrItsShortForm) {
    SearchCriteria all;
    all.allPeriod = true;
    EXPECT_EQ(conditionLine(all),
              "分析条件 [ 期間：全期間　ﾎｰﾙ名：全ﾎｰﾙ　台番号：全番号　機種ﾀｲﾌﾟ：全ﾀｲﾌﾟ　機種名：全機種 ]");
    SearchCriteria some;
    some.from = "2003/01/01";
    some.to = "2003/12/31";
    some.hall = "北ホール";
    some.number = "";  // an emptied box is a filter on the empty text
    some.machine = "ＣＲ花火";
    EXPECT_EQ(conditionLine(some),
              "分析条件 [ 期間：2003/01/01～2003/12/31　ﾎｰﾙ名：北ホール　台番号：　機種ﾀｲﾌﾟ："
              "全ﾀｲﾌﾟ　機種名：ＣＲ花火 ]");
}

TEST(AnalysisWorkbook, DailySheetListsRecordsOldestFirstWithoutDivisionErrors) {
    TempFolder tmp;
    SearchCriteria c;
    c.user = "花子";
    c.allPeriod = true;
    const fs::path file = tmp.path() / "d.xlsx";
    long last = 0, total = 0;
    exportAnalysis(matched(analysisRecords()), AnalysisTab::Daily, c, file, [&](long done, long all) {
        last = done;
        total = all;
        return true;
    });
    EXPECT_EQ(last, total);
    const test::WorkbookDump d = test::dumpWorkbook(file);
    EXPECT_EQ(d.sheet, "日間収支データ一覧");
    EXPECT_EQ(d.cell("A1").value, conditionLine(c));
    EXPECT_EQ(d.cell("K2").value, "収支金額");
    EXPECT_EQ(d.cell("K2").look.at("fill"), "D2D7BE");
    EXPECT_EQ(d.cell("A3").value, "2003-04-30");
    EXPECT_EQ(d.cell("A5").value, "2004-01-05");
    EXPECT_EQ(d.cell("J3").type, "n");
    EXPECT_EQ(d.cell("J3").value, "1875.0");  // 15,000 / 8.0 h
    EXPECT_EQ(d.cell("J4").type, "s");
    EXPECT_EQ(d.cell("J4").value, "--- ");  // no play time: no rate
    EXPECT_EQ(d.cell("F4").value, "?");
    EXPECT_EQ(d.cell("H4").type, "n");
    EXPECT_EQ(d.cell("I4").type, "-");  // an empty amount stays an empty (bordered) cell
    EXPECT_EQ(d.cell("I4").look.at("border"), "thin");
    EXPECT_EQ(d.cell("K4").look.at("format"), "#,##0;[Red]-#,##0");
    EXPECT_EQ(d.cell("G4").look.at("format"), "#,##0.0;#,##0.0");
    EXPECT_FALSE(d.has("A6"));
    EXPECT_EQ(d.page.at("orientation"), "landscape");
    EXPECT_EQ(d.page.at("print_area"), "['$A$1:$K$5']");
    EXPECT_EQ(d.page.at("print_title_rows"), "$1:$2");
    EXPECT_EQ(d.header, "&L&\"ＭＳ Ｐゴシック,太字\"&16&A&R&\"ＭＳ Ｐゴシック\"&11利用者：花子");
}

TEST(AnalysisWorkbook, GroupSheetsOldestFirstRankingBestFirstEmptySearchTwoRows) {
    TempFolder tmp;
    SearchCriteria c;
    c.allPeriod = true;
    const auto records = matched(analysisRecords());
    struct Case {
        AnalysisTab tab;
        const char* a3;
        const char* lastCell;  // the last row's first cell
        const char* titleRows;
    };
    const Case cases[] = {{AnalysisTab::Monthly, "2003/04", "A5", "$1:$2"},
                          {AnalysisTab::Yearly, "2003.0", "A4", "$1:$1"},          // a year key is a number
                          {AnalysisTab::YearlyWeekday, "2003.0", "A16", "$1:$2"},  // headings on every page
                          {AnalysisTab::ByHall, "駅前ホール", "A4", "$1:$2"}};
    for (const Case& k : cases) {
        const fs::path file = tmp.path() / (std::to_string(static_cast<int>(k.tab)) + ".xlsx");
        exportAnalysis(records, k.tab, c, file);
        const test::WorkbookDump d = test::dumpWorkbook(file);
        SCOPED_TRACE(d.sheet);
        EXPECT_EQ(d.sheet, analysisSheetName(k.tab));
        EXPECT_EQ(d.cell("A3").value, k.a3);
        EXPECT_TRUE(d.has(k.lastCell));
        EXPECT_EQ(d.page.at("print_title_rows"), k.titleRows);
    }
    // The monthly sheet: win rate and money columns carry their formats.
    const test::WorkbookDump m = test::dumpWorkbook(tmp.path() / "1.xlsx");
    EXPECT_EQ(m.cell("D3").look.at("format"), "0.000");
    EXPECT_EQ(m.cell("H4").value, "-3000.0");
    EXPECT_EQ(m.cell("H4").look.at("format"), "#,##0;[Red]-#,##0");
    EXPECT_EQ(m.cell("L4").value, "--- ");  // a month without play time has no hourly rate
    // Ranking by hall: 駅前ホール (+17,000) before 北ホール (-3,000).
    const test::WorkbookDump h = test::dumpWorkbook(tmp.path() / "5.xlsx");
    EXPECT_EQ(h.cell("A4").value, "北ホール");

    // A search without matches: the condition line and the headings only.
    const fs::path empty = tmp.path() / "e.xlsx";
    exportAnalysis(matched({}), AnalysisTab::MonthlyWeekday, c, empty);
    const test::WorkbookDump e = test::dumpWorkbook(empty);
    EXPECT_EQ(e.cell("N2").value, "平均日給");
    EXPECT_FALSE(e.has("A3"));
    EXPECT_EQ(e.page.at("print_area"), "['$A$1:$N$2']");
}

}  // namespace
}  // namespace tama

// ---------------------------------------------------------------------------
// Figures that print whole, read as numbers and line up; sheets written in
// constant memory; targets that are not regular files; old workbooks in Temp.


namespace tama {
namespace {

TEST(CellTyping, AFigureWithAUnitIsANumberOnlyWhenItsFormatShowsTheSameText) {
    struct Case {
        const char* text;
        const char* format;  // file form
        bool number;
        double value;
    };
    const Case cases[] = {
        {"8.0 h", "0.0\" h\"", true, 8},
        {"1454.5 h", "0.0\" h\"", true, 1454.5},  // no grouping, as the window shows hours
        {"8 h", "0.0\" h\"", false, 0},           // the format would show "8.0 h"
        {"1,454.5 h", "0.0\" h\"", false, 0},
        {"-1.0 h", "#,##0.0\" h\";#,##0.0\" h\"", false, 0},  // the format hides the minus
        {"55,000 円 ", "#,##0\" 円 \"", true, 55000},
        {"-48,800 円 ", "#,##0\" 円 \"", true, -48800},
        {"55000 円 ", "#,##0\" 円 \"", false, 0},
        {"55,000 円", "#,##0\" 円 \"", false, 0},  // the trailing space is part of the text
        {"3 日 ", "0\" 日 \"", true, 3},
        {"6.5 時間 ", "0.0\" 時間 \"", true, 6.5},
        {"98.5%", "0.0%", true, 0.985},
        {"--- ", "#,##0;[Red]-#,##0", false, 0},
        {"（不明）", "0.0\" h\"", false, 0},
        {"8.0 h", "", false, 0},               // no format: text as before
        {"15,000", "0.0\" h\"", true, 15000},  // a plain number stays a number
    };
    for (const Case& c : cases) {
        const xlsx::CellValue v = xlsx::typeOf(c.text, c.format);
        EXPECT_EQ(v.kind == xlsx::CellValue::Kind::Number, c.number) << c.text << " | " << c.format;
        if (c.number) {
            EXPECT_NEAR(v.number, c.value, 1e-9) << c.text;
        }
    }
}

TEST(CellTyping, NumberFormatsShowWhatTheSpreadsheetShows) {
    struct Case {
        double value;
        const char* format;
        const char* shown;  // nullptr: a format the writers do not use
    };
    const Case cases[] = {
        {2752000, "#,##0;[Red]-#,##0", "2,752,000"},
        {-2752000, "#,##0;[Red]-#,##0", "-2,752,000"},
        {999, "#,##0", "999"},
        {1000, "#,##0", "1,000"},
        {0.5, "#,##0", "1"},    // halves away from zero
        {-0.04, "0.0", "0.0"},  // a negative that rounds to zero shows no minus
        {2.0 / 3, "0.000", "0.667"},
        {0.5, "0.000 　", "0.500 　"},
        {1234.5, "#,##0.0;#,##0.0", "1,234.5"},
        {-8, "#,##0.0;#,##0.0", "8.0"},
        {6, "0.0\" h\"", "6.0 h"},
        {-48800, "#,##0\" 円 \"", "-48,800 円 "},
        {0, "#,##0;-#,##0;\"なし\"", "なし"},
        {0.985, "0.0%", "98.5%"},
        {3, "\\$0", "$3"},
        {1, "yyyy/mm/dd", nullptr},
        {1, "@", nullptr},
        {1, "0.00E+00", nullptr},
        {1, "\"h\"", nullptr},  // no digits
    };
    for (const Case& c : cases) {
        const auto shown = xlsx::formatNumber(c.value, c.format);
        if (c.shown) {
            EXPECT_EQ(shown.value_or("<none>"), c.shown) << c.format;
        } else {
            EXPECT_FALSE(shown) << c.format;
        }
    }
}

TEST(CellTyping, TextWidthCountsFullWidthCharactersTwice) {
    EXPECT_EQ(xlsx::textWidth("2,752,000"), 9);
    EXPECT_EQ(xlsx::textWidth("稼働時間"), 8);
    EXPECT_EQ(xlsx::textWidth("機種ﾀｲﾌﾟ"), 8);  // half-width katakana take one
    // A column needs more than the characters: substitute fonts print digits wider.
    EXPECT_GT(xlsx::Sheet::fittedWidth("2,752,000"), 10.3);
    EXPECT_LE(xlsx::Sheet::fittedWidth("-12,500"), 9);  // the month's balance column keeps its width
}

// Records of a steady player: `perYear` visits in each year from `first`,
// 9,000 in and 8,000 out each (1,000 lost), 6 hours each.
std::vector<DailyRecord> steadyPlayer(int first, int years, int perYear) {
    std::vector<DailyRecord> v;
    for (int y = first; y < first + years; ++y)
        for (int i = 0; i < perYear; ++i) {
            char date[16];
            std::snprintf(date, sizeof date, "%04d/%02d/%02d", y, i / 28 % 12 + 1, i % 28 + 1);
            DailyRecord r = test::recordOn(date);
            r.Tousi = "9000";
            r.Kaisyu = "8000";
            r.Syusi = "-1,000";
            r.T_tim = "6.0";
            v.push_back(r);
        }
    return v;
}

TEST(AnalysisWorkbook, SteadyPlayersFiguresFitReadAsNumbersAndLineUp) {
    TempFolder tmp;
    SearchCriteria c;
    c.allPeriod = true;
    const auto records = matched(steadyPlayer(2003, 2, 300));
    const fs::path yearly = tmp.path() / "y.xlsx";
    exportAnalysis(records, AnalysisTab::Yearly, c, yearly);
    const test::WorkbookDump d = test::dumpWorkbook(yearly);
    // 総投資額 2,700,000 and 総回収額 2,400,000: the columns are as wide as the figures need.
    EXPECT_EQ(d.cell("F3").value, "2700000.0");
    const double need = xlsx::Sheet::fittedWidth("2,700,000") + 0.71;
    for (const char* col : {"F", "G"}) EXPECT_GE(std::stod(d.widths.at(col)), need) << col;
    // Never below the widths the grid's columns gave (twips / 90, at least the heading and a half).
    const std::pair<const char*, double> before[] = {
        {"A", 10.0}, {"B", 5.5}, {"D", 620 / 90.0}, {"H", 860 / 90.0}, {"M", 860 / 90.0}};
    for (const auto& [col, width] : before) EXPECT_GE(std::stod(d.widths.at(col)), width + 0.7) << col;
    // Hours: numbers shown with their unit, right-aligned beside the yen.
    for (const char* addr : {"E3", "I3"}) {
        SCOPED_TRACE(addr);
        EXPECT_EQ(d.cell(addr).type, "n");
        EXPECT_EQ(d.cell(addr).look.at("format"), "0.0\" h\"");
        EXPECT_EQ(d.cell(addr).look.at("align"), "right");
    }
    EXPECT_EQ(d.cell("E3").value, "1800.0");
    EXPECT_EQ(xlsx::formatNumber(1800, "0.0\" h\""), "1800.0 h");
    for (const char* addr : {"F3", "H3", "J3", "L3", "M3"}) EXPECT_EQ(d.cell(addr).look.at("align"), "right") << addr;

    // A weekday without records shows "--- " in every average column, all on the right edge.
    const fs::path weekday = tmp.path() / "w.xlsx";
    exportAnalysis(records, AnalysisTab::YearlyWeekday, c, weekday);
    const test::WorkbookDump w = test::dumpWorkbook(weekday);
    EXPECT_EQ(w.cell("B3").value, "月");
    for (const char* addr : {"J3", "K3", "L3", "M3", "N3"}) {
        SCOPED_TRACE(addr);
        EXPECT_EQ(w.cell(addr).value, "--- ");
        EXPECT_EQ(w.cell(addr).look.at("align"), "right");
    }
    EXPECT_EQ(w.cell("J6").type, "n");  // 木: 6.0 h a day
    EXPECT_EQ(w.page.at("print_title_rows"), "$1:$2");
}

TEST(AnalysisWorkbook, MonthlyAndYearlyRowsAreTheGroupsInTheirOrder) {
    TempFolder tmp;
    SearchCriteria c;
    c.allPeriod = true;
    // Out of date order: May, June, May again, then 2002.
    const auto records = matched({test::recordOn("2003/05/01"), test::recordOn("2003/06/01"),
                                  test::recordOn("2003/05/10"), test::recordOn("2002/01/01")});
    struct Case {
        AnalysisTab tab;
        std::vector<std::string> keys;
        const char* firstDays;
    };
    const Case cases[] = {{AnalysisTab::Monthly, {"2003/05", "2003/06", "2003/05", "2002/01"}, "1.0"},
                          {AnalysisTab::Yearly, {"2003.0", "2002.0"}, "3.0"}};
    for (const Case& k : cases) {
        const fs::path file = tmp.path() / (std::to_string(static_cast<int>(k.tab)) + ".xlsx");
        exportAnalysis(records, k.tab, c, file);
        const test::WorkbookDump d = test::dumpWorkbook(file);
        SCOPED_TRACE(d.sheet);
        for (size_t i = 0; i < k.keys.size(); ++i) EXPECT_EQ(d.cell("A" + std::to_string(3 + i)).value, k.keys[i]);
        EXPECT_FALSE(d.has("A" + std::to_string(3 + k.keys.size())));
        EXPECT_EQ(d.cell("B3").value, k.firstDays);  // the first May alone: the two Mays are not joined
    }
}

TEST(MonthWorkbook, OnlyAColumnWhoseFigureWouldPrintHashesIsWidened) {
    TempFolder tmp;
    auto year = sampleYear();
    year[1].Syusi = "1,485,000";
    const fs::path file = tmp.path() / "m.xlsx";
    exportMonth(tmp.path(), year, summarizeMonth(year, "05"), mayInput(), file);
    const test::WorkbookDump d = test::dumpWorkbook(file);
    EXPECT_NEAR(std::stod(d.widths.at("G")), xlsx::Sheet::fittedWidth("1,485,000") + 0.71, 0.01);
    EXPECT_EQ(d.widths.at("F"), "9.71094");
    EXPECT_EQ(d.widths.at("A"), "12.7109");
    EXPECT_EQ(d.widths.at("C"), "20.7109");
}

TEST(Sheet, StreamedRowsAreMadeWhenReadAndStyledByColumn) {
    xlsx::Sheet sheet("S");
    sheet.setText(0, 0, "head");
    int made = 0;
    sheet.streamRows(1, 3, 2, [&](int row, std::vector<std::string>& t) {
        ++made;
        t[0] = std::to_string(row);
        t[1] = "x";
    });
    EXPECT_EQ(sheet.rowCount(), 4);
    EXPECT_EQ(sheet.text(2, 0), "2");
    EXPECT_EQ(sheet.text(2, 1), "x");
    EXPECT_EQ(made, 1);  // one row made once for all its cells
    sheet.style({0, 0, 3, 1}, xlsx::StylePatch{.border = true});
    EXPECT_TRUE(sheet.styleAt(0, 0).border);
    EXPECT_TRUE(sheet.styleAt(3, 1).border);
    EXPECT_THROW(sheet.style({2, 0, 3, 0}, xlsx::StylePatch{.bold = true}), std::logic_error);
    EXPECT_THROW(sheet.setText(1, 0, "no"), std::logic_error);
    EXPECT_THROW(sheet.merge({1, 0, 2, 1}), std::logic_error);  // blocks span one row
}

// A FIFO, a folder, a link to a file and a link to nowhere in place of the target.
struct OddTarget {
    const char* what;
    std::function<void(const fs::path& target, const fs::path& other)> make;
};
std::vector<OddTarget> oddTargets() {
    return {{"FIFO", [](const fs::path& t, const fs::path&) { ASSERT_EQ(::mkfifo(t.c_str(), 0644), 0); }},
            {"folder", [](const fs::path& t, const fs::path&) { fs::create_directory(t); }},
            {"link to a file",
             [](const fs::path& t, const fs::path& o) {
                 test::putBytes(o, "mine");
                 fs::create_symlink(o, t);
             }},
            {"link to nowhere", [](const fs::path& t, const fs::path& o) { fs::create_symlink(o, t); }}};
}

std::string describe(const fs::path& p) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0) return "missing";
    return std::to_string(st.st_mode) + ":" + std::to_string(st.st_ino) + ":" + std::to_string(st.st_size);
}

TEST(WorkbookFile, ATargetThatIsNotARegularFileIsRefusedAndLeftAsItWas) {
    for (const OddTarget& odd : oddTargets()) {
        SCOPED_TRACE(odd.what);
        TempFolder tmp;
        const fs::path target = tmp.path() / "out.xlsx";
        const fs::path other = tmp.path() / "other.bin";
        odd.make(target, other);
        test::putBytes(tmp.path() / "Temp" / "work.csv", "old csv");
        const std::string before = describe(target), otherBefore = test::fileBytes(other);
        const auto year = sampleYear();
        SearchCriteria c;
        c.allPeriod = true;
        try {
            exportMonth(tmp.path(), year, summarizeMonth(year, "05"), mayInput(), target);
            ADD_FAILURE() << "month export wrote into a " << odd.what;
        } catch (const FileError& e) {
            EXPECT_EQ(e.file(), target);
            EXPECT_NE(std::string(e.what()).find("通常のファイルではありません"), std::string::npos) << e.what();
        }
        EXPECT_THROW(exportAnalysis(matched(analysisRecords()), AnalysisTab::Monthly, c, target, {}, tmp.path()),
                     FileError);
        EXPECT_THROW(xlsx::saveWorkbook(xlsx::Sheet("S"), target), FileError);
        EXPECT_EQ(describe(target), before);
        EXPECT_EQ(test::fileBytes(other), otherBefore);
        EXPECT_EQ(test::fileBytes(tmp.path() / "Temp" / "work.csv"), "old csv");  // not rewritten
        EXPECT_TRUE(findTemporaries(tmp.path()).empty());
    }
}

// The files this process has open below `folder`, as /proc shows them.
std::vector<std::string> openFilesIn(const fs::path& folder) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        const std::string to = fs::read_symlink(e.path(), ec).string();
        if (!ec && to.rfind(folder.string() + "/", 0) == 0) out.push_back(to);
    }
    return out;
}

TEST(WorkbookFile, WhileWritingOnlyCleanUpKnownNamesExistAndTheRowFileIsAlreadyUnlinked) {
    TempFolder tmp;
    const fs::path temp = tmp.path() / "Temp";
    fs::create_directories(temp);
    const fs::path target = temp / "月間収支データ一覧.xlsx";
    xlsx::Sheet sheet("S");
    for (int r = 0; r < 5000; ++r) sheet.setText(r, 0, std::to_string(r));
    bool looked = false;
    auto look = [&](long done, long) {
        if (done < 2500 || looked) return true;
        looked = true;
        // The workbook's hidden temporary: a name the start-up clean-up removes.
        std::vector<fs::path> entries;
        for (const auto& e : fs::directory_iterator(temp)) entries.push_back(e.path());
        EXPECT_EQ(entries.size(), 1u);
        if (!entries.empty()) {
            EXPECT_EQ(entries[0].filename().string().rfind(".月間収支データ一覧.xlsx", 0), 0u) << entries[0];
            EXPECT_TRUE(isTemporaryName(entries[0].filename().string())) << entries[0];
            EXPECT_EQ(findTemporaries(tmp.path()), entries);
        }
        // The row file is open in Temp and already gone from its listing.
        const auto open = openFilesIn(temp);
        EXPECT_TRUE(std::any_of(open.begin(), open.end(), [](const std::string& f) {
            return f.ends_with(" (deleted)");
        })) << testing::PrintToString(open);
        return true;
    };
    xlsx::saveWorkbook(sheet, target, look, temp);
    EXPECT_TRUE(looked);
    EXPECT_TRUE(openFilesIn(temp).empty());
    EXPECT_EQ(test::dumpWorkbook(target).cell("A5000").value, "4999.0");
    // Stopped halfway, nothing is left and nothing stays open.
    EXPECT_THROW(xlsx::saveWorkbook(
                     sheet, temp / "b.xlsx", [](long done, long) { return done < 2500; }, temp),
                 xlsx::Cancelled);
    EXPECT_TRUE(openFilesIn(temp).empty());
    std::vector<fs::path> left;
    for (const auto& e : fs::directory_iterator(temp)) left.push_back(e.path().filename());
    EXPECT_EQ(left, std::vector<fs::path>{"月間収支データ一覧.xlsx"});
}

TEST(OldWorkbooks, OnlyTheExportsOwnNamesAreTheirs) {
    const std::pair<const char*, bool> cases[] = {
        {"月間収支データ一覧.xlsx", true},
        {"日間収支データ一覧.xlsx", true},
        {"機種別収支データ一覧 (12).xlsx", true},
        {"日間収支データ一覧  (2003年05月度).xlsx", true},
        {"日間収支データ一覧  (2003年05月度) (2).xlsx", true},
        {"work.csv", false},
        {"月間収支データ一覧.xls", false},
        {"月間収支データ一覧 (x).xlsx", false},
        {"月間収支データ一覧 ().xlsx", false},
        {"私の集計.xlsx", false},
        {"日間収支データ一覧  (2003年5月度).xlsx", false},
        {"日間収支データ一覧  (2003年05月度)x.xlsx", false},
        {".月間収支データ一覧.xlsx.tmp~abcdef", false},
    };
    for (const auto& [name, own] : cases) EXPECT_EQ(isExportWorkbookName(name), own) << name;
}

TEST(OldWorkbooks, KeepDaysComeFromTheSettingsFile) {
    const std::pair<const char*, int> cases[] = {{"", 7},    {"3", 3},  {"0", 0},   {"3650", 3650}, {"3651", 7},
                                                 {"abc", 7}, {"-1", 7}, {"1.5", 7}, {"99999", 7}};
    for (const auto& [value, days] : cases) {
        TempFolder tmp;
        test::putBytes(tmp.path() / "tmrec.ini", test::sjis(std::string("[Export]\nKeepDays=") + value + "\n"));
        EXPECT_EQ(workbookKeepDays(tmp.path()), days) << value;
    }
    TempFolder none;
    EXPECT_EQ(workbookKeepDays(none.path()), kDefaultWorkbookKeepDays);
}

void age(const fs::path& p, int days) {
    const auto when = fs::file_time_type::clock::now() - std::chrono::hours(24) * days;
    fs::last_write_time(p, when);
}

TEST(OldWorkbooks, OldOwnRegularFilesGoNothingElseAndNoLinkIsFollowed) {
    TempFolder tmp;
    const fs::path temp = tmp.path() / "Temp";
    const fs::path outside = tmp.path() / "outside";
    fs::create_directories(temp);
    fs::create_directories(outside);
    auto put = [](const fs::path& p, int days) {
        test::putBytes(p, "x");
        age(p, days);
    };
    put(temp / "月間収支データ一覧.xlsx", 8);                       // old: goes
    put(temp / "日間収支データ一覧  (2003年05月度) (2).xlsx", 30);  // old: goes
    put(temp / "年間収支データ一覧.xlsx", 6);                       // young: stays
    put(temp / "私の集計.xlsx", 30);                                // not ours: stays
    put(temp / "work.csv", 30);
    put(outside / "年間曜日別収支データ一覧.xlsx", 30);
    fs::create_symlink(outside / "年間曜日別収支データ一覧.xlsx", temp / "年間曜日別収支データ一覧.xlsx");
    fs::create_directory(temp / "ホール別収支データ一覧.xlsx");
    age(temp / "ホール別収支データ一覧.xlsx", 30);
    ASSERT_EQ(::mkfifo((temp / "機種別収支データ一覧.xlsx").c_str(), 0644), 0);
    age(temp / "機種別収支データ一覧.xlsx", 30);

    EXPECT_TRUE(removeOldWorkbooks(temp, 0).empty());  // 0 keeps every workbook
    const auto removed = removeOldWorkbooks(temp, 7);
    EXPECT_EQ(removed, (std::vector<fs::path>{temp / "日間収支データ一覧  (2003年05月度) (2).xlsx",
                                              temp / "月間収支データ一覧.xlsx"}));
    for (const char* kept : {"年間収支データ一覧.xlsx", "私の集計.xlsx", "work.csv", "年間曜日別収支データ一覧.xlsx",
                             "ホール別収支データ一覧.xlsx", "機種別収支データ一覧.xlsx"})
        EXPECT_TRUE(fs::exists(fs::symlink_status(temp / kept))) << kept;
    EXPECT_TRUE(fs::exists(outside / "年間曜日別収支データ一覧.xlsx"));

    // Temp itself a link: nothing behind it is touched.
    TempFolder other;
    fs::create_directories(other.path() / "real");
    put(other.path() / "real" / "月間収支データ一覧.xlsx", 30);
    fs::create_symlink(other.path() / "real", other.path() / "Temp");
    EXPECT_TRUE(removeOldWorkbooksAtStart(other.path()).empty());
    EXPECT_TRUE(fs::exists(other.path() / "real" / "月間収支データ一覧.xlsx"));
}

TEST(OldWorkbooks, AtStartOnlyWhenNoWriterHoldsTheLock) {
    TempFolder tmp;
    const fs::path old = tmp.path() / "Temp" / "月間収支データ一覧.xlsx";
    test::putBytes(old, "x");
    age(old, 10);
    test::putBytes(tmp.path() / "tmrec.ini", test::sjis("[Export]\nKeepDays=30\n"));
    EXPECT_TRUE(removeOldWorkbooksAtStart(tmp.path()).empty());  // 10 days is young under KeepDays=30
    test::putBytes(tmp.path() / "tmrec.ini", test::sjis("[Export]\nKeepDays=9\n"));
    {
        // Another writer (its own open of the lock file) holds the lock.
        const int fd = ::open((tmp.path() / std::string(kWriteLockName)).c_str(), O_RDWR | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::flock(fd, LOCK_EX), 0);
        EXPECT_TRUE(removeOldWorkbooksAtStart(tmp.path()).empty());
        EXPECT_TRUE(fs::exists(old));
        ::close(fd);
    }
    EXPECT_EQ(removeOldWorkbooksAtStart(tmp.path()), std::vector<fs::path>{old});
}

}  // namespace
}  // namespace tama
