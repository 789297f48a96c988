#pragma once
// One save's writes to the files of a program folder, all or nothing: the
// folder's write lock is held from the first read to the last rename, every new
// content is staged in a temporary file before any file is replaced, and the
// previous content of each user file replaced is kept under Backup/<user>/.
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "shared/file_io.h"

namespace tama {

// Versions kept of each file when the settings name no other count.
inline constexpr int kDefaultBackupKeep = 20;

// Backup/<user>/ under the program folder (Backup found without regard to case).
fs::path backupFolder(const fs::path& programFolder, std::string_view user);

// How many versions of each user file are kept: key "Keep" of section "Backup"
// in tmrec.ini, default 20; 0 keeps none. Text that is not a whole number from 0
// to 1000 gives the default.
int backupKeepCount(const fs::path& programFolder);

class SaveBatch {
public:
    // Takes the program folder's write lock, waiting for another writer up to 10 s
    // (FileError when it does not come free); taking it first finishes or undoes a
    // save that was killed between its renames. `keepBackups` false: no backup
    // versions are made (a generator filling a fresh folder).
    explicit SaveBatch(const fs::path& programFolder, bool keepBackups = true);
    // Without commit(): removes what was staged and any backup folder it made.
    ~SaveBatch();
    SaveBatch(const SaveBatch&) = delete;
    SaveBatch& operator=(const SaveBatch&) = delete;

    const fs::path& programFolder() const { return programFolder_; }

    // Stages `bytes` as the new content of `target`, whose present content is
    // `current` (nothing: the file does not exist). Nothing is staged when the
    // content stays the same. With a user given, the present content is kept as a
    // backup version first, unless the newest version already holds it; a backup
    // that cannot be made throws FileError. A folder between the program folder
    // and the target (or the backup folder) that is a link is refused (FileError
    // naming it).
    void replace(const fs::path& target, const std::optional<std::string>& current, std::string_view bytes,
                 std::string_view user = {});

    // Renames every staged file into place (atomically across the files, see
    // FileBatch::commit), then removes the oldest backup versions beyond the kept
    // count, never one made by this save. Without commit() nothing changes.
    void commit();

private:
    struct Listing {
        std::vector<std::string> names;  // the folder's names, this save's versions included
        std::uint64_t sequence = 0;      // the sequence number of this save's versions there
        bool created = false;            // this save made the folder
    };
    fs::path programFolder_;
    FolderWriteLock lock_;
    FileBatch batch_;
    int keep_;
    std::vector<std::pair<fs::path, std::string>> backedUp_;  // (backup folder, file name)
    std::map<fs::path, Listing> listings_;                    // each backup folder this save wrote into
    std::vector<std::string> made_;                           // the versions this save made
    std::string stamp_;                                       // the time shown for them
};

// Runs the staging steps of one save and commits them. A file that cannot be
// read or written before the renames has changed nothing, and the FileError's
// message says so (「（何も保存されていません）」); a rename that fails puts back
// what was renamed and says the same.
template <typename F>
void commitAllOrNothing(SaveBatch& batch, F&& stage) {
    try {
        stage();
    } catch (const FileError& e) {
        throw FileError(e.file(), e.line(), e.detail() + std::string(kNothingSaved));
    }
    batch.commit();
}

// One kept version of a user file.
struct BackupVersion {
    std::string id;              // the backup file's name, which restoreBackup takes
    std::uint64_t sequence = 0;  // the save that made it; later saves have greater numbers
    std::string file;            // the user file it is a version of ("s2003.sdb")
    std::string stamp;           // when it was replaced: "2026/12/08 21:49:17"
    int lines = 0;               // records (YearFile) or entries (list) it holds
    fs::path path;
};

// The user's kept versions, newest first (by the sequence of the saves that made
// them, which a clock set back cannot reorder). Year.txt is not offered: its
// totals follow from the YearFiles, and a restored YearFile brings its own.
// Throws FileError when Backup or the user's backup folder is a link.
std::vector<BackupVersion> listBackups(const fs::path& programFolder, std::string_view user);

// Puts a kept version back as the user's file. The present content is backed up
// first, so a restore can itself be undone; a YearFile brings its total in
// Year.txt along. Throws std::invalid_argument for an unknown id, FileError when
// the version cannot be read as what it should be or the files cannot be written.
void restoreBackup(const fs::path& programFolder, std::string_view user, std::string_view id);

}  // namespace tama
