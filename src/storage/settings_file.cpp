#include "settings_file.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "shared/file_io.h"
#include "shared/number_format.h"
#include "shared/text_codec.h"

namespace tama {

namespace {

// The lines of the file as raw CP932 bytes: none when the file is missing,
// nothing at all when it exists but cannot be read.
std::optional<std::vector<std::string>> readLines(const fs::path& path) {
    std::vector<std::string> lines;
    std::optional<std::string> bytes;
    try {
        bytes = readFileBytes(path);
    } catch (const FileError&) {
        return std::nullopt;
    }
    if (!bytes) return lines;
    forEachLine(*bytes, [&](int, std::string_view line) { lines.emplace_back(line); });
    return lines;
}

// Lines are kept as raw bytes so that a rewrite leaves every other line exactly as
// it was. The characters that give a line its shape ('=', quotes, spaces) lie below
// 0x40 and are never the second byte of a double-byte character, so they can be
// found in the raw bytes; names are compared only after decoding, because a second
// byte can look like a letter or like "]".

// The section name (UTF-8) of a "[name]" line, or nothing.
std::optional<std::string> sectionOf(std::string_view rawLine) {
    auto text = cp932ToUtf8(rawLine);
    if (!text) return std::nullopt;
    std::string_view t = trimSpaces(*text);
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']') return std::string(trimSpaces(t.substr(1, t.size() - 2)));
    return std::nullopt;
}

// True when the line has an "=".
bool isKeyLine(std::string_view rawLine) { return rawLine.find('=') != std::string_view::npos; }

// The raw value bytes of a "key=value" line whose key equals `key` (UTF-8, without
// regard to letter case), or nothing.
std::optional<std::string_view> valueOfKey(std::string_view rawLine, std::string_view key) {
    size_t eq = rawLine.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    auto name = cp932ToUtf8(trimSpaces(rawLine.substr(0, eq)));
    if (!name || !equalsNoCase(*name, key)) return std::nullopt;
    return rawLine.substr(eq + 1);
}

bool holdsLineEnd(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// Cuts CP932 bytes to at most n bytes without splitting a double-byte character.
std::string_view cutCp932(std::string_view bytes, size_t n) {
    if (bytes.size() <= n) return bytes;
    size_t i = 0;
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        size_t len = lead ? 2 : 1;
        if (i + len > n) break;
        i += len;
    }
    return bytes.substr(0, i);
}

}  // namespace

SettingsFile::SettingsFile(fs::path path) : path_(std::move(path)) {}

std::string SettingsFile::read(std::string_view section, std::string_view key) const {
    auto lines = readLines(path_);
    if (!lines) return {};
    bool inSection = false;
    for (const auto& line : *lines) {
        if (auto s = sectionOf(line)) {
            inSection = equalsNoCase(*s, section);
            continue;
        }
        if (!inSection) continue;
        auto raw = valueOfKey(line, key);
        if (!raw) continue;
        std::string_view v = trimSpaces(*raw);
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
            v = v.substr(1, v.size() - 2);
        v = cutCp932(v, kSettingsValueMaxBytes);
        auto text = cp932ToUtf8(v);
        return text ? *text : std::string();
    }
    return {};
}

std::string SettingsFile::readOr(std::string_view section, std::string_view key, std::string_view fallback) const {
    std::string v = read(section, key);
    return v.empty() ? std::string(fallback) : v;
}

