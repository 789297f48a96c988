#include "daily_record.h"

#include <cstring>

namespace tama {

std::array<std::string*, DailyRecord::kFieldCount> DailyRecord::fields() {
    return {&DateKey, &Nen,   &Tuki,  &Hi,       &Youbi,    &Holl,     &Z1_1,     &Z1_2,
            &Z2_1,    &Z2_2,  &T_tim, &Tousi,    &Kaisyu,   &Zikyu,    &Syusi,    &K_no,
            &K_type,  &Kisyu, &Come,  &DayFirst, &Reserve1, &Reserve2, &Reserve3, &Reserve4};
}

std::array<const std::string*, DailyRecord::kFieldCount> DailyRecord::fields() const {
    auto f = const_cast<DailyRecord*>(this)->fields();
    std::array<const std::string*, kFieldCount> out{};
    for (int i = 0; i < kFieldCount; ++i) out[i] = f[i];
    return out;
}

bool parseRecordLineInto(std::string_view line, DailyRecord& out, std::string* why) {
    auto fail = [&](const char* reason) {
        if (why) *why = reason;
        return false;
    };
    // A CR inside a line is damage (a line end cut in half); the writer could
    // not write such a field back, so it is refused here, where the line is known.
    if (line.find('\r') != std::string_view::npos || line.find('\n') != std::string_view::npos)
        return fail("行の途中に改行文字があります");
    const char* p = line.data();
    const char* const end = p + line.size();
    auto f = out.fields();
    for (int i = 0; i < DailyRecord::kFieldCount; ++i) {
        if (i > 0) {
            if (p == end || *p != ',') return fail("項目が24個ではありません");
            ++p;
        }
        if (p == end || *p != '"') return fail("項目が \" で囲まれていません");
        const char* start = ++p;
        p = static_cast<const char*>(std::memchr(p, '"', static_cast<size_t>(end - p)));
        if (p == nullptr) return fail("項目の \" が閉じていません");
        f[i]->assign(start, static_cast<size_t>(p - start));
        ++p;
    }
    if (p != end) return fail("項目が24個ではありません");
    return true;
}

std::optional<DailyRecord> parseRecordLine(std::string_view line, std::string* why) {
    DailyRecord r;
    if (!parseRecordLineInto(line, r, why)) return std::nullopt;
    return r;
}

void formatRecordLineInto(const DailyRecord& r, std::string& out) {
    const auto fields = r.fields();
    size_t size = fields.size() * 3 - 1;  // two quotes per field, a comma between fields
    for (const std::string* f : fields) size += f->size();
    out.resize(size);
    char* o = out.data();
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) *o++ = ',';
        *o++ = '"';
        std::memcpy(o, fields[i]->data(), fields[i]->size());
        o += fields[i]->size();
        *o++ = '"';
    }
}

std::string formatRecordLine(const DailyRecord& r) {
    std::string out;
    out.reserve(160);
    formatRecordLineInto(r, out);
    return out;
}

}  // namespace tama
