#include "grid_look.h"

#include <QLabel>

#include <QHeaderView>
#include <QTableView>

#include "ui/app_context.h"
#include "ui/named.h"

namespace tama::ui {

void styleGrid(QTableView* grid) {
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setTextElideMode(Qt::ElideNone);  // a narrow column cuts a text rather than hiding its end
    grid->setSortingEnabled(false);         // heading clicks sort by the window's shared flag instead
    grid->horizontalHeader()->setSectionsClickable(true);
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

QLabel* newLoadProblemLabel(QWidget* parent, Qt::Alignment alignment) {
    auto* label = named(new QLabel(parent), "lblLoadProblem");
    label->setWordWrap(true);
    label->setAlignment(alignment);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAutoFillBackground(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette p = label->palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, QColor(255, 0, 0));
    label->setPalette(p);
    label->hide();
    return label;
}

}  // namespace tama::ui
