#pragma once
// A row of controls that wraps onto further rows when the width does not hold
// them all, so that no caption is ever squeezed and cut. Items keep their size
// hints; an item that is itself a row (a label with its box) stays together.
#include <QLayout>
#include <QList>

namespace tama::ui {

class FlowLayout : public QLayout {
public:
    // `hSpacing`: pixels between items of a row; `vSpacing`: between rows.
    explicit FlowLayout(QWidget* parent, int hSpacing = 8, int vSpacing = 4);
    ~FlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;

    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

private:
    // Lays the items out in `rect` (only measures when `apply` is false) and
    // returns the height used.
    int arrange(const QRect& rect, bool apply) const;

    QList<QLayoutItem*> items_;
    int hSpacing_, vSpacing_;
};

}  // namespace tama::ui
