#include "file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
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
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (equalsNoCase(entry, name)) return it->path();
    }
    return exact;
}

std::optional<std::string> readFileBytes(const fs::path& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
        throw FileError(path, 0, std::string("読み込めません: ") + std::strerror(errno));
    }
    std::string out;
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

void writeFileAtomic(const fs::path& path, std::string_view bytes) {
    // Renaming over a file needs only the folder's permission, so a file the user
    // made read-only would be replaced without a word; it is refused instead, as a
    // plain write to it would be. The new file keeps the old one's permissions.
    struct stat st {};
    const bool replacing = ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    if (replacing && (st.st_mode & S_IWUSR) == 0) throw FileError(path, 0, "読み取り専用のため書き込めません");
    fs::path tmp = path;
    tmp += ".tmp~";
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw FileError(path, 0, std::string("書き込めません: ") + std::strerror(errno));
    if (replacing && ::fchmod(fd, st.st_mode & 07777) != 0) {
        int e = errno;
        ::close(fd);
        ::unlink(tmp.c_str());
        throw FileError(path, 0, std::string("書き込めません: ") + std::strerror(e));
    }
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            int e = errno;
            ::close(fd);
            ::unlink(tmp.c_str());
            throw FileError(path, 0, std::string("書き込めません: ") + std::strerror(e));
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    int syncFailed = ::fsync(fd) != 0 ? errno : 0;
    int closeFailed = ::close(fd) != 0 ? errno : 0;
    if (syncFailed || closeFailed) {
        int e = syncFailed ? syncFailed : closeFailed;
        ::unlink(tmp.c_str());
        throw FileError(path, 0, std::string("書き込めません: ") + std::strerror(e));
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        int e = errno;
        ::unlink(tmp.c_str());
        throw FileError(path, 0, std::string("書き込めません: ") + std::strerror(e));
    }
}

}  // namespace tama
