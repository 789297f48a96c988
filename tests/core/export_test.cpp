// The export writers: how texts are typed into cells, the CSV work file's
// bytes, and the month workbook read back with openpyxl (values, types,
// formats, fonts, fills, borders, merges, widths and page setup).
#include <gtest/gtest.h>

#include "export/analysis_export.h"
#include "export/month_export.h"
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
        {"2003/05/01", K::Date, 0},  {"2004/02/29", K::Date, 0},      {"2003/02/29", K::Text, 0},
        {"2003/13/01", K::Text, 0},  {"1899/12/31", K::Text, 0},      {"2003/5/1", K::Text, 0},
        {"15,000", K::Number, 15000}, {"-2,000", K::Number, -2000},    {"8.0", K::Number, 8},
        {"0.667 ", K::Number, 0.667}, {"+3", K::Number, 3},            {"8.0 h", K::Text, 0},
        {"（不明）", K::Text, 0},    {" 3 日 ", K::Text, 0},          {"?", K::Text, 0},
        {"--- ", K::Text, 0},        {"1e5", K::Text, 0},             {"1.2.3", K::Text, 0},
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

MonthSheetInput mayInput(std::string user = "太郎") {
    return {monthlyCaption("2003", "05"), std::move(user), "05"};
}

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
    EXPECT_EQ(d.cell("F3").type, "s");
    EXPECT_EQ(d.cell("F3").value, "7.5 h");
    EXPECT_EQ(d.cell("F3").look.at("align"), "right");
    EXPECT_EQ(d.cell("F3").look.at("format"), "#,##0.0;#,##0.0");
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
    EXPECT_EQ(d.cell("B7").value, summary.labels[0].text);
    EXPECT_EQ(d.cell("B7").type, "s");
    EXPECT_EQ(d.cell("B7").look.at("align"), "right");
    EXPECT_EQ(d.cell("B9").type, "n");  // the win rate "0.500 " is a number
    EXPECT_EQ(d.cell("B9").look.at("format"), "0.000 　");
    EXPECT_EQ(d.cell("A15").value, "月間収支");
    EXPECT_EQ(d.cell("B15").value, summary.labels[8].text);
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
    for (DailyRecord& r : list) m->Data_Input(std::move(r));
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
    EXPECT_EQ(conditionLine(some), "分析条件 [ 期間：2003/01/01～2003/12/31　ﾎｰﾙ名：北ホール　台番号：　機種ﾀｲﾌﾟ："
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
                          {AnalysisTab::Yearly, "2003.0", "A4", "$1:$1"},  // a year key is a number
                          {AnalysisTab::YearlyWeekday, "2003.0", "A16", "$1:$1"},
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
