#include "file_io.h"

#include "text_codec.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

namespace tama {

namespace {
std::string describe(const fs::path& file, int line, const std::string& what) {
    std::string s = file.string();
    if (line > 0) s += " (" + std::to_string(line) + "行目)";
    return s + ": " + what;
}
}  // namespace

FileError::FileError(fs::path file, int line, const std::string& what)
    : std::runtime_error(describe(file, line, what)), file_(std::move(file)), line_(line), detail_(what) {}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

fs::path findNoCase(const fs::path& dir, std::string_view name) {
    fs::path exact = dir / fs::path(std::string(name));
    std::error_code ec;
    if (fs::exists(exact, ec)) return exact;
    // A name typed with a character CP932 stores as another ("〜") finds the entry
    // made under its stored form ("～") and the other way round.
    const std::string stored = storedForm(name);
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (equalsNoCase(entry, name) || equalsNoCase(entry, stored)) return it->path();
        const bool ascii = std::all_of(entry.begin(), entry.end(), [](char c) { return (c & 0x80) == 0; });
        if (!ascii && equalsNoCase(storedForm(entry), stored)) return it->path();
    }
    return exact;
}

std::optional<std::string> readFileBytes(const fs::path& path) {
    // O_NONBLOCK keeps the open of a FIFO from waiting for a writer, O_NOFOLLOW
    // refuses a link; the file is then checked to be a regular one before reading.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
        if (errno == ELOOP) throw FileError(path, 0, "通常のファイルではありません（リンク）");
        throw FileError(path, 0, std::string("読み込めません: ") + std::strerror(errno));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw FileError(path, 0, "通常のファイルではありません");
    }
    std::string out;
    if (st.st_size > 0) out.reserve(static_cast<size_t>(st.st_size));
    char buf[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            int e = errno;
            ::close(fd);
            throw FileError(path, 0, std::string("読み込めません: ") + std::strerror(e));
        }
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return out;
}

namespace {

constexpr std::string_view kTempMark = ".tmp~";

FileOpHook& fileOpHook() {
    static FileOpHook hook;
    return hook;
}

// The three calls the test seam sees; each returns 0 or the errno.
int syncFile(int fd, const fs::path& path) {
    if (const auto& hook = fileOpHook())
        if (int e = hook(FileOp::SyncFile, path, {})) return e;
    return ::fsync(fd) != 0 ? errno : 0;
}

int syncFolder(const fs::path& folder) {
    if (const auto& hook = fileOpHook())
        if (int e = hook(FileOp::SyncFolder, folder, {})) return e;
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    int e = ::fsync(fd) != 0 ? errno : 0;
    ::close(fd);
    // Some file systems cannot sync a folder; the renames are then as durable as they can be.
    return e == EINVAL || e == EROFS ? 0 : e;
}

int renameFile(const fs::path& from, const fs::path& to) {
    if (const auto& hook = fileOpHook())
        if (int e = hook(FileOp::Rename, from, to)) return e;
    return ::rename(from.c_str(), to.c_str()) != 0 ? errno : 0;
}

[[noreturn]] void writeFailed(const fs::path& target, int e, std::string_view tail = {}) {
    throw FileError(target, 0, std::string("書き込めません: ") + std::strerror(e) + std::string(tail));
}

mode_t processUmask() {
    static const mode_t mask = [] {
        mode_t m = ::umask(022);
        ::umask(m);
        return m;
    }();
    return mask;
}

// Writes all bytes to fd and flushes them to the disk; returns 0 or the errno.
int writeAllAndSync(int fd, std::string_view bytes, const fs::path& path) {
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return syncFile(fd, path);
}

std::uint64_t inodeOf(const fs::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_ino) : 0;
}

