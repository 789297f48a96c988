// The analysis export's daily sheet for 100,000 records (50 years of 2,000)
// and a month export (CSV work file and workbook), each beside a floor that
// writes the same number of bordered cells with the same values straight
// through libxlsxwriter (holding every cell, as the library does by default):
// the cost of the sheet model, the typing of the texts and the styles on top of
// the library's own writing.
//
// Before the timings, the peak resident size of writing the daily sheet, store
// and floor, each measured in a child process that has the records loaded.
#include "bench_support.h"

#include <xlsxwriter.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>

#include "analysis/search.h"
#include "export/analysis_export.h"
#include "export/month_export.h"
#include "monthly/month_summary.h"
#include "storage/record_store.h"

namespace {

using namespace tama;
using tama::bench::kUser;

const fs::path& outFolder() {
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("tamalog-export-bench-" + std::to_string(::getpid()));
        fs::create_directories(d);
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(outFolder(), ec);
        });
        return d;
    }();
    return dir;
}

const fs::path& folder() { return tama::bench::sample(1990, 2039, 2000).folder; }

std::shared_ptr<const MatchedRecords> allRecords() {
    static std::shared_ptr<const MatchedRecords> m = [] {
        SearchCriteria c;
        c.user = kUser;
        c.allPeriod = true;
        return std::make_shared<const MatchedRecords>(loadRecords(folder(), c));
    }();
    return m;
}

// The cells of a sheet, already typed, for the floor.
struct TypedCells {
    int rows = 0, cols = 0;
    std::vector<xlsx::CellValue> values;
    std::vector<std::string> texts;
};

TypedCells typed(const xlsx::Sheet& sheet) {
    TypedCells t;
    t.rows = sheet.rowCount();
    for (int r = 0; r < t.rows; ++r) t.cols = std::max(t.cols, sheet.columnCount(r));
    for (int r = 0; r < t.rows; ++r)
        for (int c = 0; c < t.cols; ++c) {
            t.texts.push_back(sheet.text(r, c));
            t.values.push_back(xlsx::typeOf(sheet.text(r, c)));
        }
    return t;
}

// Floor: every cell written with one bordered format (dates with a bordered date format).
void writeFloor(const TypedCells& t, const fs::path& file) {
    lxw_workbook* wb = workbook_new(file.c_str());
    lxw_worksheet* ws = workbook_add_worksheet(wb, "floor");
    lxw_format* border = workbook_add_format(wb);
    format_set_border(border, LXW_BORDER_THIN);
    lxw_format* date = workbook_add_format(wb);
    format_set_border(date, LXW_BORDER_THIN);
    format_set_num_format(date, "yyyy/mm/dd");
    size_t i = 0;
    for (int r = 0; r < t.rows; ++r)
        for (int c = 0; c < t.cols; ++c, ++i) {
            const xlsx::CellValue& v = t.values[i];
            const auto rr = static_cast<lxw_row_t>(r);
            const auto cc = static_cast<lxw_col_t>(c);
            switch (v.kind) {
                case xlsx::CellValue::Kind::Empty: worksheet_write_blank(ws, rr, cc, border); break;
                case xlsx::CellValue::Kind::Text: worksheet_write_string(ws, rr, cc, t.texts[i].c_str(), border); break;
                case xlsx::CellValue::Kind::Number: worksheet_write_number(ws, rr, cc, v.number, border); break;
                case xlsx::CellValue::Kind::Date: {
                    lxw_datetime dt{v.year, v.month, v.day, 0, 0, 0};
                    worksheet_write_datetime(ws, rr, cc, &dt, date);
                    break;
                }
            }
        }
    workbook_close(wb);
}

SearchCriteria allPeriod() {
    SearchCriteria c;
    c.user = kUser;
    c.allPeriod = true;
    return c;
}

void DailySheet100k_floor(benchmark::State& state) {
    static const TypedCells cells = typed(analysisSheet(allRecords(), AnalysisTab::Daily, allPeriod()));
    for (auto _ : state) writeFloor(cells, outFolder() / "floor.xlsx");
    state.counters["cells"] = static_cast<double>(cells.values.size());
}
BENCHMARK(DailySheet100k_floor)->Unit(benchmark::kMillisecond)->Iterations(1);

