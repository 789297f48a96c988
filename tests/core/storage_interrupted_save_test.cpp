// Saves cut short at every rename: by a kill (a child process ends at the
// call) and by an I/O error. Afterwards every file is whole and the files agree:
// the program folder holds exactly what it held before the save, or exactly what
// a save without a fault leaves.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "entry/entry_model.h"
#include "entry/entry_save.h"
#include "shared/number_format.h"
#include "storage/data_folders.h"
#include "storage/master_lists.h"
#include "storage/record_store.h"
#include "storage/save_batch.h"
#include "test_support.h"

namespace tama {
namespace {

using test::fileBytes;
using test::putBytes;
using test::TempFolder;

// Every regular file under the folder with its bytes, Backup and the lock file
// left out (backup names carry the time of the save).
std::map<std::string, std::string> dataFiles(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string rel = fs::relative(e.path(), root).string();
        if (e.is_regular_file() && e.path().filename() != kWriteLockName && rel.rfind("Backup", 0) != 0)
            files[rel] = fileBytes(e.path());
    }
    return files;
}

EntryModel visit(const char* month, const char* day, const char* hall, const char* machine, const char* out) {
    EntryModel m;
    m.loadStartValues(CalendarDate{2003, 5, 1});
    m.type(Box::txtTuki, month);
    m.type(Box::txtHi, day);
    m.type(Box::cboHoll, hall);
    m.type(Box::cboKisyu, machine);
    m.type(Box::txtKaisyu, out);
    m.tick();
    return m;
}

// A user with one record, then the save under test: a new hall and machine, so
// that it rewrites all six files (YearFile, two hall lists, two machine lists,
// Year.txt).
struct Folder {
    TempFolder tmp;
    fs::path user = tmp.makeUser("太郎");
    RecordStore store{tmp.path()};
    MasterLists lists{tmp.path()};
    Folder() { EXPECT_TRUE(saveNewRecord(store, lists, "太郎", visit("5", "10", "駅前", "機種Ａ", "30000")).saved()); }
    SaveResult save() { return saveNewRecord(store, lists, "太郎", visit("5", "3", "新店", "機種Ｂ", "9000")); }
};

struct Call {
    FileOp op;
    fs::path path, to;
};

// Records every call of the file layer while alive; `fault` decides each call's result.
class Recorder {
public:
    explicit Recorder(std::function<int(const Call&, int renames)> fault = {}) : fault_(std::move(fault)) {
        setFileOpHook([this](FileOp op, const fs::path& p, const fs::path& to) {
            calls.push_back({op, p, to});
            if (op == FileOp::Rename) ++renames_;
            return fault_ ? fault_(calls.back(), renames_) : 0;
        });
    }
    ~Recorder() { setFileOpHook({}); }
    std::vector<Call> calls;

private:
    std::function<int(const Call&, int)> fault_;
    int renames_ = 0;
};

// The renames and folder syncs of a save without fault, and the files it leaves.
struct Reference {
    std::vector<Call> calls;
    std::map<std::string, std::string> before, after;
};

Reference reference() {
    Folder f;
    Reference r;
    r.before = dataFiles(f.tmp.path());
    {
        Recorder rec;
        EXPECT_TRUE(f.save().saved());
        r.calls = rec.calls;
    }
    r.after = dataFiles(f.tmp.path());
    return r;
}

int renameCount(const std::vector<Call>& calls) {
    return static_cast<int>(
        std::count_if(calls.begin(), calls.end(), [](const Call& c) { return c.op == FileOp::Rename; }));
}

TEST(InterruptedSave, EveryTemporaryIsSyncedBeforeItsRenameAndEachFolderAfterTheLastRename) {
    Folder f;
    Recorder rec;
    ASSERT_TRUE(f.save().saved());
    const auto& calls = rec.calls;
    // The journal first, then the six files.
    ASSERT_EQ(renameCount(calls), 7);
    size_t lastRename = 0;
    std::vector<fs::path> folders;
    for (size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].op != FileOp::Rename) continue;
        lastRename = i;
        bool synced = false;
        for (size_t j = 0; j < i; ++j)
            synced = synced || (calls[j].op == FileOp::SyncFile && calls[j].path == calls[i].path);
        EXPECT_TRUE(synced) << calls[i].path << " renamed before it was synced";
        if (calls[i].to.filename() != kSaveJournalName) folders.push_back(calls[i].to.parent_path());
    }
    // The journal is in its folder for good before the first file is replaced.
    const auto journalRename = std::find_if(calls.begin(), calls.end(),
                                            [](const Call& c) { return c.op == FileOp::Rename; });
    ASSERT_EQ(journalRename->to, f.tmp.path() / kSaveJournalName);
    EXPECT_EQ((journalRename + 1)->op, FileOp::SyncFolder);
    EXPECT_EQ((journalRename + 1)->path, f.tmp.path());
    for (const auto& folder : folders) {
        bool syncedAfter = false;
        for (size_t j = lastRename + 1; j < calls.size(); ++j)
            syncedAfter = syncedAfter || (calls[j].op == FileOp::SyncFolder && calls[j].path == folder);
        EXPECT_TRUE(syncedAfter) << folder << " not synced after the last rename";
    }
    EXPECT_FALSE(fs::exists(f.tmp.path() / kSaveJournalName));
    EXPECT_TRUE(findTemporaries(f.tmp.path()).empty());
}

