// Saves under hostile conditions: planted links and FIFOs, read-only files in
// the middle of a save, two writers at once, and the backups a save keeps.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>

#include "entry/entry_model.h"
#include "entry/entry_save.h"
#include "storage/data_folders.h"
#include "storage/master_lists.h"
#include "storage/record_store.h"
#include "storage/save_batch.h"
#include "test_support.h"

namespace tama {
namespace {

using test::fileBytes;
using test::fileText;
using test::putBytes;
using test::recordOn;
using test::TempFolder;

// Every regular file under a folder with its bytes; the lock file, which holds
// nothing, is left out.
std::map<std::string, std::string> allFiles(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file() && e.path().filename() != kWriteLockName)
            files[fs::relative(e.path(), root).string()] = fileBytes(e.path());
    return files;
}

EntryModel typedModel(const char* month, const char* day, const char* hall, const char* machine) {
    EntryModel m;
    m.loadStartValues(CalendarDate{2003, 5, 1});
    m.type(Box::txtTuki, month);
    m.type(Box::txtHi, day);
    m.type(Box::cboHoll, hall);
    m.type(Box::cboKisyu, machine);
    m.tick();
    return m;
}

TEST(SaveBatchTest, TemporaryNamesAreUniqueAndNeverFollowPlantedLinks) {
    TempFolder tmp;
    fs::path f = tmp.path() / "s2003.sdb";
    fs::path outside = tmp.path() / "outside.txt";
    putBytes(f, "old");
    putBytes(outside, "keep me");
    // Links planted under the old fixed temporary name and a guessed unique one.
    fs::create_symlink(outside, tmp.path() / "s2003.sdb.tmp~");
    writeFileAtomic(f, "new");
    EXPECT_EQ(fileBytes(outside), "keep me");
    EXPECT_EQ(fileBytes(f), "new");
    EXPECT_FALSE(fs::is_symlink(f));

    // Staged files are separate temporaries until commit; dropping the batch removes them.
    {
        FileBatch batch;
        batch.stage(f, "a");
        batch.stage(tmp.path() / "Year.txt", "b");
        EXPECT_EQ(findTemporaries(tmp.path()).size(), 2u);
    }
    EXPECT_TRUE(findTemporaries(tmp.path()).empty());
    EXPECT_EQ(fileBytes(f), "new");
    EXPECT_FALSE(fs::exists(tmp.path() / "Year.txt"));

    // A temporary left by a killed writer is found and removed; other names stay.
    putBytes(tmp.path() / "Data" / "u" / "holl.dat.tmp~Ab3xYz", "half");
    putBytes(tmp.path() / "Data" / "u" / "holl.dat.tmp~", "not ours");
    EXPECT_EQ(removeStaleTemporaries(tmp.path()),
              std::vector<fs::path>{tmp.path() / "Data" / "u" / "holl.dat.tmp~Ab3xYz"});
    EXPECT_TRUE(fs::exists(tmp.path() / "Data" / "u" / "holl.dat.tmp~"));
}

TEST(SaveBatchTest, OnlyRegularFilesAreReadOrReplaced) {
    TempFolder tmp;
    fs::path user = tmp.makeUser("太郎");
    ASSERT_EQ(::mkfifo((user / "s2003.sdb").c_str(), 0644), 0);
    RecordStore store(tmp.path());
    auto started = std::chrono::steady_clock::now();
    try {
        store.loadYear("太郎", "2003");
        ADD_FAILURE() << "a FIFO was read as a YearFile";
    } catch (const FileError& e) {
        EXPECT_EQ(e.file(), user / "s2003.sdb");
        EXPECT_EQ(e.detail(), "通常のファイルではありません");
    }
    EXPECT_THROW(test::saveRecord(store, "太郎", recordOn("2003/05/01")), FileError);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));  // no hang

    putBytes(tmp.path() / "elsewhere.txt", "\"x\",\"1\"\r\n");
    fs::create_symlink(tmp.path() / "elsewhere.txt", user / "holl.dat");
    EXPECT_THROW(MasterLists(tmp.path()).loadHallNames("太郎"), FileError);
}

class AllOrNothingSave : public ::testing::Test {
protected:
    TempFolder tmp;
    fs::path user = tmp.makeUser("太郎");
    RecordStore store{tmp.path()};
    MasterLists lists{tmp.path()};

    void SetUp() override {
        EntryModel first = typedModel("5", "10", "駅前ホール", "機種Ａ");
        ASSERT_TRUE(saveNewRecord(store, lists, "太郎", first).saved());
    }
};

