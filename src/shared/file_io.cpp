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

[[noreturn]] void writeFailed(const fs::path& target, int e) {
    throw FileError(target, 0, std::string("書き込めません: ") + std::strerror(e));
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
int writeAllAndSync(int fd, std::string_view bytes) {
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
    return ::fsync(fd) != 0 ? errno : 0;
}

}  // namespace

FileBatch::~FileBatch() {
    for (const auto& item : items_)
        if (!item.temp.empty()) ::unlink(item.temp.c_str());
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
    items_.push_back({target, fs::path(tmpl), false});
    int e = ::fchmod(fd, mode) != 0 ? errno : writeAllAndSync(fd, bytes);
    if (::close(fd) != 0 && e == 0) e = errno;
    if (e != 0) writeFailed(target, e);
}

void FileBatch::stageNew(const fs::path& target, std::string_view bytes) {
    int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666 & ~processUmask());
    if (fd < 0) writeFailed(target, errno);
    // The file itself is the staged item: a batch dropped before commit removes it.
    items_.push_back({target, target, true});
    int e = writeAllAndSync(fd, bytes);
    if (::close(fd) != 0 && e == 0) e = errno;
    if (e != 0) writeFailed(target, e);
}

void FileBatch::keepCopy(const fs::path& existing, std::string_view bytes, const fs::path& copy) {
    // The rename that follows gives the target a new inode, so the link keeps
    // the old content at no cost.
    if (::link(existing.c_str(), copy.c_str()) == 0) {
        items_.push_back({copy, copy, true});
        return;
    }
    if (errno == EEXIST) writeFailed(copy, errno);
    stageNew(copy, bytes);
}

void FileBatch::commit() {
    for (auto& item : items_) {
        if (item.exclusive) {
            item.temp.clear();
            continue;
        }
        if (::rename(item.temp.c_str(), item.target.c_str()) != 0) writeFailed(item.target, errno);
        item.temp.clear();
    }
    items_.clear();
}

std::vector<fs::path> FileBatch::targets() const {
    std::vector<fs::path> out;
    for (const auto& item : items_) out.push_back(item.target);
    return out;
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
        if (isTemporaryName(it->path().filename().string()) && it->is_regular_file(ec2) && !it->is_symlink(ec2))
            out.push_back(it->path());
        else if (depth > 0 && it->is_directory(ec2))
            collectTemporaries(it->path(), depth - 1, out);
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
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666 & ~processUmask());
    if (fd < 0) {
        int e = errno;
        heldLocks().erase(key_);
        throw FileError(file, 0, std::string("書き込み用のロックファイルを開けません: ") + std::strerror(e));
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