bool present(const fs::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// A second name for the file `target`: a hard link with a temporary name beside it,
// or, where the file system has no hard links, a synced copy. Returns the name.
fs::path linkAside(const fs::path& target) {
    static unsigned counter = static_cast<unsigned>(::getpid()) * 7919u;
    static const char digits[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = target.string() + std::string(kTempMark);
        unsigned v = ++counter * 2654435761u ^ static_cast<unsigned>(attempt);
        for (int i = 0; i < 6; ++i, v /= 62) name += digits[v % 62];
        if (::link(target.c_str(), name.c_str()) == 0) return name;
        if (errno == EEXIST) continue;
        // No hard links here (EPERM, EMLINK): a copy made exclusively instead.
        auto bytes = readFileBytes(target);
        std::string tmpl = target.string() + std::string(kTempMark) + "XXXXXX";
        int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
        if (fd < 0) writeFailed(target, errno);
        int e = writeAllAndSync(fd, bytes.value_or(std::string()), tmpl);
        if (::close(fd) != 0 && e == 0) e = errno;
        if (e != 0) {
            ::unlink(tmpl.c_str());
            writeFailed(target, e);
        }
        return tmpl;
    }
    writeFailed(target, EEXIST);
}

// Journal lines: a header, then per staged file either
//   R <tab> inode <tab> temporary <tab> target <tab> previous content (or empty)
//   N <tab> path        (a new file already in place: a backup version)
// and a closing line. Paths are relative to the journal's folder when they lie in it.
constexpr std::string_view kJournalHead = "TAMALOG SAVE JOURNAL 1";
constexpr std::string_view kJournalEnd = "END";

std::string journalPath(const fs::path& p, const fs::path& folder) {
    fs::path rel = p.lexically_relative(folder);
    if (rel.empty() || *rel.begin() == "..") return p.string();
    return rel.string();
}

fs::path fromJournal(std::string_view text, const fs::path& folder) {
    fs::path p{std::string(text)};
    return p.is_absolute() ? p : folder / p;
}

std::vector<std::string_view> splitTabs(std::string_view line) {
    std::vector<std::string_view> out;
    size_t pos = 0;
    for (;;) {
        size_t tab = line.find('\t', pos);
        out.push_back(line.substr(pos, tab == std::string_view::npos ? std::string_view::npos : tab - pos));
        if (tab == std::string_view::npos) return out;
        pos = tab + 1;
    }
}

// Syncs each distinct folder of the paths; returns the first errno, or 0.
int syncFolders(const std::vector<fs::path>& files) {
    std::vector<fs::path> folders;
    for (const auto& f : files) {
        fs::path parent = f.parent_path();
        if (parent.empty()) parent = ".";
        if (std::find(folders.begin(), folders.end(), parent) == folders.end()) folders.push_back(parent);
    }
    int first = 0;
    for (const auto& folder : folders)
        if (int e = syncFolder(folder); e != 0 && first == 0) first = e;
    return first;
}

}  // namespace

void setFileOpHook(FileOpHook hook) { fileOpHook() = std::move(hook); }

void refuseLinkedFolders(const fs::path& base, const fs::path& folder) {
    fs::path rel = folder.lexically_relative(base);
    if (rel.empty() || *rel.begin() == "..") return;
    fs::path at = base;
    for (const auto& part : rel) {
        if (part == ".") continue;
        at /= part;
        struct stat st {};
        if (::lstat(at.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            throw FileError(at, 0, "フォルダーではなくリンクです。データは実際のフォルダーにしか置けません");
    }
}

FileBatch::~FileBatch() { discard(); }

void FileBatch::discard() {
    for (const auto& item : items_) {
        if (!item.temp.empty()) ::unlink(item.temp.c_str());
        if (!item.undo.empty()) ::unlink(item.undo.c_str());
    }
    items_.clear();
}

void FileBatch::stage(const fs::path& target, std::string_view bytes) {
    // Renaming over a file needs only the folder's permission, so a file the user
    // made read-only would be replaced without a word; it is refused instead, as a
    // plain write to it would be. The new file keeps the old one's permissions.
    struct stat st {};
    const bool exists = ::lstat(target.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) throw FileError(target, 0, "通常のファイルではないため書き込めません");
    if (exists && (st.st_mode & S_IWUSR) == 0) throw FileError(target, 0, "読み取り専用のため書き込めません");
    const mode_t mode = exists ? (st.st_mode & 07777) : (0666 & ~processUmask());

    // mkstemp creates the name with O_EXCL: a link or file planted under a
    // guessed name is never opened, and two writers never share a temporary.
    std::string tmpl = target.string() + std::string(kTempMark) + "XXXXXX";
    int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd < 0) writeFailed(target, errno);
    struct stat tst {};
    ::fstat(fd, &tst);
    items_.push_back({target, fs::path(tmpl), false, static_cast<std::uint64_t>(tst.st_ino), {}, exists});
    int e = ::fchmod(fd, mode) != 0 ? errno : writeAllAndSync(fd, bytes, tmpl);
    if (::close(fd) != 0 && e == 0) e = errno;
    if (e != 0) writeFailed(target, e);
}

void FileBatch::stageNew(const fs::path& target, std::string_view bytes) {
    int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666 & ~processUmask());
    if (fd < 0) writeFailed(target, errno);
    // The file itself is the staged item: a batch dropped before commit removes it.
    items_.push_back({target, target, true, 0, {}, false});
    int e = writeAllAndSync(fd, bytes, target);
    if (::close(fd) != 0 && e == 0) e = errno;
    if (e != 0) writeFailed(target, e);
}

