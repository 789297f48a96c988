// The analysis search, its tables and tamalog-cli analysis, on YearFiles in a
// temporary program folder.
#include <gtest/gtest.h>

#include <sstream>

#include "analysis/analysis_command.h"
#include "analysis/statistics.h"
#include "monthly/month_summary.h"
#include "shared/calendar.h"
#include "shared/number_format.h"
#include "storage/record_store.h"
#include "test_support.h"

namespace tama {
namespace {

using test::recordOn;
using test::TempFolder;

// A visit on `date` with this balance and play time; money in 10,000.
DailyRecord visit(std::string_view date, std::string_view youbi, double balance, std::string_view time = "8.0") {
    DailyRecord r = recordOn(date);
    r.Youbi = youbi;
    r.T_tim = time;
    r.Tousi = "10000";
    r.Kaisyu = formatPlain(10000 + balance);
    r.Syusi = formatGrouped(balance);
    return r;
}

// Writes the records as the user's YearFile of `year`.
void writeYear(const TempFolder& t, std::string_view user, std::string_view year, const std::vector<DailyRecord>& rs) {
    const fs::path path = t.path() / "Data" / std::string(user) / ("s" + std::string(year) + ".sdb");
    test::putBytes(path, encodeYearFile(rs, path));
}

std::shared_ptr<const MatchedRecords> matchedOf(std::vector<DailyRecord> rs) {
    auto m = std::make_shared<MatchedRecords>();
    m->totalLines = static_cast<std::int64_t>(rs.size());
    for (auto& r : rs) m->add(std::move(r));
    return m;
}

std::vector<std::string> rowTexts(const AnalysisTable& t, int row) {
    std::vector<std::string> out;
    for (int c = 0; c < t.columnCount(); ++c) out.push_back(t.text(row, c));
    return out;
}

std::vector<std::string> columnTexts(const AnalysisTable& t, int column) {
    std::vector<std::string> out;
    for (int r = 0; r < t.rowCount(); ++r) out.push_back(t.text(r, column));
    return out;
}

SearchCriteria everything(std::string user) {
    SearchCriteria c;
    c.user = std::move(user);
    c.allPeriod = true;
    return c;
}

TEST(AnalysisSearch, FiltersArePreciseTextComparisons) {
    TempFolder t;
    t.makeUser("u");
    std::vector<DailyRecord> y2003;
    for (auto [date, no, hall, type] :
         std::vector<std::array<const char*, 4>>{{"2003/04/30", "12", "駅前ホール", "ＣＲ機"},
                                                 {"2003/05/01", "12", "駅前ホール", "スロット"},
                                                 {"2003/05/31", "07", "駅前ホール", "ＣＲ機"},
                                                 {"2003/06/01", "?", "駅前ホール", "ＣＲ機"},
                                                 {"2003/05/15", "12", "駅前ホール ", "ＣＲ機"}}) {
        DailyRecord r = recordOn(date);
        r.K_no = no;
        r.Holl = hall;
        r.K_type = type;
        y2003.push_back(r);
    }
    writeYear(t, "u", "2003", y2003);
    writeYear(t, "u", "2002", {recordOn("2002/05/10")});

    struct Case {
        const char* name;
        SearchCriteria c;
        std::vector<std::string> dates;  // matched, in read order
    };
    auto with = [](auto f) {
        SearchCriteria c = everything("u");
        f(c);
        return c;
    };
    const std::vector<Case> cases = {
        {"all", everything("u"), {"2002/05/10", "2003/04/30", "2003/05/01", "2003/05/31", "2003/06/01", "2003/05/15"}},
        {"period bounds included",
         with([](SearchCriteria& c) {
             c.allPeriod = false;
             c.from = "2003/05/01";
             c.to = "2003/05/31";
         }),
         {"2003/05/01", "2003/05/31", "2003/05/15"}},
        {"number 12 only",
         with([](SearchCriteria& c) { c.number = "12"; }),
         {"2002/05/10", "2003/04/30", "2003/05/01", "2003/05/15"}},
        {"07 is not 7", with([](SearchCriteria& c) { c.number = "7"; }), {}},
        {"? never matches a number", with([](SearchCriteria& c) { c.number = "1"; }), {}},
        {"hall without trimming", with([](SearchCriteria& c) { c.hall = "駅前ホール "; }), {"2003/05/15"}},
        {"empty boxes select all",
         with([](SearchCriteria& c) {
             c.hall = "";
             c.number = "";
             c.type = "";
             c.machine = "";
         }),
         {"2002/05/10", "2003/04/30", "2003/05/01", "2003/05/31", "2003/06/01", "2003/05/15"}},
        {"a period typed with one-digit month and day",
         with([](SearchCriteria& c) {
             c.allPeriod = false;
             c.from = *typedDate("2003/5/1");
             c.to = *typedDate("2003/5/31");
         }),
         {"2003/05/01", "2003/05/31", "2003/05/15"}},
        {"type and number together",
         with([](SearchCriteria& c) {
             c.type = "ＣＲ機";
             c.number = "12";
         }),
         {"2002/05/10", "2003/04/30", "2003/05/15"}},
    };
    for (const Case& k : cases) {
        const MatchedRecords m = loadRecords(t.path(), k.c);
        std::vector<std::string> dates;
        for (const auto& r : m.records) dates.push_back(r.date);
        EXPECT_EQ(dates, k.dates) << k.name;
        EXPECT_EQ(m.totalLines, 6) << k.name;
        EXPECT_TRUE(m.skippedFiles.empty()) << k.name;
    }
    EXPECT_EQ(FilterKey(everything("u")), "0000");
    EXPECT_EQ(FilterKey(cases[5].c), "1000");
    EXPECT_EQ(FilterKey(cases[8].c), "0110");
    EXPECT_EQ(FilterKey(cases[6].c), "0000");
    EXPECT_EQ(countLabelText(6, 6), "該当データ件数  6 件  /  総データ件数  6 件");
}

TEST(AnalysisPeriod, TypedDatesAreReadAsTheDatesMeant) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"2003/5/1", "2003/05/01"},
        {"2003/05/31", "2003/05/31"},
        {"2003/10/5", "2003/10/05"},
        {"２００３/５/１", "2003/05/01"},
        {" 2003 / 5 / 1 ", "2003/05/01"},
        {"2004/2/29", "2004/02/29"},
        {"2003/2/29", std::nullopt},
        {"2003/13/1", std::nullopt},
        {"2003/5/", std::nullopt},
        {"2003/0/1", std::nullopt},
        {"2003/5/32", std::nullopt},
        {"abc", std::nullopt},
        {"03/5/1", std::nullopt},
        {"2003/005/1", std::nullopt},
        {"2003/5/1/1", std::nullopt},
        {"2003-5-1", std::nullopt},
        {"", std::nullopt},
        {"2003/-5/1", std::nullopt},
    };
    for (const auto& [text, date] : cases) EXPECT_EQ(typedDate(text), date) << text;
    EXPECT_EQ(typedDate("2003", "5", "1"), "2003/05/01");
    EXPECT_EQ(typedDate("2003", "", "1"), std::nullopt);
}

