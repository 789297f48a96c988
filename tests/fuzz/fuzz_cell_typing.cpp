// Feeds arbitrary texts and number formats to the workbook's cell typing: a
// text that is not a number by itself becomes one only when the format shows
// exactly that text for it, formats never crash the formatter, and widths are
// finite and positive.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "export/workbook.h"

using namespace tama;

namespace {
void check(bool ok) {
    if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // text NUL format [8 bytes of a double at the end when there is room]
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const size_t nul = all.find('\0');
    const std::string_view text = all.substr(0, nul);
    std::string_view format = nul == std::string_view::npos ? std::string_view() : all.substr(nul + 1);
    double value = 0;
    if (format.size() >= sizeof value) {
        std::memcpy(&value, format.data() + format.size() - sizeof value, sizeof value);
        format.remove_suffix(sizeof value);
    }

    const xlsx::CellValue plain = xlsx::typeOf(text);
    const xlsx::CellValue typed = xlsx::typeOf(text, format);
    if (plain.kind != xlsx::CellValue::Kind::Text) {
        check(typed.kind == plain.kind);
    } else if (typed.kind == xlsx::CellValue::Kind::Number) {
        const auto shown = xlsx::formatNumber(typed.number, format);
        check(shown && *shown == text);
    } else {
        check(typed.kind == xlsx::CellValue::Kind::Text);
    }
    if (auto shown = xlsx::formatNumber(value, format)) check(std::isfinite(value));
    const double width = xlsx::Sheet::fittedWidth(text);
    check(std::isfinite(width) && width >= 1);
    check(xlsx::textWidth(text) >= 0);
    return 0;
}
