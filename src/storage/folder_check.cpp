#include "folder_check.h"

#include <algorithm>
#include <limits>
#include <map>
#include <optional>
#include <string_view>
#include <utility>

#include "shared/file_io.h"
#include "shared/number_format.h"
#include "shared/text_codec.h"
#include "storage/daily_record.h"
#include "storage/master_lists.h"
#include "storage/record_store.h"

namespace tama {
namespace {

// One line of a file as stored: its number, its bytes without the line end and
// how it ended.
struct RawLine {
    int no;
    std::string_view bytes;
    bool crlf;      // ended by CR LF
    bool lastOpen;  // the file's last line, without any line end
};

std::vector<RawLine> splitRawLines(std::string_view bytes) {
    std::vector<RawLine> lines;
    size_t pos = 0;
    int no = 0;
    while (pos < bytes.size()) {
        size_t nl = bytes.find('\n', pos);
        if (nl == std::string_view::npos) {
            lines.push_back({++no, bytes.substr(pos), false, true});
            break;
        }
        bool cr = nl > pos && bytes[nl - 1] == '\r';
        lines.push_back({++no, bytes.substr(pos, nl - pos - (cr ? 1 : 0)), cr, false});
        pos = nl + 1;
    }
    return lines;
}

// Quoted fields separated by commas ("a","b",...), nothing when the line has another shape.
std::optional<std::vector<std::string>> quotedFields(std::string_view line) {
    std::vector<std::string> fields;
    size_t pos = 0;
    for (;;) {
        if (pos >= line.size() || line[pos] != '"') return std::nullopt;
        size_t close = line.find('"', pos + 1);
        if (close == std::string_view::npos) return std::nullopt;
        fields.emplace_back(line.substr(pos + 1, close - pos - 1));
        pos = close + 1;
        if (pos == line.size()) return fields;
        if (line[pos] != ',') return std::nullopt;
        ++pos;
    }
}

bool isMachineType(std::string_view type) {
    for (const auto& t : kMachineTypes)
        if (t.name == type) return true;
    return false;
}

class Checker {
public:
    explicit Checker(fs::path root) : root_(std::move(root)) {}

    // Reads the whole folder once; returns what was found.
    FolderCheck run() {
        scan();
        return std::move(found_);
    }

private:
    void scan();
    // The path as built under the program folder, links not followed: a problem
    // with a link names the link, not what it points to.
    std::string rel(const fs::path& p) const {
        auto r = p.lexically_relative(root_);
        return (r.empty() ? p : r).generic_string();
    }
    // Reports `folder` when it is a link; true then (nothing below it is read).
    bool linkedFolder(const fs::path& folder) {
        std::error_code ec;
        if (!fs::is_symlink(folder, ec)) return false;
        report(folder, 0, "フォルダーではなくリンクです（データは実際のフォルダーにしか置けません）");
        return true;
    }
    void report(const fs::path& file, int line, std::string what) {
        found_.problems.push_back({rel(file), line, std::move(what)});
    }
    // The file's decoded lines (UTF-8), reporting line ends, blank lines and bytes
    // that are not CP932. Nothing when the file cannot be read; `complete` turns
    // false when a line had to be left out.
    std::optional<std::vector<std::pair<int, std::string>>> readLines(const fs::path& file, bool* complete = nullptr);

    void checkUser(const fs::path& folder, const std::string& name);
    // Returns the Syusi sum of the file, or nothing when the file could not be read whole.
    std::optional<std::int64_t> checkYearFile(const fs::path& file, const std::string& year, bool nameOk);
    void checkYearTotals(const fs::path& file, const std::map<std::string, std::optional<std::int64_t>>& sums);
    template <class Take>
    void forEachPair(const fs::path& file, const std::string& shape, Take take);
    void checkHallList(const fs::path& file);
    void checkMachineList(const fs::path& file);

