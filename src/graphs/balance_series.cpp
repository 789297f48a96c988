#include "balance_series.h"

#include <array>

#include "shared/number_format.h"

namespace tama {

namespace {

// A record's balance in whole yen ("-3,500" -> -3500; text that is not a number counts 0).
double balanceOf(const DailyRecord& r) { return roundHalfEven(numberOrZero(r.Syusi)); }

double toManYen(double yen) { return roundHalfEven(yen / 10000.0); }

// Fills the titles a balance graph shows when it has data, by the title options.
void applyTitles(GraphSeries& s, std::string title, std::string_view xText, const TitleOptions& t) {
    s.caption = std::move(title);
    s.chartTitle = t.chartTitle ? s.caption : std::string();
    s.xAxisTitle = t.xAxisTitle ? std::string(xText) : std::string();
    s.yAxisTitle = t.yAxisTitle ? std::string(s.unit == GraphUnit::ManYen ? kManYenAxisTitle : kYenAxisTitle)
                                : std::string();
}

GraphSeries noDataChart(std::string title) {
    GraphSeries s;
    s.caption = std::move(title);
    s.chartTitle = std::string(kNoDataTitle);
    s.noData = true;
    return s;
}

void makeCumulative(std::vector<GraphPoint>& points) {
    double sum = 0;
    for (auto& p : points) {
        sum += p.value;
        p.value = sum;
    }
}

}  // namespace

std::string dayBalanceTitle(std::string_view year, std::string_view month) {
    return "日間収支グラフ （" + std::string(year) + "年" + std::string(month) + "月度）";
}

std::string monthBalanceTitle(std::string_view year) { return "月間収支グラフ （" + std::string(year) + "年度）"; }

GraphSeries dayBalanceSeries(const YearRecordList& list, std::string_view month, const GraphFilter& filter,
                             bool cumulative, const TitleOptions& titles) {
    std::vector<GraphPoint> points;
    const bool eachRecord = filter.machineOn();
    std::string_view openDate;  // DateKey of the record that opened the latest point
    for (const auto& r : list.records) {
        if (r.Tuki != month || !filter.matches(r)) continue;
        // A record adds to the latest point when it is of the same date: this is
        // what DayFirst "2" marks in a sorted file, but the date itself is
        // checked so that a day whose first record is at another hall (hall
        // filter), or whose "1" record was deleted, never adds to another day.
        if (eachRecord || points.empty() || r.DateKey != openDate) {
            points.push_back({r.Hi, balanceOf(r)});
            openDate = r.DateKey;
        } else {
            points.back().value = roundHalfEven(points.back().value + balanceOf(r));
        }
    }
    std::string title = dayBalanceTitle(list.year, month);
    if (points.empty()) return noDataChart(std::move(title));
    if (cumulative) makeCumulative(points);
    GraphSeries s;
    s.points = std::move(points);
    applyTitles(s, std::move(title), kDayAxisTitle, titles);
    return s;
}

GraphSeries monthBalanceSeries(const YearRecordList& list, const GraphFilter& filter, bool cumulative,
                               const TitleOptions& titles) {
    std::array<double, 12> totals{};
    std::array<bool, 12> present{};
    for (const auto& r : list.records) {
        if (!filter.matches(r)) continue;
        const int m = monthNumber(r.Tuki);
        if (m == 0) continue;  // not a month: belongs to no point
        totals[m - 1] = roundHalfEven(totals[m - 1] + balanceOf(r));
        present[m - 1] = true;
    }
    std::string title = monthBalanceTitle(list.year);
    std::vector<GraphPoint> points;
    std::vector<double> monthTotals;
    for (int m = 1; m <= 12; ++m) {
        if (!present[m - 1]) continue;
        points.push_back({monthLabel(m), totals[m - 1]});
        monthTotals.push_back(totals[m - 1]);
    }
    if (points.empty()) return noDataChart(std::move(title));

    GraphSeries s;
    if (cumulative) {
        makeCumulative(points);
        bool large = false;
        for (const auto& p : points) large = large || p.value > 899999;
        if (large) {
            // Recomputed from the month totals, each step rounded, so the labels
            // add up the way the month totals do.
            s.unit = GraphUnit::ManYen;
            for (const auto& p : points) s.yen.push_back(p.value);
            double c = 0;
            for (size_t k = 0; k < points.size(); ++k) {
                c = k == 0 ? toManYen(monthTotals[0]) : roundHalfEven(monthTotals[k] / 10000.0 + c);
                points[k].value = c;
            }
        }
    }
    s.points = std::move(points);
    applyTitles(s, std::move(title), kMonthAxisTitle, titles);
    return s;
}

GraphSeries yearBalanceSeries(const RecordStore& store, std::string_view user, const GraphFilter& filter,
                              bool cumulative, const TitleOptions& titles) {
    const auto files = listYearFiles(store, user);
    std::vector<GraphPoint> points;
    if (!filter.any()) {
        if (userNameProblem(user).empty())
            for (const auto& line : store.loadYearTotals(user))
                points.push_back({line.year, static_cast<double>(line.total)});
    } else {
        for (const auto& file : files) {
            bool opened = false;
            for (const auto& r : readYearFile(file.path)) {
                if (!filter.matches(r)) continue;
                if (!opened) {
                    points.push_back({r.Nen, balanceOf(r)});
                    opened = true;
                } else {
                    points.back().value = roundHalfEven(points.back().value + balanceOf(r));
                }
            }
        }
    }

    GraphSeries s;
    bool large = false;
    for (const auto& p : points) large = large || p.value >= 900000;
    if (large) {
        s.unit = GraphUnit::ManYen;
        for (auto& p : points) {
            s.yen.push_back(p.value);
            p.value = toManYen(p.value);
        }
    }
    if (cumulative) {
        makeCumulative(points);
        for (size_t k = 1; k < s.yen.size(); ++k) s.yen[k] += s.yen[k - 1];
    }
    s.points = std::move(points);
    applyTitles(s, allYearsTitle("年間収支グラフ", files), kYearAxisTitle, titles);
    return s;
}

}  // namespace tama