// Excel_Write1 over 100,000 matched records: building the sheet and writing the file.
void DailySheet100k_store(benchmark::State& state) {
    auto records = allRecords();
    for (auto _ : state)
        exportAnalysis(records, AnalysisTab::Daily, allPeriod(), outFolder() / "daily.xlsx", {}, folder());
    state.counters["records"] = records->n();
}
BENCHMARK(DailySheet100k_store)->Unit(benchmark::kMillisecond)->Iterations(1);

struct MonthSample {
    YearRecordList list;
    MonthSummary summary;
    MonthSheetInput input;
};
const MonthSample& month() {
    static MonthSample m = [] {
        MonthSample s;
        s.list = loadMonthYear(RecordStore(folder()), kUser, "2015");
        s.summary = summarizeMonth(s.list.records, "05");
        s.input = {monthlyCaption("2015", "05"), kUser, "05"};
        return s;
    }();
    return m;
}

void MonthExport_floor(benchmark::State& state) {
    static const TypedCells cells = typed(monthSheet(month().list.records, month().summary, month().input));
    for (auto _ : state) writeFloor(cells, outFolder() / "month-floor.xlsx");
}
BENCHMARK(MonthExport_floor)->Unit(benchmark::kMillisecond);

// 出力 of the monthly export: CSV work file, sheet and workbook file.
void MonthExport_store(benchmark::State& state) {
    for (auto _ : state)
        exportMonth(folder(), month().list.records, month().summary, month().input, outFolder() / "month.xlsx");
    state.counters["records"] = month().summary.MonthCount;
}
BENCHMARK(MonthExport_store)->Unit(benchmark::kMillisecond);

// A line of /proc/self/status in MB ("VmRSS", "VmHWM").
double statusMb(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0 && line[std::string_view(key).size()] == ':')
            return std::stod(line.substr(std::string_view(key).size() + 1)) / 1024.0;
    return -1;
}

struct Peak {
    double loaded = -1;  // resident size when the work starts
    double peak = -1;    // the highest resident size while it runs
    bool reset = false;  // the peak was reset at the start (else it counts since the child began)
};

// Runs `prepare` and then `work` in a child process and returns its resident sizes.
Peak peakOf(const std::function<void()>& prepare, const std::function<void()>& work) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        prepare();
        Peak p;
        p.loaded = statusMb("VmRSS");
        // "5" resets the peak to the present size.
        std::ofstream clear("/proc/self/clear_refs");
        clear << "5" << std::flush;
        p.reset = static_cast<bool>(clear);
        work();
        p.peak = statusMb("VmHWM");
        [[maybe_unused]] auto n = ::write(fds[1], &p, sizeof p);
        ::_exit(0);  // the parent's exit handlers stay the parent's
    }
    ::close(fds[1]);
    Peak p;
    if (pid < 0 || ::read(fds[0], &p, sizeof p) != static_cast<ssize_t>(sizeof p)) p = {};
    ::close(fds[0]);
    if (pid > 0) ::waitpid(pid, nullptr, 0);
    return p;
}

void printPeaks() {
    folder();  // the sample data, made once in this process
    const fs::path out = outFolder();
    const Peak store = peakOf(
        [] { allRecords(); },
        [&] { exportAnalysis(allRecords(), AnalysisTab::Daily, allPeriod(), out / "rss.xlsx", {}, folder()); });
    static TypedCells cells;
    const Peak floor = peakOf([] { cells = typed(analysisSheet(allRecords(), AnalysisTab::Daily, allPeriod())); },
                              [&] { writeFloor(cells, out / "rss-floor.xlsx"); });
    std::printf("Peak resident size writing the daily sheet of 100,000 records%s:\n",
                store.reset ? "" : " (since the child started: the peak could not be reset)");
    std::printf("  DailySheet100k_store  %6.1f MB (records loaded: %.1f MB)  goal <= 64 MB: %s\n", store.peak,
                store.loaded, store.peak > 0 && store.peak <= 64 ? "met" : "NOT met");
    std::printf("  DailySheet100k_floor  %6.1f MB (records and the floor's typed cells loaded: %.1f MB)\n\n",
                floor.peak, floor.loaded);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    printPeaks();
    return tama::bench::runWithRatios(argc, argv, {"DailySheet100k", "MonthExport"});
}
