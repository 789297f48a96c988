#pragma once
// The row colouring of the data lists (the monthly list and the analysis list)
// from the display options: when "chkDat1.Value" is on, the rows change colour
// every "lblLine.Caption" rows between white and "cmdDat.BackColor".
#include <cstdint>
#include <string>
#include <string_view>

#include "storage/settings_file.h"

namespace tama {

// The row count the options dialog offers.
inline constexpr int kMinRowBand = 1;
inline constexpr int kMaxRowBand = 99;

struct RowColouring {
    bool enabled = true;
    int everyRows = 1;
    std::uint32_t colour = 0xFFFFF5;  // 0x00BBGGRR
};

// The row count of a stored text: a whole number in [kMinRowBand, kMaxRowBand];
// anything else (empty, not a number, out of range) gives 1.
int rowBandValue(std::string_view text);

// The colouring that `options` asks for; unusable values take their defaults.
RowColouring rowColouring(const OptionSet& options);

// Whether the row filled as `fillRow` (1 = first) takes the alternate colour:
// rows 1..N stay white, N+1..2N are coloured, and so on. Row 0 (the empty row
// of an empty month) is never coloured.
bool rowTinted(const RowColouring& colouring, int fillRow);

// A stored colour value written back as the settings file keeps it: a 32-bit
// signed decimal (0x8000000F is "-2147483633").
std::string colourText(std::uint32_t value);

}  // namespace tama
