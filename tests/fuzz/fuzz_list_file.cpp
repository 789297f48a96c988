// Feeds arbitrary bytes as a user's hall list to the list reader and the hall
// list editor. A list is either read or refused with a FileError naming a line
// (and then left as it was); an add appends exactly one name, a delete removes
// exactly the lines of its name or, over the limit, changes nothing.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "shared/file_io.h"
#include "storage/master_lists.h"

using namespace tama;
namespace fs = std::filesystem;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

// A program folder with CboData and Data/u, removed at exit.
const fs::path& programFolder() {
    static const fs::path* dir = [] {
        fs::path d = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        d /= "tamalog-fuzz-lists-" + std::to_string(::getpid());
        fs::create_directories(d / "Data" / "u");
        fs::create_directories(d / "CboData");
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(programFolder(), ec);
        });
        return new fs::path(d);  // outlives the exit handler
    }();
    return *dir;
}

std::string bytesOf(const fs::path& path) { return readFileBytes(path).value_or(std::string()); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path path = programFolder() / "Data" / "u" / "holl.dat";
    const std::string input(reinterpret_cast<const char*>(data), size);
    writeFileAtomic(path, input);
    MasterLists lists(programFolder());

    std::vector<std::string> names;
    try {
        names = lists.loadHallNames("u");
    } catch (const FileError& e) {
        check(e.line() >= 1);
        try {
            lists.addHall("u", "新台館");
            std::abort();  // a damaged list must not be extended
        } catch (const FileError&) {}
        check(bytesOf(path) == input);
        return 0;
    }

    // Add: a name already listed changes nothing, a new one is appended.
    const std::string added = "新台館";
    bool listed = std::find(names.begin(), names.end(), added) != names.end();
    AddResult r = lists.addHall("u", added);
    check(r == (listed ? AddResult::Exists : AddResult::Added));
    std::vector<std::string> after = lists.loadHallNames("u");
    std::vector<std::string> expected = names;
    if (!listed) expected.push_back(added);
    check(after == expected);

    // Delete the first name read (or the added one).
    const std::string victim = expected.front();
    std::vector<std::string> kept;
    for (const auto& n : expected)
        if (n != victim) kept.push_back(n);
    lists.deleteHall("u", victim);
    check(lists.loadHallNames("u") == kept);
    return 0;
}