TEST(AnalysisSearch, MissingUserOrDamagedFile) {
    TempFolder t;
    EXPECT_EQ(loadRecords(t.path(), everything("nobody")).totalLines, 0);
    EXPECT_EQ(loadRecords(t.path(), everything("../x")).n(), 0);
    const fs::path user = t.makeUser("u");
    EXPECT_EQ(loadRecords(t.path(), everything("u")).n(), 0);  // a folder without YearFiles

    writeYear(t, "u", "2004", {recordOn("2004/01/02"), recordOn("2004/01/03")});
    const std::string line = formatRecordLine(recordOn("2003/05/01")) + "\n";
    test::putBytes(user / "s2003.sdb", test::sjis(line + "\"2003/05/02\",\"2003\"\n"));
    const MatchedRecords m = loadRecords(t.path(), everything("u"));
    EXPECT_EQ(m.n(), 2);  // the damaged year is left out whole, the next is read
    EXPECT_EQ(m.totalLines, 2);
    ASSERT_EQ(m.skippedFiles.size(), 1u);
    EXPECT_NE(m.skippedFiles[0].find("s2003.sdb"), std::string::npos) << m.skippedFiles[0];
    EXPECT_NE(m.skippedFiles[0].find("2行目"), std::string::npos) << m.skippedFiles[0];
}

