#pragma once
// The one model behind the program's grids: a table of TableCells (the shared
// cell type) shown with display, foreground, background and alignment roles,
// and a heading row of TableColumns. A window derives from it and hands out its
// own rows cell by cell as the view asks, so a long list is never formatted
// ahead of being shown.
//
// Backgrounds follow the display options' row colouring: a cell with a band
// (its 1-based row or group position) is tinted when the colouring says so,
// white otherwise; a cell without one keeps its own background.
#include <QAbstractTableModel>
#include <functional>

#include "options/row_colouring.h"
#include "shared/table_style.h"

namespace tama::ui {

class GridModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    // The display options' row colouring (every N rows or groups, alternate colour).
    void setColouring(const RowColouring& colouring);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

protected:
    // What the derived model holds: its size, one cell and one heading.
    virtual int gridRowCount() const = 0;
    virtual int gridColumnCount() const = 0;
    virtual TableCell gridCell(int row, int column) const = 0;
    virtual TableColumn gridColumn(int column) const = 0;

    // Runs `sort`, which reorders the rows in place, and moves the persistent
    // indexes (the current cell) with their rows. `rowKey(row)` names a row
    // uniquely, read before and after the sort.
    void reorderRows(const std::function<void()>& sort, const std::function<int(int row)>& rowKey);

private:
    RowColouring colouring_;
};

}  // namespace tama::ui
