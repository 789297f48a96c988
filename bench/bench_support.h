#pragma once
// What the benchmark programs share: sample data made by `tamalog-cli generate`
// in a temporary program folder, and a reporter that ends the run with each
// figure as a multiple of its floor measured in the same run. A figure "X" is
// the pair of benchmarks "X_store" (what the program does) and "X_floor".
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tama::bench {

namespace fs = std::filesystem;

inline const std::string kUser = "利用者1";

// A program folder with one user and `perYear` records in each year first..last,
// generated once per process for each set of arguments and removed at exit.
struct Sample {
    fs::path folder;
    std::vector<fs::path> yearFiles;  // the user's YearFiles, in listing order
};
const Sample& sample(int firstYear, int lastYear, int perYear);

// The system iconv's CP932 decode of `bytes` (the size of the UTF-8 text, or
// 0 when iconv refuses them): the reference floor for reading, what the program
// decoded with before it had its own tables.
std::size_t iconvDecodedSize(std::string_view bytes);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(std::vector<std::string> figures);
    void ReportRuns(const std::vector<Run>& runs) override;
    // Wall-clock time is what the user waits; CPU time is steadier on a busy machine.
    void printRatios() const;

private:
    struct Seconds {
        double real, cpu;
    };
    std::vector<std::string> figures_;
    std::map<std::string, Seconds> times_;
    std::set<std::string> fromMedian_;
};

// benchmark's main with the ratio table at the end.
int runWithRatios(int argc, char** argv, std::vector<std::string> figures);

}  // namespace tama::bench
