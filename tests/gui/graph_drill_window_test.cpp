// Clicking into the graphs in the real frame: year -> month graph of that year,
// month -> day graph of that month, day -> the monthly window forward with the
// day's first row selected; the cumulative graphs alike; the pointing hand and
// the tooltip; "戻る" by button and by Backspace. The 3D bars run under
// xvfb-run (graph_drill_window_test_3d); offscreen they skip.
#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLineSeries>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QSignalSpy>
#include <QTableView>
#include <QToolButton>
#include <QtDataVisualization/Q3DBars>
#include <QtDataVisualization/QBar3DSeries>
#include <QtTest>
#include <memory>

#include "../support/frame_fixture.h"
#include "../support/graph_points.h"
#include "graphs/graph_window.h"
#include "monthly/monthly_window.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "ui/app_context.h"
#include "ui/messages.h"

using namespace tama;
using namespace tama::ui;

namespace {

using test::u;

std::string line(const std::string& date, const std::string& youbi, const std::string& dayFirst,
                 const std::string& syusi) {
    const std::string y = date.substr(0, 4), m = date.substr(5, 2), d = date.substr(8, 2);
    const std::string f[24] = {date,     y,        m,     d,        youbi,   "駅前ホール", "10",  "00",
                               "18",     "00",     "8.0", "15000",  "30000", "1,875",      syusi, "12",
                               "ＣＲ機", "海物語", "",    dayFirst, "",      "",           "",    ""};
    std::string out;
    for (int i = 0; i < 24; ++i) out += (i ? ",\"" : "\"") + f[i] + "\"";
    return out + "\n";
}

using test::pointLabels;
using test::pointValues;

}  // namespace

class GraphDrillWindowTest : public QObject, protected test::FrameFixture {
    Q_OBJECT


    GraphWindow* graph() const { return qobject_cast<GraphWindow*>(main->graphWindow()); }
    MonthlyWindow* monthly() const { return main->monthlyWindowIfOpen(); }
    QTableView* grid() const { return monthly()->findChild<QTableView*>(QStringLiteral("mfgDat")); }
    QChartView* view() const { return graph()->findChild<QChartView*>(QStringLiteral("chartView")); }
    QToolButton* back() const { return graph()->findChild<QToolButton*>(QStringLiteral("cmdBack")); }

    // Chooses a period by hand and waits for its graph.
    void choosePeriod(const char* text) {
        const int before = graph()->drawCount();
        graph()->cboKikan()->setCurrentText(u(text));
        QTRY_VERIFY(graph()->drawCount() > before);
    }
    // Clicks point `index` of the 2D bars with the mouse, halfway up its bar.
    void clickBar(int index) {
        auto* bars = qobject_cast<QBarSeries*>(graph()->chart()->series().value(0));
        QVERIFY(bars);
        const double v = graph()->series().points[static_cast<size_t>(index)].value;
        const QPointF at = graph()->chart()->mapToPosition(QPointF(index, v / 2), bars);
        const QPoint pos = view()->mapFromScene(at);
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, pos);
    }
    // Runs a step that ends in a new drawing, and lets whatever it queued run.
    template <typename F>
    void andWait(F&& step) {
        const int before = graph()->drawCount();
        step();
        QTRY_VERIFY(graph()->drawCount() > before);
        QTest::qWait(30);
    }

