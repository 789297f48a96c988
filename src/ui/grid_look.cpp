#include "grid_look.h"

#include <QHeaderView>
#include <QTableView>

#include "ui/app_context.h"

namespace tama::ui {

void styleGrid(QTableView* grid) {
    grid->horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { background-color: rgb(224, 224, 224); color: black;"
                       " border: 0px; border-right: 1px solid #a0a0a0; border-bottom: 1px solid #a0a0a0;"
                       " padding: 1px 2px; }"));
    grid->horizontalHeader()->setHighlightSections(false);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    QPalette p = grid->palette();
    p.setColor(QPalette::Base, toQColor(kRgbGridOutside));  // the area outside the cells
    grid->setPalette(p);
}

void setChildWindowLook(QWidget* window, const AppContext& ctx) {
    QFont f = window->font();
    f.setPointSize(9);
    window->setFont(f);
    window->setAutoFillBackground(true);
    QPalette pal = window->palette();
    pal.setColor(QPalette::Window, ctx.overallColour());
    window->setPalette(pal);
}

}  // namespace tama::ui
