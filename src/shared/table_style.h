#pragma once
// What a grid cell looks like apart from its text: colours as red, green, blue
// and the horizontal alignment. Shared by the monthly list and the analysis
// tables, and by whatever draws or writes them (windows, workbooks).
#include <cstdint>

namespace tama {

// A colour as red, green, blue.
struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kRgbBlack{0, 0, 0};
inline constexpr Rgb kRgbRed{255, 0, 0};
inline constexpr Rgb kRgbWhite{255, 255, 255};
inline constexpr Rgb kRgbRowTint{245, 255, 255};   // every second data row
inline constexpr Rgb kRgbHeading{224, 224, 224};   // heading row (and fixed column) background
inline constexpr Rgb kRgbGridOutside{74, 99, 148}; // grid area outside the cells

// Left, centred, right, or General: a text that reads as a number stands at the
// right, any other text at the left (the grid's own rule).
enum class CellAlign { Left, Center, Right, General };

}  // namespace tama
