// The record store's reads and writes on a user with 50 years of 2,000 records
// (made by `tamalog-cli generate`), each beside a floor measured in the same run:
//   AllYears   readYearFile of the 50 YearFiles  / read + iconv's decode of the same files
//   loadYear   loadYear of one 2,000-record year  / read + iconv's decode of that file
//   Scan       the start-up scan (DataFolderScan) with its progress callback
//              / read + iconv's decode of the 50 files
#include "bench_support.h"

#include "shared/file_io.h"
#include "storage/data_folders.h"
#include "storage/record_store.h"

namespace {

using namespace tama;
using tama::bench::kUser;

constexpr int kFirstYear = 1970;
constexpr int kLastYear = 2019;  // 50 years
constexpr int kPerYear = 2000;
const std::string kYear = "2000";

const tama::bench::Sample& sample() { return tama::bench::sample(kFirstYear, kLastYear, kPerYear); }

std::size_t decodeOnly(const fs::path& file) { return tama::bench::iconvDecodedSize(*readFileBytes(file)); }

void AllYears_floor(benchmark::State& state) {
    for (auto _ : state) {
        std::size_t total = 0;
        for (const auto& f : sample().yearFiles) total += decodeOnly(f);
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * (kLastYear - kFirstYear + 1) * kPerYear);
}

void AllYears_store(benchmark::State& state) {
    for (auto _ : state) {
        std::size_t total = 0;
        for (const auto& f : sample().yearFiles) total += readYearFile(f).size();
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * (kLastYear - kFirstYear + 1) * kPerYear);
}

void LoadYear_floor(benchmark::State& state) {
    fs::path file = RecordStore(sample().folder).yearFilePath(kUser, kYear);
    for (auto _ : state) benchmark::DoNotOptimize(decodeOnly(file));
}

void LoadYear_store(benchmark::State& state) {
    RecordStore store(sample().folder);
    for (auto _ : state) benchmark::DoNotOptimize(store.loadYear(kUser, kYear).count());
}

BENCHMARK(AllYears_floor)->Unit(benchmark::kMillisecond);
BENCHMARK(AllYears_store)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadYear_floor)->Unit(benchmark::kMicrosecond);
BENCHMARK(LoadYear_store)->Unit(benchmark::kMicrosecond);

void Scan_floor(benchmark::State& state) { AllYears_floor(state); }

void Scan_store(benchmark::State& state) {
    std::int64_t last = 0;
    for (auto _ : state) {
        DataFolderScan(sample().folder, kUser, [&last](std::int64_t n) { last = n; });
        benchmark::DoNotOptimize(last);
    }
}

BENCHMARK(Scan_floor)->Unit(benchmark::kMillisecond);
BENCHMARK(Scan_store)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    sample();  // generate before the first timing
    return tama::bench::runWithRatios(argc, argv, {"AllYears", "LoadYear", "Scan"});
}
