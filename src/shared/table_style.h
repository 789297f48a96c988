#pragma once
// What a grid shows: a column's heading and a cell's text, colours (as red,
// green, blue), alignment and row band. Shared by the monthly list and the
// analysis tables, and by whatever draws or writes them (windows, workbooks).
#include <cstdint>
#include <string>

namespace tama {

// A colour as red, green, blue.
struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kRgbBlack{0, 0, 0};
inline constexpr Rgb kRgbRed{255, 0, 0};
inline constexpr Rgb kRgbWhite{255, 255, 255};
inline constexpr Rgb kRgbRowTint{245, 255, 255};    // every second data row
inline constexpr Rgb kRgbHeading{224, 224, 224};    // heading row (and fixed column) background
inline constexpr Rgb kRgbGridOutside{74, 99, 148};  // grid area outside the cells

// Left, centred, right, or General: a text that reads as a number stands at the
// right, any other text at the left (the grid's own rule).
enum class CellAlign { Left, Center, Right, General };

// A column heading: its text, its width in twips and how the heading and the
// cells below it stand.
struct TableColumn {
    std::string heading;
    int widthTwips = 0;
    CellAlign headingAlign = CellAlign::Center;  // General where the grid's default applies
    CellAlign cellAlign = CellAlign::General;
};

// One cell of a grid row.
struct TableCell {
    std::string text;
    Rgb colour = kRgbBlack;      // text colour
    Rgb background = kRgbWhite;  // column 0 (the fixed column) has the heading background
    CellAlign align = CellAlign::General;
    // The 1-based row or group position whose parity gave `background` (even:
    // shaded); 0 for a cell that is never shaded (the fixed column). The window
    // shades by it again when the display options ask for other row colouring.
    int band = 0;
    bool operator==(const TableCell&) const = default;
};

// Left or right for a General cell (right when the text reads as a number); other
// alignments are returned as they are.
CellAlign resolvedAlign(const TableCell& cell);

}  // namespace tama