void FileBatch::keepCopy(const fs::path& existing, std::string_view bytes, const fs::path& copy) {
    // The rename that follows gives the target a new inode, so the link keeps
    // the old content at no cost.
    if (::link(existing.c_str(), copy.c_str()) == 0) {
        items_.push_back({copy, copy, true, 0, {}, false});
        return;
    }
    if (errno == EEXIST) writeFailed(copy, errno);
    stageNew(copy, bytes);
}

void FileBatch::rollBack(size_t renamed, const fs::path& journal) {
    // Back to the previous content, last renamed first; new files go again.
    bool whole = true;
    std::vector<fs::path> touched;
    for (size_t k = renamed; k-- > 0;) {
        Item& item = items_[k];
        if (item.exclusive) continue;
        touched.push_back(item.target);
        if (!item.undo.empty()) {
            if (renameFile(item.undo, item.target) != 0) whole = false;
            else item.undo.clear();
        } else if (!item.hadTarget) {
            if (::unlink(item.target.c_str()) != 0 && errno != ENOENT) whole = false;
        }
    }
    for (Item& item : items_)
        if (item.exclusive) {
            touched.push_back(item.target);
            ::unlink(item.target.c_str());
            item.temp.clear();
        }
    if (syncFolders(touched) != 0) whole = false;
    if (!whole) {
        // The journal stays: the next holder of the write lock finishes the save.
        for (Item& item : items_) item.temp.clear(), item.undo.clear();
        items_.clear();
        return;
    }
    if (!journal.empty()) {
        ::unlink(journal.c_str());
        syncFolder(journal.parent_path());
    }
    discard();
}

