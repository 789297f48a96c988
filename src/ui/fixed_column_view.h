#pragma once
// A grid whose first column stays in place while the others scroll sideways:
// a second view over the same model, showing column 0 only, lies over it and
// shares its selection, its row scrolling and the first column's width.
#include <QTableView>

namespace tama::ui {

class FixedColumnTableView : public QTableView {
public:
    explicit FixedColumnTableView(QWidget* parent = nullptr);

    // The view over column 0; style it as the grid itself.
    QTableView* fixedColumn() const { return fixed_; }

    void setModel(QAbstractItemModel* model) override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void syncFixed();
    void placeFixed();

    QTableView* fixed_;
};

}  // namespace tama::ui
