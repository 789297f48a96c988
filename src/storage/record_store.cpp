#include "record_store.h"

#include <algorithm>
#include <stdexcept>

#include "save_batch.h"
#include "shared/calendar.h"
#include "shared/number_format.h"
#include "shared/text_codec.h"

namespace tama {

namespace {

// A 64-bit hash of the file bytes with their length: enough to notice that a file
// changed underneath a list. The library's string hash works a word at a time,
// several times faster than a byte-wise hash on a YearFile.
std::uint64_t fingerprintOf(std::string_view bytes) {
    return static_cast<std::uint64_t>(std::hash<std::string_view>{}(bytes)) ^ (bytes.size() * 0x9E3779B97F4A7C15ull);
}

void requireFolder(const fs::path& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) throw FileError(folder, 0, "利用者のフォルダーがありません");
}

bool isBlank(std::string_view line) { return line.find_first_not_of(" \t") == std::string_view::npos; }

// Finds the first line whose bytes are not CP932, for the error message.
int firstUndecodableLine(std::string_view bytes) {
    int bad = 0;
    forEachLine(bytes, [&](int no, std::string_view line) {
        if (bad == 0 && !cp932ToUtf8(line)) bad = no;
    });
    return bad == 0 ? 1 : bad;
}

std::int32_t dateSortKey(const DailyRecord& r) {
    // Year, month and day of digits alone, up to nine in all (every date the
    // form writes), read directly; anything else as the general reader does.
    std::int32_t key = 0;
    size_t count = 0;
    for (const std::string* part : {&r.Nen, &r.Tuki, &r.Hi})
        for (char c : *part) {
            if (c < '0' || c > '9' || ++count > 9) return toInt32(leadingNumber(r.Nen + r.Tuki + r.Hi));
            key = key * 10 + (c - '0');
        }
    return key;
}


// A field that holds a double quote or a line end would not read back as the
// same record: the quote ends the field early, the line end splits the line.
bool fieldWritable(std::string_view f) {
    for (char c : f)
        if (c == '"' || c == '\r' || c == '\n') return false;
    return true;
}

}  // namespace

std::string userNameProblem(std::string_view name) {
    if (name.empty()) return "利用者名が入力されていません。";
    if (name == "." || name == "..") return "「" + std::string(name) + "」は利用者名に使えません。";
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F) return "利用者名に制御文字は使えません。";
        if (c == '/' || c == '\\') return "利用者名に「/」「\\」は使えません。";
    }
    if (!isValidUtf8(name) || !utf8ToCp932(name)) return "利用者名に使えない文字が含まれています。";
    return {};
}

std::string newUserNameProblem(std::string_view name) {
    if (std::string problem = userNameProblem(name); !problem.empty()) return problem;
    if (utf8ToCp932(name)->size() > kUserNameMaxBytes)
        return "利用者名が長すぎます。全角" + std::to_string(kUserNameMaxBytes / 2) + "文字（半角" +
               std::to_string(kUserNameMaxBytes) + "文字）以内にして下さい。";
    return {};
}

std::string yearTextProblem(std::string_view year) {
    for (unsigned char c : year) {
        if (c < 0x20 || c == 0x7F) return "年に制御文字は使えません。";
        if (c == '/' || c == '\\' || c == '"') return "年に「/」「\\」「\"」は使えません。";
    }
    return {};
}

