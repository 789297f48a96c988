#include "search.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <sys/mman.h>
#include <system_error>

#include "shared/file_io.h"
#include "shared/number_format.h"
#include "shared/text_codec.h"
#include "storage/record_store.h"

namespace tama {

namespace {

// The weekday numbers of the statistics tables: 1 "月" .. 7 "日".
int weekdayNumberOf(std::string_view youbi) {
    static constexpr std::string_view names[] = {"月", "火", "水", "木", "金", "土", "日"};
    if (youbi.size() != 3) return 0;  // every name is three bytes of UTF-8
    for (int w = 0; w < 7; ++w)
        if (youbi == names[w]) return w + 1;
    return 0;
}

// Bytes [from, from + 8) of `s` as a big-endian number, zero past its end.
std::uint64_t bigEndianBytes(std::string_view s, size_t from) {
    if (s.size() >= from + 8) {
        std::uint64_t word;
        std::memcpy(&word, s.data() + from, 8);
        if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
        return word;
    }
    std::uint64_t v = 0;
    for (size_t i = 0; i < 8; ++i) {
        const size_t k = from + i;
        v = (v << 8) | (k < s.size() ? static_cast<unsigned char>(s[k]) : 0u);
    }
    return v;
}

// A list of many records lies in fresh memory on every search; touching it page
// by page costs more than reading the files. Where the system offers it, ask for
// large pages over the whole pages inside the block.
void adviseHugePages(void* data, size_t bytes) {
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kLarge = 2u << 20;
    if (bytes < 2 * kLarge) return;
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kLarge - 1) & ~(kLarge - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kLarge - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

}  // namespace

void MatchedRecords::add(DailyRecord&& r) {
    MatchedRecord& m = records.emplace_back();
    m.date = std::move(r.DateKey);
    m.weekday = std::move(r.Youbi);
    m.hall = std::move(r.Holl);
    m.type = std::move(r.K_type);
    m.machine = std::move(r.Kisyu);
    m.number = std::move(r.K_no);
    m.playTime = std::move(r.T_tim);
    m.balance = std::move(r.Syusi);
    m.moneyIn = std::move(r.Tousi);
    m.moneyOut = std::move(r.Kaisyu);
    const auto balance = parseNumber(m.balance);
    const auto time = parseNumber(m.playTime);
    m.balanceIsNumber = balance.has_value();
    m.playTimeIsNumber = time.has_value();
    m.balanceValue = balance.value_or(0);
    m.playTimeValue = time.value_or(0);
    m.moneyInValue = numberOrZero(m.moneyIn);
    m.moneyOutValue = numberOrZero(m.moneyOut);
    m.weekdayNumber = weekdayNumberOf(m.weekday);
    m.dateOrderHigh = bigEndianBytes(m.date, 0);
    m.dateOrderLow = bigEndianBytes(m.date, 8);
}

namespace {
// A selector switches its filter on unless it shows its pseudo entry or
// nothing: no record holds an empty name or number (they are stored as
// "（不明）" and "?"), so an empty box selects all, as the pseudo entry does.
bool filterOn(const std::string& text, std::string_view allEntry) { return !text.empty() && text != allEntry; }
}  // namespace

std::string FilterKey(const SearchCriteria& c) {
    std::string key = "0000";
    if (filterOn(c.hall, kAllHalls)) key[0] = '1';
    if (filterOn(c.number, kAllNumbers)) key[1] = '1';
    if (filterOn(c.type, kAllTypes)) key[2] = '1';
    if (filterOn(c.machine, kAllMachines)) key[3] = '1';
    return key;
}

bool matchesCriteria(const DailyRecord& r, const SearchCriteria& c) {
    if (filterOn(c.hall, kAllHalls) && r.Holl != c.hall) return false;
    if (filterOn(c.number, kAllNumbers) && r.K_no != c.number) return false;
    if (filterOn(c.type, kAllTypes) && r.K_type != c.type) return false;
    if (filterOn(c.machine, kAllMachines) && r.Kisyu != c.machine) return false;
    if (!c.allPeriod && (r.DateKey < c.from || r.DateKey > c.to)) return false;
    if (!c.comment.empty() && r.Come.find(c.comment) == std::string::npos) return false;
    return true;
}

MatchedRecords loadRecords(const fs::path& programFolder, const SearchCriteria& criteria) {
    // The comment is compared as the files hold it, converted once per search.
    SearchCriteria c = criteria;
    c.comment = storedForm(criteria.comment);
    MatchedRecords out;
    if (!userNameProblem(c.user).empty()) return out;
    const RecordStore store{programFolder};
    const fs::path folder = store.userFolder(c.user);
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return out;
    if (fs::directory_iterator probe(folder, ec); ec) {
        out.skippedFiles.push_back(folder.string() + ": フォルダーを読めません (" + ec.message() + ")");
        return out;
    }
    const std::vector<std::string> names = store.yearFileNames(c.user);
    // Room for as many records as the files can hold (a record line has at least
    // 73 bytes), so that the list is not moved while it grows; pages of the room
    // that stay unused are never touched.
    std::uintmax_t folderBytes = 0;
    for (const std::string& name : names) {
        const std::uintmax_t size = fs::file_size(folder / name, ec);
        if (!ec) folderBytes += size;
    }
    out.records.reserve(static_cast<size_t>(folderBytes / 73 + 1));
    adviseHugePages(out.records.data(), out.records.capacity() * sizeof(MatchedRecord));
    for (const std::string& name : names) {
        const fs::path path = folder / name;
        // Each record is matched as it is read, without a list of the file's
        // records in between.
        const size_t before = out.records.size();
        std::int64_t lines = 0;
        try {
            if (const auto bytes = readFileBytes(path))
                forEachYearRecord(*bytes, path, [&](DailyRecord& r) {
                    ++lines;
                    if (matchesCriteria(r, c)) out.add(std::move(r));
                });
        } catch (const std::exception& e) {
            // The file is left out whole, with what it had matched before the
            // damage; the others are still searched.
            out.records.resize(before);
            out.skippedFiles.push_back(e.what());
            continue;
        }
        out.totalLines += lines;
    }
    return out;
}

std::string countLabelText(std::int64_t matched, std::int64_t total) {
    return "該当データ件数  " + std::to_string(matched) + " 件  /  総データ件数  " + std::to_string(total) + " 件";
}

std::string notADateMessage(std::string_view which, std::string_view text) {
    return "期間の" + std::string(which) + "「" + std::string(text) +
           "」は日付ではありません。年（西暦4桁）・月・日を正しく入力して下さい。";
}

std::string periodText(std::string_view year, std::string_view month, std::string_view day) {
    std::string s;
    s.reserve(year.size() + month.size() + day.size() + 2);
    s.append(year).append("/").append(month).append("/").append(day);
    return s;
}

}  // namespace tama
