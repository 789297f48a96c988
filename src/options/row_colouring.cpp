#include "row_colouring.h"

#include <cmath>

#include "shared/number_format.h"

namespace tama {

int rowBandValue(std::string_view text) {
    auto v = parseNumber(text);
    if (!v || *v != std::floor(*v) || *v < kMinRowBand || *v > kMaxRowBand) return 1;
    return static_cast<int>(*v);
}

RowColouring rowColouring(const OptionSet& options) {
    RowColouring c;
    c.enabled = flagValue(options.chkDat1Value, true);
    c.everyRows = rowBandValue(options.lblLineCaption);
    c.colour = colourValue(options.cmdDatBackColor, 0xFFFFF5);
    return c;
}

bool rowTinted(const RowColouring& colouring, int fillRow) {
    if (!colouring.enabled || fillRow < 1) return false;
    return ((fillRow - 1) / colouring.everyRows) % 2 == 1;
}

std::string colourText(std::uint32_t value) { return std::to_string(static_cast<std::int32_t>(value)); }

}  // namespace tama