void sortByKey(std::span<std::int32_t> keys, std::span<std::int32_t> companions) {
    // The selection sort: step i swaps position i with the first position p >= i
    // that holds the smallest key. Each step's p is found in a tournament tree
    // over the positions (smallest key, then smallest position) instead of a
    // scan, so the result is the selection sort's to the last swap in n log n
    // steps rather than n*n/2 comparisons (a 2,000-record year took ~4 ms).
    const size_t n = keys.size();
    if (n < 2) return;
    size_t leaves = 1;
    while (leaves < n) leaves *= 2;
    constexpr std::uint32_t kNone = UINT32_MAX;
    std::vector<std::uint32_t> tree(2 * leaves, kNone);  // position of the winner of each subtree
    auto better = [&](std::uint32_t a, std::uint32_t b) {
        if (a == kNone) return b;
        if (b == kNone) return a;
        return keys[b] < keys[a] ? b : a;  // equal keys: the earlier position wins
    };
    auto refresh = [&](size_t leaf) {
        for (size_t v = (leaves + leaf) / 2; v >= 1; v /= 2) tree[v] = better(tree[2 * v], tree[2 * v + 1]);
    };
    for (size_t k = 0; k < n; ++k) tree[leaves + k] = static_cast<std::uint32_t>(k);
    for (size_t v = leaves - 1; v >= 1; --v) tree[v] = better(tree[2 * v], tree[2 * v + 1]);
    for (size_t i = 0; i < n; ++i) {
        // Positions before i have left the tournament, so the root is the winner of [i, n).
        const size_t p = tree[1];
        std::swap(keys[i], keys[p]);
        std::swap(companions[i], companions[p]);
        tree[leaves + i] = kNone;
        refresh(i);
        if (p != i) refresh(p);
    }
}

std::vector<std::int32_t> orderByKey(std::vector<std::int32_t> keys) {
    std::vector<std::int32_t> pos(keys.size());
    for (size_t k = 0; k < pos.size(); ++k) pos[k] = static_cast<std::int32_t>(k);
    // Keys already in order (a record appended at the end of its year, the usual
    // case) are left where they are by the selection sort: its strict comparison
    // never moves an equal key. Its n*n/2 comparisons are skipped then.
    if (std::is_sorted(keys.begin(), keys.end())) return pos;
    sortByKey(keys, pos);
    return pos;
}

namespace {
bool digitsOfLength(std::string_view s, size_t n) {
    return s.size() == n && s.find_first_not_of("0123456789") == std::string_view::npos;
}
}  // namespace

std::vector<std::string> recordProblems(const DailyRecord& r, std::string_view fileYear) {
    std::vector<std::string> out;
    if (!fileYear.empty() && r.Nen != fileYear)
        out.push_back("年 " + r.Nen + " の記録です（ファイルは " + std::string(fileYear) + " 年）");
    if (r.DateKey != r.Nen + "/" + r.Tuki + "/" + r.Hi)
        out.push_back("日付 " + r.DateKey + " が年・月・日の項目と合っていません");
    const bool dateOk = digitsOfLength(r.Nen, 4) && digitsOfLength(r.Tuki, 2) && digitsOfLength(r.Hi, 2) &&
                        isRealDate(std::stoi(r.Nen), std::stoi(r.Tuki), std::stoi(r.Hi));
    if (!dateOk) out.push_back("日付 " + r.Nen + "/" + r.Tuki + "/" + r.Hi + " は暦にありません");
    if (std::find(kWeekdayNames.begin(), kWeekdayNames.end(), r.Youbi) == kWeekdayNames.end())
        out.push_back("曜日「" + r.Youbi + "」は曜日名ではありません");
    if (r.DayFirst != "1" && r.DayFirst != "2")
        out.push_back("DayFirst「" + r.DayFirst + "」は 1 でも 2 でもありません");
    if (!r.Syusi.empty() && !parseNumber(r.Syusi)) out.push_back("収支金額「" + r.Syusi + "」が数値ではありません");
    for (const std::string* f : r.fields())
        if (f->find('\0') != std::string::npos) {
            out.push_back("NUL 文字があります");
            break;
        }
    return out;
}

std::vector<DailyRecord> readYearFile(const fs::path& path, std::uint64_t* fingerprint) {
    auto bytes = readFileBytes(path);
    if (fingerprint) *fingerprint = bytes ? fingerprintOf(*bytes) : 0;
    if (!bytes) return {};
    return decodeYearFile(*bytes, path);
}

