#include <gtest/gtest.h>

#include "graphs/balance_series.h"
#include "graphs/graph_request.h"
#include "graphs/weekday_series.h"
#include "shared/file_io.h"
#include "test_support.h"

namespace tama {
namespace {

using test::TempFolder;

// A record of date "yyyy/mm/dd" with the fields the graphs read.
DailyRecord rec(std::string date, std::string youbi, std::string syusi, std::string dayFirst = "1",
                std::string holl = "駅前ホール", std::string kisyu = "海物語") {
    DailyRecord r = test::recordOn(date);
    r.Youbi = std::move(youbi);
    r.Holl = std::move(holl);
    r.Kisyu = std::move(kisyu);
    r.Syusi = std::move(syusi);
    r.DayFirst = std::move(dayFirst);
    r.T_tim = "1.0";
    r.Zikyu = "0";
    r.K_no = "1";
    return r;
}

YearRecordList listOf(std::string year, std::vector<DailyRecord> records, std::string user = "太郎") {
    YearRecordList l;
    l.user = std::move(user);
    l.year = std::move(year);
    l.records = std::move(records);
    return l;
}

std::vector<std::string> labels(const GraphSeries& s) {
    std::vector<std::string> out;
    for (const auto& p : s.points) out.push_back(p.label);
    return out;
}

std::vector<double> values(const GraphSeries& s) {
    std::vector<double> out;
    for (const auto& p : s.points) out.push_back(p.value);
    return out;
}

GraphFilter hallFilter(std::string hall) {
    GraphFilter f;
    f.hall = std::move(hall);
    return f;
}

GraphFilter machineFilter(std::string machine) {
    GraphFilter f;
    f.machine = std::move(machine);
    return f;
}

void writeYearFile(const fs::path& userFolder, const std::string& year, const std::vector<DailyRecord>& records) {
    fs::path path = userFolder / ("s" + year + ".sdb");
    test::putBytes(path, encodeYearFile(records, path));
}

const TitleOptions kDefaultTitles{};

// ---- day graph ----

TEST(DayBalanceSeries, SameDayRecordsShareAPointUnlessTheMachineFilterIsOn) {
    auto list = listOf("2004", {rec("2004/04/30", "金", "9,000"), rec("2004/05/01", "土", "15,000", "1"),
                                rec("2004/05/01", "土", "-3,500", "2"), rec("2004/05/03", "月", "-2,000")});
    auto s = dayBalanceSeries(list, "05", GraphFilter{}, false, kDefaultTitles);
    EXPECT_EQ(labels(s), (std::vector<std::string>{"01", "03"}));
    EXPECT_EQ(values(s), (std::vector<double>{11500, -2000}));
    EXPECT_EQ(s.caption, "日間収支グラフ （2004年05月度）");
    EXPECT_EQ(s.chartTitle, "");  // chkG1 defaults to 0
    EXPECT_EQ(s.xAxisTitle, "遊   技   日");
    EXPECT_EQ(s.yAxisTitle, "収 支 額 ⌒円ー");

    auto each = dayBalanceSeries(list, "05", machineFilter("海物語"), false, kDefaultTitles);
    EXPECT_EQ(labels(each), (std::vector<std::string>{"01", "01", "03"}));
    EXPECT_EQ(values(each), (std::vector<double>{15000, -3500, -2000}));

    auto cum = dayBalanceSeries(list, "05", GraphFilter{}, true, kDefaultTitles);
    EXPECT_EQ(values(cum), (std::vector<double>{11500, 9500}));
    EXPECT_EQ(cum.unit, GraphUnit::Yen);
}

TEST(DayBalanceSeries, ADayNeverAddsToAnotherDaysPoint) {
    // Hall filter: the day's first record ("1") is at another hall, so the
    // filtered hall's record is marked "2"; it must still be a point of its own
    // day, not added to the 05/01 point.
    auto list = listOf("2004",
                       {rec("2004/05/01", "土", "10,000", "1", "A館"), rec("2004/05/02", "日", "5,000", "1", "B館"),
                        rec("2004/05/02", "日", "-1,000", "2", "A館")});
    auto s = dayBalanceSeries(list, "05", hallFilter("A館"), false, kDefaultTitles);
    EXPECT_EQ(labels(s), (std::vector<std::string>{"01", "02"}));
    EXPECT_EQ(values(s), (std::vector<double>{10000, -1000}));

    // The date sort can put a "2" record before the "1" record of its date.
    auto reordered = listOf("2004", {rec("2004/05/01", "土", "10,000", "1"), rec("2004/05/04", "火", "700", "2"),
                                     rec("2004/05/04", "火", "300", "1")});
    auto r = dayBalanceSeries(reordered, "05", GraphFilter{}, false, kDefaultTitles);
    EXPECT_EQ(labels(r), (std::vector<std::string>{"01", "04"}));
    EXPECT_EQ(values(r), (std::vector<double>{10000, 1000}));
}

TEST(DayBalanceSeries, NothingMatchingGivesTheNoDataChartWithItsCaption) {
    TitleOptions all{true, true, true};
    auto list = listOf("2004", {rec("2004/04/30", "金", "9,000")});
    for (const auto& s : {dayBalanceSeries(list, "05", GraphFilter{}, false, all),
                          dayBalanceSeries(list, "04", hallFilter("ない店"), true, all)}) {
        EXPECT_TRUE(s.noData);
        EXPECT_TRUE(s.points.empty());
        EXPECT_EQ(s.chartTitle, "該当するデータはありません");
        EXPECT_EQ(s.xAxisTitle, "");
        EXPECT_EQ(s.yAxisTitle, "");
    }
    EXPECT_EQ(dayBalanceSeries(list, "05", GraphFilter{}, false, all).caption, "日間収支グラフ （2004年05月度）");
}

TEST(VerticalAxisTitle, TheUnitsBracketsReadTheRightWayAlongTheAxis) {
    const struct {
        std::string_view title, shown;
    } cases[] = {
        {"収 支 額 ⌒円ー", "収 支 額 （円）"},
        {"収 支 額 ⌒万円ー", "収 支 額 （万円）"},
        {"", ""},                          // a hidden title
        {"遊   技   日", "遊   技   日"},  // no bracket: unchanged
        {"ー ⌒円ー", "ー （円）"},         // only the "ー" after the unit closes
        {"額 ⌒円", "額 （円）"},           // an unclosed unit is closed
    };
    for (const auto& c : cases) EXPECT_EQ(verticalAxisTitle(c.title), c.shown) << c.title;
}

TEST(TitleOptions, EachAxisSwitchShowsTheAxisItsLabelNames) {
    // chkG2 is labelled for the X axis, chkG3 for the Y axis.
    OptionSet o;
    o.chkG1Value = "1";
    o.chkG2Value = "0";
    o.chkG3Value = "1";
    auto list = listOf("2003", {rec("2003/03/01", "土", "1,000")});
    auto s = monthBalanceSeries(list, GraphFilter{}, false, TitleOptions::from(o));
    EXPECT_EQ(s.chartTitle, "月間収支グラフ （2003年度）");
    EXPECT_EQ(s.caption, "月間収支グラフ （2003年度）");
    EXPECT_EQ(s.xAxisTitle, "");
    EXPECT_EQ(s.yAxisTitle, "収 支 額 ⌒円ー");

    o.chkG1Value = "0";
    o.chkG2Value = "1";
    o.chkG3Value = "0";
    s = monthBalanceSeries(list, GraphFilter{}, false, TitleOptions::from(o));
    EXPECT_EQ(s.chartTitle, "");
    EXPECT_EQ(s.caption, "月間収支グラフ （2003年度）");
    EXPECT_EQ(s.xAxisTitle, "遊   技   月");
    EXPECT_EQ(s.yAxisTitle, "");
}

// ---- month graph ----

TEST(MonthBalanceSeries, AbsentMonthsAreLeftOut) {
    auto list = listOf("2003", {rec("2003/03/02", "日", "1,000"), rec("2003/07/05", "土", "-2,000"),
                                rec("2003/03/09", "日", "500"), rec("2003/07/06", "日", "9", "1", "X", "他機種")});
    auto s = monthBalanceSeries(list, machineFilter("海物語"), false, kDefaultTitles);
    EXPECT_EQ(labels(s), (std::vector<std::string>{"03", "07"}));
    EXPECT_EQ(values(s), (std::vector<double>{1500, -2000}));

    auto none = monthBalanceSeries(list, hallFilter("ない店"), false, kDefaultTitles);
    EXPECT_TRUE(none.noData);
    EXPECT_EQ(none.caption, "月間収支グラフ （2003年度）");
}

TEST(MonthBalanceSeries, CumulativeSwitchesToManYenAboveAnyRunningSumOf899999) {
    auto list = listOf("2003", {rec("2003/01/02", "木", "500,000"), rec("2003/02/02", "日", "450,000")});
    auto cum = monthBalanceSeries(list, GraphFilter{}, true, kDefaultTitles);
    EXPECT_EQ(values(cum), (std::vector<double>{50, 95}));
    EXPECT_EQ(cum.unit, GraphUnit::ManYen);
    EXPECT_EQ(cum.yAxisTitle, "収 支 額 ⌒万円ー");

    auto plain = monthBalanceSeries(list, GraphFilter{}, false, kDefaultTitles);
    EXPECT_EQ(values(plain), (std::vector<double>{500000, 450000}));
    EXPECT_EQ(plain.yAxisTitle, "収 支 額 ⌒円ー");

    // Exactly 899,999 stays in yen; large losses never switch.
    auto edge = monthBalanceSeries(
        listOf("2003", {rec("2003/01/02", "木", "899,999"), rec("2003/02/02", "日", "-1,950,000")}), GraphFilter{},
        true, kDefaultTitles);
    EXPECT_EQ(values(edge), (std::vector<double>{899999, -1050001}));
    EXPECT_EQ(edge.unit, GraphUnit::Yen);
}

// The switch to 万円 on both sides of 900,000 yen, for every graph that has it:
// the month graph's running sum, the weekday sums and the year graph's points.
TEST(ManYenSwitch, StaysInYenAt899999AndSwitchesAt900000) {
    TempFolder tmp;
    RecordStore store(tmp.path());
    tmp.makeUser("太郎");
    for (const auto& [figure, unit] : {std::pair{"899,999", GraphUnit::Yen}, std::pair{"900,000", GraphUnit::ManYen}}) {
        SCOPED_TRACE(figure);
        // 400,000 then the rest in a later month: only the running sum reaches the figure.
        const std::string rest = figure == std::string("899,999") ? "499,999" : "500,000";
        auto months = listOf("2003", {rec("2003/01/02", "木", "400,000"), rec("2003/02/02", "日", rest)});
        EXPECT_EQ(monthBalanceSeries(months, GraphFilter{}, true, kDefaultTitles).unit, unit);
        EXPECT_EQ(monthBalanceSeries(months, GraphFilter{}, false, kDefaultTitles).unit, GraphUnit::Yen);
        auto days = listOf("2004", {rec("2004/05/06", "木", figure)});
        EXPECT_EQ(weekdaySeries(GraphPeriod::Day, days, "05", store, GraphFilter{}).unit, unit);
        test::putBytes(tmp.path() / "Data" / "太郎" / "Year.txt",
                       "\"2003\"," + std::string(figure == std::string("899,999") ? "899999" : "900000") + "\r\n");
        EXPECT_EQ(yearBalanceSeries(store, "太郎", GraphFilter{}, false, kDefaultTitles).unit, unit);
    }
}

TEST(MonthBalanceSeries, ManYenRunningSumsRoundHalvesToEven) {
    // 25,000 -> 2.5 -> 2; then 2 + 87.5 = 89.5 -> 90; then 90 + 0.5 = 90.5 -> 90.
    auto list = listOf("2003", {rec("2003/01/02", "木", "25,000"), rec("2003/02/02", "日", "875,000"),
                                rec("2003/03/02", "日", "5,000")});
    auto s = monthBalanceSeries(list, GraphFilter{}, true, kDefaultTitles);
    EXPECT_EQ(values(s), (std::vector<double>{2, 90, 90}));
}

// ---- year graph ----

class YearGraph : public ::testing::Test {
protected:
    TempFolder tmp;
    fs::path user = tmp.makeUser("太郎");
    RecordStore store{tmp.path()};