// The files a save rewrites, each made read-only in turn: the save fails, says
// nothing was saved, and no byte of the program folder changes.
TEST_F(AllOrNothingSave, AReadOnlyFileStopsTheSaveBeforeAnyFileChanges) {
    for (fs::path readOnly : {user / "s2003.sdb", user / "Year.txt", user / "holl.dat", user / "kisyu.dat",
                              tmp.path() / "CboData" / "holl.dat", tmp.path() / "CboData" / "Kisyu.dat"}) {
        SCOPED_TRACE(readOnly.string());
        fs::permissions(readOnly, fs::perms::owner_write, fs::perm_options::remove);
        const auto before = allFiles(tmp.path());
        EntryModel m = typedModel("5", "3", "新しいホール", "新しい機種");
        try {
            saveNewRecord(store, lists, "太郎", m);
            ADD_FAILURE() << "saved";
        } catch (const FileError& e) {
            EXPECT_NE(std::string(e.what()).find("何も保存されていません"), std::string::npos) << e.what();
        }
        EXPECT_EQ(allFiles(tmp.path()), before);
        if (readOnly.parent_path() == user && readOnly.extension() != ".dat") {
            YearRecordList list = store.loadYear("太郎", "2003");
            EXPECT_THROW(deleteRecord(store, list, 1), FileError);
            EXPECT_EQ(allFiles(tmp.path()), before);
        }
        fs::permissions(readOnly, fs::perms::owner_write, fs::perm_options::add);
    }
    // The retry after the fault is mended saves the record once.
    EntryModel m = typedModel("5", "3", "新しいホール", "新しい機種");
    ASSERT_TRUE(saveNewRecord(store, lists, "太郎", m).saved());
    EXPECT_EQ(store.loadYear("太郎", "2003").count(), 2);
}

// A YearFile holding a balance of 23 digits (written by another program): the
// total is not written clamped; the save stops with nothing changed.
TEST_F(AllOrNothingSave, ATotalBeyond64BitsStopsTheSave) {
    DailyRecord huge = recordOn("2003/05/20");
    huge.Syusi = "12,345,678,901,234,567,890,123";
    putBytes(user / "s2003.sdb", fileBytes(user / "s2003.sdb") + encodeYearFile({huge}, "x"));
    const auto before = allFiles(tmp.path());
    EXPECT_THROW(saveNewRecord(store, lists, "太郎", typedModel("5", "3", "駅前ホール", "機種Ａ")), FileError);
    EXPECT_THROW(test::saveYearTotal(store, "太郎", "2003"), FileError);
    EXPECT_EQ(allFiles(tmp.path()), before);
}

// The year total on both sides of the 64-bit limit. Sums run in doubles, whose
// neighbours there are 2^63 - 1024 and 2^63 (2^63 + 2048 below -2^63): the
// last figure inside is written in full, the first outside stops the save and
// makes the year unreadable to the views.
TEST_F(AllOrNothingSave, TheYearTotalOnBothSidesOfThe64BitLimit) {
    const struct {
        const char* balance;
        bool fits;
    } cases[] = {
        {"9,223,372,036,854,774,784", true},    // 2^63 - 1024
        {"9,223,372,036,854,775,808", false},   // 2^63
        {"-9,223,372,036,854,775,808", true},   // -2^63
        {"-9,223,372,036,854,777,856", false},  // -2^63 - 2048
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.balance);
        DailyRecord big = recordOn("2003/05/20");
        big.Syusi = c.balance;
        putBytes(user / "s2003.sdb", encodeYearFile({big}, "x"));
        std::string digits;
        for (char ch : std::string_view(c.balance))
            if (ch != ',') digits += ch;
        // The readers behind the month, its graphs and the calendar draw the same
        // line: a sum outside is reported, never shown clamped or rounded.
        if (c.fits) EXPECT_NO_THROW(store.loadYear("太郎", "2003"));
        else EXPECT_THROW(store.loadYear("太郎", "2003"), FileError);
        if (c.fits) {
            EXPECT_EQ(test::saveYearTotal(store, "太郎", "2003"), std::stoll(digits));
            EXPECT_EQ(fileBytes(user / "Year.txt"), "\"2003\"," + digits + "\r\n");
        } else {
            const auto before = allFiles(tmp.path());
            EXPECT_THROW(test::saveYearTotal(store, "太郎", "2003"), FileError);
            EXPECT_EQ(allFiles(tmp.path()), before);
        }
    }
}

