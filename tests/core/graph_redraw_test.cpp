#include <gtest/gtest.h>

#include "graphs/redraw_control.h"

namespace tama {
namespace {

using Draw = RedrawStep::Draw;

// A control past its first step, with the selection it opened with.
struct Opened {
    GraphSelection sel;
    RedrawControl control{sel};
    Opened() { control.step(sel); }
    RedrawStep step() { return control.step(sel); }
};

void expectNothing(const RedrawStep& s) {
    EXPECT_EQ(s.draw, Draw::None);
    EXPECT_FALSE(s.applyType.has_value());
    EXPECT_FALSE(s.changesChart());
}

void expectDraw(const RedrawStep& s, Draw draw, GraphPeriod period, bool cumulative = false) {
    EXPECT_EQ(s.draw, draw);
    EXPECT_EQ(s.period, period);
    EXPECT_EQ(s.cumulative, cumulative);
}

TEST(ChartTypeText, RoundTripsTheFourBoxTexts) {
    for (ChartType t : {ChartType::Bar, ChartType::Line, ChartType::Bar3D, ChartType::Line3D})
        EXPECT_EQ(chartTypeFromText(chartTypeText(t)), t);
    EXPECT_EQ(chartTypeFromText("3D折れ線ｸﾞﾗﾌ"), ChartType::Line3D);
    EXPECT_FALSE(chartTypeFromText("3D折れ線グラフ").has_value());  // full-width katakana is another text
    EXPECT_FALSE(chartTypeFromText("").has_value());
}

TEST(RedrawControl, FirstStepDrawsTheDayGraphThenIdleStepsDrawNothing) {
    GraphSelection sel;
    RedrawControl c{sel};
    RedrawStep first = c.step(sel);
    expectDraw(first, Draw::Balance, GraphPeriod::Day);
    EXPECT_EQ(first.applyType, ChartType::Bar);
    EXPECT_TRUE(first.cumulativeEnabled);
    for (int i = 0; i < 5; ++i) expectNothing(c.step(sel));
}

TEST(RedrawControl, AFilterChangeDrawsOnceWhateverTheMode) {
    Opened o;
    o.sel.hall = "駅前ホール";
    RedrawStep s = o.step();
    expectDraw(s, Draw::Balance, GraphPeriod::Day);
    EXPECT_EQ(s.applyType, ChartType::Bar);
    expectNothing(o.step());

    o.sel.machine = "海物語";
    expectDraw(o.step(), Draw::Balance, GraphPeriod::Day);
    expectNothing(o.step());

    // Cumulative mode and weekday mode follow a filter as well.
    o.sel.cumulative = true;
    expectDraw(o.step(), Draw::Balance, GraphPeriod::Day, true);
    o.sel.hall = std::string(kAllHalls);
    expectDraw(o.step(), Draw::Balance, GraphPeriod::Day, true);
    expectNothing(o.step());
    o.sel.item = std::string(kItemWeekdayText);
    expectDraw(o.step(), Draw::Weekday, GraphPeriod::Day);
    o.sel.machine = std::string(kAllMachines);
    expectDraw(o.step(), Draw::Weekday, GraphPeriod::Day);
    expectNothing(o.step());
}

TEST(RedrawControl, AChartTypeChangeAppliesTheTypeWithoutDrawingAGraph) {
    Opened o;
    for (ChartType t : {ChartType::Line3D, ChartType::Bar3D, ChartType::Line, ChartType::Bar}) {
        o.sel.type = std::string(chartTypeText(t));
        RedrawStep s = o.step();
        EXPECT_EQ(s.draw, Draw::None);
        EXPECT_EQ(s.applyType, t);
        expectNothing(o.step());
    }
    EXPECT_FALSE(o.control.stale(StaleGraph::Bar));
    EXPECT_TRUE(o.control.stale(StaleGraph::Line3D));
    // A text that names no type applies nothing.
    o.sel.type = "円ｸﾞﾗﾌ";
    EXPECT_FALSE(o.step().changesChart());
}

TEST(RedrawControl, PeriodChangesDrawEachPeriodAgain) {
    Opened o;
    o.sel.period = std::string(kPeriodMonthText);
    expectDraw(o.step(), Draw::Balance, GraphPeriod::Month);
    expectNothing(o.step());
    o.sel.period = std::string(kPeriodYearText);
    expectDraw(o.step(), Draw::Balance, GraphPeriod::Year);
    // Back to a period drawn before: it was marked stale when another one was drawn.
    o.sel.period = std::string(kPeriodDayText);
    expectDraw(o.step(), Draw::Balance, GraphPeriod::Day);
    expectNothing(o.step());
}

TEST(RedrawControl, CumulativeModeDrawsOnEntryAndThePlainGraphComesBackOnLeaving) {
    Opened o;
    o.sel.cumulative = true;
    expectDraw(o.step(), Draw::Balance, GraphPeriod::Day, true);
    expectNothing(o.step());
    EXPECT_TRUE(o.control.recordsChanged());  // kept so that leaving redraws

    o.sel.period = std::string(kPeriodMonthText);
    expectDraw(o.step(), Draw::Balance, GraphPeriod::Month, true);
    expectNothing(o.step());

    o.sel.cumulative = false;
    expectDraw(o.step(), Draw::Balance, GraphPeriod::Month, false);
    expectNothing(o.step());
}

TEST(RedrawControl, LeavingCumulativeModeRedrawsAlsoAfterAChartTypeChangeInTheSameStep) {
    Opened o;
    o.sel.type = std::string(kChartLineText);
    o.step();
    // Cumulative on and back to bars at once, then cumulative off.
    o.sel.cumulative = true;
    o.sel.type = std::string(kChartBarText);
    RedrawStep s = o.step();
    expectDraw(s, Draw::Balance, GraphPeriod::Day, true);
    EXPECT_EQ(s.applyType, ChartType::Bar);
    o.sel.cumulative = false;
    expectDraw(o.step(), Draw::Balance, GraphPeriod::Day, false);
}

TEST(RedrawControl, WeekdayItemDisablesCumulativeAndDrawsPerPeriod) {
    Opened o;
    o.sel.cumulative = true;
    o.step();
    o.sel.item = std::string(kItemWeekdayText);
    RedrawStep s = o.step();
    expectDraw(s, Draw::Weekday, GraphPeriod::Day);
    EXPECT_FALSE(s.cumulativeEnabled);
    EXPECT_EQ(s.applyType, ChartType::Bar);
    RedrawStep idle = o.step();
    EXPECT_FALSE(idle.changesChart());
    EXPECT_FALSE(idle.cumulativeEnabled);

    o.sel.period = std::string(kPeriodYearText);
    expectDraw(o.step(), Draw::Weekday, GraphPeriod::Year);
    o.sel.period = std::string(kPeriodDayText);
    expectDraw(o.step(), Draw::Weekday, GraphPeriod::Day);

    // Back to the balance: chk1 is enabled again and its cumulative graph drawn.
    o.sel.item = std::string(kItemBalanceText);
    s = o.step();
    expectDraw(s, Draw::Balance, GraphPeriod::Day, true);
    EXPECT_TRUE(s.cumulativeEnabled);
    o.sel.cumulative = false;
    expectDraw(o.step(), Draw::Balance, GraphPeriod::Day, false);
    expectNothing(o.step());
}

TEST(RedrawControl, ChangedDataRedrawsTheVisibleGraphOnceInEveryMode) {
    Opened o;
    o.control.dataChanged();
    o.control.dataChanged();  // several reports before one step: one drawing
    RedrawStep s = o.step();
    expectDraw(s, Draw::Balance, GraphPeriod::Day);
    EXPECT_FALSE(s.applyType.has_value());  // the type stays applied
    expectNothing(o.step());

    o.sel.cumulative = true;
    o.sel.period = std::string(kPeriodMonthText);
    o.step();
    o.control.dataChanged();
    expectDraw(o.step(), Draw::Balance, GraphPeriod::Month, true);
    expectNothing(o.step());

    o.sel.item = std::string(kItemWeekdayText);
    o.step();
    o.control.dataChanged();
    expectDraw(o.step(), Draw::Weekday, GraphPeriod::Month);
    expectNothing(o.step());
}

}  // namespace
}  // namespace tama