    fs::path root_;
    FolderCheck found_;
};

std::optional<std::vector<std::pair<int, std::string>>> Checker::readLines(const fs::path& file, bool* complete) {
    std::optional<std::string> bytes;
    try {
        bytes = readFileBytes(file);
    } catch (const FileError& e) {
        report(file, 0, e.detail());
        return std::nullopt;
    }
    if (!bytes) return std::vector<std::pair<int, std::string>>{};
    // Decoding the whole file at once is the fast path; only a file that fails
    // is decoded line by line to name the bad lines.
    std::optional<std::string> whole = cp932ToUtf8(*bytes);
    std::string_view source = whole ? std::string_view(*whole) : std::string_view(*bytes);
    std::vector<std::pair<int, std::string>> out;
    for (const RawLine& l : splitRawLines(source)) {
        if (!l.crlf)
            report(file, l.no, l.lastOpen ? "最後の行に改行 (CR LF) がありません" : "行末が CR LF ではありません");
        if (l.bytes.find_first_not_of(" \t") == std::string_view::npos) {
            report(file, l.no, "空の行があります");
            continue;
        }
        if (l.bytes.find('\0') != std::string_view::npos) report(file, l.no, "NUL 文字があります");
        if (whole) {
            out.emplace_back(l.no, std::string(l.bytes));
        } else if (auto text = cp932ToUtf8(l.bytes)) {
            out.emplace_back(l.no, std::move(*text));
        } else {
            report(file, l.no, "Shift-JIS として読めない文字があります");
            if (complete) *complete = false;
        }
    }
    return out;
}

void Checker::scan() {
    // A writer killed between writing and renaming leaves its temporary file.
    std::error_code ec;
    // A save killed between its renames: the next writer finishes or undoes it.
    const fs::path journal = root_ / std::string(kSaveJournalName);
    if (fs::exists(fs::symlink_status(journal, ec)))
        report(journal, 0, "途中で止まった保存があります（次に書き込むときに完了するか取り消されます）");
    for (const auto& tmp : findTemporaries(root_))
        report(tmp, 0, "書き込みの途中で残った一時ファイルです（次の起動時に削除されます）");

    // The settings file: one that is no regular file is ignored by the program.
    try {
        readFileBytes(findNoCase(root_, "tmrec.ini"));
    } catch (const FileError& e) {
        report(e.file(), 0, e.detail() + "（設定は既定値になります）");
    }
    for (std::string_view name : {"Temp", "Backup"}) linkedFolder(findNoCase(root_, name));
    fs::path backup = findNoCase(root_, "Backup");
    if (fs::is_directory(fs::symlink_status(backup, ec)))
        for (fs::directory_iterator it(backup, ec), end; !ec && it != end; it.increment(ec)) linkedFolder(it->path());

    fs::path cbo = findNoCase(root_, "CboData");
    if (!linkedFolder(cbo)) {
        if (fs::exists(cbo, ec) && !fs::is_directory(cbo, ec)) report(cbo, 0, "フォルダーではありません");
        checkHallList(findNoCase(cbo, "holl.dat"));
        checkMachineList(findNoCase(cbo, "Kisyu.dat"));
    }

    fs::path data = findNoCase(root_, "Data");
    if (linkedFolder(data)) return;
    if (!fs::is_directory(data, ec)) {
        report(data, 0, "Data フォルダーがありません");
        return;
    }
    std::vector<std::pair<std::string, fs::path>> users;
    fs::directory_iterator it(data, ec), end;
    if (ec) report(data, 0, "フォルダーを読めません: " + ec.message());
    for (; !ec && it != end; it.increment(ec)) {
        if (linkedFolder(it->path())) continue;
        if (it->is_directory(ec)) users.emplace_back(it->path().filename().string(), it->path());
    }
    std::sort(users.begin(), users.end());
    // User names are folder names, looked up without regard to letter case.
    for (size_t i = 0; i < users.size(); ++i)
        for (size_t j = i + 1; j < users.size(); ++j)
            if (equalsNoCase(users[i].first, users[j].first))
                report(users[j].second, 0,
                       "大文字と小文字だけが違う利用者フォルダー " + users[i].first + " があります");
    for (const auto& [name, folder] : users) checkUser(folder, name);
}

void Checker::checkUser(const fs::path& folder, const std::string& name) {
    ++found_.users;
    std::string problem = userNameProblem(name);
    if (!problem.empty()) report(folder, 0, "利用者名として使えない名前です: " + problem);

    // Every entry, not only regular files: a folder or FIFO under a data file's
    // name is reported by the read that follows instead of counting as missing.
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec), end;
    if (ec) {
        report(folder, 0, "利用者のフォルダーを読めません: " + ec.message());
        return;
    }
    for (; !ec && it != end; it.increment(ec)) {
        std::string n = it->path().filename().string();
        if (!isTemporaryName(n)) names.push_back(std::move(n));
    }
    std::sort(names.begin(), names.end());

