#include "window_layout.h"

#include <QEvent>
#include <algorithm>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>
#include <cmath>
#include <optional>

#include "shared/number_format.h"
#include "ui/app_context.h"

namespace tama::ui {

namespace {

// A stored value read as a single-precision number, the way it was written.
std::optional<double> readSingle(const AppContext& ctx, const QString& section, const QString& key) {
    const auto v = ctx.readSettingNumber(section, key);
    if (!v) return std::nullopt;
    return static_cast<double>(static_cast<float>(*v));
}

QString twipsText(double twips) { return qs(formatSingle(static_cast<float>(twips))); }

}  // namespace

Placement fitInArea(const Placement& wanted, const QMargins& margins, const QRect& area) {
    const int extraW = margins.left() + margins.right(), extraH = margins.top() + margins.bottom();
    Placement p = wanted;
    p.inner.setWidth(std::max(1, std::min(p.inner.width(), area.width() - extraW)));
    p.inner.setHeight(std::max(1, std::min(p.inner.height(), area.height() - extraH)));
    const int outerW = p.inner.width() + extraW, outerH = p.inner.height() + extraH;
    // Left and top win where the window is still larger than the area (a
    // 1 x 1 inner size in an area smaller than the decorations).
    p.outerTopLeft.setX(std::max(area.left(), std::min(p.outerTopLeft.x(), area.left() + area.width() - outerW)));
    p.outerTopLeft.setY(std::max(area.top(), std::min(p.outerTopLeft.y(), area.top() + area.height() - outerH)));
    return p;
}

void placeInTwips(QWidget* w, double left, double top, double width, double height) {
    w->setGeometry(twipsToPixelsX(left), twipsToPixelsY(top), std::max(0, twipsToPixelsX(width)),
                   std::max(0, twipsToPixelsY(height)));
}

WindowLayout::WindowLayout(AppContext& ctx, QWidget* window, StateKey stateKey)
    : QObject(window), ctx_(ctx), window_(window), stateKey_(stateKey) {}

QWidget* WindowLayout::target() const {
    auto* sub = qobject_cast<QMdiSubWindow*>(window_->parentWidget());
    return sub ? static_cast<QWidget*>(sub) : window_;
}

void WindowLayout::restore(const QString& section, const QString& keyPrefix, const Defaults& defaults) {
    restored_ = true;  // before any geometry change, which may show the window again
    QWidget* target = this->target();
    // The child window does not see its frame's moves: they are watched on the frame.
    if (target != window_) target->installEventFilter(this);
    auto twipsOf = [&](const char* name, double fallback) {
        return readSingle(ctx_, section, keyPrefix + QLatin1String(name)).value_or(fallback);
    };
    int state = 0;
    if (stateKey_ == StateKey::Kept) {
        const auto v = ctx_.readSettingNumber(section, keyPrefix + QStringLiteral("WindowState"));
        state = static_cast<int>(std::lround(v.value_or(0)));
    }
    QRectF twips(twipsOf("Left", defaults.left), twipsOf("Top", defaults.top), twipsOf("Width", defaults.width),
                 twipsOf("Height", defaults.height));
    QRect px(twipsToPixelsX(twips.left()), twipsToPixelsY(twips.top()), twipsToPixelsX(twips.width()),
             twipsToPixelsY(twips.height()));
    if (px.width() <= 0 || px.height() <= 0) {
        // No stored size and no frame size known: keep the size the window has.
        px.setSize(target->size());
        twips.setSize(QSizeF(pixelsToTwipsX(px.width()), pixelsToTwipsY(px.height())));
    }
    if (auto* sub = qobject_cast<QMdiSubWindow*>(target); sub && sub->mdiArea()) {
        // Inside the frame's visible area: a layout kept from a larger frame or
        // screen would leave the window's edges (and its grid's last columns) out of reach.
        const QSize room = sub->mdiArea()->viewport()->size();
        if (!room.isEmpty()) {
            const Placement fitted = fitInArea({px.topLeft(), px.size()}, {}, QRect(QPoint(), room));
            if (fitted.inner != px.size())
                twips.setSize(QSizeF(pixelsToTwipsX(fitted.inner.width()), pixelsToTwipsY(fitted.inner.height())));
            if (fitted.outerTopLeft != px.topLeft())
                twips.moveTopLeft(
                    QPointF(pixelsToTwipsX(fitted.outerTopLeft.x()), pixelsToTwipsY(fitted.outerTopLeft.y())));
            px = QRect(fitted.outerTopLeft, fitted.inner);
        }
    }
    target->setWindowState(Qt::WindowNoState);
    target->setGeometry(px);
    restoredPixels_ = target->geometry();
    restoredTwips_ = twips;
    normalGeometry_ = restoredPixels_;
    if (state == 2) target->setWindowState(Qt::WindowMaximized);
    else if (state == 1) target->setWindowState(Qt::WindowMinimized);
}

bool WindowLayout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == target() && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        auto* w = static_cast<QWidget*>(watched);
        if (!(w->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) normalGeometry_ = w->geometry();
    }
    return QObject::eventFilter(watched, event);
}

void WindowLayout::save(const QString& section, const QString& keyPrefix) {
    QWidget* target = this->target();
    const Qt::WindowStates ws = target->windowState();
    const int state = ws & Qt::WindowMinimized ? 1 : (ws & Qt::WindowMaximized ? 2 : 0);
    // A minimised or maximised window stores the geometry it returns to.
    const QRect px = state == 0 || normalGeometry_.isNull() ? target->geometry() : normalGeometry_;
    QRectF twips(pixelsToTwipsX(px.left()), pixelsToTwipsY(px.top()), pixelsToTwipsX(px.width()),
                 pixelsToTwipsY(px.height()));
    if (restored_) {
        // Values that did not move keep their stored twips (no rounding drift through pixels).
        if (px.left() == restoredPixels_.left()) twips.moveLeft(restoredTwips_.left());
        if (px.top() == restoredPixels_.top()) twips.moveTop(restoredTwips_.top());
        if (px.width() == restoredPixels_.width()) twips.setWidth(restoredTwips_.width());
        if (px.height() == restoredPixels_.height()) twips.setHeight(restoredTwips_.height());
    }
    if (stateKey_ == StateKey::Kept)
        ctx_.writeSetting(section, keyPrefix + QStringLiteral("WindowState"), QString::number(state));
    ctx_.writeSetting(section, keyPrefix + QStringLiteral("Top"), twipsText(twips.top()));
    ctx_.writeSetting(section, keyPrefix + QStringLiteral("Left"), twipsText(twips.left()));
    ctx_.writeSetting(section, keyPrefix + QStringLiteral("Width"), twipsText(twips.width()));
    ctx_.writeSetting(section, keyPrefix + QStringLiteral("Height"), twipsText(twips.height()));
}

}  // namespace tama::ui