namespace {

// The lines of a YearFile, each decoded into one reused buffer, parsed into
// the record `into()` gives and handed to `done`.
template <typename Into, typename Done>
void parseYearFile(std::string_view bytes, const fs::path& path, Into&& into, Done&& done) {
    // CP932 trail bytes are never CR or LF, so the lines are found in the bytes.
    std::string text, why;
    forEachLine(bytes, [&](int no, std::string_view line) {
        if (isBlank(line)) return;
        text.clear();
        if (!appendCp932AsUtf8(line, text)) throw FileError(path, no, "Shift-JIS として読めない文字があります");
        DailyRecord& record = into();
        if (!parseRecordLineInto(text, record, &why)) throw FileError(path, no, why);
        done(record, no);
    });
}

}  // namespace

std::vector<DailyRecord> decodeYearFile(std::string_view bytes, const fs::path& path) {
    std::vector<DailyRecord> out;
    out.reserve(bytes.size() / 150 + 1);
    parseYearFile(
        bytes, path, [&]() -> DailyRecord& { return out.emplace_back(); }, [](DailyRecord&, int) {});
    return out;
}

std::vector<DailyRecord> decodeSoundYearFile(std::string_view bytes, const fs::path& path, std::string_view fileYear) {
    std::vector<DailyRecord> out;
    parseYearFile(
        bytes, path, [&]() -> DailyRecord& { return out.emplace_back(); },
        [&](DailyRecord& r, int no) {
            auto problems = recordProblems(r, fileYear);
            if (!problems.empty()) throw FileError(path, no, problems.front());
        });
    return out;
}

void forEachYearRecord(std::string_view bytes, const fs::path& path, const std::function<void(DailyRecord&)>& take) {
    DailyRecord record;
    parseYearFile(
        bytes, path, [&]() -> DailyRecord& { return record; }, [&](DailyRecord& r, int) { take(r); });
}

std::string encodeYearFile(const std::vector<DailyRecord>& records, const fs::path& path) {
    std::string bytes, line;
    bytes.reserve(records.size() * 160);
    for (size_t i = 0; i < records.size(); ++i) {
        const int no = static_cast<int>(i + 1);
        for (const std::string* f : records[i].fields())
            if (!fieldWritable(*f)) throw FileError(path, no, "項目に「\"」や改行は書けません");
        formatRecordLineInto(records[i], line);
        line += "\r\n";
        if (!appendUtf8AsCp932(line, bytes)) throw FileError(path, no, "Shift-JIS で書けない文字があります");
    }
    return bytes;
}

RecordStore::RecordStore(fs::path programFolder) : programFolder_(std::move(programFolder)) {}

fs::path RecordStore::dataFolder() const { return findNoCase(programFolder_, "Data"); }

fs::path RecordStore::userFolder(std::string_view user) const {
    std::string problem = userNameProblem(user);
    if (!problem.empty()) throw std::invalid_argument(problem);
    return findNoCase(dataFolder(), user);
}

fs::path RecordStore::yearFilePath(std::string_view user, std::string_view year) const {
    std::string problem = yearTextProblem(year);
    if (!problem.empty()) throw std::invalid_argument(problem);
    return findNoCase(userFolder(user), "s" + std::string(year) + ".sdb");
}

fs::path RecordStore::yearTotalPath(std::string_view user) const { return findNoCase(userFolder(user), "Year.txt"); }

std::optional<std::int64_t> yearBalanceTotal(const std::vector<DailyRecord>& records) {
    double total = 0;
    for (const auto& r : records) total = roundHalfEven(total + numberOrZero(r.Syusi));
    return wholeInt64(total);
}

