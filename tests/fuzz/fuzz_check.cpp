// Feeds arbitrary bytes to tamalog-cli check as the files of one user: the
// input is cut at "\n==\n" into s2003.sdb, Year.txt, holl.dat and kisyu.dat of a
// program folder. Whatever the files hold, check ends with 0 (sound) or 1
// (problems listed) and never runs into undefined behaviour (huge totals, NUL
// bytes, damaged lines).
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string_view>

#include "../../src/cli/command_registry.h"

namespace tama::cli {
std::map<std::string, Command>& commands() {
    static std::map<std::string, Command> all;
    return all;
}
}  // namespace tama::cli

namespace fs = std::filesystem;

namespace {

const fs::path& programFolder() {
    static const fs::path folder = [] {
        fs::path p = fs::temp_directory_path() / ("tamalog-fuzz-check-" + std::to_string(::getpid()));
        fs::create_directories(p / "Data" / "USER");
        fs::create_directories(p / "CboData");
        return p;
    }();
    return folder;
}

void put(const fs::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const fs::path user = programFolder() / "Data" / "USER";
    const char* names[] = {"s2003.sdb", "Year.txt", "holl.dat", "kisyu.dat"};
    for (const char* name : names) {
        size_t cut = rest.find("\n==\n");
        put(user / name, rest.substr(0, cut));
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 4);
    }
    std::ostringstream sink;
    std::streambuf* saved = std::cout.rdbuf(sink.rdbuf());
    int code = tama::cli::commands().at("check").run({programFolder().string()});
    std::cout.rdbuf(saved);
    if (code != 0 && code != 1) std::abort();
    return 0;
}
