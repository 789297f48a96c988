#pragma once
// File access shared by every store: case-insensitive name lookup, whole-file
// reads, and atomic rewrites (a temporary file in the same folder renamed over
// the old one, so a failed write leaves the old file whole).
#include <chrono>
#include <cstdint>
#include <functional>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tama {

namespace fs = std::filesystem;

// A data file that cannot be read or written as it should be. `file` names the
// file; `line` is the 1-based line of a read problem, 0 when none applies.
class FileError : public std::runtime_error {
public:
    FileError(fs::path file, int line, const std::string& what);
    const fs::path& file() const { return file_; }
    int line() const { return line_; }
    const std::string& detail() const { return detail_; }

private:
    fs::path file_;
    int line_;
    std::string detail_;
};

// ASCII case-insensitive equality, the rule for file and folder names.
bool equalsNoCase(std::string_view a, std::string_view b);

// The entry of `dir` whose name equals `name` without regard to letter case;
// when none exists, dir / name (the name a new file gets).
fs::path findNoCase(const fs::path& dir, std::string_view name);

// The whole file as bytes, or nothing when it does not exist. Throws FileError
// when it exists but cannot be read, or is not a regular file: a link, a folder,
// a FIFO or a device is refused at once (a FIFO would otherwise block the reader).
std::optional<std::string> readFileBytes(const fs::path& path);

// Replaces the file with `bytes` atomically, keeping its permissions. Throws
// FileError on failure, in which case the old file is left as it was; a file
// without write permission for its owner counts as read-only and is refused.
void writeFileAtomic(const fs::path& path, std::string_view bytes);

// The name of the journal a save writes in the program folder before its first
// rename and removes after its last (see FileBatch::commit).
inline constexpr std::string_view kSaveJournalName = "tamalog-save.journal";

// Several files replaced together. stage() writes each new content to a
// temporary file of its own (a unique name created exclusively in the target's
// folder, so a planted link or file is never written through) and flushes it;
// commit() then renames them all into place. Until commit() nothing a reader
// sees has changed: a batch dropped without commit() removes its temporaries and
// leaves every target as it was.
class FileBatch {
public:
    FileBatch() = default;
    ~FileBatch();
    FileBatch(const FileBatch&) = delete;
    FileBatch& operator=(const FileBatch&) = delete;

    // Writes `bytes` for `target` to a temporary file. Throws FileError naming the
    // target when it is read-only, is not a regular file, or the write fails.
    void stage(const fs::path& target, std::string_view bytes);
    // A new file that must not exist yet, created exclusively; a batch dropped
    // without commit() removes it again.
    void stageNew(const fs::path& target, std::string_view bytes);
    // Keeps the present content of `existing` under the new name `copy` (a hard
    // link where the file system allows, else a copy of `bytes`, which are that
    // content); removed again when the batch is dropped without commit().
    void keepCopy(const fs::path& existing, std::string_view bytes, const fs::path& copy);
    // Renames every staged file into place, in staging order, then syncs each
    // folder it touched. With a journal folder given (the program folder), the
    // save is atomic across its files even when the process is killed: a
    // journal naming every temporary, its target and the target's previous
    // content is written and synced there before the first rename and removed
    // after the last; the next holder of the write lock finishes or undoes it
    // (recoverInterruptedSave). A rename or sync that fails puts back what was
    // already renamed: the FileError's message then ends 「（何も保存されていません）」.
    void commit(const fs::path& journalFolder = {});
    // Drops everything staged (as the destructor does) and leaves the batch empty.
    void discard();
    bool empty() const { return items_.empty(); }
    // The targets staged so far, in order.
    std::vector<fs::path> targets() const;

private:
    struct Item {
        fs::path target;
        fs::path temp;
        bool exclusive = false;
        std::uint64_t inode = 0;  // of the temporary, which the target takes by the rename
        fs::path undo;            // a link to the target's previous content, made at commit
        bool hadTarget = false;   // the target existed when staged
    };
    void rollBack(size_t renamed, const fs::path& journal);
    std::vector<Item> items_;
};

// The text the message of a failed save ends with when no file was changed.
inline constexpr std::string_view kNothingSaved = "（何も保存されていません）";

// What recoverInterruptedSave did with a journal left by a killed save.
enum class Recovery { None, Finished, RolledBack };

// Finishes the save whose journal lies in `folder` when every file it names is
// either in place or still waiting as its temporary, else puts back every target
// it had already replaced; then removes the journal. Call it only while holding
// the folder's write lock (FolderWriteLock does so when it takes the lock).
// Throws FileError when the journal cannot be read or the files cannot be put
// right; the journal then stays for the next try.
Recovery recoverInterruptedSave(const fs::path& folder);

// Test seam of the file layer: every sync of a temporary file or folder and
// every rename the writers make is first handed to the hook, which returns 0 to
// let it happen or an errno to make it fail as the system would. Tests record
// the calls, or end the process at one of them to play a crash. An empty hook
// (the default) lets every call through.
enum class FileOp { SyncFile, SyncFolder, Rename };
using FileOpHook = std::function<int(FileOp op, const fs::path& path, const fs::path& to)>;
void setFileOpHook(FileOpHook hook);

// Throws FileError naming the first folder from `base` (exclusive) down to
// `folder` (inclusive) that is a symbolic link: data lies only in real folders,
// so that two program folders never share one through a link and no writer or
// cleanup reaches outside the program folder. `base` itself may be a link.
void refuseLinkedFolders(const fs::path& base, const fs::path& folder);

// Whether a file name is one of the temporary names the writers use
// ("<name>.tmp~" and six more characters).
bool isTemporaryName(std::string_view name);

// The temporary files lying in `folder` and the two levels of folders below it.
std::vector<fs::path> findTemporaries(const fs::path& folder);

// Removes the temporary files left by a writer that was killed (see
// findTemporaries). Returns what was removed. Call it only while holding the
// FolderWriteLock of the program folder, or a live writer's file goes too.
std::vector<fs::path> removeStaleTemporaries(const fs::path& folder);

// The name of the lock file in the program folder.
inline constexpr std::string_view kWriteLockName = "tamalog-write.lock";

// The write lock of a program folder: an advisory lock (flock) on a lock file
// in it, held by every writer from its first read to its last rename, so two
// programs never interleave their saves. A second writer waits for it, up to
// `wait`, then gets a FileError. Within one process the lock may be taken again
// while held (the inner holder shares the outer one's lock).
class FolderWriteLock {
public:
    explicit FolderWriteLock(const fs::path& programFolder, std::chrono::milliseconds wait = std::chrono::seconds(10));
    ~FolderWriteLock();
    FolderWriteLock(const FolderWriteLock&) = delete;
    FolderWriteLock& operator=(const FolderWriteLock&) = delete;

private:
    std::string key_;
};

// Splits file bytes into lines ended by CR LF (a lone LF is accepted too).
// A final line without an ending counts as a line.
template <typename F>
void forEachLine(std::string_view bytes, F&& f) {
    int lineNo = 0;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t nl = bytes.find('\n', pos);
        size_t end = nl == std::string_view::npos ? bytes.size() : nl;
        std::string_view line = bytes.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        f(++lineNo, line);
        if (nl == std::string_view::npos) break;
        pos = nl + 1;
    }
}

}  // namespace tama
