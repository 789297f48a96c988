// The shared widgets of the window kit on their own: the spin button's step
// rules at their ends, its arrows and signals; the grid model checked by
// QAbstractItemModelTester, with the row colouring, alignment and a reorder
// that keeps the current cell on its row; the fixed first column of a grid.
#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>
#include <algorithm>
#include <vector>

#include "ui/fixed_column_view.h"
#include "ui/grid_model.h"
#include "ui/spin_button.h"

using namespace tama;
using namespace tama::ui;

namespace {

// A grid of a few rows; each row's key is its first cell's number.
class RowsModel : public GridModel {
public:
    using GridModel::GridModel;

    std::vector<std::vector<TableCell>> rows;
    std::vector<TableColumn> columns;

    void load(std::vector<std::vector<TableCell>> r, std::vector<TableColumn> c) {
        beginResetModel();
        rows = std::move(r);
        columns = std::move(c);
        endResetModel();
    }
    void reverse() {
        reorderRows([this] { std::reverse(rows.begin(), rows.end()); },
                    [this](int row) { return std::stoi(rows[static_cast<size_t>(row)][0].text); });
    }

protected:
    int gridRowCount() const override { return static_cast<int>(rows.size()); }
    int gridColumnCount() const override { return static_cast<int>(columns.size()); }
    TableCell gridCell(int row, int column) const override {
        return rows[static_cast<size_t>(row)][static_cast<size_t>(column)];
    }
    TableColumn gridColumn(int column) const override { return columns[static_cast<size_t>(column)]; }
};

QColor colourOf(const QVariant& v) { return v.value<QBrush>().color(); }

}  // namespace