void FileBatch::commit(const fs::path& journalFolder) {
    bool anyRename = false;
    for (const auto& item : items_) anyRename = anyRename || !item.exclusive;
    const bool journaled = anyRename && !journalFolder.empty();
    const fs::path journal = journaled ? journalFolder / std::string(kSaveJournalName) : fs::path();
    const std::string nothing(kNothingSaved);

    if (journaled) {
        // Each target's previous content gets a second name, so that a failed
        // rename, or the next writer after a crash, can put it back.
        for (Item& item : items_) {
            if (item.exclusive || !present(item.target)) continue;
            try {
                item.undo = linkAside(item.target);
            } catch (const FileError& e) {
                throw FileError(e.file(), e.line(), e.detail() + nothing);
            }
        }
        std::string text = std::string(kJournalHead) + "\n";
        for (const Item& item : items_) {
            if (item.exclusive) text += "N\t" + journalPath(item.target, journalFolder) + "\n";
            else
                text += "R\t" + std::to_string(item.inode) + "\t" + journalPath(item.temp, journalFolder) + "\t" +
                        journalPath(item.target, journalFolder) + "\t" +
                        (item.undo.empty() ? std::string() : journalPath(item.undo, journalFolder)) + "\n";
        }
        text += std::string(kJournalEnd) + "\n";
        std::string tmpl = journal.string() + std::string(kTempMark) + "XXXXXX";
        int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
        if (fd < 0) writeFailed(journal, errno, nothing);
        int e = writeAllAndSync(fd, text, tmpl);
        if (::close(fd) != 0 && e == 0) e = errno;
        if (e == 0) e = renameFile(tmpl, journal);
        if (e == 0) e = syncFolder(journalFolder);
        if (e != 0) {
            ::unlink(tmpl.c_str());
            ::unlink(journal.c_str());
            writeFailed(journal, e, nothing);
        }
    }

    std::vector<fs::path> touched;
    for (size_t k = 0; k < items_.size(); ++k) {
        Item& item = items_[k];
        touched.push_back(item.target);
        if (item.exclusive) continue;
        if (int e = renameFile(item.temp, item.target); e != 0) {
            const fs::path failed = item.target;  // rollBack empties the batch
            rollBack(k, journal);
            writeFailed(failed, e,
                        present(journal) ? "（保存は途中で止まっています。次に書き込むときに完了するか取り消されます）"
                                         : nothing);
        }
        item.temp.clear();
    }
    if (int e = syncFolders(touched); e != 0) {
        rollBack(items_.size(), journal);
        writeFailed(touched.front().parent_path(), e, nothing);
    }
    for (Item& item : items_)
        if (!item.undo.empty()) ::unlink(item.undo.c_str());
    if (journaled) ::unlink(journal.c_str());
    items_.clear();
}

std::vector<fs::path> FileBatch::targets() const {
    std::vector<fs::path> out;
    for (const auto& item : items_) out.push_back(item.target);
    return out;
}

Recovery recoverInterruptedSave(const fs::path& folder) {
    const fs::path journal = folder / std::string(kSaveJournalName);
    if (!present(journal)) return Recovery::None;
    const auto bytes = readFileBytes(journal);
    struct Entry {
        bool renamed = true;
        std::uint64_t inode = 0;
        fs::path temp, target, undo;
    };
    std::vector<Entry> entries;
    bool closed = false, headed = false;
    forEachLine(bytes.value_or(std::string()), [&](int no, std::string_view line) {
        if (no == 1) {
            headed = line == kJournalHead;
            return;
        }
        if (line == kJournalEnd) {
            closed = true;
            return;
        }
        auto f = splitTabs(line);
        if (f.size() == 2 && f[0] == "N") {
            entries.push_back({false, 0, {}, fromJournal(f[1], folder), {}});
        } else if (f.size() == 5 && f[0] == "R" && !f[1].empty() &&
                   f[1].find_first_not_of("0123456789") == std::string_view::npos) {
            entries.push_back({true, std::stoull(std::string(f[1])), fromJournal(f[2], folder),
                               fromJournal(f[3], folder), f[4].empty() ? fs::path() : fromJournal(f[4], folder)});
        } else {
            headed = false;
        }
    });
    if (!headed || !closed) throw FileError(journal, 0, "途中で止まった保存の記録として読めません");

    // Each renamed file is in place (the target holds the temporary's inode) or
    // still waiting as its temporary. Anything else (a temporary removed by hand)
    // means the save cannot be finished: it is undone instead.
    bool finishable = true;
    for (const Entry& e : entries)
        if (e.renamed && inodeOf(e.target) != e.inode && inodeOf(e.temp) != e.inode) finishable = false;

    bool whole = true;
    std::vector<fs::path> touched;
    for (const Entry& e : entries) {
        touched.push_back(e.target);
        if (!e.renamed) {
            if (!finishable) ::unlink(e.target.c_str());
        } else if (finishable) {
            if (inodeOf(e.target) != e.inode && renameFile(e.temp, e.target) != 0) whole = false;
        } else if (inodeOf(e.target) == e.inode) {
            if (!e.undo.empty() ? renameFile(e.undo, e.target) != 0 : ::unlink(e.target.c_str()) != 0) whole = false;
        }
    }
    if (syncFolders(touched) != 0) whole = false;
    if (!whole) throw FileError(journal, 0, "途中で止まった保存を片付けられません");
    for (const Entry& e : entries) {
        if (!e.undo.empty()) ::unlink(e.undo.c_str());
        if (e.renamed && inodeOf(e.temp) == e.inode) ::unlink(e.temp.c_str());
    }
    ::unlink(journal.c_str());
    syncFolder(folder);
    return finishable ? Recovery::Finished : Recovery::RolledBack;
}

