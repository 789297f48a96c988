#include "ui/combo_popup.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <algorithm>

namespace tama::ui {

namespace {

// Narrows the list's popup frame as it is shown; the box sizes it to its
// widest entry just before.
class PopupWidthLimiter : public QObject {
public:
    PopupWidthLimiter(QComboBox* box, QWidget* popup, int maxWidth)
        : QObject(box), box_(box), popup_(popup), maxWidth_(maxWidth) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == popup_ && (event->type() == QEvent::Show || event->type() == QEvent::Resize)) {
            const int limit = std::max(box_->width(), maxWidth_);
            if (popup_->width() > limit) popup_->resize(limit, popup_->height());
        }
        return false;
    }

private:
    QComboBox* box_;
    QWidget* popup_;
    int maxWidth_;
};

}  // namespace

void limitPopupWidth(QComboBox* box, int maxWidth) {
    QAbstractItemView* view = box->view();
    view->setTextElideMode(Qt::ElideRight);
    QWidget* popup = view->parentWidget();  // the frame the box shows as its list
    if (!popup) return;
    popup->installEventFilter(new PopupWidthLimiter(box, popup, maxWidth));
}

}  // namespace tama::ui