YearRecordList RecordStore::loadYear(std::string_view user, std::string_view year) const {
    YearRecordList list;
    list.user = user;
    list.year = year;
    const fs::path path = yearFilePath(user, year);
    list.records = readYearFile(path, &list.loadedFingerprint);
    // Balances whose sum leaves the 64-bit range (only a hand-edited file holds
    // such figures) would show as a clamped or rounded figure in every sum the
    // month, its graphs and the calendar draw: the file is reported instead, as
    // the check reports it.
    if (!yearBalanceTotal(list.records)) throw FileError(path, 0, "収支の合計が大きすぎます");
    return list;
}

std::uint64_t yearFileFingerprint(std::string_view bytes) { return fingerprintOf(bytes); }

std::vector<DailyRecord> sortedByDate(std::vector<DailyRecord> records) {
    if (records.size() < 2) return records;
    std::vector<std::int32_t> keys;
    keys.reserve(records.size());
    for (const auto& r : records) keys.push_back(dateSortKey(r));
    const std::vector<std::int32_t> order = orderByKey(std::move(keys));
    // The records move to their places in the vector itself, one cycle of the
    // order at a time: position j takes the record from order[j].
    std::vector<bool> placed(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        if (placed[i] || static_cast<size_t>(order[i]) == i) continue;
        DailyRecord first = std::move(records[i]);
        size_t j = i;
        for (;;) {
            placed[j] = true;
            const auto from = static_cast<size_t>(order[j]);
            if (from == i) {
                records[j] = std::move(first);
                break;
            }
            records[j] = std::move(records[from]);
            j = from;
        }
    }
    return records;
}

std::vector<DailyRecord> recordsWithout(const YearRecordList& list, int index) {
    if (index < 1 || index > list.count())
        throw std::out_of_range("recordsWithout: index " + std::to_string(index) + " outside 1.." +
                                std::to_string(list.count()));
    std::vector<DailyRecord> kept;
    kept.reserve(list.records.size());
    std::string removedKey, removedFirst;
    bool promoted = false;
    for (int l = 1; l <= list.count(); ++l) {
        const DailyRecord& r = list.record(l);
        if (l == index) {
            removedKey = r.DateKey;
            removedFirst = r.DayFirst;
            continue;
        }
        kept.push_back(r);
        if (!promoted && removedFirst == "1" && r.DateKey == removedKey && r.DayFirst == "2") {
            kept.back().DayFirst = "1";
            promoted = true;
        }
    }
    return kept;
}

bool RecordStore::changedOnDisk(const YearRecordList& list) const {
    try {
        if (list.user.empty() || list.year.empty()) return false;
        auto bytes = readFileBytes(yearFilePath(list.user, list.year));
        return (bytes ? fingerprintOf(*bytes) : 0) != list.loadedFingerprint;
    } catch (const std::exception&) {
        return true;
    }
}

YearFileContent RecordStore::readYearContent(std::string_view user, std::string_view year) const {
    requireFolder(userFolder(user));
    YearFileContent c;
    c.path = yearFilePath(user, year);
    c.bytes = readFileBytes(c.path);
    if (c.bytes) c.records = decodeSoundYearFile(*c.bytes, c.path, year);
    return c;
}

std::vector<DailyRecord> RecordStore::stageInsert(SaveBatch& batch, std::string_view user, DailyRecord& record) {
    YearFileContent c = readYearContent(user, record.Nen);
    record.DayFirst = "1";
    for (const auto& r : c.records)
        if (r.Tuki == record.Tuki && r.Hi == record.Hi) {
            record.DayFirst = "2";
            break;
        }
    c.records.push_back(record);
    // A file of one record is written as it stands; two or more are sorted by date.
    std::vector<DailyRecord> records = sortedByDate(std::move(c.records));
    batch.replace(c.path, c.bytes, encodeYearFile(records, c.path), user);
    return records;
}

