#include "grid_model.h"

#include <QBrush>
#include <map>
#include <vector>

#include "ui/app_context.h"
#include "ui/grid_look.h"

namespace tama::ui {

namespace {

Qt::Alignment horizontal(CellAlign align) {
    switch (align) {
        case CellAlign::Center: return Qt::AlignHCenter;
        case CellAlign::Right: return Qt::AlignRight;
        case CellAlign::Left:
        case CellAlign::General: break;
    }
    return Qt::AlignLeft;
}

}  // namespace

void GridModel::setColouring(const RowColouring& colouring) {
    colouring_ = colouring;
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::BackgroundRole});
}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : gridRowCount(); }

int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : gridColumnCount(); }

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    switch (role) {
        case Qt::DisplayRole: return qs(gridCell(index.row(), index.column()).text);
        case Qt::ForegroundRole: return QBrush(toQColor(gridCell(index.row(), index.column()).colour));
        case Qt::BackgroundRole: {
            const TableCell c = gridCell(index.row(), index.column());
            if (c.band == 0) return QBrush(toQColor(c.background));
            return QBrush(rowTinted(colouring_, c.band) ? colourFromStored(colouring_.colour) : toQColor(kRgbWhite));
        }
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(horizontal(resolvedAlign(gridCell(index.row(), index.column()))) |
                                       Qt::AlignVCenter);
        default: return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    switch (role) {
        case Qt::DisplayRole: return qs(gridColumn(section).heading);
        case Qt::TextAlignmentRole: {
            const TableColumn col = gridColumn(section);
            const CellAlign align = resolvedAlign(TableCell{col.heading, {}, {}, col.headingAlign});
            return QVariant::fromValue(horizontal(align) | Qt::AlignVCenter);
        }
        case Qt::BackgroundRole: return QBrush(toQColor(kRgbHeading));
        default: return {};
    }
}

void GridModel::reorderRows(const std::function<void()>& sort, const std::function<int(int row)>& rowKey) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const int n = rowCount();
    std::vector<int> before;
    before.reserve(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r) before.push_back(rowKey(r));
    sort();
    std::map<int, int> newRowOf;
    for (int r = 0; r < rowCount(); ++r) newRowOf[rowKey(r)] = r;
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    for (const QModelIndex& idx : from) {
        auto it = newRowOf.find(before[static_cast<size_t>(idx.row())]);
        to.append(it == newRowOf.end() ? QModelIndex() : index(it->second, idx.column()));
    }
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace tama::ui