TEST(AnalysisSearch, ManyYearsComeInFileAndLineOrderWithDamagedOnesLeftOut) {
    // The files are read ahead of the matching by helper threads; the matches
    // must still come in name order and line order, and the damaged files
    // must be the ones reported, in their order.
    TempFolder t;
    const fs::path user = t.makeUser("u");
    std::vector<std::string> expected, damaged;
    for (int year = 1970; year < 2010; ++year) {
        const std::string y = std::to_string(year);
        if (year % 7 == 3) {
            test::putBytes(user / ("s" + y + ".sdb"), "\"" + y + "/01/01\",\"broken\"\r\n");
            damaged.push_back("s" + y + ".sdb");
            continue;
        }
        std::vector<DailyRecord> rs;
        for (int day = 1 + year % 5; day <= 28; day += 3) {
            rs.push_back(recordOn(y + (day < 10 ? "/03/0" : "/03/") + std::to_string(day)));
            expected.push_back(rs.back().DateKey);
        }
        writeYear(t, "u", y, rs);
    }
    for (int round = 0; round < 5; ++round) {
        const MatchedRecords m = loadRecords(t.path(), everything("u"));
        std::vector<std::string> dates;
        for (const MatchedRecord& r : m.records) dates.push_back(r.date);
        ASSERT_EQ(dates, expected) << "round " << round;
        EXPECT_EQ(m.totalLines, static_cast<std::int64_t>(expected.size()));
        ASSERT_EQ(m.skippedFiles.size(), damaged.size());
        for (size_t i = 0; i < damaged.size(); ++i)
            EXPECT_NE(m.skippedFiles[i].find(damaged[i]), std::string::npos) << m.skippedFiles[i];
    }
}

TEST(DailyList, CellsColoursAndOrder) {
    std::vector<DailyRecord> rs = {visit("2003/05/01", "木", -3500, "3.5"), visit("2003/05/03", "土", 2000, "0.0"),
                                   visit("2003/05/02", "金", 15000)};
    rs[0].Tousi = "";
    rs[2].Tousi = "1234567";
    const AnalysisTable t = buildTable(matchedOf(rs), AnalysisTab::Daily);
    ASSERT_EQ(t.rowCount(), 3);
    EXPECT_EQ(columnTexts(t, 0), (std::vector<std::string>{"2003/05/03", "2003/05/02", "2003/05/01"}));
    EXPECT_EQ(rowTexts(t, 2), (std::vector<std::string>{"2003/05/01", "木", "駅前ホール", "ＣＲ機", "（不明）", "12",
                                                        "3.5 h", "", "6,500", "-1,000", "-3,500"}));
    EXPECT_EQ(t.cell(2, 9).colour, kRgbRed);
    EXPECT_EQ(t.cell(2, 10).colour, kRgbRed);
    EXPECT_EQ(t.text(0, 9), "--- ");  // no play time
    EXPECT_EQ(t.cell(0, 9).colour, kRgbBlack);
    EXPECT_EQ(t.text(1, 7), "1,234,567");
    EXPECT_EQ(t.cell(1, 9).colour, kRgbBlack);
    // Colours stay with the record they were filled from: record 2 (even) is tinted.
    EXPECT_EQ(t.cell(0, 1).background, kRgbRowTint);  // 05/03, record 2
    EXPECT_EQ(t.cell(1, 1).background, kRgbWhite);    // 05/02, record 3
    EXPECT_EQ(t.cell(1, 0).background, kRgbHeading);  // the fixed column
    EXPECT_EQ(t.recordIndex(0), 2);
    EXPECT_EQ(resolvedAlign(t.cell(1, 7)), CellAlign::Right);
    EXPECT_EQ(resolvedAlign(t.cell(0, 9)), CellAlign::Left);
    EXPECT_EQ(buildTable(matchedOf({}), AnalysisTab::Daily).toTsv(),
              "日付\t曜日\tホール名\t機種ﾀｲﾌﾟ\t機種名\t台番\t稼働時間\t投資金額\t回収金額\t時給\t収支金額\n");
}