bool SettingsFile::write(std::string_view section, std::string_view key, std::string_view value) {
    auto sec = utf8ToCp932(section);
    auto k = utf8ToCp932(key);
    auto v = utf8ToCp932(value);
    if (!sec || !k || !v) return false;
    // A line end would split the entry into lines of its own; an "=" in the key or
    // a "]" in the section would read back as another key or section.
    if (holdsLineEnd(section) || holdsLineEnd(key) || holdsLineEnd(value) || key.find('=') != std::string_view::npos ||
        section.find(']') != std::string_view::npos)
        return false;
    // A file that exists but cannot be read is left alone: rewriting it from
    // nothing would lose every other setting.
    // Another program on the same folder (a second window, a script) may
    // rewrite this file at the same time; the folder's write lock, held from
    // this read to the rename, keeps one from undoing the other's change.
    std::optional<FolderWriteLock> lock;
    std::optional<std::string> old;
    try {
        lock.emplace(path_.has_parent_path() ? path_.parent_path() : fs::path("."));
        old = readFileBytes(path_);
    } catch (const FileError&) {
        return false;
    }
    // Each line with its own ending, so every line but the one written goes back
    // byte for byte (a lone LF stays a lone LF).
    struct Line {
        std::string body, ending;
    };
    std::vector<Line> lines;
    if (old) {
        size_t pos = 0;
        while (pos < old->size()) {
            size_t nl = old->find('\n', pos);
            if (nl == std::string::npos) {
                // A last line without LF: a CR at its end is its ending, as readers take it.
                std::string last = old->substr(pos);
                const bool cr = last.back() == '\r';
                if (cr) last.pop_back();
                lines.push_back({std::move(last), cr ? "\r" : ""});
                break;
            }
            const bool cr = nl > pos && (*old)[nl - 1] == '\r';
            lines.push_back({old->substr(pos, nl - pos - (cr ? 1 : 0)), cr ? "\r\n" : "\n"});
            pos = nl + 1;
        }
    }
    const std::string newLine = *k + "=" + *v;

    // Find the section; within it replace the key or append after its last key line.
    std::optional<size_t> sectionLine, insertAt, keyLine;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (auto s = sectionOf(lines[i].body)) {
            if (sectionLine && !keyLine) break;  // left our section
            if (equalsNoCase(*s, section) && !sectionLine) {
                sectionLine = i;
                insertAt = i + 1;
            }
            continue;
        }
        if (!sectionLine || keyLine) continue;
        if (isKeyLine(lines[i].body)) {
            insertAt = i + 1;
            if (valueOfKey(lines[i].body, key)) keyLine = i;
        }
    }
    // A last line without a whole ending (none, or a lone CR) gets CR LF before a
    // line is put after it; otherwise the two would read as one line.
    auto endBefore = [&](size_t at) {
        if (at > 0 && at <= lines.size() && (lines[at - 1].ending.empty() || lines[at - 1].ending == "\r"))
            lines[at - 1].ending = "\r\n";
    };
    if (keyLine) {
        lines[*keyLine] = {newLine, "\r\n"};
    } else if (sectionLine) {
        endBefore(*insertAt);
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*insertAt), Line{newLine, "\r\n"});
    } else {
        endBefore(lines.size());
        lines.push_back({"[" + *sec + "]", "\r\n"});
        lines.push_back({newLine, "\r\n"});
    }
    std::string bytes;
    for (const auto& l : lines) bytes += l.body + l.ending;
    try {
        writeFileAtomic(path_, bytes);
    } catch (const FileError&) {
        return false;
    }
    return true;
}

OptionSet readOptionSet(const SettingsFile& settings) {
    OptionSet o;
    auto take = [&](const char* key, std::string& field) { field = settings.readOr("Option", key, field); };
    take("cmdAll.BackColor", o.cmdAllBackColor);
    take("cmdGluf.BackColor", o.cmdGlufBackColor);
    take("chkDat1.Value", o.chkDat1Value);
    take("lblLine.Caption", o.lblLineCaption);
    take("cmdDat.BackColor", o.cmdDatBackColor);
    take("chkG1.Value", o.chkG1Value);
    take("chkG2.Value", o.chkG2Value);
    take("chkG3.Value", o.chkG3Value);
    return o;
}

void writeOptionSet(SettingsFile& settings, const OptionSet& o) {
    settings.write("Option", "cmdAll.BackColor", o.cmdAllBackColor);
    settings.write("Option", "cmdGluf.BackColor", o.cmdGlufBackColor);
    settings.write("Option", "chkDat1.Value", o.chkDat1Value);
    settings.write("Option", "lblLine.Caption", o.lblLineCaption);
    settings.write("Option", "cmdDat.BackColor", o.cmdDatBackColor);
    settings.write("Option", "chkG1.Value", o.chkG1Value);
    settings.write("Option", "chkG2.Value", o.chkG2Value);
    settings.write("Option", "chkG3.Value", o.chkG3Value);
}

std::uint32_t colourValue(std::string_view text, std::uint32_t fallback) {
    auto v = parseNumber(text);
    if (!v || *v < -2147483648.0 || *v > 4294967295.0) return fallback;
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(*v));
}

bool flagValue(std::string_view text, bool fallback) {
    auto v = parseNumber(text);
    if (!v) return fallback;
    return *v != 0;
}

}  // namespace tama
