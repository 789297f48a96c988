#pragma once
// The spin button every window uses: an up and a down arrow beside a text box
// or a label (its buddy) that step the number the buddy shows and write it back
// as plain decimal text, which the buddy's own change handling then takes up.
//
// Two step rules are in use and each keeps to what its window has always done:
//  - SpinStyle::Step (entry form, export, options): by the step size within
//    [minimum, maximum], stopping at the ends. A number typed beyond an end is
//    stepped from where it stands (typed values are never clamped), and a buddy
//    that holds no plain number steps the button's own position instead.
//  - SpinStyle::Snap and SnapWrap (monthly window): by one; a number beyond an
//    end goes to that end, a buddy without a number starts at the minimum.
//    SnapWrap runs past an end to the other end (month 12 -> 1, 1 -> 12) and
//    says so, so that the window can carry the step into the year.
#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QToolButton;

namespace tama::ui {

enum class SpinStyle { Step, Snap, SnapWrap };

// The range and rule of one spin button.
struct SpinRule {
    int minimum = 0;
    int step = 1;
    int maximum = 0;
    SpinStyle style = SpinStyle::Step;
};

// What one step does: the value to write into the buddy (none when the buddy
// stays as it is) and whether the value ran over an end to the other one.
struct SpinStep {
    std::optional<int> value;
    bool wrapped = false;
};

// One step of `rule` in `direction` (+1 up, -1 down) from the buddy's `text`;
// `position` is the button's own value, used by SpinStyle::Step when the text
// is not a plain number of 1 to 9 digits.
SpinStep spinStep(const SpinRule& rule, const QString& text, int position, int direction);

// How the arrows look and answer: a fixed size for each arrow (an empty size lets
// the arrows share the whole widget, for a window that places the button itself),
// auto-repeat while held down, and the focus policy (none keeps the tool button's
// own, which Tab reaches).
struct SpinArrows {
    QSize size{16, 11};
    bool autoRepeat = true;
    std::optional<Qt::FocusPolicy> focus = Qt::NoFocus;
};

class SpinButton : public QWidget {
    Q_OBJECT
public:
    // `start` is the button's own position until the first step.
    SpinButton(QLineEdit* buddy, int start, int minimum, int step, int maximum, QWidget* parent = nullptr,
               SpinStyle style = SpinStyle::Step, const SpinArrows& arrows = {});
    SpinButton(QLabel* buddy, int start, int minimum, int step, int maximum, QWidget* parent = nullptr,
               SpinStyle style = SpinStyle::Step, const SpinArrows& arrows = {});

    int value() const { return value_; }
    int minimum() const { return rule_.minimum; }
    int maximum() const { return rule_.maximum; }
    int singleStep() const { return rule_.step; }
    QWidget* buddy() const { return buddy_; }

    // What a click on the up or down arrow does; nothing while the button is disabled.
    void stepUp();
    void stepDown();

signals:
    // Before the buddy is written, so that a listener can take the step and what
    // it then does in answer to stepped() as one change.
    void aboutToStep();
    // After every step, also one that left the buddy as it was.
    void stepped(int direction, bool wrapped);

private:
    SpinButton(QWidget* buddy, std::function<QString()> read, std::function<void(const QString&)> write, int start,
               const SpinRule& rule, QWidget* parent, const SpinArrows& arrows);
    void stepBy(int direction);

    QWidget* buddy_;
    std::function<QString()> read_;
    std::function<void(const QString&)> write_;
    int value_;
    SpinRule rule_;
};

}  // namespace tama::ui
