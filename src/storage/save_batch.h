#pragma once
// One save's writes to the files of a program folder, all or nothing: the
// folder's write lock is held from the first read to the last rename, every new
// content is staged in a temporary file before any file is replaced, and the
// previous content of each user file replaced is kept under Backup/<user>/.
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
    // (FileError when it does not come free). `keepBackups` false: no backup
    // versions are made (a generator filling a fresh folder).
    explicit SaveBatch(const fs::path& programFolder, bool keepBackups = true);
    SaveBatch(const SaveBatch&) = delete;
    SaveBatch& operator=(const SaveBatch&) = delete;

    const fs::path& programFolder() const { return programFolder_; }

    // Stages `bytes` as the new content of `target`, whose present content is
    // `current` (nothing: the file does not exist). Nothing is staged when the
    // content stays the same. With a user given, the present content is kept as a
    // backup version first; a backup that cannot be made throws FileError.
    void replace(const fs::path& target, const std::optional<std::string>& current, std::string_view bytes,
                 std::string_view user = {});

    // Renames every staged file into place, then removes the oldest backup
    // versions beyond the kept count. Without commit() nothing changes.
    void commit();

private:
    fs::path programFolder_;
    FolderWriteLock lock_;
    FileBatch batch_;
    int keep_;
    std::vector<std::pair<fs::path, std::string>> backedUp_;  // (backup folder, file name)
    std::map<fs::path, std::vector<std::string>> listings_;   // names in each backup folder, this save's included
    std::string stamp_;  // the one time stamp of this save's backups
};

// One kept version of a user file.
struct BackupVersion {
    std::string id;     // the backup file's name, which restoreBackup takes
    std::string file;   // the user file it is a version of ("s2003.sdb")
    std::string stamp;  // when it was replaced: "2026/12/08 21:49:17"
    int lines = 0;      // records (YearFile) or entries (list) it holds
    fs::path path;
};

// The user's kept versions, newest first.
std::vector<BackupVersion> listBackups(const fs::path& programFolder, std::string_view user);

// Puts a kept version back as the user's file. The present content is backed up
// first, so a restore can itself be undone; a YearFile brings its total in
// Year.txt along. Throws std::invalid_argument for an unknown id, FileError when
// the version cannot be read as what it should be or the files cannot be written.
void restoreBackup(const fs::path& programFolder, std::string_view user, std::string_view id);

}  // namespace tama
