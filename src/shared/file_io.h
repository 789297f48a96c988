#pragma once
// File access shared by every store: case-insensitive name lookup, whole-file
// reads, and atomic rewrites (a temporary file in the same folder renamed over
// the old one, so a failed write leaves the old file whole).
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

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
// when it exists but cannot be read.
std::optional<std::string> readFileBytes(const fs::path& path);

// Replaces the file with `bytes` atomically, keeping its permissions. Throws
// FileError on failure, in which case the old file is left as it was; a file
// without write permission for its owner counts as read-only and is refused.
void writeFileAtomic(const fs::path& path, std::string_view bytes);

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
