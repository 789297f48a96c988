// The record store's reads and writes on a user with 50 years of 2,000 records
// (made by `tamalog-cli generate`), each beside a floor measured in the same run:
//   all years   readYearFile of the 50 YearFiles  / read + cp932ToUtf8 of the same files
//   one year    LoadYear of one 2,000-record year  / read + cp932ToUtf8 of that file
//   insert      DayFirstFor, AppendRecord, SortYearFile, UpdateYearTotal on that year
//               / one read + decode and one atomic write of the same file
// After the runs a table prints each figure as a multiple of its floor.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <set>

#include "shared/file_io.h"
#include "shared/text_codec.h"
#include "storage/record_store.h"

namespace {

using namespace tama;

constexpr int kFirstYear = 1970;
constexpr int kLastYear = 2019;  // 50 years
constexpr int kPerYear = 2000;
const std::string kUser = "利用者1";
const std::string kYear = "2000";

// The sample program folder, generated once per run and removed at exit.
struct Sample {
    fs::path folder;
    std::vector<fs::path> yearFiles;

    Sample() {
        folder = fs::temp_directory_path() / ("tamalog-storage-bench-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        std::string cmd = std::string("'") + TAMA_CLI + "' generate '" + folder.string() + "' --users 1 --years " +
                          std::to_string(kFirstYear) + "-" + std::to_string(kLastYear) + " --per-year " +
                          std::to_string(kPerYear) + " --seed 7 > /dev/null";
        if (std::system(cmd.c_str()) != 0) {
            std::cerr << "sample data could not be generated: " << cmd << "\n";
            std::exit(1);
        }
        RecordStore store(folder);
        for (const auto& name : store.yearFileNames(kUser)) yearFiles.push_back(store.UserFolder(kUser) / name);
        if (yearFiles.size() != kLastYear - kFirstYear + 1 ||
            readYearFile(store.YearFilePath(kUser, kYear)).size() != kPerYear) {
            std::cerr << "unexpected sample data in " << folder << "\n";
            std::exit(1);
        }
    }
    ~Sample() {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

Sample& sample() {
    static Sample s;
    return s;
}

std::size_t decodeOnly(const fs::path& file) {
    auto bytes = readFileBytes(file);
    auto text = cp932ToUtf8(*bytes);
    return text->size();
}

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
    fs::path file = RecordStore(sample().folder).YearFilePath(kUser, kYear);
    for (auto _ : state) benchmark::DoNotOptimize(decodeOnly(file));
}

void LoadYear_store(benchmark::State& state) {
    RecordStore store(sample().folder);
    for (auto _ : state) benchmark::DoNotOptimize(store.LoadYear(kUser, kYear).count());
}

// Each insert starts from the same 2,000-record file and Year.txt; restoring
// them is not timed.
struct InsertFixture {
    RecordStore store{sample().folder};
    fs::path file = store.YearFilePath(kUser, kYear);
    fs::path totals = store.yearTotalPath(kUser);
    std::string fileBytes = *readFileBytes(file);
    std::string totalBytes = *readFileBytes(totals);
    DailyRecord record;

    InsertFixture() {
        record = readYearFile(file)[kPerYear / 2];  // a date in the middle of the year
        record.Come = "ベンチマーク";
    }
    void restore() {
        writeFileAtomic(file, fileBytes);
        writeFileAtomic(totals, totalBytes);
    }
};

void Insert_floor(benchmark::State& state) {
    InsertFixture fx;
    for (auto _ : state) {
        auto bytes = readFileBytes(fx.file);
        benchmark::DoNotOptimize(cp932ToUtf8(*bytes));
        bytes->append(*utf8ToCp932(formatRecordLine(fx.record) + "\r\n"));
        writeFileAtomic(fx.file, *bytes);
        state.PauseTiming();
        fx.restore();
        state.ResumeTiming();
    }
}

void Insert_store(benchmark::State& state) {
    InsertFixture fx;
    for (auto _ : state) {
        DailyRecord r = fx.record;
        r.DayFirst = fx.store.DayFirstFor(kUser, r.Nen, r.Tuki, r.Hi);
        fx.store.AppendRecord(kUser, r);
        fx.store.SortYearFile(kUser, r.Nen);
        fx.store.UpdateYearTotal(kUser, r.Nen);
        state.PauseTiming();
        fx.restore();
        state.ResumeTiming();
    }
}

BENCHMARK(AllYears_floor)->Unit(benchmark::kMillisecond);
BENCHMARK(AllYears_store)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadYear_floor)->Unit(benchmark::kMicrosecond);
BENCHMARK(LoadYear_store)->Unit(benchmark::kMicrosecond);
BENCHMARK(Insert_floor)->Unit(benchmark::kMicrosecond);
BENCHMARK(Insert_store)->Unit(benchmark::kMicrosecond);

// The console output, plus each run's time kept by name for the ratio table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(::isatty(1) ? OO_ColorTabular : OO_Tabular) {}

    // With --benchmark_repetitions the median stands for the figure; otherwise the run.
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& r : runs) {
            if (r.error_occurred) continue;
            const std::string& name = r.run_name.function_name;
            const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
            if (r.run_type == Run::RT_Aggregate && !median) continue;
            if (!median && fromMedian_.count(name)) continue;
            times_[name] = {r.GetAdjustedRealTime() * unitSeconds(r.time_unit),
                            r.GetAdjustedCPUTime() * unitSeconds(r.time_unit)};
            if (median) fromMedian_.insert(name);
        }
    }
    // Wall-clock time is what the user waits (an insert waits for the disk); CPU
    // time is steadier on a busy machine. Both are shown as multiples of the floor.
    void printRatios() const {
        std::printf("\n%-10s %13s %13s %7s   %13s %13s %7s\n", "figure", "store real", "floor real", "ratio",
                    "store cpu", "floor cpu", "ratio");
        for (const char* name : {"AllYears", "LoadYear", "Insert"}) {
            auto s = times_.find(std::string(name) + "_store");
            auto f = times_.find(std::string(name) + "_floor");
            if (s == times_.end() || f == times_.end()) continue;
            std::printf("%-10s %10.3f ms %10.3f ms %6.2fx   %10.3f ms %10.3f ms %6.2fx\n", name, s->second.real * 1e3,
                        f->second.real * 1e3, s->second.real / f->second.real, s->second.cpu * 1e3,
                        f->second.cpu * 1e3, s->second.cpu / f->second.cpu);
        }
    }

private:
    static double unitSeconds(benchmark::TimeUnit u) {
        switch (u) {
            case benchmark::kNanosecond: return 1e-9;
            case benchmark::kMicrosecond: return 1e-6;
            case benchmark::kMillisecond: return 1e-3;
            default: return 1.0;
        }
    }
    struct Seconds {
        double real, cpu;
    };
    std::map<std::string, Seconds> times_;
    std::set<std::string> fromMedian_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    sample();  // generate before the first timing
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
