#include "spin_button.h"

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace tama::ui {

namespace {

// Step: by the step size from the number in the box, the button's own position
// when the box holds no plain number.
SpinStep stepWithin(const SpinRule& rule, const QString& text, int position, int direction) {
    qint64 base = position;
    bool digits = !text.isEmpty() && text.size() <= 9;
    for (QChar c : text) digits = digits && c >= u'0' && c <= u'9';
    if (digits) base = text.toLongLong();
    qint64 next = base;
    if (direction > 0 && base < rule.maximum) next = std::min<qint64>(base + rule.step, rule.maximum);
    if (direction < 0 && base > rule.minimum) next = std::max<qint64>(base - rule.step, rule.minimum);
    if (next == base && digits) return {};  // at the end of the range: the box stays as it is
    return {static_cast<int>(next), false};
}

// Snap and SnapWrap: by one, into the range first.
SpinStep stepSnapping(const SpinRule& rule, const QString& text, int direction) {
    const bool wrap = rule.style == SpinStyle::SnapWrap;
    bool ok = false;
    const int v = text.toInt(&ok);
    int next;
    bool wrapped = false;
    if (!ok) {
        next = direction > 0 || !wrap ? rule.minimum : rule.maximum;
    } else if (direction > 0) {
        if (v >= rule.maximum) {
            wrapped = wrap && v == rule.maximum;
            next = wrap ? rule.minimum : v;
        } else {
            next = v < rule.minimum ? rule.minimum : v + 1;
        }
    } else {
        if (v <= rule.minimum) {
            wrapped = wrap && v == rule.minimum;
            next = wrap ? rule.maximum : v;
        } else {
            next = v > rule.maximum ? rule.maximum : v - 1;
        }
    }
    SpinStep out;
    out.wrapped = wrapped;
    if (!ok || next != v) out.value = next;
    return out;
}

}  // namespace

SpinStep spinStep(const SpinRule& rule, const QString& text, int position, int direction) {
    if (rule.style == SpinStyle::Step) return stepWithin(rule, text, position, direction);
    return stepSnapping(rule, text, direction);
}

SpinButton::SpinButton(QLineEdit* buddy, int start, int minimum, int step, int maximum, QWidget* parent,
                       SpinStyle style, const SpinArrows& arrows)
    : SpinButton(
          buddy, [buddy] { return buddy->text(); }, [buddy](const QString& t) { buddy->setText(t); }, start,
          SpinRule{minimum, step, maximum, style}, parent, arrows) {}

SpinButton::SpinButton(QLabel* buddy, int start, int minimum, int step, int maximum, QWidget* parent, SpinStyle style,
                       const SpinArrows& arrows)
    : SpinButton(
          buddy, [buddy] { return buddy->text(); }, [buddy](const QString& t) { buddy->setText(t); }, start,
          SpinRule{minimum, step, maximum, style}, parent, arrows) {}

SpinButton::SpinButton(QWidget* buddy, std::function<QString()> read, std::function<void(const QString&)> write,
                       int start, const SpinRule& rule, QWidget* parent, const SpinArrows& arrows)
    : QWidget(parent), buddy_(buddy), read_(std::move(read)), write_(std::move(write)), value_(start), rule_(rule) {
    auto* up = new QToolButton(this);
    auto* down = new QToolButton(this);
    up->setObjectName(QStringLiteral("up"));
    down->setObjectName(QStringLiteral("down"));
    up->setArrowType(Qt::UpArrow);
    down->setArrowType(Qt::DownArrow);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    for (QToolButton* b : {up, down}) {
        b->setAutoRepeat(arrows.autoRepeat);
        if (arrows.focus) b->setFocusPolicy(*arrows.focus);
        if (arrows.size.isEmpty()) b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        else b->setFixedSize(arrows.size);
        lay->addWidget(b);
    }
    connect(up, &QToolButton::clicked, this, &SpinButton::stepUp);
    connect(down, &QToolButton::clicked, this, &SpinButton::stepDown);
}

void SpinButton::stepUp() { stepBy(+1); }
void SpinButton::stepDown() { stepBy(-1); }

void SpinButton::stepBy(int direction) {
    if (!isEnabled()) return;
    emit aboutToStep();
    const SpinStep step = spinStep(rule_, read_(), value_, direction);
    if (step.value) {
        value_ = *step.value;
        write_(QString::number(value_));
    }
    emit stepped(direction, step.wrapped);
}

}  // namespace tama::ui
