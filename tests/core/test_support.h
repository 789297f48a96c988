#pragma once
// Helpers shared by the tests: a temporary program folder, and file contents
// written and compared as the exact CP932 bytes the program uses.
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>
#include <string_view>

#include "storage/daily_record.h"

namespace tama {
class RecordStore;
}

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

// Saves a new record into the user's files as 登録 and `tamalog-cli add` do,
// the hall and machine lists aside: the store's stageInsert (DayFirst set, the
// YearFile in date order) and stageYearTotal (Year.txt), committed together.
// Returns the record as written; throws as those steps do.
DailyRecord saveRecord(RecordStore& store, std::string_view user, DailyRecord record);

// Writes the year's total of the YearFile as it stands into Year.txt, as every
// save does (stageYearTotal, committed). Returns the total, yen; throws as
// stageYearTotal does.
std::int64_t saveYearTotal(RecordStore& store, std::string_view user, std::string_view year);

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

// What a written workbook holds, read back with openpyxl (tests/xlsx_dump.py).
struct WorkbookDump {
    struct Cell {
        std::string type;   // "s" text, "n" number, "d" date, "-" empty
        std::string value;  // text, number as Python prints a float ("15000.0"), date "2003-05-01"
        std::map<std::string, std::string> look;  // format, font, size, bold, fill, align, border
    };
    std::string sheet;
    std::map<std::string, Cell> cells;           // by address "A1"
    std::vector<std::string> merges;             // "B7:C7"
    std::map<std::string, std::string> widths;   // column letter -> width as stored
    std::map<std::string, std::string> page;     // paper, orientation, print_area, print_title_rows, fit_width
    std::map<std::string, std::string> margins;  // left, right, top, bottom, header
    std::string header;                          // the page header as the file holds it
    std::string raw;                             // the whole dump, for messages and comparisons

    const Cell& cell(const std::string& address) const;
    bool has(const std::string& address) const { return cells.count(address) != 0; }
};
// Fails the test (and returns an empty dump) when the file cannot be read.
WorkbookDump dumpWorkbook(const fs::path& path);

}  // namespace tama::test