// A kill at each rename and folder sync of the save: the next writer to take the
// lock (start-up here) finishes the save once its journal is in place; before
// that, the save never happened.
TEST(InterruptedSave, AKillAtAnyRenameOrSyncLeavesTheOldOrTheNewFilesWhole) {
    const Reference ref = reference();
    ASSERT_NE(ref.before, ref.after);
    for (size_t at = 0; at < ref.calls.size(); ++at) {
        if (ref.calls[at].op == FileOp::SyncFile) continue;
        SCOPED_TRACE("killed at call " + std::to_string(at) + " " + ref.calls[at].path.string());
        Folder f;
        const pid_t child = ::fork();
        if (child == 0) {
            size_t n = 0;
            setFileOpHook([&](FileOp, const fs::path&, const fs::path&) {
                if (n++ == at) ::_exit(9);
                return 0;
            });
            (void)f.save();
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 9);

        const bool journaled = fs::exists(f.tmp.path() / kSaveJournalName);
        removeLeftoverTemporaries(f.tmp.path());
        EXPECT_FALSE(fs::exists(f.tmp.path() / kSaveJournalName));
        EXPECT_TRUE(findTemporaries(f.tmp.path()).empty());
        EXPECT_EQ(dataFiles(f.tmp.path()), journaled ? ref.after : ref.before)
            << (journaled ? "finished" : "untouched");
        // The backups of the killed save do not crowd out older versions: the
        // next save makes no version equal to the one before it.
        ASSERT_TRUE(saveNewRecord(f.store, f.lists, "太郎", visit("6", "1", "駅前", "機種Ａ", "1")).saved());
        auto versions = listBackups(f.tmp.path(), "太郎");
        std::map<std::string, std::string> newer;
        for (const auto& v : versions) {
            const std::string bytes = fileBytes(v.path);
            EXPECT_NE(newer[v.file], bytes) << v.id << " repeats the version after it";
            newer[v.file] = bytes;
        }
    }
}

// An I/O error at each rename and folder sync: the save reports that nothing was
// saved, and nothing was: not a byte, no backup, no backup folder.
TEST(InterruptedSave, AFailedRenameOrSyncPutsBackWhatWasRenamed) {
    const Reference ref = reference();
    for (int err : {EIO, ENOSPC}) {
        for (size_t at = 0; at < ref.calls.size(); ++at) {
            if (ref.calls[at].op == FileOp::SyncFile) continue;
            SCOPED_TRACE(std::string(std::strerror(err)) + " at call " + std::to_string(at) + " " +
                         ref.calls[at].path.string());
            Folder f;
            std::string message;
            {
                size_t n = 0;
                Recorder rec([&](const Call&, int) { return n++ == at ? err : 0; });
                try {
                    f.save();
                    ADD_FAILURE() << "saved";
                } catch (const FileError& e) {
                    message = e.what();
                }
            }
            EXPECT_TRUE(message.ends_with(kNothingSaved)) << message;
            EXPECT_NE(message.find(std::strerror(err)), std::string::npos) << message;
            EXPECT_EQ(dataFiles(f.tmp.path()), ref.before);
            EXPECT_FALSE(fs::exists(f.tmp.path() / kSaveJournalName));
            EXPECT_TRUE(findTemporaries(f.tmp.path()).empty());
            EXPECT_FALSE(fs::exists(f.tmp.path() / "Backup" / "太郎"));
            // The same save goes through once the fault is gone.
            ASSERT_TRUE(f.save().saved());
            EXPECT_EQ(dataFiles(f.tmp.path()), ref.after);
        }
    }
}

