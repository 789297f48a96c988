// The analysis search and its tables for a user with 50 YearFiles of 2,000
// records each (100,000 records):
//  - "Search": a search with the monthly table (read every file, filter, keep the
//    matches, build tab 1) beside the floor of reading the same files once with
//    the record store's reader;
//  - "TabChange<tab>": building a tab's table from the 100,000 matched records,
//    what a tab change costs (one screen frame is 16 ms), beside the floor of one
//    pass over the matched records summing their balances.
#include "bench_support.h"

#include <memory>

#include "analysis/statistics.h"
#include "storage/record_store.h"

namespace {

using namespace tama;
using tama::bench::kUser;

const tama::bench::Sample& sample() { return tama::bench::sample(1990, 2039, 2000); }  // 50 years

SearchCriteria everything() {
    SearchCriteria c;
    c.user = kUser;
    c.allPeriod = true;
    return c;
}

const std::shared_ptr<const MatchedRecords>& matched() {
    static const auto m = std::make_shared<const MatchedRecords>(loadRecords(sample().folder, everything()));
    return m;
}

// Floor: every YearFile read once with the store's reader.
void Search_floor(benchmark::State& state) {
    for (auto _ : state) {
        size_t n = 0;
        for (const fs::path& f : sample().yearFiles) n += readYearFile(f).size();
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(Search_floor)->Unit(benchmark::kMillisecond);

// cmdKen on the monthly tab: loadRecords and buildTable.
void Search_store(benchmark::State& state) {
    for (auto _ : state) {
        auto m = std::make_shared<const MatchedRecords>(loadRecords(sample().folder, everything()));
        AnalysisTable t = buildTable(m, AnalysisTab::Monthly);
        benchmark::DoNotOptimize(t);
    }
}
BENCHMARK(Search_store)->Unit(benchmark::kMillisecond);

// Floor of a tab change: one pass over the matched records.
void tabChangeFloor(benchmark::State& state) {
    const auto& m = matched();
    for (auto _ : state) {
        double sum = 0;
        for (const MatchedRecord& r : m->records) sum += r.balanceValue;
        benchmark::DoNotOptimize(sum);
    }
}

// A tab change: the tab's table from the same matched records (sorted as shown).
void tabChange(benchmark::State& state, int tab) {
    const auto& m = matched();
    for (auto _ : state) {
        AnalysisTable t = buildTable(m, static_cast<AnalysisTab>(tab));
        benchmark::DoNotOptimize(t);
    }
    state.SetLabel(std::string(kAnalysisTabCaptions[static_cast<size_t>(tab)]));
}

// A heading click on the daily list's balance column over 100,000 rows.
void BM_HeadingSortDailyBalance(benchmark::State& state) {
    AnalysisTable t = buildTable(matched(), AnalysisTab::Daily);
    int flag = 0;
    for (auto _ : state) {
        t.sortOnHeadingClick(10, flag);
        benchmark::DoNotOptimize(t);
    }
}
BENCHMARK(BM_HeadingSortDailyBalance)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    sample();
    matched();
    std::vector<std::string> figures = {"Search"};
    for (int tab = 0; tab < kAnalysisTabCount; ++tab) {
        const std::string name = "TabChange" + std::to_string(tab);
        benchmark::RegisterBenchmark((name + "_floor").c_str(), tabChangeFloor)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((name + "_store").c_str(), tabChange, tab)->Unit(benchmark::kMillisecond);
        figures.push_back(name);
    }
    return tama::bench::runWithRatios(argc, argv, figures);
}
