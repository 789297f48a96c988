#include "background.h"

#include <QEvent>
#include <QMdiArea>
#include <QPainter>
#include <cmath>

namespace tama::ui {

TileGrid tileGrid(int areaWidth, int areaHeight, int pictureWidth, int pictureHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0) return {};
    // nearbyint rounds in the default mode, to nearest with a half to even.
    const auto count = [](int area, int tile) {
        return static_cast<int>(std::nearbyint(static_cast<double>(std::max(area, 0)) / tile)) + 1;
    };
    return {count(areaHeight, pictureHeight), count(areaWidth, pictureWidth)};
}

TiledBackground::TiledBackground(std::function<QColor()> colour, QObject* parent)
    : QObject(parent), colour_(std::move(colour)) {}

TiledBackground::~TiledBackground() { remove(); }

void TiledBackground::install(const QPixmap& picture, QMdiArea* frame) {
    remove();
    if (!frame) return;
    picture_ = picture;
    area_ = frame;
    frame->viewport()->installEventFilter(this);
    frame->viewport()->update();
}

void TiledBackground::remove() {
    if (area_) {
        area_->viewport()->removeEventFilter(this);
        area_->viewport()->update();
    }
    area_ = nullptr;
    picture_ = QPixmap();
}

bool TiledBackground::eventFilter(QObject* watched, QEvent* event) {
    if (!area_ || watched != area_->viewport() || event->type() != QEvent::Paint || painting_)
        return QObject::eventFilter(watched, event);
    painting_ = true;
    QWidget* viewport = area_->viewport();
    const QRect r = viewport->rect();
    QPainter p(viewport);
    p.fillRect(r, colour_ ? colour_() : viewport->palette().color(QPalette::Window));
    tilesPainted_ = 0;
    const TileGrid grid = tileGrid(r.width(), r.height(), picture_.width(), picture_.height());
    for (int i = 0; i <= grid.rows; ++i)
        for (int j = 0; j <= grid.columns; ++j) {
            p.drawPixmap(r.left() + j * picture_.width(), r.top() + i * picture_.height(), picture_);
            ++tilesPainted_;
        }
    painting_ = false;
    return true;  // the area is painted; QMdiArea's own fill would cover the tiles
}

}  // namespace tama::ui