    void yearTxt(std::string_view text) { test::putBytes(user / "Year.txt", test::sjis(text)); }
};

TEST_F(YearGraph, WithoutFilterReadsYearTxtAndTitlesFromTheFileNames) {
    writeYearFile(user, "2003", {});
    writeYearFile(user, "2004", {});
    writeYearFile(user, "2002", {});
    yearTxt("\"2002\",-950000\n\"2003\",125500\n");
    auto s = yearBalanceSeries(store, "太郎", GraphFilter{}, false, kDefaultTitles);
    EXPECT_EQ(s.caption, "年間収支グラフ （2002-2004年度）");
    EXPECT_EQ(labels(s), (std::vector<std::string>{"2002", "2003"}));
    EXPECT_EQ(values(s), (std::vector<double>{-950000, 125500}));
    EXPECT_EQ(s.unit, GraphUnit::Yen);
    EXPECT_EQ(s.xAxisTitle, "遊   技   年");

    auto cum = yearBalanceSeries(store, "太郎", GraphFilter{}, true, kDefaultTitles);
    EXPECT_EQ(values(cum), (std::vector<double>{-950000, -824500}));
}

TEST_F(YearGraph, APointOf900000SwitchesEveryPointToManYenHalvesToEven) {
    writeYearFile(user, "2003", {});
    yearTxt("\"2001\",25000\n\"2002\",15000\n\"2003\",900000\n");
    auto s = yearBalanceSeries(store, "太郎", GraphFilter{}, false, kDefaultTitles);
    EXPECT_EQ(s.caption, "年間収支グラフ （2003年度）");
    EXPECT_EQ(values(s), (std::vector<double>{2, 2, 90}));
    EXPECT_EQ(s.yAxisTitle, "収 支 額 ⌒万円ー");

    auto cum = yearBalanceSeries(store, "太郎", GraphFilter{}, true, kDefaultTitles);
    EXPECT_EQ(values(cum), (std::vector<double>{2, 4, 94}));

    yearTxt("\"2003\",899999\n");
    EXPECT_EQ(yearBalanceSeries(store, "太郎", GraphFilter{}, false, kDefaultTitles).unit, GraphUnit::Yen);
}

TEST_F(YearGraph, AFilterReadsTheYearFilesOnePointPerFileWithAMatch) {
    yearTxt("\"2002\",1\n\"2003\",2\n\"2004\",3\n");  // not used with a filter
    writeYearFile(user, "2002",
                  {rec("2002/01/05", "土", "1,000", "1", "A館"), rec("2002/02/05", "火", "2,000", "1", "A館"),
                   rec("2002/02/06", "水", "9,999", "1", "B館")});
    writeYearFile(user, "2003", {rec("2003/01/05", "日", "7,000", "1", "B館")});
    writeYearFile(user, "2004", {rec("2004/03/05", "金", "-500", "1", "A館")});
    test::putBytes(user / "backup.sdb", "not a year file");
    auto s = yearBalanceSeries(store, "太郎", hallFilter("A館"), false, kDefaultTitles);
    EXPECT_EQ(labels(s), (std::vector<std::string>{"2002", "2004"}));
    EXPECT_EQ(values(s), (std::vector<double>{3000, -500}));
    EXPECT_EQ(s.caption, "年間収支グラフ （2002-2004年度）");

    auto none = yearBalanceSeries(store, "太郎", machineFilter("ない機種"), false, kDefaultTitles);
    EXPECT_TRUE(none.points.empty());
    EXPECT_FALSE(none.noData);  // the year graph keeps its titles
    EXPECT_EQ(none.yAxisTitle, "収 支 額 ⌒円ー");
}

TEST_F(YearGraph, DamagedYearFileIsReportedNotSkipped) {
    test::putBytes(user / "s2003.sdb", test::sjis("\"2003/01/05\",\"2003\"\n"));
    EXPECT_THROW(yearBalanceSeries(store, "太郎", hallFilter("A館"), false, kDefaultTitles), FileError);
}

TEST_F(YearGraph, UserWithoutYearFilesGetsATitleWithoutYears) {
    auto s = yearBalanceSeries(store, "太郎", GraphFilter{}, false, kDefaultTitles);
    EXPECT_EQ(s.caption, "年間収支グラフ");
    EXPECT_TRUE(s.points.empty());
    auto w = weekdaySeries(GraphPeriod::Year, listOf("2004", {rec("2004/01/01", "木", "1")}), "01", store,
                           GraphFilter{});
    EXPECT_EQ(w.caption, "年間曜日別グラフ");
}

TEST(YearFileNames, YearsAreOrderedByValueNotByName) {
    std::vector<YearFileEntry> files{{"s2010.sdb", "2010"}, {"s999.sdb", "999"}, {"s2003.sdb", "2003"}};
    EXPECT_EQ(yearSpanText(files), "999-2010");
    EXPECT_EQ(yearOfFileName("S2003.SDB"), "2003");
    EXPECT_EQ(yearOfFileName("s2003 copy.sdb"), std::nullopt);
    EXPECT_EQ(yearOfFileName("s.sdb"), std::nullopt);
}

// ---- weekday graphs ----

TEST(WeekdaySeries, SaturdayOnlyMonthGivesSixZeroPoints) {
    auto list = listOf("2004", {rec("2004/05/01", "土", "3,000"), rec("2004/05/08", "土", "-1,000"),
                                rec("2004/06/02", "水", "5,000")});
    TempFolder tmp;
    RecordStore store(tmp.path());
    auto s = weekdaySeries(GraphPeriod::Day, list, "05", store, GraphFilter{});
    EXPECT_EQ(s.caption, "日間曜日別グラフ （05月度）");
    EXPECT_EQ(labels(s), (std::vector<std::string>{"月", "火", "水", "木", "金", "土", "日"}));
    EXPECT_EQ(values(s), (std::vector<double>{0, 0, 0, 0, 0, 2000, 0}));
    EXPECT_EQ(s.chartTitle, "");
    EXPECT_EQ(s.xAxisTitle, "曜    日");
    EXPECT_EQ(s.yAxisTitle, "収 支 額 ⌒円ー");

    auto year = weekdaySeries(GraphPeriod::Month, list, "05", store, GraphFilter{});
    EXPECT_EQ(year.caption, "月間曜日別グラフ （2004年度）");
    EXPECT_EQ(values(year), (std::vector<double>{0, 0, 5000, 0, 0, 2000, 0}));

    // A record without a weekday name is a match that adds to no point.
    auto odd = weekdaySeries(GraphPeriod::Day, listOf("2004", {rec("2004/05/01", "", "3,000")}), "05", store,
                             GraphFilter{});
    EXPECT_FALSE(odd.noData);
    EXPECT_EQ(values(odd), std::vector<double>(7, 0.0));
}

TEST(WeekdaySeries, ManYenKeepsTheFraction) {
    auto list = listOf("2004", {rec("2004/05/02", "日", "950,000"), rec("2004/05/03", "月", "12,345"),
                                rec("2004/05/04", "火", "10,000"), rec("2004/05/05", "水", "-2,000,000")});
    TempFolder tmp;
    RecordStore store(tmp.path());
    auto s = weekdaySeries(GraphPeriod::Day, list, "05", store, GraphFilter{});
    EXPECT_EQ(s.unit, GraphUnit::ManYen);
    EXPECT_EQ(s.yAxisTitle, "収 支 額 ⌒万円ー");
    EXPECT_EQ(values(s), (std::vector<double>{1.2345, 1, -200, 0, 0, 0, 95}));
    EXPECT_EQ(plainValueText(s.points[0].value), "1.2345");
    EXPECT_EQ(plainValueText(s.points[2].value), "-200");

    // A large loss alone does not switch; 899,999 does not either.
    auto loss = weekdaySeries(
        GraphPeriod::Day, listOf("2004", {rec("2004/05/05", "水", "-2,000,000"), rec("2004/05/06", "木", "899,999")}),
        "05", store, GraphFilter{});
    EXPECT_EQ(loss.unit, GraphUnit::Yen);
    EXPECT_EQ(values(loss), (std::vector<double>{0, 0, -2000000, 899999, 0, 0, 0}));
}

TEST(WeekdaySeries, AllYearsReadsEveryYearFileButNeedsTheSelectedYearToHoldRecords) {
    TempFolder tmp;
    fs::path user = tmp.makeUser("太郎");
    RecordStore store(tmp.path());
    writeYearFile(
        user, "2003",
        {rec("2003/01/06", "月", "1,000", "1", "A館", "海物語"), rec("2003/01/07", "火", "2,000", "1", "A館", "北斗")});
    writeYearFile(user, "2002", {rec("2002/01/07", "月", "500", "1", "B館", "海物語")});
    writeYearFile(user, "2004", {});

    auto empty = weekdaySeries(GraphPeriod::Year, store.loadYear("太郎", "2004"), "01", store, GraphFilter{});
    EXPECT_TRUE(empty.noData);
    EXPECT_EQ(empty.chartTitle, "該当するデータはありません");
    EXPECT_EQ(empty.caption, "年間曜日別グラフ （2002-2004年度）");

    auto list = store.loadYear("太郎", "2003");
    auto all = weekdaySeries(GraphPeriod::Year, list, "01", store, GraphFilter{});
    EXPECT_EQ(values(all), (std::vector<double>{1500, 2000, 0, 0, 0, 0, 0}));
    auto machine = weekdaySeries(GraphPeriod::Year, list, "01", store, machineFilter("海物語"));
    EXPECT_EQ(values(machine), (std::vector<double>{1500, 0, 0, 0, 0, 0, 0}));
    auto monthMachine = weekdaySeries(GraphPeriod::Month, list, "01", store, machineFilter("北斗"));
    EXPECT_EQ(values(monthMachine), (std::vector<double>{0, 2000, 0, 0, 0, 0, 0}));
    auto noMatch = weekdaySeries(GraphPeriod::Day, list, "01", store, hallFilter("B館"));
    EXPECT_TRUE(noMatch.noData);
}

// ---- the shared entry point ----

TEST(ComputeGraph, DispatchesByItemAndPeriodAndWeekdayIgnoresCumulative) {
    TempFolder tmp;
    fs::path user = tmp.makeUser("太郎");
    RecordStore store(tmp.path());
    writeYearFile(user, "2004", {rec("2004/05/01", "土", "1,000"), rec("2004/05/02", "日", "2,000")});
    test::saveYearTotal(store, "太郎", "2004");
    auto list = store.loadYear("太郎", "2004");

    GraphRequest req;
    req.cumulative = true;
    EXPECT_EQ(values(computeGraph(req, list, "05", store)), (std::vector<double>{1000, 3000}));
    req.period = GraphPeriod::Year;
    EXPECT_EQ(labels(computeGraph(req, list, "05", store)), (std::vector<std::string>{"2004"}));
    req.item = GraphItem::Weekday;
    EXPECT_EQ(values(computeGraph(req, list, "05", store)), (std::vector<double>{0, 0, 0, 0, 0, 1000, 2000}));
}

}  // namespace
}  // namespace tama