// One read and one write per file give the bytes the form's separate steps gave
// (day mark, append, hall and machine lists, sort, year total, each its own
// save): equal dates in the selection sort's order with their DayFirst marks,
// new names appended to both pairs of lists, the total of the year.
TEST_F(AllOrNothingSave, GivesTheBytesOfTheFormsSteps) {
    const char* dates[][2] = {{"5", "3"}, {"5", "10"}, {"4", "30"}, {"5", "10"}, {"12", "31"}, {"1", "1"}};
    int n = 0;
    for (auto [month, day] : dates) {
        EntryModel m = typedModel(month, day, n % 2 ? "駅前ホール" : "裏通り", "機種Ｂ");
        m.type(Box::txtKaisyu, std::to_string(1000 * ++n));
        m.tick();
        ASSERT_TRUE(saveNewRecord(store, lists, "太郎", m).saved());
    }
    auto line = [](const char* date, const char* weekday, const char* hall, const char* kaisyu, const char* rate,
                   const char* balance, const char* machine, const char* dayFirst) {
        const std::string d(date);
        return "\"" + d + "\",\"" + d.substr(0, 4) + "\",\"" + d.substr(5, 2) + "\",\"" + d.substr(8, 2) + "\",\"" +
               weekday + "\",\"" + hall + "\",\"10\",\"00\",\"18\",\"00\",\"8.0\",\"15000\",\"" + kaisyu + "\",\"" +
               rate + "\",\"" + balance + "\",\"?\",\"ＣＲ機\",\"" + machine + "\",\"\",\"" + dayFirst +
               "\",\"\",\"\",\"\",\"\"\n";
    };
    const std::string halls = "\"駅前ホール\",\"1\"\n\"裏通り\",\"1\"\n";
    const std::string machines = "\"ＣＲ機\",\"機種Ａ\"\n\"ＣＲ機\",\"機種Ｂ\"\n";
    std::map<std::string, std::string> expected = {
        {"CboData/Kisyu.dat", machines},
        {"CboData/holl.dat", halls},
        {"Data/太郎/Year.txt", "\"2003\",-54000\n"},
        {"Data/太郎/holl.dat", halls},
        {"Data/太郎/kisyu.dat", machines},
        {"Data/太郎/s2003.sdb", line("2003/01/01", "水", "駅前ホール", "6000", "-1,125", "-9,000", "機種Ｂ", "1") +
                                    line("2003/04/30", "水", "裏通り", "3000", "-1,500", "-12,000", "機種Ｂ", "1") +
                                    line("2003/05/03", "土", "裏通り", "1000", "-1,750", "-14,000", "機種Ｂ", "1") +
                                    line("2003/05/10", "土", "駅前ホール", "30000", "1,875", "15,000", "機種Ａ", "1") +
                                    line("2003/05/10", "土", "駅前ホール", "4000", "-1,375", "-11,000", "機種Ｂ", "2") +
                                    line("2003/05/10", "土", "駅前ホール", "2000", "-1,625", "-13,000", "機種Ｂ", "2") +
                                    line("2003/12/31", "水", "裏通り", "5000", "-1,250", "-10,000", "機種Ｂ", "1")},
    };
    std::map<std::string, std::string> got = allFiles(tmp.path());
    std::erase_if(got, [](const auto& kv) { return kv.first.rfind("Backup", 0) == 0; });
    for (auto& [name, bytes] : expected) bytes = test::sjis(bytes);
    EXPECT_EQ(got, expected);
}