// A journal whose waiting temporary is gone (removed by hand) cannot be
// finished: the files it had replaced are put back instead.
TEST(InterruptedSave, AJournalThatCannotBeFinishedIsUndone) {
    const Reference ref = reference();
    Folder f;
    const pid_t child = ::fork();
    if (child == 0) {
        int renames = 0;
        setFileOpHook([&](FileOp op, const fs::path&, const fs::path&) {
            if (op == FileOp::Rename && ++renames == 4) ::_exit(9);  // journal and two files renamed
            return 0;
        });
        (void)f.save();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_NE(dataFiles(f.tmp.path()), ref.before);
    const std::string journal = fileBytes(f.tmp.path() / kSaveJournalName);
    // The fourth file's temporary, the next to be renamed.
    size_t line = 0;
    for (int k = 0; k < 3; ++k) line = journal.find("\nR\t", line + 1);
    const size_t tempAt = journal.find('\t', line + 3) + 1;  // after "R", the inode
    const fs::path temp = f.tmp.path() / journal.substr(tempAt, journal.find('\t', tempAt) - tempAt);
    ASSERT_TRUE(fs::remove(temp)) << temp;

    EXPECT_EQ(recoverInterruptedSave(f.tmp.path()), Recovery::RolledBack);
    removeLeftoverTemporaries(f.tmp.path());
    EXPECT_EQ(dataFiles(f.tmp.path()), ref.before);
    EXPECT_EQ(recoverInterruptedSave(f.tmp.path()), Recovery::None);

    // A journal that is not one is left alone, and every writer says why it stops.
    putBytes(f.tmp.path() / kSaveJournalName, "garbage\n");
    const auto planted = dataFiles(f.tmp.path());
    EXPECT_THROW(f.save(), FileError);
    EXPECT_EQ(dataFiles(f.tmp.path()), planted);
}

// Data lies only in real folders: a link in place of any of them stops the save
// with a message naming the link, and nothing is written through it.
TEST(LinkedFolders, ALinkInPlaceOfADataFolderIsRefusedByName) {
    for (const char* linked : {"Data", "Data/太郎", "CboData", "Backup", "Backup/太郎"}) {
        SCOPED_TRACE(linked);
        Folder f;
        ASSERT_TRUE(f.save().saved());  // Backup/太郎 exists now
        TempFolder elsewhere;
        const fs::path link = f.tmp.path() / linked;
        fs::rename(link, elsewhere.path() / "real");
        fs::create_directory_symlink(elsewhere.path() / "real", link);
        const auto outside = dataFiles(elsewhere.path());
        try {
            saveNewRecord(f.store, f.lists, "太郎", visit("7", "1", "別店", "機種Ｃ", "1"));
            ADD_FAILURE() << "saved through " << linked;
        } catch (const FileError& e) {
            EXPECT_EQ(e.file(), link);
            EXPECT_NE(std::string(e.what()).find("リンク"), std::string::npos) << e.what();
        }
        EXPECT_EQ(dataFiles(elsewhere.path()), outside);
    }
}

TEST(LinkedFolders, StartUpCleanupAndRestoreStayInsideTheProgramFolder) {
    Folder f;
    TempFolder elsewhere;
    putBytes(elsewhere.path() / "work.csv.tmp~Ab3xYz", "not ours");
    fs::remove_all(f.tmp.path() / "Temp");
    fs::create_directory_symlink(elsewhere.path(), f.tmp.path() / "Temp");
    EXPECT_TRUE(removeLeftoverTemporaries(f.tmp.path()).empty());
    EXPECT_TRUE(fs::exists(elsewhere.path() / "work.csv.tmp~Ab3xYz"));

    // A version planted in a linked backup folder is neither listed nor restored.
    putBytes(elsewhere.path() / "b" / "s2003.sdb.20990101-000000-000.000001", fileBytes(f.user / "s2003.sdb"));
    fs::create_directories(f.tmp.path() / "Backup");
    fs::create_directory_symlink(elsewhere.path() / "b", f.tmp.path() / "Backup" / "太郎");
    EXPECT_THROW(listBackups(f.tmp.path(), "太郎"), FileError);
    EXPECT_THROW(restoreBackup(f.tmp.path(), "太郎", "s2003.sdb.20990101-000000-000.000001"), FileError);
}

// Versions planted with stamps far ahead of the clock (a clock set back since):
// the new version still counts as the newest, is listed first and survives
// the pruning, which takes the oldest.
TEST(Backups, AClockSetBackDoesNotMakeTheNewVersionTheOldest) {
    Folder f;
    putBytes(f.tmp.path() / "tmrec.ini", "[Backup]\r\nKeep=3\r\n");
    const fs::path backups = f.tmp.path() / "Backup" / "太郎";
    for (const char* stamp : {"20990101-000000-000", "20990102-000000-000", "20990103-000000-000"})
        putBytes(backups / ("s2003.sdb." + std::string(stamp)), "\"old\"\r\n");
    const std::string present = fileBytes(f.user / "s2003.sdb");
    ASSERT_TRUE(f.save().saved());
    const auto versions = listBackups(f.tmp.path(), "太郎");
    const auto newest = std::find_if(versions.begin(), versions.end(),
                                     [](const BackupVersion& v) { return v.file == "s2003.sdb"; });
    ASSERT_NE(newest, versions.end());
    EXPECT_EQ(fileBytes(newest->path), present);
    EXPECT_FALSE(fs::exists(backups / "s2003.sdb.20990101-000000-000"));
    EXPECT_TRUE(fs::exists(backups / "s2003.sdb.20990103-000000-000"));
    // Undoing the save brings back the content it replaced.
    restoreBackup(f.tmp.path(), "太郎", newest->id);
    EXPECT_EQ(fileBytes(f.user / "s2003.sdb"), present);

    // Keep=1: the version just made is the one kept.
    putBytes(f.tmp.path() / "tmrec.ini", "[Backup]\r\nKeep=1\r\n");
    ASSERT_TRUE(saveNewRecord(f.store, f.lists, "太郎", visit("8", "1", "駅前", "機種Ａ", "1")).saved());
    std::vector<BackupVersion> yearFileVersions;
    for (const auto& v : listBackups(f.tmp.path(), "太郎"))
        if (v.file == "s2003.sdb") yearFileVersions.push_back(v);
    ASSERT_EQ(yearFileVersions.size(), 1u);
    EXPECT_EQ(fileBytes(yearFileVersions[0].path), present);
}

// Every version restore offers leaves the files in agreement: no Year.txt is
// offered, a YearFile brings its total, a damaged version is refused by line.
TEST(Backups, EveryOfferedVersionRestoresToFilesThatAgree) {
    Folder f;
    for (const char* day : {"1", "2", "3"})
        ASSERT_TRUE(saveNewRecord(f.store, f.lists, "太郎", visit("6", day, "駅前", "機種Ａ", "1000")).saved());
    YearRecordList list = f.store.loadYear("太郎", "2003");
    deleteRecord(f.store, list, 2);
    const auto versions = listBackups(f.tmp.path(), "太郎");
    ASSERT_GE(versions.size(), 4u);
    for (const auto& v : versions) {
        SCOPED_TRACE(v.id);
        EXPECT_NE(v.file, "Year.txt");
        restoreBackup(f.tmp.path(), "太郎", v.id);
        std::int64_t sum = 0;
        for (const auto& r : f.store.loadYear("太郎", "2003").records) sum += numberOrZero(r.Syusi);
        ASSERT_EQ(f.store.loadYearTotals("太郎").size(), 1u);
        EXPECT_EQ(f.store.loadYearTotals("太郎")[0].total, sum);
    }
    // A version whose record a writer would refuse is refused by file and line.
    DailyRecord bad = test::recordOn("2003/05/01");
    bad.Syusi = "nan";
    putBytes(f.tmp.path() / "Backup" / "太郎" / "s2003.sdb.20990101-000000-000.999999",
             encodeYearFile({test::recordOn("2003/05/01"), bad}, "x"));
    const auto before = dataFiles(f.tmp.path());
    try {
        restoreBackup(f.tmp.path(), "太郎", "s2003.sdb.20990101-000000-000.999999");
        ADD_FAILURE() << "restored";
    } catch (const FileError& e) {
        EXPECT_EQ(e.line(), 2);
        EXPECT_TRUE(std::string(e.what()).ends_with(kNothingSaved)) << e.what();
    }
    EXPECT_EQ(dataFiles(f.tmp.path()), before);

    // A full disk at the renames: restore says nothing was saved, and nothing was.
    const std::string live = fileBytes(f.user / "s2003.sdb");
    const auto other = std::find_if(versions.begin(), versions.end(), [&](const BackupVersion& v) {
        return v.file == "s2003.sdb" && fileBytes(v.path) != live;
    });
    ASSERT_NE(other, versions.end());
    for (const char* failing : {"s2003.sdb", "Year.txt"}) {
        Recorder rec(
            [&](const Call& c, int) { return c.op == FileOp::Rename && c.to.filename() == failing ? ENOSPC : 0; });
        try {
            restoreBackup(f.tmp.path(), "太郎", other->id);
            ADD_FAILURE() << "restored";
        } catch (const FileError& e) {
            EXPECT_TRUE(std::string(e.what()).ends_with(kNothingSaved)) << e.what();
        }
        EXPECT_EQ(dataFiles(f.tmp.path()), before);
    }
}

// A writer reads the file it rewrites as the checker does: a line the checker
// calls damaged stops the save, naming the file and line.
TEST(DamagedYearFile, IsNotRewrittenBySave) {
    struct Case {
        const char* what;
        std::function<void(DailyRecord&)> damage;
    } cases[] = {
        {"nan balance", [](DailyRecord& r) { r.Syusi = "nan"; }},
        {"1e400 balance", [](DailyRecord& r) { r.Syusi = "1e400"; }},
        {"garbage date",
         [](DailyRecord& r) {
             r.Hi = "3x";
             r.DateKey = "2003/05/3x";
         }},
        {"February 30",
         [](DailyRecord& r) {
             r.Tuki = "02";
             r.Hi = "30";
             r.DateKey = "2003/02/30";
         }},
        {"NUL byte", [](DailyRecord& r) { r.Come = std::string("a\0b", 3); }},
        {"another year",
         [](DailyRecord& r) {
             r.Nen = "2004";
             r.DateKey = "2004/05/01";
         }},
        {"DayFirst 3", [](DailyRecord& r) { r.DayFirst = "3"; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Folder f;
        DailyRecord bad = test::recordOn("2003/05/01");
        c.damage(bad);
        putBytes(f.user / "s2003.sdb", fileBytes(f.user / "s2003.sdb") + encodeYearFile({bad}, "x"));
        const auto before = dataFiles(f.tmp.path());
        try {
            f.save();
            ADD_FAILURE() << "saved";
        } catch (const FileError& e) {
            EXPECT_EQ(e.file(), f.user / "s2003.sdb");
            EXPECT_EQ(e.line(), 2);
        }
        EXPECT_EQ(dataFiles(f.tmp.path()), before);
    }
}

TEST(WriteLock, OnlyARegularFileServesAsTheLock) {
    TempFolder tmp;
    ASSERT_EQ(::mkfifo((tmp.path() / kWriteLockName).c_str(), 0644), 0);
    EXPECT_THROW(FolderWriteLock(tmp.path(), std::chrono::milliseconds(0)), FileError);
    fs::remove(tmp.path() / kWriteLockName);
    fs::create_directory(tmp.path() / kWriteLockName);
    EXPECT_THROW(FolderWriteLock(tmp.path(), std::chrono::milliseconds(0)), FileError);
}

}  // namespace
}  // namespace tama
