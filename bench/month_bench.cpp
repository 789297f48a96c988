// Opening a month for a user with 50 years of 2,000 records each: what the
// monthly window does on a reload (load the selected year's file, select and
// summarise the month, sort the rows by date), beside the floor of reading and
// decoding the same file's bytes. The window only ever reads one year, so the
// 49 other files must not make it slower.
#include "bench_support.h"

#include "monthly/month_summary.h"
#include "shared/file_io.h"
#include "shared/text_codec.h"
#include "storage/record_store.h"

namespace {

using namespace tama;
using tama::bench::kUser;

const std::string kYear = "2015";

struct Sample {
    fs::path folder;
    fs::path yearFile;
};
const Sample& sample() {
    static Sample s = [] {
        const auto& shared = tama::bench::sample(1990, 2039, 2000);  // 50 years
        return Sample{shared.folder, RecordStore(shared.folder).yearFilePath(kUser, kYear)};
    }();
    return s;
}

// Floor: the bytes of the year file read and decoded from CP932, nothing more.
void OpenMonth_floor(benchmark::State& state) {
    const fs::path file = sample().yearFile;
    for (auto _ : state) {
        auto bytes = readFileBytes(file);
        auto text = cp932ToUtf8(*bytes);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(OpenMonth_floor)->Unit(benchmark::kMillisecond);

// The reload: reloadYear (load the year), refillList (month rows and summary), date sort.
void OpenMonth_store(benchmark::State& state) {
    RecordStore store(sample().folder);
    for (auto _ : state) {
        YearRecordList list = loadMonthYear(store, kUser, kYear);
        MonthSummary s = summarizeMonth(list.records, "05");
        sortByDate(s.rows);
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(OpenMonth_store)->Unit(benchmark::kMillisecond);

// refillList alone over the loaded year (what the entry form's refresh costs beyond the load).
void BM_SummarizeMonthOfLoadedYear(benchmark::State& state) {
    RecordStore store(sample().folder);
    YearRecordList list = loadMonthYear(store, kUser, kYear);
    for (auto _ : state) {
        MonthSummary s = summarizeMonth(list.records, "05");
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_SummarizeMonthOfLoadedYear)->Unit(benchmark::kMicrosecond);

// A heading click on the balance column (generic, numbers compared as numbers).
void BM_HeadingSortBalance(benchmark::State& state) {
    RecordStore store(sample().folder);
    YearRecordList list = loadMonthYear(store, kUser, kYear);
    MonthSummary s = summarizeMonth(list.records, "05");
    int flag = 0;
    for (auto _ : state) {
        sortOnHeadingClick(s.rows, 6, flag);
        benchmark::DoNotOptimize(s.rows);
    }
}
BENCHMARK(BM_HeadingSortBalance)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    sample();
    return tama::bench::runWithRatios(argc, argv, {"OpenMonth"});
}
