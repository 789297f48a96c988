#include "ui/flow_layout.h"

#include <QWidget>
#include <algorithm>

namespace tama::ui {

FlowLayout::FlowLayout(QWidget* parent, int hSpacing, int vSpacing)
    : QLayout(parent), hSpacing_(hSpacing), vSpacing_(vSpacing) {}

FlowLayout::~FlowLayout() {
    while (QLayoutItem* item = takeAt(0)) delete item;
}

void FlowLayout::addItem(QLayoutItem* item) { items_.append(item); }
int FlowLayout::count() const { return static_cast<int>(items_.size()); }
QLayoutItem* FlowLayout::itemAt(int index) const { return items_.value(index); }
QLayoutItem* FlowLayout::takeAt(int index) {
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

Qt::Orientations FlowLayout::expandingDirections() const { return {}; }
bool FlowLayout::hasHeightForWidth() const { return true; }
int FlowLayout::heightForWidth(int width) const { return arrange(QRect(0, 0, width, 0), false); }

QSize FlowLayout::minimumSize() const {
    // As narrow as the widest item: everything else wraps below it.
    QSize size;
    for (const QLayoutItem* item : items_) size = size.expandedTo(item->sizeHint());
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

QSize FlowLayout::sizeHint() const {
    // All items on one row.
    int width = 0, height = 0;
    for (const QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        width += (width ? hSpacing_ : 0) + item->sizeHint().width();
        height = std::max(height, item->sizeHint().height());
    }
    const QMargins m = contentsMargins();
    return {width + m.left() + m.right(), height + m.top() + m.bottom()};
}

void FlowLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int FlowLayout::arrange(const QRect& rect, bool apply) const {
    const QMargins m = contentsMargins();
    const QRect area = rect.marginsRemoved(m);
    int x = area.x(), y = area.y(), rowHeight = 0;
    // The items of the current row, placed once the row's height is known so
    // that they share one centre line.
    QList<QPair<QLayoutItem*, QPoint>> row;
    auto finishRow = [&] {
        if (apply)
            for (const auto& [item, at] : row) {
                const QSize s = item->sizeHint();
                item->setGeometry(QRect(QPoint(at.x(), at.y() + (rowHeight - s.height()) / 2), s));
            }
        row.clear();
    };
    for (QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        const QSize s = item->sizeHint();
        if (!row.isEmpty() && x + s.width() > area.right() + 1) {
            finishRow();
            x = area.x();
            y += rowHeight + vSpacing_;
            rowHeight = 0;
        }
        row.append({item, QPoint(x, y)});
        x += s.width() + hSpacing_;
        rowHeight = std::max(rowHeight, s.height());
    }
    finishRow();
    return y + rowHeight - rect.y() + m.bottom();
}

}  // namespace tama::ui
