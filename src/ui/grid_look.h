#pragma once
// The look the grids and the child windows share: core colours as QColor, the
// grey heading row with thin lines, the colour of the area outside the cells,
// rows as high as the text plus a little, and the 9 point text on the overall
// colour that the column widths (in twips) are measured for.
#include <QColor>

#include "shared/table_style.h"

#include <Qt>

class QLabel;
class QTableView;
class QWidget;

namespace tama::ui {

class AppContext;

inline QColor toQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

// What every grid shares (after its font is set): no row headings, no editing,
// clickable column headings that the window sorts by, the heading row's look,
// the outside area and the row height.
void styleGrid(QTableView* grid);

// 9 point text and the overall colour ("全体色") as the window's background.
void setChildWindowLook(QWidget* window, const AppContext& ctx);

// The notice a window shows in place of its contents when the shown year's
// file cannot be read (objectName lblLoadProblem): red selectable text on
// white in a sunken panel, hidden until there is something to say.
QLabel* newLoadProblemLabel(QWidget* parent, Qt::Alignment alignment);

}  // namespace tama::ui