TEST(DailyList, DatesSortNewestFirstWithEqualDatesInReadOrder) {
    // Read in date order (the usual case), in reverse, and mixed: equal dates keep their read order.
    const std::vector<std::vector<const char*>> inputs = {{"2003/05/01", "2003/05/02", "2003/05/02", "2003/05/03"},
                                                          {"2003/05/03", "2003/05/02", "2003/05/02", "2003/05/01"},
                                                          {"2003/05/02", "2003/05/03", "2003/05/01", "2003/05/02"}};
    for (const auto& dates : inputs) {
        std::vector<DailyRecord> rs;
        for (size_t i = 0; i < dates.size(); ++i) rs.push_back(visit(dates[i], "木", static_cast<double>(i)));
        const AnalysisTable t = buildTable(matchedOf(rs), AnalysisTab::Daily);
        EXPECT_EQ(columnTexts(t, 0),
                  (std::vector<std::string>{"2003/05/03", "2003/05/02", "2003/05/02", "2003/05/01"}));
        std::vector<int> sameDay;  // record indexes of the two 05/02 rows, in display order
        for (int r = 0; r < 4; ++r)
            if (t.text(r, 0) == "2003/05/02") sameDay.push_back(t.recordIndex(r));
        EXPECT_LT(sameDay[0], sameDay[1]) << dates[0];
    }
}

TEST(HeadingClick, SharedDirectionFlagAcrossColumns) {
    AnalysisTable t = buildTable(
        matchedOf({visit("2003/05/01", "木", 900), visit("2003/05/02", "金", 10000), visit("2003/05/03", "土", -200)}),
        AnalysisTab::Daily);
    int flag = 0;
    t.sortOnHeadingClick(0, flag);  // descending
    EXPECT_EQ(columnTexts(t, 0), (std::vector<std::string>{"2003/05/03", "2003/05/02", "2003/05/01"}));
    t.sortOnHeadingClick(0, flag);  // ascending
    EXPECT_EQ(columnTexts(t, 0), (std::vector<std::string>{"2003/05/01", "2003/05/02", "2003/05/03"}));
    t.sortOnHeadingClick(10, flag);  // descending, as numbers: 10,000 above 900
    EXPECT_EQ(columnTexts(t, 10), (std::vector<std::string>{"10,000", "900", "-200"}));
    t.sortOnHeadingClick(10, flag);  // ascending
    EXPECT_EQ(columnTexts(t, 10), (std::vector<std::string>{"-200", "900", "10,000"}));
    EXPECT_EQ(flag, 0);
}

TEST(PeriodTables, MonthlyRowFromTheDayRuns) {
    // Three records on 05/01 (+2,000, -500, +1,000) and one on 05/02 (-3,000).
    auto m = matchedOf({visit("2003/05/01", "木", 2000), visit("2003/05/01", "木", -500),
                        visit("2003/05/01", "木", 1000), visit("2003/05/02", "金", -3000),
                        visit("2003/06/01", "日", -100, "0.0"), visit("2003/05/20", "火", -700)});
    const AnalysisTable t = buildTable(m, AnalysisTab::Monthly);
    ASSERT_EQ(t.rowCount(), 3);
    EXPECT_EQ(rowTexts(t, 0), (std::vector<std::string>{"2003/06", "1", "0", "0.000", "0.0 h", "10,000", "9,900",
                                                        "-100", "0.0 h", "10,000", "9,900", "--- ", "-100"}));
    // The split month: the later run of 2003/05 gives a second row with the same key
    // (equal keys keep their order).
    EXPECT_EQ(t.text(2, 0), "2003/05");
    EXPECT_EQ(t.text(2, 7), "-700");
    EXPECT_EQ(rowTexts(t, 1), (std::vector<std::string>{"2003/05", "2", "1", "0.500", "32.0 h", "40,000", "39,500",
                                                        "-500", "16.0 h", "20,000", "19,750", "-16", "-250"}));
    EXPECT_EQ(t.cell(1, 7).colour, kRgbRed);
    EXPECT_EQ(t.cell(1, 12).colour, kRgbRed);
    EXPECT_EQ(t.cell(1, 5).colour, kRgbBlack);
    EXPECT_EQ(t.cell(2, 3).background, kRgbWhite);    // group 1
    EXPECT_EQ(t.cell(1, 3).background, kRgbWhite);    // group 3
    EXPECT_EQ(t.cell(0, 3).background, kRgbRowTint);  // group 2

    const AnalysisTable years = buildTable(
        matchedOf({visit("2001/01/01", "月", 1), visit("2002/01/01", "火", 2), visit("2003/01/01", "水", 3)}),
        AnalysisTab::Yearly);
    EXPECT_EQ(columnTexts(years, 0), (std::vector<std::string>{"2003", "2002", "2001"}));
}

