// One save from the entry form (登録) into a year of 2,000 records (Save) and of
// 300 records, a typical year (Save300): the save checks and steps
// (the record into its YearFile with its DayFirst mark and the date order, hall
// and machine lists, the year's total, all staged and renamed together under
// the write lock, with the backup of each replaced user file) and the monthly list's reload that
// follows, beside the floor of one read + decode and one atomic write of each
// file the save changes (the YearFile, Year.txt and any list that gains a name).
#include "bench_support.h"

#include "entry/entry_model.h"
#include "entry/entry_save.h"
#include "monthly/month_summary.h"
#include "shared/file_io.h"
#include "shared/text_codec.h"
#include "storage/master_lists.h"
#include "storage/record_store.h"

namespace {

using namespace tama;
using tama::bench::kUser;

const std::string kYear = "2010";

// Each save starts from the same files; restoring them is not timed.
struct Fixture {
    RecordStore store;
    MasterLists lists;
    std::vector<std::pair<fs::path, std::string>> saved;

    explicit Fixture(int perYear)
        : store(tama::bench::sample(2010, 2011, perYear).folder), lists(store.programFolder()) {
        for (const fs::path& f :
             {store.yearFilePath(kUser, kYear), store.yearTotalPath(kUser), lists.userHallFile(kUser),
              lists.userMachineFile(kUser), lists.commonHallFile(), lists.commonMachineFile()})
            saved.emplace_back(f, readFileBytes(f).value_or(""));
    }
    void restore() {
        for (const auto& [f, bytes] : saved) writeFileAtomic(f, bytes);
    }
    // The files one save changes, found by saving once.
    std::vector<fs::path> changedBy(const EntryModel& model) {
        saveNewRecord(store, lists, kUser, model);
        std::vector<fs::path> changed;
        for (const auto& [f, bytes] : saved)
            if (readFileBytes(f).value_or("") != bytes) changed.push_back(f);
        restore();
        return changed;
    }
};

EntryModel typedRecord() {
    EntryModel model;
    model.loadStartValues({2010, 6, 15});
    model.type(Box::cboHoll, "駅前ホール");
    model.type(Box::cboKisyu, "ＣＲ海物語");
    model.tick();
    return model;
}

void saveFloor(benchmark::State& state, int perYear) {
    Fixture fx(perYear);
    const std::vector<fs::path> files = fx.changedBy(typedRecord());
    state.counters["files"] = static_cast<double>(files.size());
    for (auto _ : state) {
        for (const fs::path& file : files) {
            auto bytes = readFileBytes(file);
            benchmark::DoNotOptimize(cp932ToUtf8(*bytes));
            writeFileAtomic(file, *bytes);
        }
    }
}

void saveStore(benchmark::State& state, int perYear) {
    Fixture fx(perYear);
    const EntryModel model = typedRecord();
    for (auto _ : state) {
        SaveResult r = saveNewRecord(fx.store, fx.lists, kUser, model);
        // The monthly window's reload of the month shown.
        YearRecordList list = fx.store.loadYear(kUser, kYear);
        MonthSummary s = summarizeMonth(list.records, "06");
        benchmark::DoNotOptimize(s);
        if (!r.saved()) state.SkipWithError("save refused");
        state.PauseTiming();
        fx.restore();
        state.ResumeTiming();
    }
}

void Save_floor(benchmark::State& state) { saveFloor(state, 2000); }
void Save_store(benchmark::State& state) { saveStore(state, 2000); }
void Save300_floor(benchmark::State& state) { saveFloor(state, 300); }
void Save300_store(benchmark::State& state) { saveStore(state, 300); }

BENCHMARK(Save_floor)->Unit(benchmark::kMillisecond);
BENCHMARK(Save_store)->Unit(benchmark::kMillisecond);
BENCHMARK(Save300_floor)->Unit(benchmark::kMillisecond);
BENCHMARK(Save300_store)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    tama::bench::sample(2010, 2011, 2000);
    tama::bench::sample(2010, 2011, 300);
    return tama::bench::runWithRatios(argc, argv, {"Save", "Save300"});
}
