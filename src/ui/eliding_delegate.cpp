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
// The space left and right of a cell's text, in pixels, as in the heading row.
constexpr int kTextMargin = 2;
// A text at most this much wider than its cell is drawn narrower instead of cut
// (a date in its 1,100-twip column with a wide desktop font), in percent.
constexpr int kMostCondensed = 85;

QRect textRect(const QStyleOptionViewItem& option) { return option.rect.adjusted(kTextMargin, 0, -kTextMargin, 0); }

struct FittedText {
    QString text;
    QFont font;
};

// The text as the cell shows it: whole; whole in a narrowed font when it is only
// a little too wide; or cut with "…" where the column says.
FittedText fitted(const QStyleOptionViewItem& option) {
    const int room = textRect(option).width();
    const int wide = option.fontMetrics.horizontalAdvance(option.text);
    if (wide <= room) return {option.text, option.font};
    if (room > 0 && wide * kMostCondensed <= room * 100) {
        QFont narrow = option.font;
        for (int stretch = 100 * room / wide; stretch >= kMostCondensed; --stretch) {
            narrow.setStretch(stretch);
            if (QFontMetrics(narrow).horizontalAdvance(option.text) <= room) return {option.text, narrow};
        }
    }
    return {option.fontMetrics.elidedText(option.text, option.textElideMode, room), option.font};
}
}  // namespace

QString ElidingDelegate::shownText(const QStyleOptionViewItem& option) const { return fitted(option).text; }

QString ElidingDelegate::shownText(const QAbstractItemView* view, const QModelIndex& index) const {
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.widget = view;
    option.rect = view->visualRect(index);
    initStyleOption(&option, index);
    return shownText(option);
}

// The style draws the cell (background, selection, focus) without its text; the
// text is drawn here with the narrow margin, fitted as `fitted` says.
void ElidingDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const FittedText shown = fitted(opt);
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    const bool selected = opt.state & QStyle::State_Selected;
    painter->save();
    painter->setFont(shown.font);
    painter->setPen(opt.palette.color(QPalette::Normal, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(textRect(opt), static_cast<int>(opt.displayAlignment), shown.text);
    painter->restore();
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
