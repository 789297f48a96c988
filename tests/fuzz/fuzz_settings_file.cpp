// Feeds arbitrary bytes as tmrec.ini to the settings reader and writer. Reads
// never fail and never return more than 1023 bytes; a write followed by a read
// gives the value written, and leaves the other keys reading as before.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

#include "shared/file_io.h"
#include "shared/text_codec.h"
#include "storage/settings_file.h"

using namespace tama;
namespace fs = std::filesystem;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

// The scratch file, in memory when /dev/shm exists; its folder is removed at exit.
const fs::path& scratchFile() {
    static const fs::path* path = [] {
        fs::path dir = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        dir /= "tamalog-fuzz-settings-" + std::to_string(::getpid());
        fs::create_directories(dir);
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(scratchFile().parent_path(), ec);
        });
        return new fs::path(dir / "tmrec.ini");  // outlives the exit handler
    }();
    return *path;
}

struct Key {
    const char* section;
    const char* key;
};
constexpr Key kKeys[] = {
    {"Option", "cmdAll.BackColor"},
    {"Option", "chkG2.Value"},
    {"Gluf", "frmGluf.Width"},
    {"gluf", "frmgluf.Top"},
    {"monthly", "cboUser.Text"},
    {"db", "frmdb.Left"},
    {"s", "ア"},
    {"", ""},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path& path = scratchFile();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    SettingsFile settings(path);
    std::vector<std::string> before;
    for (const Key& k : kKeys) {
        std::string v = settings.read(k.section, k.key);
        auto bytes = utf8ToCp932(v);
        check(bytes.has_value() && bytes->size() <= kSettingsValueMaxBytes);
        before.push_back(v);
    }
    readOptionSet(settings);

    // The last input byte picks the key to write.
    const Key& target = kKeys[size == 0 ? 0 : data[size - 1] % 6];
    const std::string value = size % 2 ? "山田 太郎" : "-2147483633";
    check(settings.write(target.section, target.key, value));
    check(settings.read(target.section, target.key) == value);
    for (std::size_t i = 0; i < std::size(kKeys); ++i) {
        const Key& k = kKeys[i];
        bool same = equalsNoCase(k.section, target.section) && equalsNoCase(k.key, target.key);
        if (!same) check(settings.read(k.section, k.key) == before[i]);
    }
    return 0;
}
