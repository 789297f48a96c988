// Opening a month for a user with 50 years of 2,000 records each: what the
// monthly window does on a reload (load the selected year's file, select and
// summarise the month, sort the rows by date), beside the floor of reading and
// decoding the same file's bytes. The window only ever reads one year, so the
// 49 other files must not make it slower.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <unistd.h>

#include "monthly/month_summary.h"
#include "shared/file_io.h"
#include "shared/number_format.h"
#include "shared/text_codec.h"

namespace {

using namespace tama;

constexpr int kYears = 50;
constexpr int kFirstYear = 1990;
constexpr int kPerYear = 2000;
const std::string kUser = "利用者1";
const std::string kYear = "2015";

// A program folder with one user and 50 YearFiles, made once per run.
struct Sample {
    fs::path folder;
    fs::path yearFile;

    Sample() {
        folder = fs::temp_directory_path() / ("tamalog-month-bench-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::path user = folder / "Data" / kUser;
        fs::create_directories(user);
        const char* halls[] = {"駅前ホール", "パーラー銀河", "ホール富士", "ニュー太陽"};
        const char* youbi[] = {"日", "月", "火", "水", "木", "金", "土"};
        unsigned seed = 12345;
        auto rnd = [&seed](int n) {
            seed = seed * 1103515245u + 12345u;
            return static_cast<int>((seed >> 16) % static_cast<unsigned>(n));
        };
        for (int y = kFirstYear; y < kFirstYear + kYears; ++y) {
            std::vector<DailyRecord> records;
            records.reserve(kPerYear);
            std::string lastDate;
            for (int i = 0; i < kPerYear; ++i) {
                // About 5.5 records a day, in date order as the store keeps them.
                const int dayOfYear = i * 360 / kPerYear;
                char date[16], mm[3], dd[3];
                std::snprintf(mm, sizeof mm, "%02d", dayOfYear / 30 + 1);
                std::snprintf(dd, sizeof dd, "%02d", dayOfYear % 30 + 1);
                std::snprintf(date, sizeof date, "%d/%s/%s", y, mm, dd);
                DailyRecord r;
                r.DateKey = date;
                r.Nen = std::to_string(y);
                r.Tuki = mm;
                r.Hi = dd;
                r.Youbi = youbi[dayOfYear % 7];
                r.Holl = halls[rnd(4)];
                r.Z1_1 = "10";
                r.Z1_2 = "00";
                r.Z2_1 = "18";
                r.Z2_2 = "00";
                r.T_tim = "8.0";
                const int in = 500 * (rnd(60) + 1), out = 500 * rnd(160);
                r.Tousi = std::to_string(in);
                r.Kaisyu = std::to_string(out);
                r.Zikyu = formatGrouped((out - in) / 8.0);
                r.Syusi = formatGrouped(out - in);
                r.K_no = std::to_string(rnd(1500) + 1);
                r.K_type = "ＣＲ機";
                r.Kisyu = "機種" + std::to_string(rnd(40));
                r.DayFirst = r.DateKey == lastDate ? "2" : "1";
                lastDate = r.DateKey;
                records.push_back(std::move(r));
            }
            fs::path file = user / ("s" + std::to_string(y) + ".sdb");
            writeFileAtomic(file, encodeYearFile(records, file));
        }
        yearFile = user / ("s" + kYear + ".sdb");
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

// Floor: the bytes of the year file read and decoded from CP932, nothing more.
void BM_Floor_ReadAndDecodeYearFile(benchmark::State& state) {
    const fs::path file = sample().yearFile;
    for (auto _ : state) {
        auto bytes = readFileBytes(file);
        auto text = cp932ToUtf8(*bytes);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_Floor_ReadAndDecodeYearFile)->Unit(benchmark::kMillisecond);

// The reload: GetSyusi (load the year), PrtMfg (month rows and summary), date sort.
void BM_OpenMonth(benchmark::State& state) {
    RecordStore store(sample().folder);
    for (auto _ : state) {
        YearRecordList list = loadMonthYear(store, kUser, kYear);
        MonthSummary s = summarizeMonth(list.records, "05");
        sortByDate(s.rows);
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_OpenMonth)->Unit(benchmark::kMillisecond);

// PrtMfg alone over the loaded year (what the entry form's refresh costs beyond the load).
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

BENCHMARK_MAIN();
