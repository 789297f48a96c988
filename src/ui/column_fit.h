#pragma once
// Grid columns as wide as their widest text: a column gets its given width, or
// more when its heading or one of its texts needs more, so that every figure
// is shown whole and the grid scrolls sideways instead. Columns of names
// (halls, machines) keep their given width and cut a long name with "…".
#include <functional>
#include <string>

class QTableView;

namespace tama::ui {

// The cells' room beside their text: the text margins of the grid's cells and
// the grid line, in pixels.
inline constexpr int kCellTextPadding = 6;

// Width units of a UTF-8 text for picking the texts worth measuring: 1 for an
// ASCII or half-width katakana character, 2 for any other.
int textWidthUnits(const std::string& utf8);

// The pixels `view` needs for `column` to show its heading and each of `rows`
// texts whole (texts read through `textAt(row)`), but never less than
// `givenPixels`. Only the widest texts by textWidthUnits are measured, so a list
// of a hundred thousand rows costs one pass over its texts.
int fittedColumnWidth(const QTableView* view, int column, int givenPixels, int rows,
                      const std::function<std::string(int)>& textAt);

}  // namespace tama::ui