void writeFileAtomic(const fs::path& path, std::string_view bytes) {
    FileBatch batch;
    batch.stage(path, bytes);
    batch.commit();
}

bool isTemporaryName(std::string_view name) {
    return name.size() > kTempMark.size() + 6 &&
           name.substr(name.size() - 6 - kTempMark.size(), kTempMark.size()) == kTempMark;
}

namespace {
void collectTemporaries(const fs::path& folder, int depth, std::vector<fs::path>& out) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ec2;
        // The entry's own type: a link is neither a temporary nor a folder to
        // descend into, so nothing outside the program folder is ever reached.
        const fs::file_type type = it->symlink_status(ec2).type();
        if (isTemporaryName(it->path().filename().string()) && type == fs::file_type::regular)
            out.push_back(it->path());
        else if (depth > 0 && type == fs::file_type::directory) collectTemporaries(it->path(), depth - 1, out);
    }
}
}  // namespace

// The program folder, Data and CboData, and the user and backup folders below
// them: three levels cover every place a writer puts a file.
std::vector<fs::path> findTemporaries(const fs::path& folder) {
    std::vector<fs::path> out;
    collectTemporaries(folder, 2, out);
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<fs::path> removeStaleTemporaries(const fs::path& folder) {
    std::vector<fs::path> removed;
    for (auto& p : findTemporaries(folder))
        if (::unlink(p.c_str()) == 0) removed.push_back(std::move(p));
    return removed;
}

namespace {
struct HeldLock {
    int fd = -1;
    int depth = 0;
};
std::mutex& locksMutex() {
    static std::mutex m;
    return m;
}
std::map<std::string, HeldLock>& heldLocks() {
    static std::map<std::string, HeldLock> m;
    return m;
}
}  // namespace

FolderWriteLock::FolderWriteLock(const fs::path& programFolder, std::chrono::milliseconds wait) {
    std::error_code ec;
    fs::path folder = fs::weakly_canonical(programFolder, ec);
    if (ec) folder = programFolder;
    key_ = folder.string();
    std::lock_guard guard(locksMutex());
    auto& held = heldLocks()[key_];
    if (held.depth > 0) {
        ++held.depth;
        return;
    }
    fs::path file = folder / std::string(kWriteLockName);
    // O_NONBLOCK: a FIFO planted under the name must not hold the opener up; it
    // and any other file that is not a regular one is refused as the lock.
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666 & ~processUmask());
    if (fd < 0) {
        int e = errno;
        heldLocks().erase(key_);
        throw FileError(file, 0, std::string("書き込み用のロックファイルを開けません: ") + std::strerror(e));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        heldLocks().erase(key_);
        throw FileError(file, 0, "書き込み用のロックファイルが通常のファイルではありません");
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) break;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            int e = errno;
            ::close(fd);
            heldLocks().erase(key_);
            throw FileError(file, 0, std::string("書き込み用のロックを取れません: ") + std::strerror(e));
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            heldLocks().erase(key_);
            throw FileError(file, 0, "ほかのプログラムが書き込み中です。しばらくしてからやり直して下さい");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // A save killed between its renames is finished or undone before anything
    // else is read or written under the lock.
    try {
        recoverInterruptedSave(folder);
    } catch (...) {
        ::close(fd);
        heldLocks().erase(key_);
        throw;
    }
    held.fd = fd;
    held.depth = 1;
}

FolderWriteLock::~FolderWriteLock() {
    std::lock_guard guard(locksMutex());
    auto it = heldLocks().find(key_);
    if (it == heldLocks().end()) return;
    if (--it->second.depth == 0) {
        ::close(it->second.fd);  // closing the descriptor releases the flock
        heldLocks().erase(it);
    }
}

}  // namespace tama
