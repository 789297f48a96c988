#include "ui/eliding_delegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>

namespace tama::ui {

void ElidingDelegate::setElideMode(int column, Qt::TextElideMode mode) { modes_[column] = mode; }

void ElidingDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->textElideMode = modes_.value(index.column(), Qt::ElideRight);
    option->features &= ~QStyleOptionViewItem::WrapText;
}

// The cut the view's style makes when it draws the text: the text rectangle
// less the style's margin on either side.
QString ElidingDelegate::shownText(const QStyleOptionViewItem& option) const {
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &option, widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    return option.fontMetrics.elidedText(option.text, option.textElideMode, textRect.width() - 2 * margin);
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
