// Start-up's folder check, the scan of the last user's records and the
// first-run test, on real folders.
#include <gtest/gtest.h>

#include "shared/file_io.h"
#include "storage/data_folders.h"
#include "storage/record_store.h"
#include "test_support.h"

namespace tama {
namespace {

using test::dataFile;
using test::fileBytes;
using test::putBytes;
using test::TempFolder;

std::vector<std::string> entries(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(DataFoldersTest, EmptyProgramFolderGetsTheSixFoldersInOrder) {
    TempFolder tmp;
    EXPECT_EQ(ensureDataFolders(tmp.path()),
              (std::vector<std::string>{"CboData", "Data", "Backup", "Temp", "Kisyudat#", "Kisyudat"}));
    for (auto name : kDataFolders) EXPECT_TRUE(fs::is_directory(tmp.path() / std::string(name))) << name;
    EXPECT_TRUE(noUserExists(tmp.path()));
    EXPECT_TRUE(ensureDataFolders(tmp.path()).empty());  // second start: nothing to do
}

TEST(DataFoldersTest, NamesCountOnlyWhenExactButAPlainFileCounts) {
    TempFolder tmp;
    fs::create_directory(tmp.path() / "data");
    putBytes(tmp.path() / "data" / "keep.txt", "x");
    putBytes(tmp.path() / "Temp", "plain file");
    fs::create_directory(tmp.path() / "Backup");
    putBytes(tmp.path() / "Backup" / "old.sdb", "y");

    EXPECT_EQ(ensureDataFolders(tmp.path()), (std::vector<std::string>{"CboData", "Data", "Kisyudat#", "Kisyudat"}));
    EXPECT_EQ(entries(tmp.path()),
              (std::vector<std::string>{"Backup", "CboData", "Data", "Kisyudat", "Kisyudat#", "Temp", "data"}));
    EXPECT_TRUE(fs::is_regular_file(tmp.path() / "Temp"));
    EXPECT_EQ(fileBytes(tmp.path() / "Temp"), "plain file");
    EXPECT_EQ(fileBytes(tmp.path() / "data" / "keep.txt"), "x");
    EXPECT_EQ(fileBytes(tmp.path() / "Backup" / "old.sdb"), "y");
}

TEST(DataFoldersTest, FolderThatCannotBeMadeIsReported) {
    TempFolder tmp;
    EXPECT_THROW(ensureDataFolders(tmp.path() / "missing"), FileError);
}

TEST(DataFoldersTest, SettingsFileLiesInTheProgramFolder) {
    TempFolder tmp;
    EXPECT_EQ(settingsFilePath(tmp.path()), tmp.path() / "tmrec.ini");
    putBytes(tmp.path() / "TMREC.INI", "");
    EXPECT_EQ(settingsFilePath(tmp.path()), tmp.path() / "TMREC.INI");
}

TEST(DataFolderScanTest, CounterRunsAcrossFiles) {
    TempFolder tmp;
    fs::path user = tmp.makeUser("太郎");
    // s2003.sdb holds 5 records; cut to 3, and a second year of 4.
    auto five = decodeYearFile(fileBytes(dataFile("s2003.sdb")), "s2003.sdb");
    putBytes(user / "s2003.sdb", encodeYearFile({five.begin(), five.begin() + 3}, "x"));
    putBytes(user / "S2004.SDB", encodeYearFile({five.begin(), five.begin() + 4}, "x"));
    putBytes(user / "Year.txt", "\"2003\",1\r\n");
    std::vector<std::int64_t> seen;
    EXPECT_EQ(DataFolderScan(tmp.path(), "太郎", [&](std::int64_t n) { seen.push_back(n); }), 7);
    EXPECT_EQ(seen, (std::vector<std::int64_t>{1, 2, 3, 4, 5, 6, 7}));
}

TEST(DataFolderScanTest, NothingToScan) {
    TempFolder tmp;
    tmp.makeUser("太郎");
    int calls = 0;
    auto count = [&](std::int64_t) { ++calls; };
    EXPECT_EQ(DataFolderScan(tmp.path(), "太郎", count), 0);  // no .sdb files
    EXPECT_EQ(DataFolderScan(tmp.path(), "花子", count), 0);  // no folder
    EXPECT_EQ(DataFolderScan(tmp.path(), "..", count), 0);    // not a user name
    EXPECT_EQ(DataFolderScan(tmp.path(), "../Data", count), 0);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(DataFolderScan(tmp.path(), "太郎", nullptr), 0);
}

TEST(DataFolderScanTest, DamagedFileStopsTheScanWithItsNameAndLine) {
    TempFolder tmp;
    fs::path user = tmp.makeUser("太郎");
    putBytes(user / "s2003.sdb", fileBytes(dataFile("bad_line.sdb")));
    try {
        DataFolderScan(tmp.path(), "太郎", nullptr);
        FAIL() << "damaged file was scanned";
    } catch (const FileError& e) {
        EXPECT_EQ(e.file(), user / "s2003.sdb");
        EXPECT_EQ(e.line(), 4);
    }
}

TEST(DataFoldersTest, FirstRunMeansAnEmptyDataFolder) {
    TempFolder tmp;
    EXPECT_TRUE(noUserExists(tmp.path()));  // no Data at all
    fs::create_directory(tmp.path() / "Data");
    EXPECT_TRUE(noUserExists(tmp.path()));
    fs::create_directory(tmp.path() / "Data" / "太郎");
    EXPECT_FALSE(noUserExists(tmp.path()));
}

}  // namespace
}  // namespace tama
