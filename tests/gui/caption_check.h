#pragma once
// Finds the captions a window shows cut: every visible label, button, check
// box, radio button, combo box, text box and tab whose text is wider than the
// room the style gives it. Each finding names the window, the control and the
// two widths, so that a failing test says what to widen.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTextDocument>

namespace tama::test {

inline QString withoutMnemonic(QString text) {
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return text;
}

// The widest line of a caption that may hold line breaks.
inline int textWidth(const QFontMetrics& fm, const QString& text) {
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

inline QStringList cutCaptions(QWidget* window) {
    QStringList found;
    auto report = [&](QWidget* w, const QString& text, int need, int room) {
        if (need > room)
            found << QStringLiteral("%1 %2 \"%3\": needs %4 px, has %5 px")
                         .arg(window->objectName(),
                              w->objectName().isEmpty() ? QLatin1String(w->metaObject()->className()) : w->objectName(),
                              text)
                         .arg(need)
                         .arg(room);
    };
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* w : widgets) {
        if (!w->isVisibleTo(window) || w->width() <= 0) continue;
        const QFontMetrics fm(w->font());
        if (auto* l = qobject_cast<QLabel*>(w)) {
            const QString text = l->text();
            if (text.isEmpty() || Qt::mightBeRichText(text) || l->textFormat() == Qt::RichText) continue;
            const QString shown = l->buddy() ? withoutMnemonic(text) : text;
            const int room = l->contentsRect().width() - 2 * l->margin() - std::max(0, l->indent());
            if (l->wordWrap()) {
                // A wrapping label needs the height its width gives it.
                const int need = l->heightForWidth(l->width());
                if (need > l->height())
                    found << QStringLiteral("%1 %2 \"%3\": needs %4 px high, has %5 px")
                                 .arg(window->objectName(), l->objectName(), text)
                                 .arg(need)
                                 .arg(l->height());
            } else {
                report(l, text, textWidth(fm, shown), room);
            }
        } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            if (b->text().isEmpty()) continue;
            QStyleOptionButton opt;
            opt.initFrom(b);
            opt.text = b->text();
            opt.icon = b->icon();
            opt.iconSize = b->iconSize();
            QStyle::SubElement contents;
            if (qobject_cast<QCheckBox*>(b)) contents = QStyle::SE_CheckBoxContents;
            else if (qobject_cast<QRadioButton*>(b)) contents = QStyle::SE_RadioButtonContents;
            else if (qobject_cast<QPushButton*>(b)) contents = QStyle::SE_PushButtonContents;
            else continue;  // tool buttons show pictures
            const int room = b->style()->subElementRect(contents, &opt, b).width();
            const int icon = b->icon().isNull() ? 0 : b->iconSize().width() + 4;
            report(b, b->text(), textWidth(fm, withoutMnemonic(b->text())) + icon, room);
        } else if (auto* c = qobject_cast<QComboBox*>(w)) {
            if (c->currentText().isEmpty()) continue;
            if (c->isEditable()) {
                // The box's own two pixels on each side of the text; a text a pixel
                // wider scrolls by its blank side bearing, so its ink is what must fit.
                report(c, c->currentText(), fm.tightBoundingRect(c->currentText()).width(), c->lineEdit()->width() - 4);
            } else {
                QStyleOptionComboBox opt;
                opt.initFrom(c);
                opt.editable = false;
                opt.currentText = c->currentText();
                const QRect field = c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField,
                                                               c);
                report(c, c->currentText(), fm.horizontalAdvance(c->currentText()), field.width());
            }
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
            if (e->text().isEmpty() || qobject_cast<QComboBox*>(e->parentWidget())) continue;
            const QMargins m = e->textMargins();
            // The box's frame and its own two pixels on each side of the text.
            const int frame = e->hasFrame() ? 2 * e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, e) : 0;
            report(e, e->text(), fm.tightBoundingRect(e->displayText()).width(),
                   e->width() - frame - 4 - m.left() - m.right());
        } else if (auto* t = qobject_cast<QTabBar*>(w)) {
            for (int i = 0; i < t->count(); ++i) {
                const int hspace = t->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, t);
                report(t, t->tabText(i),
                       QFontMetrics(t->font()).horizontalAdvance(withoutMnemonic(t->tabText(i))) + hspace,
                       t->tabRect(i).width());
            }
        }
    }
    return found;
}

}  // namespace tama::test
