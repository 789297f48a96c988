#pragma once
// WindowLayout: a child window's position, size and state kept in the settings
// file, in twips. One object per window; the window calls restore() when it is
// first shown and save() when it closes.
//
// The keys are a prefix plus "WindowState", "Top", "Left", "Width", "Height"
// (for example "frmMonthly.Top" in section "monthly"). A window that reads and
// writes in different letter case ("Gluf"/"frmGluf." read, "gluf"/"frmgluf."
// written) passes each form to its own call; the settings file ignores case.
#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QRectF>
#include <QString>

class QWidget;

namespace tama::ui {

class AppContext;

// Places a control inside its window at a position and size given in twips; a
// negative size (a window too small for its controls) becomes 0.
void placeInTwips(QWidget* w, double left, double top, double width, double height);

// Where a window goes: the top-left corner of the window with its decorations
// (title bar and borders), and the size of its inner area, in pixels.
struct Placement {
    QPoint outerTopLeft;
    QSize inner;
    bool operator==(const Placement&) const = default;
};

// `wanted` made to fit `area` with `margins` of decorations around the inner
// area: the inner size shrinks until the decorated window is no larger than the
// area (never below 1 x 1), then the window moves the least distance that puts
// it wholly inside. A window that fits is left as it is.
Placement fitInArea(const Placement& wanted, const QMargins& margins, const QRect& area);

class WindowLayout : public QObject {
    Q_OBJECT
public:
    // Whether the window keeps a "WindowState" key (0 normal, 1 minimised, 2 maximised).
    enum class StateKey { Kept, None };

    // Where the window goes when a key is missing or not a number, in twips.
    struct Defaults {
        double left = 0;
        double top = 0;
        double width = 0;
        double height = 0;
    };

    // `window`: the widget whose layout is kept; the object becomes its child.
    WindowLayout(AppContext& ctx, QWidget* window, StateKey stateKey = StateKey::Kept);

    // The widget that is placed: the QMdiSubWindow around the window when there
    // is one, else the window itself.
    QWidget* target() const;

    // True once restore() has run.
    bool isRestored() const { return restored_; }

    // Places the target from section `section`, keys `keyPrefix` + name; a missing
    // key, or a value that is not a number, takes its default. A size that comes
    // out empty (no stored size and no frame size known) keeps the target's size.
    // The window state is applied after the normal geometry, so that a minimised
    // or maximised window returns to the stored geometry. A child window of a
    // frame is kept inside the frame's visible area (a size stored on a larger
    // screen shrinks to it).
    void restore(const QString& section, const QString& keyPrefix, const Defaults& defaults);

    // Writes the five keys (four without a state key) to `section`. A minimised or
    // maximised window writes the geometry it returns to; a value that has not
    // moved since restore() is written in the exact twips it was read in.
    void save(const QString& section, const QString& keyPrefix);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppContext& ctx_;
    QWidget* window_;
    StateKey stateKey_;
    bool restored_ = false;
    QRect restoredPixels_;
    QRectF restoredTwips_;
    QRect normalGeometry_;  // last geometry seen in the normal state, pixels
};

}  // namespace tama::ui
