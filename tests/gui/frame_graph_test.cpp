// The real graph window inside the real frame: where the two child windows
// stand, the graph menu and the graph window's boxes moving together, a record
// saved through the entry form redrawing the graph, and a closed graph window
// (or monthly window) coming back when a command needs it.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QSettings>
#include <QToolBar>
#include <QtTest>
#include <memory>

#include "../support/frame_fixture.h"
#include "../support/graph_points.h"
#include "entry/entry_form.h"
#include "graphs/graph_window.h"
#include "monthly/monthly_window.h"
#include "ui/app_context.h"
#include "shell/main_window.h"
#include "ui/messages.h"
#include "shell/startup.h"

using namespace tama;
using namespace tama::ui;

namespace {

using test::u;

// A record line of the year file (UTF-8; test::sjis makes it CP932 with CR LF).
std::string recordLine(const QDate& date, const std::string& dayFirst, const std::string& syusi) {
    static const char* const weekdays[] = {"日", "月", "火", "水", "木", "金", "土"};
    const std::string y = std::to_string(date.year());
    const std::string m = date.toString(QStringLiteral("MM")).toStdString();
    const std::string d = date.toString(QStringLiteral("dd")).toStdString();
    const std::string f[24] = {y + "/" + m + "/" + d,
                               y,
                               m,
                               d,
                               weekdays[date.dayOfWeek() % 7],
                               "駅前ホール",
                               "10",
                               "00",
                               "18",
                               "00",
                               "8.0",
                               "15000",
                               "30000",
                               "1,875",
                               syusi,
                               "12",
                               "ＣＲ機",
                               "海物語",
                               "",
                               dayFirst,
                               "",
                               "",
                               "",
                               ""};
    std::string out;
    for (int i = 0; i < 24; ++i) out += (i ? ",\"" : "\"") + f[i] + "\"";
    return out + "\n";
}

// Types into a box key by key; characters beyond ASCII arrive with their text,
// as an input method delivers them.
void retype(QWidget* w, const QString& text) {
    if (auto* c = qobject_cast<QComboBox*>(w)) w = c->lineEdit();
    if (auto* e = qobject_cast<QLineEdit*>(w)) e->selectAll();
    QTest::keyClick(w, Qt::Key_Delete);
    for (QChar c : text) {
        if (c.unicode() < 0x80) QTest::keyClick(w, c.toLatin1());
        else QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

using test::pointLabels;

}  // namespace

class FrameGraphTest : public QObject, protected test::FrameFixture {
    Q_OBJECT

    QDate month;  // the records lie in the month the frame opens on

    QAction* item(const char* name) const { return main->menuItem(QString::fromLatin1(name)); }
    GraphWindow* graph() const { return qobject_cast<GraphWindow*>(main->graphWindow()); }
    QMdiSubWindow* graphSub() const { return main->subWindowOf(main->graphWindow()); }
    QMdiSubWindow* monthlySub() const { return main->subWindowOf(main->monthlyWindowIfOpen()); }
    QString checkedIn(std::initializer_list<const char*> names) const {
        QStringList on;
        for (const char* n : names)
            if (item(n)->isChecked()) on << QString::fromLatin1(n);
        return on.join(QLatin1Char(','));
    }
    QString marks() const {
        return checkedIn({"mnuGlf1", "mnuGlf2", "mnuGlf3", "mnuGlf4"}) + " " +
               checkedIn({"mnuGlf_d", "mnuGlf_m", "mnuGlf_y"}) + " " + checkedIn({"mnuSyusi", "mnuYoubi"}) + " " +
               checkedIn({"mnuRuiseki", "mnuDat1"});
    }
    // The two halves of the frame the window reset (and a first start) gives.
    QRect leftHalf() const {
        return QRect(0, 0, twipsToPixelsX(ctx->frameInnerWidth() / 2), twipsToPixelsY(ctx->frameInnerHeight() - 350));
    }
    QRect rightHalf() const {
        return QRect(twipsToPixelsX(ctx->frameInnerWidth() / 2), 0, twipsToPixelsX(ctx->frameInnerWidth() / 2),
                     twipsToPixelsY(ctx->frameInnerHeight() - 350));
    }
    void closeGraph() {
        graphSub()->close();
        QTRY_VERIFY(main->graphWindow() == nullptr);
    }

private slots:
    void init() {
        startFolder();
        const fs::path taro = tmp->makeUser("太郎");
        const QDate today = QDate::currentDate();
        month = QDate(today.year(), today.month(), 1);
        test::putBytes(taro / ("s" + std::to_string(month.year()) + ".sdb"),
                       test::sjis(recordLine(month, "1", "15,000") + recordLine(month.addDays(1), "1", "-3,500")));
        test::putBytes(taro / "Year.txt", test::sjis("\"" + std::to_string(month.year()) + "\",11500\n"));
        test::putBytes(taro / "holl.dat", test::sjis("\"駅前ホール\",\"1\"\n"));
        test::putBytes(taro / "kisyu.dat", test::sjis("\"ＣＲ機\",\"海物語\"\n"));
        openContext();
        const QString store = test::writeFrameStore(tmp->path(), 1000, 700);
        main = std::make_unique<MainWindow>(*ctx, store);
        installGraphWindow(*ctx, *main);
        QVERIFY(main->start());
        QVERIFY(graph());
        QTRY_COMPARE(graph()->drawCount(), 1);
    }

    void cleanup() { finish(); }

    void opensWithTheListLeftAndTheDayGraphRightAndTheResetPutsThemBack() {
        QCOMPARE(main->mdiArea()->subWindowList().size(), 2);
        QCOMPARE(monthlySub()->geometry(), leftHalf());
        QCOMPARE(graphSub()->geometry(), rightHalf());
        QCOMPARE(graph()->cboKikan()->currentText(), u("日間ﾃﾞｰﾀ"));
        QCOMPARE(graph()->cboKou()->currentText(), u("収支"));
        QCOMPARE(graph()->series().points.size(), size_t(2));  // the two days of this month
        QCOMPARE(graph()->series().points[0].value, 15000.0);
        QCOMPARE(graph()->series().points[1].value, -3500.0);
        QCOMPARE(marks(), QStringLiteral("mnuGlf1 mnuGlf_d mnuSyusi "));

        monthlySub()->setGeometry(50, 40, 200, 150);
        graphSub()->setGeometry(10, 80, 300, 200);
        item("mnuDefult")->trigger();
        QCOMPARE(main->statusMessage(), u("ウィンドウをデフォルト（初期設定）状態に戻しました。"));
        QCOMPARE(monthlySub()->geometry(), leftHalf());
        QCOMPARE(graphSub()->geometry(), rightHalf());
        QVERIFY(answerer.asked.empty());
    }

    void theGraphMenuAndTheGraphWindowsBoxesMoveTogether() {
        GraphWindow* g = graph();
        // Each menu item sets its box and carries the check mark alone in its group.
        const std::pair<const char*, const char*> types[] = {
            {"mnuGlf2", "折れ線ｸﾞﾗﾌ"}, {"mnuGlf3", "3D棒ｸﾞﾗﾌ"}, {"mnuGlf4", "3D折れ線ｸﾞﾗﾌ"}, {"mnuGlf1", "棒ｸﾞﾗﾌ"}};
        for (auto [name, text] : types) {
            item(name)->trigger();
            QCOMPARE(g->cboGtype()->currentText(), u(text));
            QCOMPARE(checkedIn({"mnuGlf1", "mnuGlf2", "mnuGlf3", "mnuGlf4"}), QString::fromLatin1(name));
        }
        const std::pair<const char*, const char*> periods[] = {
            {"mnuGlf_m", "月間ﾃﾞｰﾀ"}, {"mnuGlf_y", "年間ﾃﾞｰﾀ"}, {"mnuGlf_d", "日間ﾃﾞｰﾀ"}};
        for (auto [name, text] : periods) {
            item(name)->trigger();
            QCOMPARE(g->cboKikan()->currentText(), u(text));
            QCOMPARE(checkedIn({"mnuGlf_d", "mnuGlf_m", "mnuGlf_y"}), QString::fromLatin1(name));
        }
        // The month graph is drawn from the menu: this month's total alone.
        item("mnuGlf_m")->trigger();
        QTRY_COMPARE(g->series().points.size(), size_t(1));
        QCOMPARE(g->series().points[0].value, 11500.0);

        // 曜日別 from the menu: the weekday graph, and the cumulative box is disabled.
        item("mnuYoubi")->trigger();
        QCOMPARE(g->cboKou()->currentText(), u("曜日別"));
        QCOMPARE(checkedIn({"mnuSyusi", "mnuYoubi"}), QStringLiteral("mnuYoubi"));
        QTRY_VERIFY(!g->chk1()->isEnabled());
        QTRY_COMPARE(pointLabels(g->series()), (QStringList{"月", "火", "水", "木", "金", "土", "日"}));
        item("mnuSyusi")->trigger();
        QTRY_VERIFY(g->chk1()->isEnabled());

        // The graph window's own boxes move the marks.
        g->cboGtype()->setCurrentText(u("3D棒ｸﾞﾗﾌ"));
        g->cboKikan()->setCurrentText(u("年間ﾃﾞｰﾀ"));
        g->cboKou()->setCurrentText(u("曜日別"));
        QCOMPARE(marks(), QStringLiteral("mnuGlf3 mnuGlf_y mnuYoubi "));
        g->cboKou()->setCurrentText(u("収支"));
        g->cboKikan()->setCurrentText(u("日間ﾃﾞｰﾀ"));

        // The check boxes and their menu items, whichever side is clicked.
        QTest::mouseClick(g->chk1(), Qt::LeftButton, {}, QPoint(4, g->chk1()->height() / 2));
        QVERIFY(g->chk1()->isChecked());
        QVERIFY(item("mnuRuiseki")->isChecked());
        item("mnuRuiseki")->trigger();
        QVERIFY(!g->chk1()->isChecked());
        QVERIFY(!item("mnuRuiseki")->isChecked());
        item("mnuRuiseki")->trigger();
        QVERIFY(g->chk1()->isChecked());
        QVERIFY(item("mnuRuiseki")->isChecked());
        // Cumulative day graph: 15,000 then 11,500.
        QTRY_COMPARE(g->series().points.size(), size_t(2));
        QTRY_COMPARE(g->series().points[1].value, 11500.0);

        g->chk2()->setChecked(true);
        QVERIFY(item("mnuDat1")->isChecked());
        item("mnuDat1")->trigger();
        QVERIFY(!g->chk2()->isChecked());
        QVERIFY(!item("mnuDat1")->isChecked());
        QVERIFY(answerer.asked.empty());
    }

    void aRecordSavedInTheEntryFormRedrawsTheGraphOnce() {
        GraphWindow* g = graph();
        MonthlyWindow* monthly = main->monthlyWindow();
        QTest::qWait(30);
        const int before = g->drawCount();
        {
            EntryForm form(*ctx, *monthly, main.get());
            form.prepareNew();
            // The form opens on today; the 3rd of this month is typed in.
            QCOMPARE(form.findChild<QLineEdit*>("txtTuki")->text().toInt(), month.month());
            retype(form.findChild<QLineEdit*>("txtHi"), QStringLiteral("3"));
            retype(form.findChild<QComboBox*>("cboHoll"), u("港ホール"));
            retype(form.findChild<QLineEdit*>("txtZ1_1"), QStringLiteral("10"));
            retype(form.findChild<QLineEdit*>("txtZ1_2"), QStringLiteral("0"));
            retype(form.findChild<QLineEdit*>("txtZ2_1"), QStringLiteral("14"));
            retype(form.findChild<QLineEdit*>("txtZ2_2"), QStringLiteral("0"));
            retype(form.findChild<QComboBox*>("cboK_no"), QStringLiteral("7"));
            auto* type = form.findChild<QComboBox*>("cboK_type");
            type->setCurrentIndex(type->findText(u("ＣＲ機")));
            retype(form.findChild<QComboBox*>("cboKisyu"), u("海物語"));
            retype(form.findChild<QLineEdit*>("txtTousi"), QStringLiteral("10000"));
            retype(form.findChild<QLineEdit*>("txtKaisyu"), QStringLiteral("14000"));
            form.saveNew();
            QVERIFY2(answerer.asked.empty(), answerer.asked.empty() ? "" : qPrintable(answerer.asked.front().text));
        }
        QTRY_COMPARE(g->drawCount(), before + 1);
        QTest::qWait(60);
        QCOMPARE(g->drawCount(), before + 1);  // one save, one drawing
        QCOMPARE(g->series().points.size(), size_t(3));
        QCOMPARE(g->series().points[2].value, 4000.0);
        // The new hall is offered in the graph window's hall box.
        QVERIFY(g->cboHoll()->findText(u("港ホール")) > 0);
    }

    void aClosedGraphWindowComesBackWhenACommandNeedsIt() {
        // A graph menu item: the new window takes the chosen selection, the marks follow it.
        item("mnuGlf3")->trigger();
        closeGraph();
        QVERIFY(item("mnuGlf_m")->isEnabled());
        item("mnuGlf_m")->trigger();
        QVERIFY(graph());
        QCOMPARE(graph()->cboKikan()->currentText(), u("月間ﾃﾞｰﾀ"));
        QCOMPARE(marks(), QStringLiteral("mnuGlf1 mnuGlf_m mnuSyusi "));
        QTRY_COMPARE(graph()->series().points.size(), size_t(1));  // the month graph

        closeGraph();
        item("mnuRuiseki")->trigger();
        QVERIFY(graph());
        QVERIFY(graph()->chk1()->isChecked());
        QVERIFY(item("mnuRuiseki")->isChecked());

        // The toolbar button: the graph window comes back in front.
        closeGraph();
        QVERIFY(main->toolButton(u("ｸﾞﾗﾌ"))->isEnabled());
        main->toolButton(u("ｸﾞﾗﾌ"))->trigger();
        QVERIFY(graph());
        QCOMPARE(main->mdiArea()->activeSubWindow(), graphSub());
        QCOMPARE(main->mdiArea()->subWindowList().size(), 2);

        // The window reset: back in the right half.
        closeGraph();
        main->restoreDefaultLayout();
        QVERIFY(graph());
        QCOMPARE(graphSub()->geometry(), rightHalf());
        QCOMPARE(monthlySub()->geometry(), leftHalf());

        // Closing the monthly window takes the graph window with it (it draws from
        // the monthly list); a graph command brings both back, drawing again.
        QPointer<GraphWindow> old = graph();
        monthlySub()->close();
        QTRY_VERIFY(old.isNull());
        QTRY_VERIFY(main->monthlyWindowIfOpen() == nullptr);
        ctx->recordsChanged();  // nothing is left to draw from: no crash, no box
        QTest::qWait(30);
        item("mnuGlf_d")->trigger();
        QVERIFY(main->monthlyWindowIfOpen());
        QVERIFY(graph());
        QTRY_VERIFY(graph()->drawCount() >= 1);
        QCOMPARE(graph()->series().points.size(), size_t(2));
        QVERIFY(answerer.asked.empty());
    }
};

QTEST_MAIN(FrameGraphTest)
#include "frame_graph_test.moc"