TEST(PeriodTables, ADayIsWonOnceByItsBalanceAfterItsLastRecord) {
    // Each case: the balances of the records of one date, and whether that day is won.
    const std::vector<std::pair<std::vector<double>, int>> days = {
        {{5000, -1000}, 1},       // positive all along: still one win
        {{-1000, 5000}, 1},       // ends positive
        {{5000, -6000}, 0},       // positive on the way, ends negative
        {{2000, -500, 1000}, 1},  // three records, one day
        {{0}, 0},                 // even is no win
        {{-1000, 1000}, 0},       // back to even
    };
    for (AnalysisTab tab :
         {AnalysisTab::Monthly, AnalysisTab::Yearly, AnalysisTab::MonthlyWeekday, AnalysisTab::YearlyWeekday}) {
        std::vector<DailyRecord> rs;
        int wins = 0;
        for (size_t d = 0; d < days.size(); ++d) {
            const std::string date = "2003/05/0" + std::to_string(d + 1);
            for (double b : days[d].first) rs.push_back(visit(date, "日", b));
            wins += days[d].second;
        }
        const AnalysisTable t = buildTable(matchedOf(rs), tab);
        const bool weekday = tab == AnalysisTab::MonthlyWeekday || tab == AnalysisTab::YearlyWeekday;
        const int row = weekday ? 6 : 0, first = weekday ? 2 : 1;  // the Sunday row holds every day
        EXPECT_EQ(t.text(row, first), "6") << static_cast<int>(tab);
        EXPECT_EQ(t.text(row, first + 1), std::to_string(wins)) << static_cast<int>(tab);
        EXPECT_EQ(t.text(row, first + 2), formatFixed(wins / 6.0, 3)) << static_cast<int>(tab);
    }

    // A day that ends a group is decided there, also with the last record of all;
    // the weekday tables count a day in the cell of its first record.
    const auto m = matchedOf({visit("2003/05/31", "土", 100), visit("2003/06/01", "日", 100),
                              visit("2003/06/01", "日", -300), visit("2003/06/02", "月", 50)});
    const AnalysisTable months = buildTable(m, AnalysisTab::Monthly);
    EXPECT_EQ(rowTexts(months, 0)[1] + "/" + rowTexts(months, 0)[2], "2/1");  // 2003/06
    EXPECT_EQ(rowTexts(months, 1)[1] + "/" + rowTexts(months, 1)[2], "1/1");  // 2003/05
    const AnalysisTable weeks = buildTable(m, AnalysisTab::MonthlyWeekday);
    EXPECT_EQ(weeks.text(7 + 0, 2) + "/" + weeks.text(7 + 0, 3), "1/1");  // 2003/06 月
    EXPECT_EQ(weeks.text(7 + 6, 2) + "/" + weeks.text(7 + 6, 3), "1/0");  // 2003/06 日
}

TEST(PeriodTables, WinsAgreeWithTheMonthlyWindowOnALongFileInDateOrder) {
    // Two years of one to three visits a day on every other day, with a fixed
    // pseudo-random sequence of balances: every month's days and wins as the
    // monthly summary counts them, and never more wins than days.
    std::uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 8) % 20001; };
    std::vector<DailyRecord> rs;
    for (int year = 2003; year <= 2004; ++year)
        for (int month = 1; month <= 12; ++month)
            for (int day = 1; day <= 28; day += 2) {
                char date[16];
                std::snprintf(date, sizeof date, "%04d/%02d/%02d", year, month, day);
                const int visits = 1 + static_cast<int>(next() % 3);
                for (int v = 0; v < visits; ++v) {
                    DailyRecord r = visit(date, "月", static_cast<double>(next()) - 10000);
                    r.DayFirst = v == 0 ? "1" : "2";
                    rs.push_back(r);
                }
            }
    const AnalysisTable t = buildTable(matchedOf(rs), AnalysisTab::Monthly);
    ASSERT_EQ(t.rowCount(), 24);
    int checked = 0;
    for (int row = 0; row < t.rowCount(); ++row) {
        const std::string key = t.text(row, 0);
        std::vector<DailyRecord> year;
        for (const DailyRecord& r : rs)
            if (r.Nen == key.substr(0, 4)) year.push_back(r);
        const MonthSummary s = summarizeMonth(year, key.substr(5, 2));
        EXPECT_EQ(t.text(row, 1), std::to_string(s.days)) << key;
        EXPECT_EQ(t.text(row, 2), std::to_string(s.wins)) << key;
        EXPECT_LE(std::stoi(t.text(row, 2)), std::stoi(t.text(row, 1))) << key;
        checked += s.wins > 0 && s.wins < s.days;
    }
    EXPECT_GT(checked, 12);  // the sequence gives mixed months, not all won or all lost
}

