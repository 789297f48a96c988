#include "daily_record.h"

namespace tama {

std::array<std::string*, DailyRecord::kFieldCount> DailyRecord::fields() {
    return {&DateKey, &Nen,   &Tuki,   &Hi,    &Youbi, &Holl,   &Z1_1,  &Z1_2,
            &Z2_1,    &Z2_2,  &T_tim,  &Tousi, &Kaisyu, &Zikyu, &Syusi, &K_no,
            &K_type,  &Kisyu, &Come,   &DayFirst, &Reserve1, &Reserve2, &Reserve3, &Reserve4};
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
    // One pass over the bytes: the fields are short, so scanning by hand is much
    // cheaper than a library search per field.
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
        while (p != end && *p != '"') {
            // A CR inside a line is damage (a line end cut in half); the writer
            // could not write such a field back, so it is refused here, where the
            // line is known.
            if (*p == '\r' || *p == '\n') return fail("行の途中に改行文字があります");
            ++p;
        }
        if (p == end) return fail("項目の \" が閉じていません");
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
    out.clear();
    bool first = true;
    for (const std::string* f : r.fields()) {
        if (!first) out += ',';
        first = false;
        out += '"';
        out += *f;
        out += '"';
    }
}

std::string formatRecordLine(const DailyRecord& r) {
    std::string out;
    out.reserve(160);
    formatRecordLineInto(r, out);
    return out;
}

}  // namespace tama