    // Names are looked up without regard to letter case, so two files that differ
    // only in case make one of them unreachable.
    for (size_t i = 0; i < names.size(); ++i)
        for (size_t j = i + 1; j < names.size(); ++j)
            if (equalsNoCase(names[i], names[j]))
                report(folder / names[j], 0, "大文字と小文字だけが違うファイル " + names[i] + " があります");

    std::map<std::string, std::optional<std::int64_t>> sums;
    for (const auto& n : names) {
        if (n.size() < 5 || !equalsNoCase(std::string_view(n).substr(n.size() - 4), ".sdb")) continue;
        ++found_.yearFiles;
        std::string year = n.substr(1, n.size() - 5);
        bool nameOk = (n[0] == 's' || n[0] == 'S') && year.size() == 4 && isDigitsOnly(year);
        if (!nameOk) report(folder / n, 0, "ファイル名が s<西暦4桁>.sdb の形ではありません");
        auto sum = checkYearFile(folder / n, year, nameOk);
        if (nameOk) sums[year] = sum;
    }
    checkYearTotals(findNoCase(folder, "Year.txt"), sums);
    checkHallList(findNoCase(folder, "holl.dat"));
    checkMachineList(findNoCase(folder, "kisyu.dat"));
}

std::optional<std::int64_t> Checker::checkYearFile(const fs::path& file, const std::string& year, bool nameOk) {
    bool whole = true;
    auto lines = readLines(file, &whole);
    if (!lines) return std::nullopt;
    double total = 0;
    std::int32_t lastKey = std::numeric_limits<std::int32_t>::min();
    for (const auto& [no, line] : *lines) {
        std::string why;
        auto rec = parseRecordLine(line, &why);
        if (!rec) {
            report(file, no, why);
            whole = false;
            continue;
        }
        ++found_.records;
        const DailyRecord& r = *rec;
        for (auto& problem : recordProblems(r, nameOk ? std::string_view(year) : std::string_view()))
            if (problem != "NUL 文字があります") report(file, no, std::move(problem));  // listed with the line
        std::int32_t key = toInt32(leadingNumber(r.Nen + r.Tuki + r.Hi));
        if (key < lastKey) report(file, no, "日付の順に並んでいません（前の行より前の日付です）");
        lastKey = std::max(lastKey, key);
        total = roundHalfEven(total + numberOrZero(r.Syusi));
    }
    if (!whole) return std::nullopt;
    auto sum = wholeInt64(total);
    if (!sum) report(file, 0, "収支の合計が大きすぎます");
    return sum;
}

void Checker::checkYearTotals(const fs::path& file, const std::map<std::string, std::optional<std::int64_t>>& sums) {
    auto lines = readLines(file);
    if (!lines) return;
    std::error_code ec;
    bool exists = fs::exists(file, ec);
    std::map<std::string, int> seen;
    std::int32_t lastYear = std::numeric_limits<std::int32_t>::min();
    for (const auto& [no, line] : *lines) {
        // "2003",125500
        size_t close = line.size() > 1 && line[0] == '"' ? line.find('"', 1) : std::string::npos;
        if (close == std::string::npos || close + 1 >= line.size() || line[close + 1] != ',') {
            report(file, no, "「\"年\",合計」の形ではありません");
            continue;
        }
        std::string year = line.substr(1, close - 1);
        std::string totalText = line.substr(close + 2);
        bool plain = !totalText.empty() && isDigitsOnly(totalText[0] == '-' ? totalText.substr(1) : totalText) &&
                     totalText != "-";
        if (!plain) {
            report(file, no, "合計「" + totalText + "」が符号付きの整数ではありません");
            continue;
        }
        if (year.size() != 4 || !isDigitsOnly(year)) report(file, no, "年「" + year + "」が西暦4桁ではありません");
        if (auto [it, fresh] = seen.emplace(year, no); !fresh)
            report(file, no, year + " 年の行が " + std::to_string(it->second) + " 行目にもあります");
        std::int32_t y = toInt32(leadingNumber(year));
        if (y < lastYear) report(file, no, "年の順に並んでいません");
        lastYear = std::max(lastYear, y);

        auto sum = sums.find(year);
        std::int64_t expected = 0;
        if (sum != sums.end()) {
            if (!sum->second) continue;  // the YearFile itself is damaged; its problems are listed
            expected = *sum->second;
        }
        auto total = parseNumber(totalText);
        auto whole = wholeInt64(*total);
        if (!whole || *whole != expected) {
            std::string source = sum == sums.end() ? "（s" + year + ".sdb がありません）"
                                                   : "（s" + year + ".sdb の収支の合計）";
            report(file, no,
                   year + " 年の合計 " + totalText + " が " + std::to_string(expected) + " と違います" + source);
        }
    }
    for (const auto& [year, sum] : sums) {
        if (seen.count(year) || !sum || *sum == 0) continue;
        report(file, 0,
               exists ? year + " 年の合計の行がありません（s" + year + ".sdb の合計は " + std::to_string(*sum) + "）"
                      : "ファイルがありません（s" + year + ".sdb の合計は " + std::to_string(*sum) + "）");
    }
}

// Each line of a list file of two quoted fields, handed to `take` with its
// number; a line of another shape is reported as `shape` and passed over.
template <class Take>
void Checker::forEachPair(const fs::path& file, const std::string& shape, Take take) {
    auto lines = readLines(file);
    if (!lines) return;
    for (const auto& [no, line] : *lines) {
        auto f = quotedFields(line);
        if (!f || f->size() != 2) report(file, no, shape);
        else take(no, (*f)[0], (*f)[1]);
    }
}

void Checker::checkHallList(const fs::path& file) {
    std::map<std::string, int> seen;
    forEachPair(
        file, "「\"ホール名\",\"1\"」の形ではありません", [&](int no, const std::string& name, const std::string& one) {
            if (name.empty()) report(file, no, "ホール名が空です");
            if (one != "1") report(file, no, "2番目の項目が \"1\" ではありません");
            if (auto [it, fresh] = seen.emplace(name, no); !fresh)
                report(file, no, "ホール名「" + name + "」が " + std::to_string(it->second) + " 行目にもあります");
        });
}

void Checker::checkMachineList(const fs::path& file) {
    std::map<std::pair<std::string, std::string>, int> seen;
    forEachPair(file, "「\"機種タイプ\",\"機種名\"」の形ではありません",
                [&](int no, const std::string& type, const std::string& name) {
                    if (!isMachineType(type)) report(file, no, "機種タイプ「" + type + "」は7種類のどれでもありません");
                    if (name.empty()) report(file, no, "機種名が空です");
                    if (auto [it, fresh] = seen.emplace(std::make_pair(type, name), no); !fresh)
                        report(
                            file, no,
                            "「" + type + "」「" + name + "」が " + std::to_string(it->second) + " 行目にもあります");
                });
}

// The text with control characters and bytes that are not UTF-8 written as
// \n, \r, \t and \xHH.
std::string printable(std::string_view text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len > 1 && i + len <= text.size() && isValidUtf8(text.substr(i, len))) {
            out.append(text.substr(i, len));
            i += len;
            continue;
        }
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else if (c < 0x20 || c == 0x7F || c >= 0x80) out += std::string("\\x") + hex[c >> 4] + hex[c & 15];
        else out += static_cast<char>(c);
        ++i;
    }
    return out;
}

}  // namespace

FolderCheck checkProgramFolder(const fs::path& programFolder) { return Checker(programFolder).run(); }

std::string problemLine(const FolderProblem& problem) {
    std::string line = printable(problem.file);
    if (problem.line > 0) line += ":" + std::to_string(problem.line);
    return line + ": " + printable(problem.what);
}

}  // namespace tama