TEST(PeriodTables, SumsRoundTiesToEvenAfterEachAdditionAndDoNotWrap) {
    std::vector<DailyRecord> rs = {visit("2003/05/01", "木", 0), visit("2003/05/02", "金", 0),
                                   visit("2003/05/03", "土", 0)};
    rs[0].Tousi = "1.5";  // 2
    rs[1].Tousi = "1.5";  // 3.5 -> 4
    rs[2].Tousi = "0.5";  // 4.5 -> 4
    rs[0].Syusi = "0.5";  // 0
    rs[1].Syusi = "0.5";  // 0
    rs[2].Syusi = "2,000,000,000";
    rs[0].Kaisyu = rs[1].Kaisyu = rs[2].Kaisyu = "2000000000";
    const AnalysisTable t = buildTable(matchedOf(rs), AnalysisTab::Monthly);
    EXPECT_EQ(t.text(0, 5), "4");
    EXPECT_EQ(t.text(0, 6), "6,000,000,000");
    EXPECT_EQ(t.text(0, 7), "2,000,000,000");
}

TEST(WeekdayTables, SevenRowsPerGroupInOrder) {
    auto m = matchedOf({visit("2003/05/04", "日", 1000, "4.0"), visit("2003/05/11", "日", -3000, "0.0"),
                        visit("2004/01/05", "月", 500)});
    const AnalysisTable t = buildTable(m, AnalysisTab::MonthlyWeekday);
    ASSERT_EQ(t.rowCount(), 14);
    EXPECT_EQ(rowTexts(t, 1), (std::vector<std::string>{"2003/05", "火", "0", "0", "---", "0.0 h", "0", "0", "0",
                                                        "--- ", "--- ", "--- ", "--- ", "--- "}));
    EXPECT_EQ(rowTexts(t, 6), (std::vector<std::string>{"2003/05", "日", "2", "1", "0.500", "4.0 h", "20,000", "18,000",
                                                        "-2,000", "2.0 h", "10,000", "9,000", "-500", "-1,000"}));
    EXPECT_EQ(t.cell(6, 8).colour, kRgbRed);
    EXPECT_EQ(rowTexts(t, 7)[0] + rowTexts(t, 7)[1], "2004/01月");
    EXPECT_EQ(t.cell(7, 2).background, kRgbRowTint);  // group 2, all seven rows

    const AnalysisTable years = buildTable(m, AnalysisTab::YearlyWeekday);
    EXPECT_EQ(columnTexts(years, 0).front(), "2003");  // oldest first, not sorted
    EXPECT_EQ(columnTexts(years, 1), (std::vector<std::string>{"月", "火", "水", "木", "金", "土", "日", "月", "火",
                                                               "水", "木", "金", "土", "日"}));
    EXPECT_EQ(years.text(13, 0), "2004");
}

TEST(RankingTables, GroupedSortedAndFormatted) {
    std::vector<DailyRecord> rs = {visit("2003/05/01", "木", 5000, "2.0"), visit("2003/05/01", "木", -1000, "1.0"),
                                   visit("2003/05/02", "金", -2000, "0.0"), visit("2003/05/03", "土", 4000)};
    rs[0].Holl = rs[1].Holl = "Bホール";
    rs[2].Holl = "Aホール";
    rs[2].Tousi = "";
    rs[2].Kaisyu = "";
    rs[3].Holl = "Cホール";
    rs[3].K_type = "スロット";
    const AnalysisTable halls = buildTable(matchedOf(rs), AnalysisTab::ByHall);
    EXPECT_EQ(halls.columns().front().heading, "ホール名");
    EXPECT_EQ(halls.columns()[10].heading, "平均時給");
    ASSERT_EQ(halls.rowCount(), 3);
    // B and C tie at 4,000: name order.
    EXPECT_EQ(rowTexts(halls, 0), (std::vector<std::string>{"Bホール", "1", "2", "1", "0.500", "3.0 h", "20,000",
                                                            "24,000", "4,000", "120.0%", "1,333", "2,000"}));
    EXPECT_EQ(halls.text(1, 0), "Cホール");
    EXPECT_EQ(rowTexts(halls, 2), (std::vector<std::string>{"Aホール", "1", "1", "0", "0.000", "0.0 h", "0", "0",
                                                            "-2,000", "--- ", "--- ", "-2,000"}));
    EXPECT_EQ(halls.cell(2, 8).colour, kRgbRed);
    EXPECT_EQ(halls.cell(2, 11).colour, kRgbRed);
    EXPECT_EQ(halls.cell(1, 1).background, kRgbRowTint);

    // Dates out of read order are still counted once each.
    const AnalysisTable unordered = buildTable(
        matchedOf({visit("2003/05/03", "土", 1), visit("2003/05/01", "木", 1), visit("2003/05/03", "土", 1)}),
        AnalysisTab::ByHall);
    EXPECT_EQ(unordered.text(0, 1) + "/" + unordered.text(0, 2), "2/3");

    const AnalysisTable machines = buildTable(matchedOf(rs), AnalysisTab::ByMachine);
    EXPECT_EQ(machines.columns()[0].heading + machines.columns()[1].heading, "機種ﾀｲﾌﾟ機種名");
    ASSERT_EQ(machines.rowCount(), 2);
    EXPECT_EQ(machines.text(0, 0), "スロット");  // 4,000 above ＣＲ機's 2,000
    EXPECT_EQ(machines.text(1, 2), "2");         // two dates
    EXPECT_EQ(machines.text(1, 3), "3");
}

