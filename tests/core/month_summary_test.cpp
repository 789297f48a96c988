// The monthly list and summary: which records make the month, the day totals,
// the nine summary texts with their colours, row shading, heading sorts and
// the record a clicked row opens.
#include "monthly/month_summary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

#include "test_support.h"

namespace tama {
namespace {

DailyRecord rec(std::string date, std::string dayFirst, std::string syusi, std::string hours = "8.0",
                std::string hall = "ホールA", std::string kno = "12") {
    DailyRecord r = test::recordOn(date);
    r.Youbi = "月";
    r.Holl = hall;
    r.T_tim = hours;
    r.Tousi = r.Kaisyu = r.Zikyu = "";
    r.Syusi = syusi;
    r.K_no = kno;
    r.Kisyu = "機種X";
    r.DayFirst = dayFirst;
    return r;
}

std::vector<std::string> labelTexts(const MonthSummary& s) {
    std::vector<std::string> out;
    for (const auto& l : s.labels) out.push_back(l.text);
    return out;
}

std::vector<std::string> column(const MonthSummary& s, int c) {
    std::vector<std::string> out;
    for (const auto& r : s.rows) out.push_back(r.cells[static_cast<size_t>(c)]);
    return out;
}

TEST(MonthSummary, EmptyMonthShowsOneEmptyRowAndNineEmptyLabels) {
    std::vector<DailyRecord> records = {rec("2004/04/30", "1", "1,000")};
    MonthSummary s = summarizeMonth(records, "05");
    EXPECT_EQ(s.MonthCount, 0);
    EXPECT_EQ(s.MonthFirst, 0);
    ASSERT_EQ(s.rows.size(), 1u);
    EXPECT_EQ(s.rows[0].recordIndex, 0);
    for (const auto& cell : s.rows[0].cells) EXPECT_EQ(cell, "");
    for (const auto& l : s.labels) EXPECT_EQ(l.text, "");
    // A month text without its leading zero matches nothing.
    EXPECT_EQ(summarizeMonth(records, "4").MonthCount, 0);
}

TEST(MonthSummary, TypicalMonthCellsAndLabels) {
    std::vector<DailyRecord> records = {
        rec("2004/04/29", "1", "9,999"),
        rec("2004/05/01", "1", "15,000", "7.5"),
        rec("2004/05/03", "1", "-3,500", "8.0", "ホールB", "?"),
        rec("2004/05/05", "1", "2,000", "6.0"),
        rec("2004/06/01", "1", "100"),
    };
    MonthSummary s = summarizeMonth(records, "05");
    EXPECT_EQ(s.MonthCount, 3);
    EXPECT_EQ(s.MonthFirst, 2);
    ASSERT_EQ(s.rows.size(), 3u);
    EXPECT_EQ(s.rows[1].cells,
              (std::array<std::string, 7>{"2004/05/03", "月", "ホールB", "機種X", "?", "8.0", "-3,500"}));
    EXPECT_EQ(s.rows[1].recordIndex, 3);
    EXPECT_EQ(s.rows[1].balanceColour, kRgbRed);
    EXPECT_EQ(s.rows[0].balanceColour, kRgbBlack);
    EXPECT_EQ(s.rows[1].textColour(2), kRgbBlack);
    // Centred date, weekday and machine number; numbers right, text left elsewhere.
    EXPECT_EQ(s.rows[0].alignment(0), CellAlign::Center);
    EXPECT_EQ(s.rows[0].alignment(1), CellAlign::Center);
    EXPECT_EQ(s.rows[1].alignment(4), CellAlign::Center);
    EXPECT_EQ(s.rows[0].alignment(2), CellAlign::Left);
    EXPECT_EQ(s.rows[0].alignment(5), CellAlign::Right);
    EXPECT_EQ(s.rows[1].alignment(6), CellAlign::Right);

    // D 3, w 2, T 21.5, S 13,500, max 15,000.
    EXPECT_EQ(labelTexts(s), (std::vector<std::string>{"3 日 ", "2 日 ", "0.667 ", "21.5 時間 ", "15,000 円 ",
                                                       "7.2 時間 ", "628 円 ", "4,500 円 ", "13,500 円 "}));
    for (const auto& l : s.labels) EXPECT_EQ(l.colour, kRgbBlack);
    EXPECT_EQ(s.label("lblSyusi").text, "13,500 円 ");
}

TEST(MonthSummary, SameDateRecordsCountOneDayWonOnlyOnTheirSum) {
    // 1 May: +1,000 then -3,000 (a lost day); 2 May: -500 then +800 (a won day).
    std::vector<DailyRecord> records = {rec("2004/05/01", "1", "1,000"), rec("2004/05/01", "2", "-3,000"),
                                        rec("2004/05/02", "1", "-500"), rec("2004/05/02", "2", "800")};
    MonthSummary s = summarizeMonth(records, "05");
    EXPECT_EQ(s.rows.size(), 4u);
    EXPECT_EQ(s.days, 2);
    EXPECT_EQ(s.dayTotals, (std::vector<std::int64_t>{-2000, 300}));
    EXPECT_EQ(s.label("lblDay").text, "2 日 ");
    EXPECT_EQ(s.label("lblWin").text, "1 日 ");
    EXPECT_EQ(s.label("lblMax").text, "1,000 円 ");  // single records, not day totals

    // A day that ends exactly even is not a win.
    std::vector<DailyRecord> even = {rec("2004/05/01", "1", "1,000"), rec("2004/05/01", "2", "-1,000")};
    MonthSummary e = summarizeMonth(even, "05");
    EXPECT_EQ(e.label("lblDay").text, "1 日 ");
    EXPECT_EQ(e.label("lblWin").text, "0 日 ");
    EXPECT_EQ(e.label("lblAvr").text, "0.000 ");
}

TEST(MonthSummary, DayTotalsFollowTheDateNotTheRecordOrder) {
    // The date sort after a save may put a day's "2" record before its "1"; the
    // "2" belongs to its own date, not to the day before. A "2" record whose
    // date has no "1" record joins no other day.
    std::vector<DailyRecord> records = {rec("2004/05/01", "1", "1,000"),  rec("2004/05/02", "2", "3,000"),
                                        rec("2004/05/02", "1", "-2,000"), rec("2004/05/03", "1", "500"),
                                        rec("2004/05/04", "2", "-900"),   rec("2004/05/03", "2", "-700")};
    MonthSummary s = summarizeMonth(records, "05");
    EXPECT_EQ(s.dayTotals, (std::vector<std::int64_t>{1000, 1000, -200}));
    EXPECT_EQ(s.label("lblDay").text, "3 日 ");
    EXPECT_EQ(s.label("lblWin").text, "2 日 ");
    EXPECT_EQ(s.label("lblSyusi").text, "900 円 ");
}

TEST(MonthSummary, AllLossMonthShowsZeroLargestWinAndRedAverages) {
    std::vector<DailyRecord> records = {rec("2004/05/01", "1", "-1,000", "4.0"),
                                        rec("2004/05/02", "1", "-2,500", "3.0")};
    MonthSummary s = summarizeMonth(records, "05");
    EXPECT_EQ(s.label("lblMax").text, "0 円 ");
    EXPECT_EQ(s.label("lblMax").colour, kRgbBlack);
    EXPECT_EQ(s.label("lblSyusi").text, "-3,500 円 ");
    EXPECT_EQ(s.label("lblH_nikyu").text, "-1,750 円 ");
    EXPECT_EQ(s.label("lblH_zikyu").text, "-500 円 ");
    for (auto name : {"lblSyusi", "lblH_nikyu", "lblH_zikyu"}) EXPECT_EQ(s.label(name).colour, kRgbRed) << name;
    EXPECT_EQ(s.label("lblWin").text, "0 日 ");
}

TEST(MonthSummary, BigWinsAreSummedIn64BitsWithoutClamping) {
    std::vector<DailyRecord> records = {rec("2004/05/01", "1", "3,000,000,000"),
                                        rec("2004/05/02", "1", "2,500,000,000")};
    MonthSummary s = summarizeMonth(records, "05");
    EXPECT_EQ(s.label("lblMax").text, "3,000,000,000 円 ");
    EXPECT_EQ(s.label("lblSyusi").text, "5,500,000,000 円 ");
    EXPECT_EQ(s.balance, 5'500'000'000);
}

TEST(MonthSummary, WinRateAndGroupedBalances) {
    std::vector<DailyRecord> four = {rec("2004/05/01", "1", "500"), rec("2004/05/02", "1", "-1"),
                                     rec("2004/05/03", "1", "0"), rec("2004/05/04", "1", "-20")};
    EXPECT_EQ(summarizeMonth(four, "05").label("lblAvr").text, "0.250 ");

    std::vector<DailyRecord> grouped = {rec("2004/05/01", "1", "1,500", "2.0"),
                                        rec("2004/05/02", "1", "-2,000", "2.0")};
    MonthSummary s = summarizeMonth(grouped, "05");
    EXPECT_EQ(s.balance, -500);
    EXPECT_EQ(s.label("lblSyusi"), (SummaryText{"-500 円 ", kRgbRed}));
    EXPECT_EQ(s.label("lblH_nikyu"), (SummaryText{"-250 円 ", kRgbRed}));
    EXPECT_EQ(s.label("lblH_zikyu"), (SummaryText{"-125 円 ", kRgbRed}));
}

TEST(MonthSummary, RoundingHalvesAwayFromZero) {
    // S = 1,001 over 2 days is 500.5; over 5.0 hours 200.2.
    std::vector<DailyRecord> records = {rec("2004/05/01", "1", "1,001", "2.5"), rec("2004/05/02", "1", "0", "2.5")};
    MonthSummary s = summarizeMonth(records, "05");
    EXPECT_EQ(s.label("lblH_nikyu").text, "501 円 ");  // 500.5
    EXPECT_EQ(s.label("lblH_tim").text, "2.5 時間 ");
    EXPECT_EQ(s.label("lblH_zikyu").text, "200 円 ");  // 200.2

    std::vector<DailyRecord> neg = {rec("2004/05/01", "1", "-1,001", "2.5"), rec("2004/05/02", "1", "0", "2.5")};
    EXPECT_EQ(summarizeMonth(neg, "05").label("lblH_nikyu").text, "-501 円 ");
}

TEST(MonthSummary, DivisionsByZeroShowZeroForms) {
    // Records without play time: the hourly rate is 0.
    std::vector<DailyRecord> noTime = {rec("2004/05/01", "1", "-1,000", "0.0"), rec("2004/05/02", "1", "500", "")};
    MonthSummary a = summarizeMonth(noTime, "05");
    EXPECT_EQ(a.label("lblTim").text, "0.0 時間 ");
    EXPECT_EQ(a.label("lblH_zikyu"), (SummaryText{"0 円 ", kRgbBlack}));
    EXPECT_EQ(a.label("lblH_nikyu"), (SummaryText{"-250 円 ", kRgbRed}));

    // Records of which none starts a day (a damaged DayFirst): no day, no win.
    std::vector<DailyRecord> noDay = {rec("2004/05/01", "2", "3,000"), rec("2004/05/02", "2", "-1,000")};
    MonthSummary b = summarizeMonth(noDay, "05");
    EXPECT_EQ(labelTexts(b), (std::vector<std::string>{"0 日 ", "0 日 ", "0.000 ", "16.0 時間 ", "3,000 円 ",
                                                       "0.0 時間 ", "125 円 ", "0 円 ", "2,000 円 "}));
    for (const auto& l : b.labels) {
        EXPECT_EQ(l.text.find("nan"), std::string::npos) << l.text;
        EXPECT_EQ(l.text.find("inf"), std::string::npos) << l.text;
    }
}

TEST(MonthSummary, MoreThanThirtyOneDayStartsAreAllCounted) {
    std::vector<DailyRecord> records;
    for (int i = 0; i < 40; ++i) records.push_back(rec("2004/05/01", "1", "100"));
    MonthSummary s = summarizeMonth(records, "05");
    EXPECT_EQ(s.label("lblDay").text, "40 日 ");
    EXPECT_EQ(s.label("lblWin").text, "40 日 ");
    EXPECT_EQ(s.label("lblAvr").text, "1.000 ");
}

TEST(MonthSummary, EverySecondRowIsTinted) {
    std::vector<DailyRecord> records;
    for (int d = 1; d <= 12; ++d) {
        char date[16];
        std::snprintf(date, sizeof date, "2004/05/%02d", d);
        records.push_back(rec(date, "1", "100"));
    }
    MonthSummary s = summarizeMonth(records, "05");
    ASSERT_EQ(s.rows.size(), 12u);
    EXPECT_EQ(s.rows[0].background, kRgbWhite);     // row 1
    EXPECT_EQ(s.rows[1].background, kRgbRowTint);   // row 2
    EXPECT_EQ(s.rows[9].background, kRgbRowTint);   // row 10
    EXPECT_EQ(s.rows[10].background, kRgbWhite);    // row 11
    EXPECT_EQ(s.rows[11].background, kRgbRowTint);  // row 12
}

TEST(MonthSorting, HeadingClicksAlternateDescendingAndAscendingOnAnyColumn) {
    std::vector<DailyRecord> records = {
        rec("2004/05/01", "1", "900", "8.0", "A", "7"), rec("2004/05/02", "1", "15,000", "10.5", "B", "?"),
        rec("2004/05/03", "1", "-3,500", "2.0", "C", "120"), rec("2004/05/04", "1", "2,000", "9.0", "D", "15")};
    MonthSummary s = summarizeMonth(records, "05");
    int flag = 0;
    sortOnHeadingClick(s.rows, 6, flag);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(column(s, 6), (std::vector<std::string>{"15,000", "2,000", "900", "-3,500"}));
    // The flag is shared: the next click, on another column, sorts ascending.
    sortOnHeadingClick(s.rows, 5, flag);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(column(s, 5), (std::vector<std::string>{"2.0", "8.0", "9.0", "10.5"}));
    sortOnHeadingClick(s.rows, 6, flag);
    sortOnHeadingClick(s.rows, 6, flag);
    EXPECT_EQ(column(s, 6), (std::vector<std::string>{"-3,500", "900", "2,000", "15,000"}));
    // Colours and record indexes travel with their rows.
    EXPECT_EQ(s.rows[0].balanceColour, kRgbRed);
    EXPECT_EQ(s.rows[0].recordIndex, 3);

    // Column 0 is plain text.
    sortOnHeadingClick(s.rows, 0, flag);
    EXPECT_EQ(column(s, 0), (std::vector<std::string>{"2004/05/04", "2004/05/03", "2004/05/02", "2004/05/01"}));
    sortByDate(s.rows);
    EXPECT_EQ(column(s, 0), (std::vector<std::string>{"2004/05/01", "2004/05/02", "2004/05/03", "2004/05/04"}));
}

TEST(MonthSorting, GenericAndTextOrdersDiffer) {
    std::vector<MonthRow> rows(4);
    const char* nos[] = {"7", "120", "?", "15"};
    for (int i = 0; i < 4; ++i) rows[static_cast<size_t>(i)].cells[4] = nos[i];
    auto col = [&] {
        std::vector<std::string> out;
        for (auto& r : rows) out.push_back(r.cells[4]);
        return out;
    };
    sortRows(rows, 4, SortMode::TextAscending);
    EXPECT_EQ(col(), (std::vector<std::string>{"120", "15", "7", "?"}));
    sortRows(rows, 4, SortMode::GenericAscending);
    // Numbers among themselves by value; "?" compared with a number as text ("?" > digits).
    EXPECT_EQ(col(), (std::vector<std::string>{"7", "15", "120", "?"}));
}

TEST(MonthSorting, EqualCellsKeepTheirOrder) {
    std::vector<DailyRecord> records = {rec("2004/05/01", "1", "100"), rec("2004/05/01", "2", "200"),
                                        rec("2004/05/01", "2", "300")};
    MonthSummary s = summarizeMonth(records, "05");
    sortByDate(s.rows);
    EXPECT_EQ(column(s, 6), (std::vector<std::string>{"100", "200", "300"}));
    int flag = 0;
    sortOnHeadingClick(s.rows, 0, flag);
    EXPECT_EQ(column(s, 6), (std::vector<std::string>{"100", "200", "300"}));
}

TEST(MonthLoad, MissingFilesGiveAnEmptyYearAndDamagedFilesAreReported) {
    test::TempFolder tmp;
    RecordStore store(tmp.path());
    EXPECT_EQ(loadMonthYear(store, "太郎", "2004").count(), 0);  // no Data folder
    fs::path user = tmp.makeUser("太郎");
    EXPECT_EQ(loadMonthYear(store, "", "2004").count(), 0);
    EXPECT_EQ(loadMonthYear(store, "..", "2004").count(), 0);
    EXPECT_EQ(loadMonthYear(store, "太郎", "").count(), 0);
    EXPECT_EQ(loadMonthYear(store, "太郎", "2004").count(), 0);

    const std::string line =
        "\"2004/05/01\",\"2004\",\"05\",\"01\",\"土\",\"ホールA\",\"10\",\"00\",\"18\",\"00\",\"8.0\",\"15000\","
        "\"30000\",\"1,875\",\"15,000\",\"12\",\"ＣＲ機\",\"機種X\",\"\",\"1\",\"\",\"\",\"\",\"\"\n";
    test::putBytes(user / "s2004.sdb", test::sjis(line + line));
    YearRecordList list = loadMonthYear(store, "太郎", "2004");
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.record(1).Holl, "ホールA");
    EXPECT_EQ(loadMonthYear(store, "太郎", "20a4").count(), 0);

    const std::string damaged = test::sjis(line + "\"2004/05/02\",\"2004\"\n");
    test::putBytes(user / "s2003.sdb", damaged);
    try {
        loadMonthYear(store, "太郎", "2003");
        FAIL() << "a damaged file was read";
    } catch (const FileError& e) {
        EXPECT_EQ(e.line(), 2);
        EXPECT_EQ(e.file().filename(), "s2003.sdb");
    }
    EXPECT_EQ(test::fileBytes(user / "s2003.sdb"), damaged);
}

TEST(MonthLoad, TwoDigitMonth) {
    EXPECT_EQ(twoDigitMonth("7"), "07");
    EXPECT_EQ(twoDigitMonth("07"), "07");
    EXPECT_EQ(twoDigitMonth("12"), "12");
    EXPECT_EQ(twoDigitMonth("0"), "0");
    EXPECT_EQ(twoDigitMonth(""), "");
}

TEST(ToolbarStep, YearAndMonthTexts) {
    // The stepping rules on plain texts (the monthly window pads the month).
    std::string y = "2004", m = "07";
    stepMonthText(y, m, +1);
    EXPECT_EQ(m, "8");
    EXPECT_EQ(y, "2004");
    m = "12";
    stepMonthText(y, m, +1);
    EXPECT_EQ(m, "1");
    EXPECT_EQ(y, "2005");
    m = "01";
    stepMonthText(y, m, -1);
    EXPECT_EQ(m, "12");
    EXPECT_EQ(y, "2004");
    EXPECT_EQ(stepYearText("0999", 1), "1000");
    EXPECT_EQ(stepYearText("2099", 1), "2100");  // no range on the toolbar
    m = "";
    stepMonthText(y, m, +1);  // not a number: nothing changes
    EXPECT_EQ(m, "");
    EXPECT_EQ(stepYearText("abc", 1), "abc");
    // Read as the year box's text always was: spaces (ideographic too) and a sign
    // around the digits are allowed, separators and full-width digits are not.
    EXPECT_EQ(stepYearText("\xE3\x80\x80 2004\t", 1), "2005");
    EXPECT_EQ(stepYearText("+2004", -1), "2003");
    EXPECT_EQ(stepYearText("2,004", 1), "2,004");
    EXPECT_EQ(stepYearText("\xEF\xBC\x92\xEF\xBC\x90", 1), "\xEF\xBC\x92\xEF\xBC\x90");
    EXPECT_EQ(stepYearText("99999999999999999999", 1), "99999999999999999999");
}

// tamalog-cli month, run as the built program <build>/bin/tamalog-cli beside <build>/tests/.
struct CliResult {
    int code = -1;
    std::string out;
};

CliResult runMonthCommand(const std::string& args) {
    fs::path program = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin" / "tamalog-cli";
    if (!fs::exists(program)) {
        ADD_FAILURE() << "build tamalog-cli first: " << program;
        return {};
    }
    CliResult r;
    FILE* p = ::popen(("'" + program.string() + "' month " + args + " 2>&1").c_str(), "r");
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int status = ::pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

TEST(MonthCommand, PrintsTheRowsInDateOrderAndTheNineLabels) {
    test::TempFolder tmp;
    fs::path user = tmp.makeUser("太郎");
    auto line = [](const DailyRecord& r) { return formatRecordLine(r) + "\n"; };
    // File order with a later date first: the reload's date sort puts it last.
    test::putBytes(user / "s2004.sdb",
                   test::sjis(line(rec("2004/07/09", "1", "-2,000", "4.5", "ホールB", "?")) +
                              line(rec("2004/07/01", "1", "15,000", "7.5")) +
                              line(rec("2004/07/01", "2", "-3,500", "2.0")) + line(rec("2004/08/01", "1", "100"))));
    const std::string folder = "'" + tmp.path().string() + "' ";
    CliResult r = runMonthCommand(folder + "太郎 2004 7");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out,
              "2004/07/01\t月\tホールA\t機種X\t12\t7.5\t15,000\n"
              "2004/07/01\t月\tホールA\t機種X\t12\t2.0\t-3,500\n"
              "2004/07/09\t月\tホールB\t機種X\t?\t4.5\t-2,000\n"
              "lblDay\t2 日 \nlblWin\t1 日 \nlblAvr\t0.500 \nlblTim\t14.0 時間 \nlblMax\t15,000 円 \n"
              "lblH_tim\t7.0 時間 \nlblH_zikyu\t679 円 \nlblH_nikyu\t4,750 円 \nlblSyusi\t9,500 円 \n");
    EXPECT_EQ(runMonthCommand(folder + "太郎 2004 07").out, r.out);

    // An empty month: one empty row and nine empty labels.
    EXPECT_EQ(runMonthCommand(folder + "太郎 2004 12").out,
              "\t\t\t\t\t\t\nlblDay\t\nlblWin\t\nlblAvr\t\nlblTim\t\nlblMax\t\nlblH_tim\t\n"
              "lblH_zikyu\t\nlblH_nikyu\t\nlblSyusi\t\n");

    // Wrong arguments, and a damaged file named with its line (and left as it was).
    EXPECT_EQ(runMonthCommand(folder + "太郎 2004 123").code, 2);
    EXPECT_EQ(runMonthCommand(folder + "太郎 20a4 7").code, 2);
    const std::string damaged = test::sjis(line(rec("2003/07/01", "1", "100")) + "\"2003/07/02\"\n");
    test::putBytes(user / "s2003.sdb", damaged);
    CliResult bad = runMonthCommand(folder + "太郎 2003 7");
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.out.find("s2003.sdb (2行目)"), std::string::npos) << bad.out;
    EXPECT_EQ(test::fileBytes(user / "s2003.sdb"), damaged);
}

}  // namespace
}  // namespace tama
