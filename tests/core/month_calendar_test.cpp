// The calendar grid, its printed lines, the date a new record opens on, and
// what the entry form takes from a user's past records.
#include <gtest/gtest.h>

#include "entry/entry_history.h"
#include "monthly/month_calendar.h"
#include "storage/record_store.h"
#include "test_support.h"

namespace tama {
namespace {

DailyRecord visit(std::string_view date, std::string_view syusi, std::string_view hall = "駅前ホール",
                  std::string_view machine = "海物語", std::string_view type = "ＣＲ機") {
    DailyRecord r = test::recordOn(date);
    r.Syusi = syusi;
    r.Holl = hall;
    r.Kisyu = machine;
    r.K_type = type;
    return r;
}

// Whole printed grids: the week rows are where an off-by-one in the first
// weekday or the month length shows.
TEST(MonthCalendar, GridsOfMonthsStartingOnSundayAndSaturdayAndLeapFebruary) {
    struct Case {
        int year, month;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        // Leap February starting on a Sunday: five weeks, the 29th alone in the last.
        {2004,
         2,
         {"2004年2月", "日\t月\t火\t水\t木\t金\t土", "1\t2\t3\t4\t5\t6\t7", "8\t9\t10\t11\t12\t13\t14",
          "15\t16\t17\t18\t19\t20\t21", "22\t23\t24\t25\t26\t27\t28", "29\t\t\t\t\t\t"}},
        // 28 days starting on a Sunday: exactly four weeks.
        {2009,
         2,
         {"2009年2月", "日\t月\t火\t水\t木\t金\t土", "1\t2\t3\t4\t5\t6\t7", "8\t9\t10\t11\t12\t13\t14",
          "15\t16\t17\t18\t19\t20\t21", "22\t23\t24\t25\t26\t27\t28"}},
        // 31 days starting on a Saturday: six weeks.
        {2004,
         5,
         {"2004年5月", "日\t月\t火\t水\t木\t金\t土", "\t\t\t\t\t\t1", "2\t3\t4\t5\t6\t7\t8",
          "9\t10\t11\t12\t13\t14\t15", "16\t17\t18\t19\t20\t21\t22", "23\t24\t25\t26\t27\t28\t29", "30\t31\t\t\t\t\t"}},
        // A century leap year (2000) and a century that is not one (1900).
        {2000,
         2,
         {"2000年2月", "日\t月\t火\t水\t木\t金\t土", "\t\t1\t2\t3\t4\t5", "6\t7\t8\t9\t10\t11\t12",
          "13\t14\t15\t16\t17\t18\t19", "20\t21\t22\t23\t24\t25\t26", "27\t28\t29\t\t\t\t"}},
        {1900,
         2,
         {"1900年2月", "日\t月\t火\t水\t木\t金\t土", "\t\t\t\t1\t2\t3", "4\t5\t6\t7\t8\t9\t10",
          "11\t12\t13\t14\t15\t16\t17", "18\t19\t20\t21\t22\t23\t24", "25\t26\t27\t28\t\t\t"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(calendarLines(buildMonthCalendar(c.year, c.month, {})), c.lines) << c.year << "/" << c.month;
}

TEST(MonthCalendar, VisitDaysSumTheirRecordsAndStrayRecordsStayOut) {
    DailyRecord stray = visit("2004/05/31", "7,000");
    stray.Hi = "32";  // names no day of May
    DailyRecord unpadded = visit("2004/05/05", "900");
    unpadded.Tuki = "5";  // the monthly list does not select it either
    const std::vector<DailyRecord> records = {
        visit("2004/04/30", "5,000"),  // another month
        visit("2004/05/01", "15,000"),
        visit("2004/05/01", "-3,500"),  // one day, two visits
        visit("2004/05/03", "-1,600"),
        visit("2004/05/29", "1,000"),
        visit("2004/05/29", "-1,000"),
        visit("2004/05/10", "98,600"),
        stray,
        unpadded,
    };
    const MonthCalendar cal = buildMonthCalendar(2004, 5, records);
    EXPECT_EQ(calendarLines(cal)[2], "\t\t\t\t\t\t1:11,500");
    EXPECT_EQ(calendarLines(cal)[3], "2\t3:-1,600\t4\t5\t6\t7\t8");
    EXPECT_EQ(calendarCellText(*cal.cellOf(10)), "10:98,600");
    // A day whose visits even out is still a visit day.
    EXPECT_EQ(calendarCellText(*cal.cellOf(29)), "29:0");
    EXPECT_EQ(cal.cellOf(29)->records, 2);
    EXPECT_EQ(calendarCellText(*cal.cellOf(31)), "31");
    EXPECT_EQ(calendarCellText(*cal.cellOf(5)), "5");
    EXPECT_EQ(cal.cellOf(32), nullptr);
}

TEST(MonthCalendar, YearAndMonthTextsAndTheNewRecordsDate) {
    EXPECT_FALSE(readYearMonth("", "05"));
    EXPECT_FALSE(readYearMonth("204", "05"));
    EXPECT_FALSE(readYearMonth("2004", "13"));
    EXPECT_FALSE(readYearMonth("2004", "0"));
    EXPECT_FALSE(readYearMonth("2004", "005"));
    EXPECT_EQ(readYearMonth("2004", "5")->month, 5);

    const CalendarDate today{2026, 12, 9};
    struct Case {
        const char* year;
        const char* month;
        CalendarDate want;
    };
    const Case cases[] = {
        {"2026", "12", today},          // the current month: today
        {"2026", "11", {2026, 11, 1}},  // another month: its first day
        {"2025", "12", {2025, 12, 1}},  // the same month of another year
        {"", "12", today},              // no month shown: today
        {"2026", "13", today},
    };
    for (const Case& c : cases) {
        const CalendarDate got = newEntryDate(today, c.year, c.month);
        EXPECT_EQ((std::tuple{got.year, got.month, got.day}), (std::tuple{c.want.year, c.want.month, c.want.day}))
            << c.year << "/" << c.month;
    }
}

TEST(EntryHistory, LatestRecordAndRecentNamesAcrossYearsNewestFirst) {
    test::TempFolder tmp;
    const fs::path user = tmp.makeUser("太郎");
    RecordStore store(tmp.path());
    // 2004 is written out of date order (by another program); two lines share the latest date.
    test::putBytes(user / "s2004.sdb", encodeYearFile({visit("2004/05/03", "0", "ホールB", "北斗", "スロット"),
                                                       visit("2004/05/10", "0", "ホールC", "海物語"),
                                                       visit("2004/05/10", "0", "ホールD", "吉宗", "スロット"),
                                                       visit("2004/01/02", "0", "（不明）", "（不明）")},
                                                      "s2004.sdb"));
    std::vector<DailyRecord> march;
    for (int d = 1; d <= 12; ++d) {
        const std::string day = (d < 10 ? "0" : "") + std::to_string(d);
        march.push_back(visit("2003/03/" + day, "0", "古ホール" + std::to_string(d), "機" + std::to_string(d)));
    }
    test::putBytes(user / "s2003.sdb", encodeYearFile(march, "s2003.sdb"));
    const EntryHistory h = loadEntryHistory(store, "太郎");
    ASSERT_TRUE(h.latest);
    EXPECT_EQ(h.latest->Holl, "ホールD");  // the later line of the latest date
    const std::vector<std::string> halls = {"ホールD",    "ホールC",   "ホールB",   "古ホール12", "古ホール11",
                                            "古ホール10", "古ホール9", "古ホール8", "古ホール7",  "古ホール6"};
    EXPECT_EQ(h.recentHalls, halls);
    EXPECT_EQ(h.recentMachinesOf("スロット", 10), (std::vector<std::string>{"吉宗", "北斗"}));
    EXPECT_EQ(h.recentMachinesOf("ＣＲ機", 3), (std::vector<std::string>{"海物語", "機12", "機11"}));
    EXPECT_TRUE(h.problems.empty());

    // A damaged newer year is named and left out; a missing user has no history.
    test::putBytes(tmp.path() / "Data" / "太郎" / "s2005.sdb", "\"broken\r\n");
    const EntryHistory damaged = loadEntryHistory(store, "太郎");
    EXPECT_EQ(damaged.problems.size(), 1u);
    EXPECT_EQ(damaged.latest->Holl, "ホールD");
    EXPECT_FALSE(loadEntryHistory(store, "次郎").latest);
}

}  // namespace
}  // namespace tama