std::string RecordStore::stageYearRewrite(SaveBatch& batch, const YearRecordList& list,
                                          const std::vector<DailyRecord>& records) {
    YearFileContent c = readYearContent(list.user, list.year);
    // A list loaded before another writer changed the file would silently drop
    // or overwrite that writer's records.
    if ((c.bytes ? fingerprintOf(*c.bytes) : 0) != list.loadedFingerprint)
        throw FileError(c.path, 0, "ファイルが読み込み後に変更されています。表示を更新してからやり直して下さい");
    std::string bytes = encodeYearFile(records, c.path);
    batch.replace(c.path, c.bytes, bytes, list.user);
    return bytes;
}

namespace {
std::vector<YearTotal> decodeYearTotals(const std::optional<std::string>& bytes, const fs::path& path) {
    std::vector<YearTotal> out;
    if (!bytes) return out;
    auto text = cp932ToUtf8(*bytes);
    if (!text) throw FileError(path, firstUndecodableLine(*bytes), "Shift-JIS として読めない文字があります");
    forEachLine(*text, [&](int no, std::string_view line) {
        if (isBlank(line)) return;
        // "2003",125500
        if (line.size() < 3 || line[0] != '"') throw FileError(path, no, "年が \" で囲まれていません");
        size_t close = line.find('"', 1);
        if (close == std::string_view::npos || close + 1 >= line.size() || line[close + 1] != ',')
            throw FileError(path, no, "「\"年\",合計」の形ではありません");
        auto total = parseNumber(line.substr(close + 2));
        if (!total) throw FileError(path, no, "合計が数値ではありません");
        auto whole = wholeInt64(*total);
        if (!whole) throw FileError(path, no, "合計が大きすぎます");
        out.push_back({std::string(line.substr(1, close - 1)), *whole});
    });
    return out;
}
}  // namespace

std::vector<YearTotal> RecordStore::loadYearTotals(std::string_view user) const {
    fs::path path = yearTotalPath(user);
    return decodeYearTotals(readFileBytes(path), path);
}

std::int64_t RecordStore::stageYearTotal(SaveBatch& batch, std::string_view user, std::string_view year,
                                         const std::vector<DailyRecord>& records) {
    // A sum beyond 64 bits (only a damaged YearFile holds such figures) is never
    // written clamped: the save stops instead.
    const auto whole = yearBalanceTotal(records);
    if (!whole) throw FileError(yearFilePath(user, year), 0, "収支の合計が大きすぎます");
    const std::int64_t sum = *whole;

    fs::path path = yearTotalPath(user);
    const auto current = readFileBytes(path);
    auto lines = decodeYearTotals(current, path);
    bool found = false;
    for (auto& l : lines)
        if (l.year == year) {
            l.total = sum;
            found = true;
        }
    if (!found) lines.push_back({std::string(year), sum});
    if (lines.size() >= 2) {
        std::vector<std::int32_t> keys;
        for (const auto& l : lines) keys.push_back(toInt32(leadingNumber(l.year)));
        std::vector<YearTotal> sorted;
        for (auto p : orderByKey(std::move(keys))) sorted.push_back(std::move(lines[static_cast<size_t>(p)]));
        lines = std::move(sorted);
    }
    std::string text;
    for (const auto& l : lines) text += "\"" + l.year + "\"," + std::to_string(l.total) + "\r\n";
    auto bytes = utf8ToCp932(text);
    if (!bytes) throw FileError(path, 0, "Shift-JIS で書けない文字があります");
    // Year.txt follows from the YearFiles, so no version of it is kept: a restored
    // YearFile brings its total along instead.
    batch.replace(path, current, *bytes);
    return sum;
}

std::vector<std::string> RecordStore::yearFileNames(std::string_view user) const {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(userFolder(user), ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        // Every entry under a YearFile's name, not only regular files: a folder,
        // FIFO or device there is reported by the reader instead of reading as no
        // records.
        if (name.size() > 4 && equalsNoCase(std::string_view(name).substr(name.size() - 4), ".sdb"))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> RecordStore::userNames() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dataFolder(), ec), end; !ec && it != end; it.increment(ec))
        if (it->is_directory(ec)) names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace tama
