// Clicking into the balance graphs: what each point opens, and the figure its
// tooltip names (the yen behind a point drawn in 万円 too).
#include <gtest/gtest.h>

#include "graphs/balance_series.h"
#include "graphs/graph_drill.h"
#include "test_support.h"

namespace tama {
namespace {

GraphSeries pointsOf(std::vector<GraphPoint> points) {
    GraphSeries s;
    s.points = std::move(points);
    return s;
}

DrawnGraph drawn(GraphPeriod period, bool cumulative = false, GraphItem item = GraphItem::Balance) {
    return {period, item, cumulative, "2024", "05"};
}

TEST(GraphDrill, WhatAPointOpens) {
    const GraphSeries s = pointsOf({{"04", 11500}, {"18", -2000}});
    using K = DrillTarget::Kind;
    struct Case {
        DrawnGraph graph;
        size_t index;
        DrillTarget target;
    } cases[] = {
        {drawn(GraphPeriod::Year), 1, {K::MonthGraph, "18", "05", ""}},  // the year's month graph, month kept
        {drawn(GraphPeriod::Month), 0, {K::DayGraph, "2024", "04", ""}},
        {drawn(GraphPeriod::Day), 1, {K::MonthlyDay, "2024", "05", "18"}},
        {drawn(GraphPeriod::Day, true), 0, {K::MonthlyDay, "2024", "05", "04"}},  // cumulative: the same
        {drawn(GraphPeriod::Month, false, GraphItem::Weekday), 0, {}},            // weekdays open nothing
        {drawn(GraphPeriod::Day), 2, {}},                                         // past the last point
    };
    for (const auto& c : cases) EXPECT_EQ(drillTarget(c.graph, s, c.index), c.target) << c.index;

    GraphSeries empty = pointsOf({});
    empty.noData = true;
    EXPECT_EQ(drillTarget(drawn(GraphPeriod::Day), empty, 0).kind, K::None);
}

TEST(GraphDrill, TooltipsNameTheDateAndTheExactFigure) {
    const GraphSeries s = pointsOf({{"04", 11500}, {"12", -1234567}});
    EXPECT_EQ(pointTipText(drawn(GraphPeriod::Day), s, 0), "2024/05/04　11,500 円");
    EXPECT_EQ(pointTipText(drawn(GraphPeriod::Month), s, 1), "2024年12月　-1,234,567 円");
    EXPECT_EQ(pointTipText(drawn(GraphPeriod::Day, true), s, 1), "2024/05/12 までの累積　-1,234,567 円");
    EXPECT_EQ(pointTipText(drawn(GraphPeriod::Day, false, GraphItem::Weekday), s, 0), "");
}

// Points drawn in 万円 are rounded; the tooltip names the yen they stand for.
TEST(GraphDrill, ManYenPointsKeepTheirYen) {
    YearRecordList list;
    list.user = "太郎";
    list.year = "2024";
    auto visit = [](std::string date, std::string syusi) {
        DailyRecord r = test::recordOn(date);
        r.Syusi = std::move(syusi);
        return r;
    };
    list.records = {visit("2024/03/01", "500,123"), visit("2024/07/01", "449,999")};
    const GraphSeries s = monthBalanceSeries(list, GraphFilter{}, true, TitleOptions{});
    ASSERT_EQ(s.unit, GraphUnit::ManYen);
    EXPECT_EQ(s.points[1].value, 95);
    EXPECT_EQ(pointTipText(drawn(GraphPeriod::Month, true), s, 1), "2024年07月 までの累積　950,122 円");

    test::TempFolder tmp;
    const fs::path user = tmp.makeUser("太郎");
    test::putBytes(user / "Year.txt", test::sjis("\"2023\",-950000\n\"2024\",1234567\n"));
    RecordStore store{tmp.path()};
    const GraphSeries years = yearBalanceSeries(store, "太郎", GraphFilter{}, true, TitleOptions{});
    ASSERT_EQ(years.unit, GraphUnit::ManYen);
    EXPECT_EQ(years.points[1].value, 28);  // -95 + 123
    EXPECT_EQ(pointTipText(drawn(GraphPeriod::Year, true), years, 1), "2024年 までの累積　284,567 円");
    EXPECT_EQ(pointTipText(drawn(GraphPeriod::Year), years, 0), "2023年　-950,000 円");
}

}  // namespace
}  // namespace tama
