// The graphs that read every YearFile of a user with 50 years of 2,000 records:
//   YearHall   the year balance graph with a hall filter
//   WeekdayAll the weekday graph of the years
// each beside the floor of reading the same 50 files once with the store's reader.
#include "bench_support.h"

#include "graphs/graph_request.h"
#include "storage/record_store.h"

namespace {

using namespace tama;
using tama::bench::kUser;

const tama::bench::Sample& sample() { return tama::bench::sample(1970, 2019, 2000); }

void readAll(benchmark::State& state) {
    for (auto _ : state) {
        std::size_t n = 0;
        for (const auto& f : sample().yearFiles) n += readYearFile(f).size();
        benchmark::DoNotOptimize(n);
    }
}

void runGraph(benchmark::State& state, GraphItem item, bool hallFilter) {
    RecordStore store(sample().folder);
    YearRecordList list = store.loadYear(kUser, "2019");
    GraphRequest request;
    request.period = GraphPeriod::Year;
    request.item = item;
    if (hallFilter) {
        // A hall that the sample data uses.
        request.filter.hall = list.records.front().Holl;
    }
    for (auto _ : state) {
        GraphSeries s = computeGraph(request, list, "06", store);
        if (s.points.empty()) state.SkipWithError("no points");
        benchmark::DoNotOptimize(s);
    }
}

void YearHall_floor(benchmark::State& state) { readAll(state); }
void YearHall_store(benchmark::State& state) { runGraph(state, GraphItem::Balance, true); }
void WeekdayAll_floor(benchmark::State& state) { readAll(state); }
void WeekdayAll_store(benchmark::State& state) { runGraph(state, GraphItem::Weekday, false); }

BENCHMARK(YearHall_floor)->Unit(benchmark::kMillisecond);
BENCHMARK(YearHall_store)->Unit(benchmark::kMillisecond);
BENCHMARK(WeekdayAll_floor)->Unit(benchmark::kMillisecond);
BENCHMARK(WeekdayAll_store)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    sample();
    return tama::bench::runWithRatios(argc, argv, {"YearHall", "WeekdayAll"});
}
