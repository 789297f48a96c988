#include "ui/eliding_delegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace tama::ui {

void ElidingDelegate::setElideMode(int column, Qt::TextElideMode mode) { modes_[column] = mode; }

void ElidingDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->textElideMode = modes_.value(index.column(), Qt::ElideRight);
    option->features &= ~QStyleOptionViewItem::WrapText;
}

namespace {
// The space left and right of a cell's text, in pixels: a grid's narrow columns
// (a date in 1,100 twips) hold their whole text, as the heading row does.
constexpr int kTextMargin = 2;

QRect textRect(const QStyleOptionViewItem& option) { return option.rect.adjusted(kTextMargin, 0, -kTextMargin, 0); }
}  // namespace

QString ElidingDelegate::shownText(const QStyleOptionViewItem& option) const {
    return option.fontMetrics.elidedText(option.text, option.textElideMode, textRect(option).width());
}

// The style draws the cell (background, selection, focus) without its text; the
// text is drawn here with the narrow margin and cut as shownText says.
void ElidingDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = shownText(opt);
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    const bool selected = opt.state & QStyle::State_Selected;
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(QPalette::Normal, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(textRect(opt), static_cast<int>(opt.displayAlignment), text);
    painter->restore();
}

QString ElidingDelegate::shownText(const QAbstractItemView* view, const QModelIndex& index) const {
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.widget = view;
    option.rect = view->visualRect(index);
    initStyleOption(&option, index);
    return shownText(option);
}

bool ElidingDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                const QModelIndex& index) {
    if (!event || !view || event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (opt.text.isEmpty() || shownText(opt) == opt.text) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(event->globalPos(), opt.text, view->viewport(), view->visualRect(index));
    return true;
}

}  // namespace tama::ui
