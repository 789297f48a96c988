#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "shared/text_codec.h"

namespace tama::test {

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    path_ = fs::temp_directory_path() /
            ("tamalog-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(path_);
    fs::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

fs::path TempFolder::makeUser(std::string_view user) const {
    for (const char* d : {"CboData", "Data", "Backup", "Temp", "Kisyudat#", "Kisyudat"})
        fs::create_directories(path_ / d);
    fs::path folder = path_ / "Data" / std::string(user);
    fs::create_directories(folder);
    return folder;
}

std::string sjis(std::string_view utf8Text) {
    std::string crlf;
    for (char c : utf8Text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    auto bytes = utf8ToCp932(crlf);
    EXPECT_TRUE(bytes.has_value()) << "not encodable: " << utf8Text;
    return bytes.value_or("");
}

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void putBytes(const fs::path& path, std::string_view bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string fileText(const fs::path& path) {
    auto text = cp932ToUtf8(fileBytes(path));
    EXPECT_TRUE(text.has_value()) << "not CP932: " << path;
    std::string out;
    for (char c : text.value_or(""))
        if (c != '\r') out += c;
    return out;
}

DailyRecord recordOn(std::string_view date) {
    DailyRecord r;
    r.DateKey = date;
    r.Nen = date.substr(0, 4);
    r.Tuki = date.substr(5, 2);
    r.Hi = date.substr(8, 2);
    r.Youbi = "木";
    r.Holl = "駅前ホール";
    r.Z1_1 = "10";
    r.Z1_2 = "00";
    r.Z2_1 = "18";
    r.Z2_2 = "00";
    r.T_tim = "8.0";
    r.Tousi = "15000";
    r.Kaisyu = "30000";
    r.Zikyu = "1,875";
    r.Syusi = "15,000";
    r.K_no = "12";
    r.K_type = "ＣＲ機";
    r.Kisyu = "（不明）";
    r.DayFirst = "1";
    return r;
}

fs::path dataFile(std::string_view name) { return fs::path(TAMA_TEST_DATA) / std::string(name); }

}  // namespace tama::test
