#pragma once
// Grid cells on one line: a text longer than its cell is cut with "…" where
// the column says (at the end by default, so a number keeps its sign; at the
// start for a date, so it keeps its day), and the whole text shows as a
// tooltip on such a cell only.
#include <QMap>
#include <QStyledItemDelegate>

class QAbstractItemView;

namespace tama::ui {

class ElidingDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Where the texts of `column` are cut (Qt::ElideRight unless set).
    void setElideMode(int column, Qt::TextElideMode mode);

    // The text of `index` as the cell shows it in `view` (cut or whole).
    QString shownText(const QAbstractItemView* view, const QModelIndex& index) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    QString shownText(const QStyleOptionViewItem& option) const;

    QMap<int, Qt::TextElideMode> modes_;
};

}  // namespace tama::ui
