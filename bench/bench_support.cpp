#include "bench_support.h"

#include <iconv.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <tuple>

#include "storage/record_store.h"

namespace tama::bench {

namespace {
struct OwnedSample : Sample {
    ~OwnedSample() {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};
}  // namespace

std::size_t iconvDecodedSize(std::string_view bytes) {
    static iconv_t cd = iconv_open("UTF-8", "CP932");
    static std::string out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    out.resize(bytes.size() * 3 + 16);
    char* src = const_cast<char*>(bytes.data());
    size_t srcLeft = bytes.size(), dstLeft = out.size();
    char* dst = out.data();
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != 0) return 0;
    return out.size() - dstLeft;
}

const Sample& sample(int firstYear, int lastYear, int perYear) {
    static std::map<std::tuple<int, int, int>, std::unique_ptr<OwnedSample>> samples;
    auto& s = samples[{firstYear, lastYear, perYear}];
    if (s) return *s;
    s = std::make_unique<OwnedSample>();
    s->folder = fs::temp_directory_path() /
                ("tamalog-bench-" + std::to_string(::getpid()) + "-" + std::to_string(samples.size()));
    fs::remove_all(s->folder);
    std::string cmd = std::string("'") + TAMA_CLI + "' generate '" + s->folder.string() + "' --users 1 --years " +
                      std::to_string(firstYear) + "-" + std::to_string(lastYear) + " --per-year " +
                      std::to_string(perYear) + " --seed 7 > /dev/null";
    if (std::system(cmd.c_str()) != 0) {
        std::cerr << "sample data could not be generated: " << cmd << "\n";
        std::exit(1);
    }
    RecordStore store(s->folder);
    for (const auto& name : store.yearFileNames(kUser)) s->yearFiles.push_back(store.userFolder(kUser) / name);
    if (s->yearFiles.size() != static_cast<size_t>(lastYear - firstYear + 1)) {
        std::cerr << "unexpected sample data in " << s->folder << "\n";
        std::exit(1);
    }
    return *s;
}

RatioReporter::RatioReporter(std::vector<std::string> figures)
    : ConsoleReporter(::isatty(1) ? OO_ColorTabular : OO_Tabular), figures_(std::move(figures)) {}

// With --benchmark_repetitions the median stands for the figure; otherwise the run.
void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& r : runs) {
        if (r.error_occurred) continue;
        const std::string& name = r.run_name.function_name;
        const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
        if (r.run_type == Run::RT_Aggregate && !median) continue;
        if (!median && fromMedian_.count(name)) continue;
        double unit = r.time_unit == benchmark::kNanosecond    ? 1e-9
                      : r.time_unit == benchmark::kMicrosecond ? 1e-6
                      : r.time_unit == benchmark::kMillisecond ? 1e-3
                                                               : 1.0;
        times_[name] = {r.GetAdjustedRealTime() * unit, r.GetAdjustedCPUTime() * unit};
        if (median) fromMedian_.insert(name);
    }
}

void RatioReporter::printRatios() const {
    std::printf("\n%-16s %13s %13s %7s   %13s %13s %7s\n", "figure", "real", "floor real", "ratio", "cpu", "floor cpu",
                "ratio");
    for (const auto& name : figures_) {
        auto s = times_.find(name + "_store");
        auto f = times_.find(name + "_floor");
        if (s == times_.end() || f == times_.end()) continue;
        std::printf("%-16s %10.3f ms %10.3f ms %6.2fx   %10.3f ms %10.3f ms %6.2fx\n", name.c_str(),
                    s->second.real * 1e3, f->second.real * 1e3, s->second.real / f->second.real, s->second.cpu * 1e3,
                    f->second.cpu * 1e3, s->second.cpu / f->second.cpu);
    }
}

int runWithRatios(int argc, char** argv, std::vector<std::string> figures) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter(std::move(figures));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}

}  // namespace tama::bench