private slots:
    void init() {
        startFolder();
        const fs::path taro = tmp->makeUser("太郎");
        test::putBytes(taro / "s2024.sdb",
                       test::sjis(line("2024/03/09", "土", "1", "20,000") + line("2024/05/04", "土", "1", "15,000") +
                                  line("2024/05/04", "土", "2", "-3,500") + line("2024/05/06", "月", "1", "-2,000") +
                                  line("2024/05/18", "土", "1", "7,000")));
        test::putBytes(taro / "s2023.sdb", test::sjis(line("2023/12/30", "土", "1", "1,000")));
        test::putBytes(taro / "Year.txt", test::sjis("\"2023\",1000\n\"2024\",36500\n"));
        openContext();
        const QString store = test::writeFrameStore(tmp->path(), 1200, 800);
        main = std::make_unique<MainWindow>(*ctx, store);
        installGraphWindow(*ctx, *main);
        QVERIFY(main->start());
        QVERIFY(graph());
        QTRY_VERIFY(graph()->drawCount() >= 1);
        monthly()->cboUser()->setCurrentText(u("太郎"));
    }

    void cleanup() { finish(); }

    void eachStepDownAndTheWayBack() {
        choosePeriod("年間ﾃﾞｰﾀ");
        QCOMPARE(pointLabels(graph()->series()), (QStringList{u("2023"), u("2024")}));
        QVERIFY(!graph()->canGoBack());
        QVERIFY(!back()->isEnabled());
        andWait([&] { monthly()->setYearMonth(u("2023"), u("05")); });  // the list reloads: a redraw

        // Year -> the month graph of that year, with the mouse.
        andWait([&] { clickBar(1); });
        QCOMPARE(graph()->cboKikan()->currentText(), u("月間ﾃﾞｰﾀ"));
        QCOMPARE(monthly()->txtNen()->text(), u("2024"));
        QCOMPARE(monthly()->txtTuki()->text(), u("05"));  // the month stays
        QCOMPARE(pointLabels(graph()->series()), (QStringList{u("03"), u("05")}));
        QCOMPARE(graph()->windowTitle(), u("月間収支グラフ （2024年度）"));
        QVERIFY(back()->isEnabled());

        // Month -> the day graph of that month.
        andWait([&] { monthly()->setYearMonth(u("2024"), u("03")); });
        andWait([&] { graph()->pointClicked(1); });
        QCOMPARE(graph()->cboKikan()->currentText(), u("日間ﾃﾞｰﾀ"));
        QCOMPARE(monthly()->txtTuki()->text(), u("05"));
        QCOMPARE(pointLabels(graph()->series()), (QStringList{u("04"), u("06"), u("18")}));
        QCOMPARE(pointValues(graph()->series()), (QList<double>{11500, -2000, 7000}));

        // Day -> the monthly window forward, the day's first row selected.
        QSignalSpy opened(graph(), &GraphWindow::dayOpened);
        main->mdiArea()->setActiveSubWindow(main->subWindowOf(graph()));
        const int draws = graph()->drawCount();
        graph()->pointClicked(0);  // 05/04 has two rows: the first is chosen
        QCOMPARE(opened.count(), 1);
        QCOMPARE(opened[0], (QList<QVariant>{u("2024"), u("05"), u("04")}));
        QCOMPARE(main->mdiArea()->activeSubWindow(), main->subWindowOf(monthly()));
        QCOMPARE(grid()->currentIndex().row(), 0);
        graph()->pointClicked(2);  // 05/18
        QCOMPARE(grid()->currentIndex().row(), 3);
        QCOMPARE(grid()->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(grid()->selectionModel()->selectedRows().first().row(), 3);
        QCOMPARE(grid()->model()->index(3, 0).data().toString(), u("2024/05/18"));
        QTest::qWait(50);
        QCOMPARE(graph()->drawCount(), draws);  // the day graph stays as it was

        // Back: by the button, then by Backspace; then there is no way further back.
        andWait([&] { QTest::mouseClick(back(), Qt::LeftButton); });
        QCOMPARE(graph()->cboKikan()->currentText(), u("月間ﾃﾞｰﾀ"));
        QCOMPARE(pointLabels(graph()->series()), (QStringList{u("03"), u("05")}));
        QApplication::setActiveWindow(main.get());
        QVERIFY(QTest::qWaitForWindowActive(main.get()));
        main->mdiArea()->setActiveSubWindow(main->subWindowOf(graph()));
        view()->setFocus();
        QTRY_VERIFY(graph()->isAncestorOf(QApplication::focusWidget()));
        andWait([&] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace); });
        QCOMPARE(graph()->cboKikan()->currentText(), u("年間ﾃﾞｰﾀ"));
        QVERIFY(!graph()->canGoBack());
        QVERIFY(!back()->isEnabled());
        QVERIFY(!graph()->goBack());
    }

    void aPeriodChosenByHandForgetsTheWayBack() {
        choosePeriod("年間ﾃﾞｰﾀ");
        andWait([&] { graph()->pointClicked(1); });
        QVERIFY(graph()->canGoBack());
        choosePeriod("日間ﾃﾞｰﾀ");
        QVERIFY(!graph()->canGoBack());
        QVERIFY(!back()->isEnabled());
    }

    void cumulativeGraphsAndLinesDrillAlike() {
        graph()->chk1()->setChecked(true);
        choosePeriod("年間ﾃﾞｰﾀ");
        QCOMPARE(pointValues(graph()->series()), (QList<double>{1000, 37500}));
        QCOMPARE(graph()->pointTip(1), u("2024年 までの累積　37,500 円"));
        andWait([&] { clickBar(1); });
        QCOMPARE(monthly()->txtNen()->text(), u("2024"));
        QVERIFY(graph()->chk1()->isChecked());
        QCOMPARE(pointValues(graph()->series()), (QList<double>{20000, 36500}));  // cumulative months

        andWait([&] { graph()->cboGtype()->setCurrentText(u("折れ線ｸﾞﾗﾌ")); });
        auto* line = qobject_cast<QLineSeries*>(graph()->chart()->series().value(0));
        QVERIFY(line);
        andWait([&] { emit line->clicked(QPointF(0.9, 20000)); });  // nearest point: "05"
        QCOMPARE(graph()->cboKikan()->currentText(), u("日間ﾃﾞｰﾀ"));
        QCOMPARE(monthly()->txtTuki()->text(), u("05"));
        QCOMPARE(pointValues(graph()->series()), (QList<double>{11500, 9500, 16500}));
    }

    void aPointingHandAndTheFigureOverClickablePoints() {
        monthly()->setYearMonth(u("2024"), u("05"));
        choosePeriod("月間ﾃﾞｰﾀ");
        auto* bars = qobject_cast<QBarSeries*>(graph()->chart()->series().value(0));
        QVERIFY(bars);
        QWidget* viewport = view()->viewport();
        emit bars->hovered(true, 1, bars->barSets().first());
        QCOMPARE(viewport->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(graph()->pointTip(1), u("2024年05月　16,500 円"));
        // The chart carries it while the pointer is there: resting shows it again.
        QCOMPARE(graph()->chart()->toolTip(), u("2024年05月　16,500 円"));
        emit bars->hovered(false, 1, bars->barSets().first());
        QCOMPARE(viewport->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(graph()->chart()->toolTip(), QString());
        choosePeriod("日間ﾃﾞｰﾀ");

        // The weekday graphs open nothing: no hand, no tooltip, no click.
        andWait([&] { graph()->cboKou()->setCurrentText(u("曜日別")); });
        bars = qobject_cast<QBarSeries*>(graph()->chart()->series().value(0));
        emit bars->hovered(true, 5, bars->barSets().first());
        QCOMPARE(viewport->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(graph()->pointTip(5), QString());
        QSignalSpy opened(graph(), &GraphWindow::dayOpened);
        graph()->pointClicked(5);
        QTest::qWait(50);
        QCOMPARE(opened.count(), 0);
        QCOMPARE(graph()->cboKikan()->currentText(), u("日間ﾃﾞｰﾀ"));
        QVERIFY(!graph()->canGoBack());
    }

    // The 3D bars: selecting a bar opens what the point opens.
    void threeDimensionalBarsTakeTheSelectedBar() {
        if (!GraphWindow::openGLAvailable()) QSKIP("no OpenGL here: run under xvfb-run with QT_QPA_PLATFORM=xcb");
        choosePeriod("年間ﾃﾞｰﾀ");
        andWait([&] { graph()->cboGtype()->setCurrentText(u("3D棒ｸﾞﾗﾌ")); });
        QVERIFY(graph()->showing3D());
        Q3DBars* bars = nullptr;
        for (QWindow* w : QGuiApplication::allWindows())
            if (auto* b = qobject_cast<Q3DBars*>(w)) bars = b;
        QVERIFY(bars);
        andWait([&] { bars->seriesList().first()->setSelectedBar(QPoint(1, 0)); });
        QCOMPARE(graph()->cboKikan()->currentText(), u("月間ﾃﾞｰﾀ"));
        QCOMPARE(monthly()->txtNen()->text(), u("2024"));
        QCOMPARE(pointLabels(graph()->series()), (QStringList{u("03"), u("05")}));
        andWait([&] { QVERIFY(graph()->goBack()); });
        QCOMPARE(graph()->cboKikan()->currentText(), u("年間ﾃﾞｰﾀ"));
    }
};

QTEST_MAIN(GraphDrillWindowTest)
#include "graph_drill_window_test.moc"
