#pragma once
// The look the grids and the child windows share: core colours as QColor, the
// grey heading row with thin lines, the colour of the area outside the cells,
// rows as high as the text plus a little, and the 9 point text on the overall
// colour that the column widths (in twips) are measured for.
#include <QColor>

#include "shared/table_style.h"

class QTableView;
class QWidget;

namespace tama::ui {

class AppContext;

inline QColor toQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

// Heading row, outside area and row height of a grid (after its font is set).
void styleGrid(QTableView* grid);

// 9 point text and the overall colour ("全体色") as the window's background.
void setChildWindowLook(QWidget* window, const AppContext& ctx);

}  // namespace tama::ui
