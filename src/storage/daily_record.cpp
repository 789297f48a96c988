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

std::optional<DailyRecord> parseRecordLine(std::string_view line, std::string* why) {
    auto fail = [&](const char* reason) -> std::optional<DailyRecord> {
        if (why) *why = reason;
        return std::nullopt;
    };
    // A CR inside a line is damage (a line end cut in half); the writer could not
    // write such a field back, so it is refused here, where the line is known.
    if (line.find_first_of("\r\n") != std::string_view::npos) return fail("行の途中に改行文字があります");
    DailyRecord r;
    auto f = r.fields();
    size_t pos = 0;
    for (int i = 0; i < DailyRecord::kFieldCount; ++i) {
        if (i > 0) {
            if (pos >= line.size() || line[pos] != ',') return fail("項目が24個ではありません");
            ++pos;
        }
        if (pos >= line.size() || line[pos] != '"') return fail("項目が \" で囲まれていません");
        size_t close = line.find('"', pos + 1);
        if (close == std::string_view::npos) return fail("項目の \" が閉じていません");
        f[i]->assign(line.substr(pos + 1, close - pos - 1));
        pos = close + 1;
    }
    if (pos != line.size()) return fail("項目が24個ではありません");
    return r;
}

std::string formatRecordLine(const DailyRecord& r) {
    std::string out;
    out.reserve(160);
    bool first = true;
    for (const std::string* f : r.fields()) {
        if (!first) out += ',';
        first = false;
        out += '"';
        out += *f;
        out += '"';
    }
    return out;
}

}  // namespace tama
