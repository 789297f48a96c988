#pragma once
// Helpers shared by the tests: a temporary program folder, and file contents
// written and compared as the exact CP932 bytes the program uses.
#include <filesystem>
#include <string>
#include <string_view>

#include "storage/daily_record.h"

namespace tama::test {

namespace fs = std::filesystem;

// A fresh, empty folder removed again when the object goes away.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& path() const { return path_; }
    // Creates Data/<user> (and the other data folders) for a ready program folder.
    fs::path makeUser(std::string_view user) const;

private:
    fs::path path_;
};

// A typical visit on `date` ("2003/05/01"): 駅前ホール, 10:00-18:00 (8.0 hours),
// 15000 in, 30000 out (rate 1,875, balance 15,000), machine 12 of type ＣＲ機
// named （不明）, weekday 木, DayFirst "1". Tests change the fields they need.
DailyRecord recordOn(std::string_view date);

// UTF-8 text as CP932 bytes with every "\n" turned into CR LF. Fails the test
// when the text cannot be encoded.
std::string sjis(std::string_view utf8Text);

// The bytes of a file ("" when missing).
std::string fileBytes(const fs::path& path);

// Writes raw bytes to a file, creating its folder.
void putBytes(const fs::path& path, std::string_view bytes);

// A file's bytes decoded from CP932 with CR LF turned into "\n", for readable assertions.
std::string fileText(const fs::path& path);

// The path of a file under tests/data.
fs::path dataFile(std::string_view name);

}  // namespace tama::test