class UiWidgetsTest : public QObject {
    Q_OBJECT

private slots:
    void spinStepsAtTheEnds_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("written");  // -1: the buddy stays as it is
        QTest::addColumn<bool>("wrapped");
        const int step = static_cast<int>(SpinStyle::Step), snap = static_cast<int>(SpinStyle::Snap),
                  wrap = static_cast<int>(SpinStyle::SnapWrap);
        // Step: the step size stops at the ends; a typed value beyond an end is stepped from.
        QTest::newRow("step up to the end") << step << 0 << 30 << 30 << "10" << 0 << +1 << 30 << false;
        QTest::newRow("step at the end stays") << step << 0 << 30 << 30 << "30" << 0 << +1 << -1 << false;
        QTest::newRow("step down to the start") << step << 0 << 500 << 80000 << "300" << 0 << -1 << 0 << false;
        QTest::newRow("step typed beyond the end") << step << 0 << 1 << 31 << "50" << 0 << -1 << 49 << false;
        QTest::newRow("step typed beyond, up stays") << step << 0 << 1 << 31 << "50" << 0 << +1 << -1 << false;
        // No plain number (empty, a sign, ten digits): the button's own position steps
        // and is written even where it cannot move.
        QTest::newRow("step empty box") << step << 0 << 1 << 12 << "" << 5 << +1 << 6 << false;
        QTest::newRow("step signed text") << step << 0 << 1 << 12 << "-3" << 5 << -1 << 4 << false;
        QTest::newRow("step ten digits") << step << 0 << 1 << 12 << "0000000003" << 12 << +1 << 12 << false;
        // Snap: out of range goes to the end, an empty box starts at the minimum.
        QTest::newRow("snap below the range") << snap << 1995 << 1 << 2099 << "1990" << 0 << +1 << 1995 << false;
        QTest::newRow("snap above the range") << snap << 1995 << 1 << 2099 << "2500" << 0 << -1 << 2099 << false;
        QTest::newRow("snap at the end stays") << snap << 1995 << 1 << 2099 << "2099" << 0 << +1 << -1 << false;
        QTest::newRow("snap empty, down") << snap << 1995 << 1 << 2099 << "" << 0 << -1 << 1995 << false;
        // SnapWrap: over an end to the other one, said only when leaving from the end itself.
        QTest::newRow("wrap up from 12") << wrap << 1 << 1 << 12 << "12" << 0 << +1 << 1 << true;
        QTest::newRow("wrap down from 01") << wrap << 1 << 1 << 12 << "01" << 0 << -1 << 12 << true;
        QTest::newRow("wrap from beyond the end") << wrap << 1 << 1 << 12 << "13" << 0 << +1 << 1 << false;
        QTest::newRow("wrap empty, down") << wrap << 1 << 1 << 12 << "" << 0 << -1 << 12 << false;
        QTest::newRow("wrap inside") << wrap << 1 << 1 << 12 << "05" << 0 << +1 << 6 << false;
    }
    void spinStepsAtTheEnds() {
        QFETCH(int, style);
        QFETCH(int, minimum);
        QFETCH(int, step);
        QFETCH(int, maximum);
        QFETCH(QString, text);
        QFETCH(int, position);
        QFETCH(int, direction);
        QFETCH(int, written);
        QFETCH(bool, wrapped);
        const SpinStep s = spinStep(SpinRule{minimum, step, maximum, static_cast<SpinStyle>(style)}, text, position,
                                    direction);
        QCOMPARE(s.value.value_or(-1), written);
        QCOMPARE(s.wrapped, wrapped);
    }

    // The arrows as each window asks for them, and what a click tells.
    void spinButtonArrowsAndSignals() {
        QWidget parent;
        auto* box = new QLineEdit(&parent);
        auto* months = new SpinButton(box, 1, 1, 1, 12, &parent, SpinStyle::SnapWrap, {QSize(), true, Qt::NoFocus});
        const auto arrows = months->findChildren<QToolButton*>();
        QCOMPARE(arrows.size(), 2);
        QCOMPARE(arrows[0]->objectName(), QStringLiteral("up"));
        QCOMPARE(arrows[0]->arrowType(), Qt::UpArrow);
        QCOMPARE(arrows[1]->arrowType(), Qt::DownArrow);
        QVERIFY(arrows[0]->autoRepeat());
        QCOMPARE(arrows[0]->focusPolicy(), Qt::NoFocus);
        QCOMPARE(arrows[0]->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);

        QStringList order;
        connect(months, &SpinButton::aboutToStep, this, [&] { order << QStringLiteral("about:") + box->text(); });
        connect(months, &SpinButton::stepped, this, [&](int direction, bool wrapped) {
            order << QStringLiteral("stepped:%1:%2:%3").arg(direction).arg(wrapped).arg(box->text());
        });
        box->setText(QStringLiteral("12"));
        QTest::mouseClick(arrows[0], Qt::LeftButton);
        QCOMPARE(order, QStringList({QStringLiteral("about:12"), QStringLiteral("stepped:1:1:1")}));
        // Disabled, a step does nothing and tells nothing.
        order.clear();
        months->setEnabled(false);
        months->stepDown();
        QVERIFY(order.isEmpty());
        QCOMPARE(box->text(), QStringLiteral("1"));

        // A label as the buddy, fixed arrows that do not repeat and keep the tool button's focus.
        auto* label = new QLabel(QStringLiteral("98"), &parent);
        auto* rows = new SpinButton(label, 1, 1, 1, 99, &parent, SpinStyle::Step, {QSize(18, 11), false, std::nullopt});
        const auto fixed = rows->findChildren<QToolButton*>();
        QCOMPARE(fixed[1]->size(), QSize(18, 11));
        QVERIFY(!fixed[1]->autoRepeat());
        QCOMPARE(fixed[1]->focusPolicy(), QToolButton().focusPolicy());
        rows->stepUp();
        rows->stepUp();
        QCOMPARE(label->text(), QStringLiteral("99"));
        QCOMPARE(rows->value(), 99);
    }

    void gridModelRolesAndReorder() {
        RowsModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const Rgb grey{224, 224, 224};
        auto row = [&](int key, int band) {
            return std::vector<TableCell>{TableCell{std::to_string(key), kRgbBlack, grey, CellAlign::Center, 0},
                                          TableCell{"-1,500", kRgbRed, kRgbWhite, CellAlign::General, band},
                                          TableCell{"ホール", kRgbBlack, kRgbWhite, CellAlign::General, band}};
        };
        model.load({row(1, 1), row(2, 2), row(3, 3)}, {TableColumn{"日付", 0, CellAlign::Center, CellAlign::General},
                                                       TableColumn{"1,000", 0, CellAlign::General, CellAlign::General},
                                                       TableColumn{"名前", 0, CellAlign::General, CellAlign::General}});
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.columnCount(), 3);
        QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("-1,500"));
        QCOMPARE(colourOf(model.index(1, 1).data(Qt::ForegroundRole)), QColor(255, 0, 0));
        // General: a number to the right, text to the left; headings by the same rule.
        QCOMPARE(model.index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::AlignRight | Qt::AlignVCenter);
        QCOMPARE(model.index(0, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::AlignLeft | Qt::AlignVCenter);
        QCOMPARE(model.index(0, 0).data(Qt::TextAlignmentRole).value<Qt::Alignment>(), Qt::Alignment(Qt::AlignCenter));
        QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::AlignRight | Qt::AlignVCenter);
        QCOMPARE(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("名前"));
        QVERIFY(!model.headerData(0, Qt::Vertical, Qt::DisplayRole).isValid());

        // Row colouring: banded cells tinted every N rows, unbanded keep their own background.
        RowColouring every2;
        every2.enabled = true;
        every2.everyRows = 2;
        every2.colour = 0xFF0000;  // stored BGR: blue
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.setColouring(every2);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(colourOf(model.index(0, 1).data(Qt::BackgroundRole)), QColor(Qt::white));
        QCOMPARE(colourOf(model.index(2, 1).data(Qt::BackgroundRole)), QColor(0, 0, 255));
        QCOMPARE(colourOf(model.index(2, 0).data(Qt::BackgroundRole)), QColor(224, 224, 224));

        // A reorder keeps the current cell on its row.
        QPersistentModelIndex current = model.index(0, 2);
        model.reverse();
        QCOMPARE(current.row(), 2);
        QCOMPARE(current.column(), 2);
        QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("3"));
    }

    void fixedColumnFollowsTheGrid() {
        RowsModel model;
        FixedColumnTableView view;
        view.setModel(&model);
        QVERIFY(view.fixedColumn()->isHidden());  // nothing to hold while there are no columns
        std::vector<std::vector<TableCell>> rows;
        for (int r = 1; r <= 40; ++r) rows.push_back({TableCell{std::to_string(r)}, TableCell{"a"}, TableCell{"b"}});
        model.load(rows, {TableColumn{"0"}, TableColumn{"1"}, TableColumn{"2"}});
        view.resize(200, 150);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTableView* fixed = view.fixedColumn();
        QVERIFY(fixed->isVisible());
        QVERIFY(!fixed->isColumnHidden(0));
        QVERIFY(fixed->isColumnHidden(1) && fixed->isColumnHidden(2));
        QCOMPARE(fixed->selectionModel(), view.selectionModel());
        view.setColumnWidth(0, 77);
        QCOMPARE(fixed->columnWidth(0), 77);
        QCOMPARE(fixed->width(), 77);
        view.verticalScrollBar()->setValue(10);
        QCOMPARE(fixed->verticalScrollBar()->value(), 10);
    }
};

QTEST_MAIN(UiWidgetsTest)
#include "ui_widgets_test.moc"
