#pragma once
// The picture tiled over the frame's empty client area, behind the child
// windows. The area is first filled with the overall colour; then the picture
// is drawn from the top left corner in rows and columns, one tile beyond the
// rounded quotient each way so the right and bottom edges are always covered.
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <functional>

#include <QMdiArea>

namespace tama::ui {

// How many tiles a paint draws: indexes 0..rows and 0..columns, where
// rows = round(areaHeight / pictureHeight) + 1 and columns likewise, a half
// rounded to the even number. A picture without size draws none (-1, -1).
struct TileGrid {
    int rows = -1;
    int columns = -1;
};
TileGrid tileGrid(int areaWidth, int areaHeight, int pictureWidth, int pictureHeight);

class TiledBackground : public QObject {
    Q_OBJECT
public:
    // `colour` gives the overall colour at each paint (it follows the options).
    explicit TiledBackground(std::function<QColor()> colour, QObject* parent = nullptr);
    ~TiledBackground() override;

    // Tiles `picture` over the client area of `frame` from now on; an earlier
    // installation is removed first.
    void install(const QPixmap& picture, QMdiArea* frame);
    // Stops the tiling and drops the picture; the area shows the plain colour.
    void remove();
    bool installed() const { return area_ != nullptr; }
    // Tiles drawn by the last paint.
    int tilesPainted() const { return tilesPainted_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<QColor()> colour_;
    QPixmap picture_;
    QPointer<QMdiArea> area_;
    bool painting_ = false;
    int tilesPainted_ = 0;
};

}  // namespace tama::ui
