// Feeds arbitrary bytes to the program folder check as the files of one user:
// the input is cut at "\n==\n" into s2003.sdb, Year.txt, holl.dat and kisyu.dat
// of a program folder. Whatever the files hold, the check returns its problems
// without throwing and without undefined behaviour (huge totals, NUL bytes,
// damaged lines), and each problem prints as exactly one line.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "storage/folder_check.h"

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
    const tama::FolderCheck found = tama::checkProgramFolder(programFolder());
    if (found.users != 1 || found.yearFiles != 1 || found.records < 0) std::abort();
    for (const auto& p : found.problems) {
        if (p.file.empty() || p.what.empty() || p.line < 0) std::abort();
        const std::string line = tama::problemLine(p);
        if (line.find_first_of("\r\n") != std::string::npos) std::abort();
    }
    return 0;
}
