#include "weekday_series.h"

#include <array>

#include "shared/number_format.h"

namespace tama {

namespace {

struct WeekdayTotals {
    std::array<double, 7> buckets{};
    long long matches = 0;

    void add(const DailyRecord& r) {
        ++matches;
        const int i = weekdayChartIndex(r.Youbi);
        if (i >= 0)
            buckets[static_cast<size_t>(i)] = roundHalfEven(buckets[static_cast<size_t>(i)] + numberOrZero(r.Syusi));
    }
};

}  // namespace

std::string weekdayTitle(GraphPeriod period, std::string_view year, std::string_view month,
                         const std::vector<YearFileEntry>& files) {
    switch (period) {
        case GraphPeriod::Day: return "日間曜日別グラフ （" + std::string(month) + "月度）";
        case GraphPeriod::Month: return "月間曜日別グラフ （" + std::string(year) + "年度）";
        case GraphPeriod::Year: return allYearsTitle("年間曜日別グラフ", files);
    }
    return {};
}

GraphSeries weekdaySeries(GraphPeriod period, const YearRecordList& list, std::string_view month,
                          const RecordStore& store, const GraphFilter& filter) {
    std::vector<YearFileEntry> files;
    if (period == GraphPeriod::Year) files = listYearFiles(store, list.user);

    WeekdayTotals totals;
    if (!list.records.empty()) {
        if (period == GraphPeriod::Year) {
            for (const auto& file : files)
                for (const auto& r : readYearFile(file.path))
                    if (filter.matches(r)) totals.add(r);
        } else {
            for (const auto& r : list.records)
                if ((period == GraphPeriod::Month || r.Tuki == month) && filter.matches(r)) totals.add(r);
        }
    }

    GraphSeries s;
    s.caption = weekdayTitle(period, list.year, month, files);
    if (totals.matches == 0) {
        s.chartTitle = std::string(kNoDataTitle);
        s.noData = true;
        return s;
    }
    bool large = false;
    for (double b : totals.buckets) large = large || b > 899999;
    if (large) s.unit = GraphUnit::ManYen;
    for (size_t i = 0; i < 7; ++i)
        s.points.push_back(
            {std::string(kWeekdayChartOrder[i]), large ? totals.buckets[i] / 10000.0 : totals.buckets[i]});
    s.xAxisTitle = std::string(kWeekdayAxisTitle);
    s.yAxisTitle = std::string(large ? kManYenAxisTitle : kYenAxisTitle);
    return s;
}

}  // namespace tama
