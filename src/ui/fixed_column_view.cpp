#include "fixed_column_view.h"

#include <QHeaderView>
#include <QScrollBar>

namespace tama::ui {

FixedColumnTableView::FixedColumnTableView(QWidget* parent) : QTableView(parent), fixed_(new QTableView(this)) {}

void FixedColumnTableView::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    fixed_->setModel(model);
    fixed_->setSelectionModel(selectionModel());
    fixed_->setFocusPolicy(Qt::NoFocus);
    fixed_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fixed_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fixed_->setFrameShape(QFrame::NoFrame);
    viewport()->stackUnder(fixed_);
    connect(model, &QAbstractItemModel::modelReset, this, &FixedColumnTableView::syncFixed);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int logical, int, int size) {
        if (logical == 0) {
            fixed_->setColumnWidth(0, size);
            placeFixed();
        }
    });
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, fixed_->verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(fixed_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    syncFixed();
}

void FixedColumnTableView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    placeFixed();
}

void FixedColumnTableView::syncFixed() {
    for (int c = 1; c < model()->columnCount(); ++c) fixed_->setColumnHidden(c, true);
    fixed_->setColumnHidden(0, false);
    fixed_->setColumnWidth(0, columnWidth(0));
    fixed_->setVisible(model()->columnCount() > 0);
    placeFixed();
}

void FixedColumnTableView::placeFixed() {
    fixed_->setGeometry(frameWidth(), frameWidth(), columnWidth(0),
                        viewport()->height() + horizontalHeader()->height());
}

}  // namespace tama::ui