TEST(AnalysisCommand, PrintsTheLabelAndTheTableOrRefusesBadArguments) {
    TempFolder t;
    t.makeUser("u");
    writeYear(t, "u", "2003", {visit("2003/01/01", "水", 100), visit("2003/05/01", "木", -200)});
    auto run = [&](std::vector<std::string> args, std::string* err = nullptr) {
        args.insert(args.begin(), {t.path().string(), "u"});
        std::ostringstream out, e;
        const int code = runAnalysisCommand(args, out, e, defaultPeriod(2003, 3, 7));
        if (err) *err = e.str();
        return std::to_string(code) + "\n" + out.str();
    };
    const std::string header =
        "日付\t曜日\tホール名\t機種ﾀｲﾌﾟ\t機種名\t台番\t稼働時間\t投資金額\t回収金額\t時給\t収支金額\n";
    EXPECT_EQ(run({}), "0\n該当データ件数  1 件  /  総データ件数  2 件\n" + header +
                           "2003/01/01\t水\t駅前ホール\tＣＲ機\t（不明）\t12\t8.0 h\t10,000\t10,100\t13\t100\n");
    EXPECT_EQ(
        run({"--all-period", "--hall", "全ﾎｰﾙ対象", "--table", "2"}),
        "0\n該当データ件数  2 件  /  総データ件数  2 件\n"
        "年度\t日数\t勝数\t勝率\t稼働時間\t総投資額\t総回収額\t総収支額\t平均時間\t平均投資\t平均回収\t平均時給\t平均日給\n"
        "2003\t2\t1\t0.500\t16.0 h\t20,000\t19,900\t-100\t8.0 h\t10,000\t9,950\t-6\t-50\n");
    EXPECT_EQ(run({"--from", "2003/05/01", "--to", "2003/05/01", "--type", "スロット"}),
              "0\n該当データ件数  0 件  /  総データ件数  2 件\n" + header);
    // A period typed without padding is the dates meant: 2003/5/1 is not after 2003/10/5 as a text would be.
    EXPECT_EQ(run({"--from", "2003/1/1", "--to", "2003/5/1"}).substr(0, 30), "0\n該当データ件数  2 件");
    EXPECT_EQ(run({"--from", "2003/5/2", "--to", "2003/１２/31"}).substr(0, 30), "0\n該当データ件数  0 件");
    std::string notADate;
    run({"--to", "2003/13/1"}, &notADate);
    EXPECT_NE(notADate.find("--to: 期間の終了「2003/13/1」は日付ではありません。"), std::string::npos) << notADate;
    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"--table", "7"},
                                               {"--table", "x"},
                                               {"--hall"},
                                               {"--colour", "red"},
                                               {"extra"},
                                               {"--from", "2003/13/1"},
                                               {"--to", "2003/5/"},
                                               {"--from", "abc"},
                                               {"--to", "2003/02/29", "--all-period"}}) {
        std::string err;
        EXPECT_EQ(run(bad, &err), "2\n") << bad[0];
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
    std::ostringstream out, err;
    EXPECT_EQ(runAnalysisCommand({(t.path() / "none").string(), "u"}, out, err), 2);
}

}  // namespace
}  // namespace tama