TEST_F(AllOrNothingSave, BackupsKeepTheNewestVersionsAndARestoreBringsARecordBack) {
    putBytes(tmp.path() / "tmrec.ini", "[Backup]\r\nKeep=3\r\n");
    for (const char* day : {"1", "2", "3", "4"})
        ASSERT_TRUE(saveNewRecord(store, lists, "太郎", typedModel("6", day, "駅前ホール", "機種Ａ")).saved());
    YearRecordList list = store.loadYear("太郎", "2003");
    ASSERT_EQ(list.count(), 5);
    deleteRecord(store, list, 1);  // the 5/10 record
    EXPECT_EQ(store.loadYearTotals("太郎")[0].total, 4 * 15000);

    auto versions = listBackups(tmp.path(), "太郎");
    int yearFileVersions = 0;
    for (const auto& v : versions) yearFileVersions += v.file == "s2003.sdb";
    EXPECT_EQ(yearFileVersions, 3);  // newest three of five
    ASSERT_EQ(versions[0].file == "s2003.sdb" ? versions[0].lines : versions[1].lines, 5);
    const BackupVersion newest = versions[0].file == "s2003.sdb" ? versions[0] : versions[1];
    EXPECT_EQ(newest.stamp.size(), 19u);  // "YYYY/MM/DD HH:MM:SS"

    restoreBackup(tmp.path(), "太郎", newest.id);
    EXPECT_EQ(store.loadYear("太郎", "2003").count(), 5);
    EXPECT_EQ(store.loadYear("太郎", "2003").record(1).DateKey, "2003/05/10");
    EXPECT_EQ(store.loadYearTotals("太郎")[0].total, 5 * 15000);
    // The restore was itself backed up: the four-record file can come back too.
    auto after = listBackups(tmp.path(), "太郎");
    ASSERT_EQ(after[0].file == "s2003.sdb" ? after[0].lines : after[1].lines, 4);
    EXPECT_THROW(restoreBackup(tmp.path(), "太郎", "s2003.sdb.20000101-000000-000"), std::invalid_argument);

    // A backup that cannot be made stops the save with nothing written.
    // (A plain file stands where the user's backup folder belongs.)
    fs::rename(tmp.path() / "Backup" / "太郎", tmp.path() / "kept");
    putBytes(tmp.path() / "Backup" / "太郎", "");
    const auto before = allFiles(tmp.path());
    EXPECT_THROW(saveNewRecord(store, lists, "太郎", typedModel("7", "1", "駅前ホール", "機種Ａ")), FileError);
    EXPECT_EQ(allFiles(tmp.path()), before);
}

// "〜" (U+301C) and "−" (U+2212) are stored by CP932 as "～" and "－": a name typed
// with them matches its own stored line and user folder.
TEST(StoredFormTest, NamesTypedWithCharactersCp932StoresDifferentlyMatchTheirStoredLines) {
    TempFolder tmp;
    fs::path user = tmp.makeUser("太郎");
    RecordStore store(tmp.path());
    MasterLists lists(tmp.path());
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(saveNewRecord(store, lists, "太郎", typedModel("5", i ? "2" : "1", "駅前〜本店", "α−1")).saved());
    EXPECT_EQ(fileText(user / "holl.dat"), "\"駅前～本店\",\"1\"\n");
    EXPECT_EQ(fileText(user / "kisyu.dat"), "\"ＣＲ機\",\"α－1\"\n");
    EXPECT_EQ(fileText(tmp.path() / "CboData" / "holl.dat"), "\"駅前～本店\",\"1\"\n");
    EXPECT_EQ(lists.addHall("太郎", "駅前〜本店"), AddResult::Exists);
    lists.deleteHall("太郎", "駅前〜本店");
    EXPECT_EQ(fileText(user / "holl.dat"), "");
    // The box shows the stored form.
    EXPECT_EQ(typedModel("5", "1", "駅前〜本店", "").text(Box::cboHoll), "駅前～本店");

    // A user folder made under either form is found under the other.
    fs::create_directories(tmp.path() / "Data" / "波〜花");
    EXPECT_EQ(store.userFolder("波～花"), tmp.path() / "Data" / "波〜花");
}

TEST(FolderWriteLockTest, ASecondWriterWaitsAndGivesUpAfterItsTime) {
    TempFolder tmp;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t child = ::fork();
    if (child == 0) {
        FolderWriteLock held(tmp.path());
        char c = 1;
        (void)!::write(ready[1], &c, 1);
        ::usleep(400 * 1000);
        ::_exit(0);
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_THROW(FolderWriteLock(tmp.path(), std::chrono::milliseconds(50)), FileError);
    // Start-up leaves a live writer's temporary alone.
    putBytes(tmp.path() / "Data" / "u" / "s2003.sdb.tmp~Qw3rTy", "being written");
    EXPECT_TRUE(removeLeftoverTemporaries(tmp.path()).empty());
    auto started = std::chrono::steady_clock::now();
    {
        FolderWriteLock waited(tmp.path());                                // comes free when the other writer ends
        FolderWriteLock nested(tmp.path(), std::chrono::milliseconds(0));  // same process: shared
    }
    EXPECT_GT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(100));
    EXPECT_EQ(removeLeftoverTemporaries(tmp.path()).size(), 1u);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(ready[0]);
    ::close(ready[1]);
}

}  // namespace
}  // namespace tama
