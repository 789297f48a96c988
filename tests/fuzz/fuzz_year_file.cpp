// Feeds arbitrary bytes to the YearFile reader. A file is either read or refused
// with a FileError that names a line of it; what is read writes back and reads
// again as the same records, and the records survive the line reader alone.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "storage/record_store.h"

using namespace tama;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

int lineCount(std::string_view bytes) {
    int n = 0;
    forEachLine(bytes, [&](int, std::string_view) { ++n; });
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<DailyRecord> records;
    try {
        records = decodeYearFile(bytes, "fuzz.sdb");
    } catch (const FileError& e) {
        check(e.line() >= 1 && e.line() <= std::max(1, lineCount(bytes)));
        return 0;
    }
    check(records.size() <= static_cast<std::size_t>(lineCount(bytes)));

    // Whatever was read can be written back.
    std::string written = encodeYearFile(records, "fuzz.sdb");
    auto again = decodeYearFile(written, "fuzz.sdb");
    check(again == records);

    for (const auto& r : records) {
        auto line = formatRecordLine(r);
        auto parsed = parseRecordLine(line);
        check(parsed && *parsed == r);
    }

    // The sort used by every rewrite keeps the companions a permutation of 0..n-1.
    std::vector<std::int32_t> keys, pos;
    for (std::size_t k = 0; k < records.size(); ++k) {
        keys.push_back(static_cast<std::int32_t>(records[k].DateKey.size() + records[k].Come.size()));
        pos.push_back(static_cast<std::int32_t>(k));
    }
    sortByKey(keys, pos);
    std::vector<bool> seen(pos.size());
    for (std::size_t k = 0; k < pos.size(); ++k) {
        check(k == 0 || keys[k - 1] <= keys[k]);
        check(!seen[static_cast<std::size_t>(pos[k])]);
        seen[static_cast<std::size_t>(pos[k])] = true;
    }
    return 0;
}
