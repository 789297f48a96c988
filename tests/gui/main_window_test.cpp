// The main frame: its menu tree and toolbar, the year and month stepping on
// the real monthly window, view toggles, the graph menu tied to a graph
// window, the window reset and its two messages, closing (minimised or not),
// refresh, and the error report's two forms.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QApplication>
#include <QToolBar>
#include <QVBoxLayout>
#include <QtTest>
#include <memory>

#include "analysis/analysis_window.h"
#include "entry/entry_save.h"
#include "graphs/graph_window.h"
#include "masters/user_manager.h"
#include "monthly/monthly_window.h"
#include "ui/app_context.h"
#include "shell/main_window.h"
#include "shell/restore_dialog.h"
#include "storage/record_store.h"
#include "ui/messages.h"
#include "ui/window_layout.h"
#include "storage/settings_file.h"
#include "../support/frame_fixture.h"

using namespace tama;
using namespace tama::ui;

class MainWindowTest : public QObject, protected test::FrameFixture {
    Q_OBJECT

    QString storePath;

    QAction* item(const char* name) const { return main->menuItem(QString::fromLatin1(name)); }
    void click(const QString& key) { main->toolButton(key)->trigger(); }
    MonthlyWindow* monthly() const { return main->monthlyWindow(); }
    void setYearMonth(const QString& y, const QString& m) {
        monthly()->txtNen()->setText(y);
        monthly()->txtTuki()->setText(m);
    }
    QString settingsValue(const char* section, const char* key) const {
        return QString::fromStdString(SettingsFile(tmp->path() / "tmrec.ini").read(section, key));
    }

private slots:
    void init() {
        startFolder();
        tmp->makeUser("太郎");
        openContext();
        storePath = test::writeFrameStore(tmp->path(), 900, 700);
        main = std::make_unique<MainWindow>(*ctx, storePath);
        QVERIFY(main->start());
    }
    void cleanup() { finish(); }

    void menuTreeCaptionsAndInitialChecks() {
        QCOMPARE(main->windowTitle(), QStringLiteral("タマログ ～管理編～"));
        // Top level, in order, with mnuSerch a command on the bar itself.
        QStringList bar;
        for (QAction* a : main->menuBar()->actions()) bar << a->objectName() + "=" + a->text();
        QCOMPARE(bar, (QStringList{"mnuFile=ﾌｧｲﾙ(&F)", "mnuEdit=編集(&E)", "mnuView=表示(&V)", "mnuGraph=ｸﾞﾗﾌ(&G)",
                                   "mnuSerch=分析(&S)", "mnuWindow=ｳｨﾝﾄﾞｳ(&W)", "mnuHelp=ﾍﾙﾌﾟ(&H)"}));
        QVERIFY(!main->menuBar()->actions().at(4)->menu());

        auto items = [&](const char* menuName) {
            QStringList out;
            auto* menu = main->findChild<QMenu*>(QString::fromLatin1(menuName));
            if (menu == nullptr) return QStringList{"missing"};
            if (QString::fromLatin1(menuName) == "mnuWindow") emit menu->aboutToShow();
            for (QAction* a : menu->actions()) {
                if (a->objectName().isEmpty()) continue;  // the listed child windows
                out << a->objectName() + (a->isSeparator() ? QString() : "=" + a->text()) +
                           (a->isChecked() ? " *" : "");
            }
            return out;
        };
        QCOMPARE(items("mnuFile"),
                 (QStringList{"mnuUser=利用者登録(&U)", "mnuRestore=ﾊﾞｯｸｱｯﾌﾟから復元...", "mnuFileBar1",
                              "mnuFileProperties=Excel 出力(&O)", "mnuFileBar6", "mnuFileExit=ﾀﾏﾛｸﾞの終了(&X)"}));
        QCOMPARE(items("mnuEdit"), (QStringList{"mnuInp=日間ﾃﾞｰﾀ入力(&I)", "mnuUpd=日間ﾃﾞｰﾀ修正・削除(&U)", "bar4",
                                                "mnuHoll=ﾎｰﾙﾘｽﾄ編集(&H)", "mnuKisyu=機種ﾘｽﾄ編集(&K)"}));
        // The options dialog's item ends the View menu.
        QCOMPARE(items("mnuView"),
                 (QStringList{"mnuViewToolbar=ﾂｰﾙ ﾊﾞｰ(&T) *", "mnuViewStatusBar=ｽﾃｰﾀｽ ﾊﾞｰ(&B) *", "mnuViewBar2",
                              "mnuCalendar=カレンダー(&C)", "mnuViewBar1", "mnuOption=設定(&O)..."}));
        QCOMPARE(items("mnuGraph"),
                 (QStringList{"mnuGlf1=棒ｸﾞﾗﾌ(&B) *", "mnuGlf2=折れ線ｸﾞﾗﾌ(&O)", "mnuGlf3=3D棒ｸﾞﾗﾌ(&C)",
                              "mnuGlf4=3D折れ線ｸﾞﾗﾌ(&E)", "bar1", "mnuGlf_d=日間ﾃﾞｰﾀ(&D) *", "mnuGlf_m=月間ﾃﾞｰﾀ(&M)",
                              "mnuGlf_y=年間ﾃﾞｰﾀ(&Y)", "bar2", "mnuSyusi=収支(&S) *", "mnuYoubi=曜日別(&W)", "bar3",
                              "mnuRuiseki=累積表示する(&R)", "bar5", "mnuDat1=データ表示する(&U)"}));
        QCOMPARE(items("mnuWindow"),
                 (QStringList{"mnuWindowCascade=重ねて表示(&C)", "mnuWindowTileHorizontal=上下に並べて表示(&H)",
                              "mnuWindowTileVertical=左右に並べて表示(&V)", "mnuWindowArrangeIcons=ｱｲｺﾝの整列(&A)",
                              "mnuBar1", "mnuDefult=ﾃﾞﾌｫﾙﾄに戻す(&D)"}));
        QCOMPARE(items("mnuHelp"),
                 (QStringList{"mnuHelpContents=目次(&C)", "mnuHelpTopics=ﾄﾋﾟｯｸの検索(&R)", "mnuHelpBar0",
                              "mnuKobo_HP=Kobo ｿﾌﾄｳｪｱ ﾎｰﾑﾍﾟｰｼﾞ(&W)", "mnuHelpBar1", "mnuHelpAbout=ﾊﾞｰｼﾞｮﾝ情報(&A)"}));
        // The window menu lists the open monthly window below its items.
        auto* windowMenu = main->findChild<QMenu*>(QStringLiteral("mnuWindow"));
        QVERIFY(windowMenu->actions().last()->text().contains(QStringLiteral("日間収支データ一覧")));

        // Every command is bound from the start; the graph items wait for the graph window.
        for (const char* name : {"mnuGlf1", "mnuGlf_d", "mnuSyusi", "mnuRuiseki", "mnuDat1"})
            QVERIFY2(!item(name)->isEnabled(), name);
        for (const char* name : {"mnuUser", "mnuRestore", "mnuInp", "mnuUpd", "mnuDefult", "mnuViewToolbar",
                                 "mnuFileExit", "mnuFileProperties", "mnuHoll", "mnuKisyu", "mnuOption", "mnuSerch",
                                 "mnuHelpContents", "mnuHelpTopics", "mnuKobo_HP", "mnuHelpAbout", "mnuCalendar"})
            QVERIFY2(item(name)->isEnabled(), name);

        QStringList buttons;
        for (QAction* a : main->tbToolBar()->actions()) buttons << a->text() + "/" + a->toolTip();
        QCOMPARE(buttons, (QStringList{"入力/日間ﾃﾞｰﾀ入力", "次年/次年", "次月/次月", "当月/当月", "前月/前月",
                                       "前年/前年", "ﾃﾞｰﾀ/日間収支ﾃﾞｰﾀ", "ｸﾞﾗﾌ/ｸﾞﾗﾌ", "ｶﾚﾝﾀﾞｰ/ｶﾚﾝﾀﾞｰ", "分析/分析"}));
        QVERIFY(main->toolButton(QStringLiteral("分析"))->isEnabled());
        QVERIFY(!main->toolButton(QStringLiteral("ｸﾞﾗﾌ"))->isEnabled());
    }

    // ﾌｧｲﾙ > ﾊﾞｯｸｱｯﾌﾟから復元...: the dialog lists the user's versions and a restore
    // brings a deleted record back into the open monthly window at once.
    void restoreDialogBringsADeletedRecordBack() {
        RecordStore store(tmp->path());
        test::saveRecord(store, "太郎", test::recordOn("2004/05/01"));
        test::saveRecord(store, "太郎", test::recordOn("2004/05/02"));
        YearRecordList list = store.loadYear("太郎", "2004");
        deleteRecord(store, list, 2);
        setYearMonth(QStringLiteral("2004"), QStringLiteral("05"));
        auto* grid = monthly()->findChild<QTableView*>(QStringLiteral("mfgDat"));
        QCOMPARE(grid->model()->rowCount(), 1);

        QStringList seen;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<RestoreDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            auto* table = dialog->findChild<QTableWidget*>(QStringLiteral("lstVersions"));
            int twoRecords = -1;
            for (int r = 0; r < table->rowCount(); ++r) {
                seen << table->item(r, 2)->text() + "/" + table->item(r, 3)->text();
                if (twoRecords < 0 && table->item(r, 2)->text() == "s2004.sdb" && table->item(r, 3)->text() == "2")
                    twoRecords = r;
                QCOMPARE(table->item(r, 0)->text().size(), 10);  // 2026/12/08
                QCOMPARE(table->item(r, 1)->text().size(), 8);   // 21:49:17
            }
            QVERIFY(dialog->restoreRow(twoRecords));
            dialog->reject();
        });
        main->setStatusMessage(QStringLiteral("2004/05/02 駅前ホール を削除しました。"));
        item("mnuRestore")->trigger();
        QCOMPARE(seen, (QStringList{"s2004.sdb/2", "s2004.sdb/1"}));
        QCOMPARE(grid->model()->rowCount(), 2);
        // The message line says what was put back, not the stale delete.
        const QString said = main->statusMessage();
        QVERIFY2(said.startsWith(QStringLiteral("太郎 の s2004.sdb を ")) &&
                     said.endsWith(QStringLiteral(" の版（2 件）に戻しました。")),
                 qPrintable(said));
    }

    // 入力 with no user selected asks for one first: the user manager opens before
    // the entry form, and the form opens only once there is a user to save for.
    void entryWithoutAUserAsksForOneFirst() {
        fs::remove_all(tmp->path() / "Data" / "太郎");
        main->refresh();
        QCOMPARE(monthly()->currentUser(), QString());
        int formsOpened = 0;
        monthly()->setEntryOpener([&](const MonthlyWindow::EntryRequest& r) {
            QVERIFY(!r.edit);
            ++formsOpened;
        });
        QString asked;
        auto answerManager = [&](const QString& add) {
            QTimer::singleShot(0, this, [&, add] {
                auto* dialog = qobject_cast<UserManager*>(QApplication::activeModalWidget());
                if (!dialog) return;
                asked = dialog->lblMsg()->text();
                if (!add.isEmpty()) {
                    dialog->txtUser()->setText(add);
                    dialog->addUser();
                }
                dialog->reject();
            });
        };
        // Closed without a user: no form, and the message line says why.
        answerManager(QString());
        click(QStringLiteral("入力"));
        QCOMPARE(asked, QStringLiteral("日間ﾃﾞｰﾀを入力する前に、利用者名を登録して下さい。"));
        QCOMPARE(formsOpened, 0);
        QCOMPARE(main->statusMessage(), QStringLiteral("利用者名を登録してから、日間ﾃﾞｰﾀを入力して下さい。"));
        // A user added there: the form opens for that user.
        asked.clear();
        answerManager(QStringLiteral("花子"));
        item("mnuInp")->trigger();
        QCOMPARE(asked, QStringLiteral("日間ﾃﾞｰﾀを入力する前に、利用者名を登録して下さい。"));
        QCOMPARE(formsOpened, 1);
        QCOMPARE(monthly()->currentUser(), QStringLiteral("花子"));
        // With a user the form opens straight away.
        asked.clear();
        click(QStringLiteral("入力"));
        QCOMPARE(formsOpened, 2);
        QCOMPARE(asked, QString());
        QVERIFY(answerer.asked.empty());
    }

    void yearAndMonthStepping() {
        // The stepping rules on plain texts are tested with the core (month_summary_test);
        // here through the toolbar on the real monthly window.
        main->setStatusMessage(QStringLiteral("old message"));
        setYearMonth(QStringLiteral("2004"), QStringLiteral("07"));
        click(QStringLiteral("次月"));
        QCOMPARE(main->statusMessage(), QString());  // every click clears the message line
        QCOMPARE(monthly()->txtTuki()->text().toInt(), 8);
        QCOMPARE(monthly()->txtNen()->text(), QStringLiteral("2004"));

        setYearMonth(QStringLiteral("2004"), QStringLiteral("12"));
        click(QStringLiteral("次月"));
        QCOMPARE(monthly()->txtTuki()->text().toInt(), 1);
        QCOMPARE(monthly()->txtNen()->text(), QStringLiteral("2005"));
        QVERIFY(monthly()->windowTitle().contains(QStringLiteral("2005年01月度")));

        click(QStringLiteral("前月"));
        QCOMPARE(monthly()->txtTuki()->text().toInt(), 12);
        QCOMPARE(monthly()->txtNen()->text(), QStringLiteral("2004"));

        click(QStringLiteral("次年"));
        QCOMPARE(monthly()->txtNen()->text(), QStringLiteral("2005"));
        click(QStringLiteral("前年"));
        click(QStringLiteral("前年"));
        QCOMPARE(monthly()->txtNen()->text(), QStringLiteral("2003"));

        click(QStringLiteral("当月"));
        QCOMPARE(monthly()->txtNen()->text().toInt(), QDate::currentDate().year());
        QCOMPARE(monthly()->txtTuki()->text().toInt(), QDate::currentDate().month());
    }

    void pageKeysStepMonthAndYear() {
        main->show();
        QApplication::setActiveWindow(main.get());
        QVERIFY(QTest::qWaitForWindowActive(main.get()));
        setYearMonth(QStringLiteral("2004"), QStringLiteral("12"));
        auto* grid = monthly()->findChild<QTableView*>(QStringLiteral("mfgDat"));
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_PageDown);
        QCOMPARE(monthly()->windowTitle(), QStringLiteral("日間収支データ一覧  (2005年01月度)"));
        QTest::keyClick(grid, Qt::Key_PageUp);
        QTest::keyClick(grid, Qt::Key_PageUp);
        QCOMPARE(monthly()->windowTitle(), QStringLiteral("日間収支データ一覧  (2004年11月度)"));
        monthly()->txtTuki()->setFocus();  // also while typing in the month box
        QTest::keyClick(monthly()->txtTuki(), Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(monthly()->windowTitle(), QStringLiteral("日間収支データ一覧  (2005年11月度)"));
        QTest::keyClick(monthly()->txtTuki(), Qt::Key_PageUp, Qt::ControlModifier);
        QTest::keyClick(monthly()->txtTuki(), Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(monthly()->windowTitle(), QStringLiteral("日間収支データ一覧  (2003年11月度)"));
    }

    void inputCommandsReachTheMonthlyWindow() {
        QList<bool> edits;
        monthly()->setEntryOpener([&](const MonthlyWindow::EntryRequest& r) { edits << r.edit; });
        click(QStringLiteral("入力"));
        item("mnuInp")->trigger();
        QCOMPARE(edits, (QList<bool>{false, false}));
    }

    void viewTogglesFollowTheBars() {
        item("mnuViewToolbar")->trigger();
        QVERIFY(main->tbToolBar()->isHidden());
        QVERIFY(!item("mnuViewToolbar")->isChecked());
        item("mnuViewToolbar")->trigger();
        QVERIFY(!main->tbToolBar()->isHidden());
        QVERIFY(item("mnuViewToolbar")->isChecked());
        item("mnuViewStatusBar")->trigger();
        QVERIFY(main->statusBar()->isHidden());
        QVERIFY(!item("mnuViewStatusBar")->isChecked());
    }

    void graphMenuFollowsTheGraphWindow() {
        auto* graph = new GraphWindow(*ctx, *monthly());
        main->addGraphWindow(graph);
        QVERIFY(item("mnuGlf1")->isEnabled());
        QVERIFY(main->toolButton(QStringLiteral("ｸﾞﾗﾌ"))->isEnabled());

        // A selection made in the graph window moves the check mark.
        graph->findChild<QComboBox*>(QStringLiteral("cboKikan"))->setCurrentIndex(1);
        QVERIFY(!item("mnuGlf_d")->isChecked());
        QVERIFY(item("mnuGlf_m")->isChecked());
        QVERIFY(!item("mnuGlf_y")->isChecked());

        // A menu command sets the graph window's selection.
        item("mnuGlf3")->trigger();
        QCOMPARE(graph->findChild<QComboBox*>(QStringLiteral("cboGtype"))->currentText(), QStringLiteral("3D棒ｸﾞﾗﾌ"));
        QVERIFY(item("mnuGlf3")->isChecked());
        QVERIFY(!item("mnuGlf1")->isChecked());
        item("mnuYoubi")->trigger();
        QCOMPARE(graph->findChild<QComboBox*>(QStringLiteral("cboKou"))->currentText(), QStringLiteral("曜日別"));
        QVERIFY(!item("mnuSyusi")->isChecked());

        // The toggles turn the check boxes over, and a tick in the window shows in the menu.
        auto* chk1 = graph->findChild<QCheckBox*>(QStringLiteral("chk1"));
        item("mnuRuiseki")->trigger();
        QVERIFY(chk1->isChecked());
        QVERIFY(item("mnuRuiseki")->isChecked());
        item("mnuRuiseki")->trigger();
        QVERIFY(!chk1->isChecked());
        QVERIFY(!item("mnuRuiseki")->isChecked());
        graph->findChild<QCheckBox*>(QStringLiteral("chk2"))->setChecked(true);
        QVERIFY(item("mnuDat1")->isChecked());
    }

    void theGraphWindowOpensWithTheFrameAndComesBackWithTheReset() {
        main->close();
        main.reset();
        int made = 0;
        main = std::make_unique<MainWindow>(*ctx, storePath);
        main->setGraphWindowFactory([this, &made] {
            ++made;
            return new GraphWindow(*ctx, *main->monthlyWindow());
        });
        QVERIFY(main->start());
        QCOMPARE(made, 1);
        QVERIFY(main->graphWindow());
        QCOMPARE(main->mdiArea()->subWindowList().size(), 2);
        QCOMPARE(main->mdiArea()->activeSubWindow(), main->subWindowOf(monthly()));
        QVERIFY(item("mnuGlf_d")->isEnabled());

        main->subWindowOf(main->graphWindow())->close();
        QTRY_VERIFY(main->graphWindow() == nullptr);
        QVERIFY(item("mnuGlf_d")->isEnabled());  // its commands open it again
        main->restoreDefaultLayout();
        QCOMPARE(made, 2);
        QVERIFY(main->graphWindow());
        QCOMPARE(main->mdiArea()->subWindowList().size(), 2);
    }

    void windowResetAndItsTwoMessages() {
        auto* graph = new GraphWindow(*ctx, *monthly());
        main->addGraphWindow(graph);
        QMdiSubWindow* m = main->subWindowOf(monthly());
        QMdiSubWindow* g = main->subWindowOf(graph);
        m->setGeometry(40, 30, 100, 100);
        g->showMinimized();

        main->restoreDefaultLayout();
        QCOMPARE(main->statusMessage(), QStringLiteral("ウィンドウをデフォルト（初期設定）状態に戻しました。"));
        const int W = ctx->frameInnerWidth(), H = ctx->frameInnerHeight();
        QCOMPARE(W, int(std::lround(pixelsToTwipsX(main->mdiArea()->viewport()->width()))));
        QCOMPARE(m->geometry(), QRect(0, 0, twipsToPixelsX(W / 2), twipsToPixelsY(H - 350)));
        QVERIFY(!g->isMinimized());
        QCOMPARE(g->geometry(), QRect(twipsToPixelsX(W / 2), 0, twipsToPixelsX(W / 2), twipsToPixelsY(H - 350)));

        // A maximised monthly window is not placed; the graph window is restored first.
        m->setGeometry(40, 30, 300, 200);
        g->showMinimized();
        m->showMaximized();
        main->restoreDefaultLayout();
        QCOMPARE(main->statusMessage(), QStringLiteral("最小化及び最大化のウィンドウを元のサイズに戻して下さい。"));
        QVERIFY(!g->isMinimized());
        if (!m->isMaximized()) QCOMPARE(m->geometry(), QRect(40, 30, 300, 200));
        QVERIFY(answerer.asked.empty());
    }

    void windowResetReopensAClosedMonthlyWindow() {
        QMdiSubWindow* m = main->subWindowOf(monthly());
        m->close();
        QTRY_VERIFY(main->monthlyWindowIfOpen() == nullptr);
        main->restoreDefaultLayout();
        QVERIFY(main->monthlyWindowIfOpen() != nullptr);
        QCOMPARE(main->mdiArea()->subWindowList().size(), 1);
        QCOMPARE(main->statusMessage(), QStringLiteral("ウィンドウをデフォルト（初期設定）状態に戻しました。"));
    }

    void closingWritesEveryLayoutAndThePosition() {
        main->move(twipsToPixelsX(3000), twipsToPixelsY(1500));
        main->close();
        QSettings store(storePath, QSettings::IniFormat);
        QCOMPARE(store.value(QStringLiteral("Settings/MainLeft")).toString().toFloat(),
                 float(pixelsToTwipsX(twipsToPixelsX(3000))));
        QVERIFY(!settingsValue("monthly", "frmMonthly.Width").isEmpty());
        QCOMPARE(settingsValue("monthly", "cboUser.Text"), QStringLiteral("太郎"));
        main.reset();
        // The lock is gone with the window: the program can start again.
        MainWindow next(*ctx, storePath);
        QVERIFY(next.start());
        next.close();
    }

    void closingWhileMinimisedKeepsThePerUserStore() {
        const QString before =
            QSettings(storePath, QSettings::IniFormat).value(QStringLiteral("Settings/MainWidth")).toString();
        main->showMinimized();
        QVERIFY(main->isMinimized());
        main->resize(300, 200);
        main->close();
        QSettings store(storePath, QSettings::IniFormat);
        QCOMPARE(store.value(QStringLiteral("Settings/MainWidth")).toString(), before);
        QCOMPARE(store.value(QStringLiteral("Settings/MainLeft")).toString(), QStringLiteral("0"));
        // The children still wrote their layout.
        QVERIFY(!settingsValue("monthly", "frmMonthly.Top").isEmpty());
    }

    void fitInAreaKeepsTheDecoratedWindowInside() {
        const QMargins wm(4, 26, 4, 4);  // a title bar and thin borders
        const QRect desk(0, 0, 1600, 1000), small(0, 0, 1280, 720), panel(0, 30, 1280, 690);
        const struct {
            const char* name;
            Placement wanted;
            QMargins margins;
            QRect area;
            Placement fitted;
        } cases[] = {
            {"fits: unchanged", {{100, 50}, {900, 700}}, wm, desk, {{100, 50}, {900, 700}}},
            {"stored at 1.5 times", {{0, 0}, {1950, 1350}}, wm, desk, {{0, 0}, {1592, 970}}},
            {"first start on 1280x720", {{90, -20}, {1100, 760}}, wm, small, {{90, 0}, {1100, 690}}},
            {"below a panel", {{0, 0}, {800, 600}}, wm, panel, {{0, 30}, {800, 600}}},
            {"off the right and bottom", {{1500, 900}, {400, 300}}, wm, desk, {{1192, 670}, {400, 300}}},
            {"off the left and top", {{-3000, -40}, {400, 300}}, {}, desk, {{0, 0}, {400, 300}}},
            {"no decorations, too large", {{10, 10}, {2000, 2000}}, {}, small, {{0, 0}, {1280, 720}}},
            {"area smaller than the decorations", {{5, 5}, {100, 100}}, wm, QRect(0, 0, 6, 20), {{0, 0}, {1, 1}}},
        };
        for (const auto& c : cases) {
            const Placement got = fitInArea(c.wanted, c.margins, c.area);
            QVERIFY2(got == c.fitted, qPrintable(QStringLiteral("%1: %2,%3 %4x%5")
                                                     .arg(QLatin1String(c.name))
                                                     .arg(got.outerTopLeft.x())
                                                     .arg(got.outerTopLeft.y())
                                                     .arg(got.inner.width())
                                                     .arg(got.inner.height())));
        }
    }

    void aStoredFrameLargerThanTheScreenOpensWithinIt() {
        main->close();
        main.reset();
        // A frame and a monthly window stored by a session at another scale or on
        // a larger screen, partly off the screen.
        {
            QSettings store(storePath, QSettings::IniFormat);
            store.beginGroup(QStringLiteral("Settings"));
            store.setValue(QStringLiteral("MainLeft"), QString::number(pixelsToTwipsX(-200)));
            store.setValue(QStringLiteral("MainTop"), QString::number(pixelsToTwipsY(100)));
            store.setValue(QStringLiteral("MainWidth"), QString::number(pixelsToTwipsX(1950)));
            store.setValue(QStringLiteral("MainHeight"), QString::number(pixelsToTwipsY(1350)));
        }
        ctx->writeSetting(QStringLiteral("monthly"), QStringLiteral("frmMonthly.Left"),
                          QString::number(pixelsToTwipsX(300)));
        ctx->writeSetting(QStringLiteral("monthly"), QStringLiteral("frmMonthly.Width"),
                          QString::number(pixelsToTwipsX(1900)));
        ctx->writeSetting(QStringLiteral("monthly"), QStringLiteral("frmMonthly.Height"),
                          QString::number(pixelsToTwipsY(1300)));
        main = std::make_unique<MainWindow>(*ctx, storePath);
        QVERIFY(main->start());
        const QRect screen = main->screen()->availableGeometry();
        QVERIFY(screen.contains(main->frameGeometry()));
        QVERIFY(main->statusBar()->isVisible());
        QVERIFY(screen.contains(main->statusBar()->mapToGlobal(main->statusBar()->rect().bottomRight())));
        QMdiSubWindow* sub = nullptr;
        for (QMdiSubWindow* w : main->mdiArea()->subWindowList())
            if (w->widget() == monthly()) sub = w;
        QVERIFY(sub);
        QVERIFY(QRect(QPoint(), main->mdiArea()->viewport()->size()).contains(sub->geometry()));
        // What is kept is what was shown.
        const int shownWidth = sub->width();
        main->close();
        QVERIFY(std::abs(settingsValue("monthly", "frmMonthly.Width").toDouble() - pixelsToTwipsX(shownWidth)) < 1);
    }

    void refreshRefillsTheUserBox() {
        fs::create_directories(tmp->path() / "Data" / fs::path("花子"));
        QCOMPARE(monthly()->cboUser()->findText(QStringLiteral("花子")), -1);
        main->refresh();
        QVERIFY(monthly()->cboUser()->findText(QStringLiteral("花子")) >= 0);
        QCOMPARE(monthly()->cboUser()->currentText(), QStringLiteral("太郎"));
    }

    // 分析 on the menu bar and on the toolbar reach the same window: one instance,
    // made again after it was closed.
    void analysisFromTheMenuAndTheToolbar() {
        item("mnuSerch")->trigger();
        QCOMPARE(main->findChildren<AnalysisWindow*>().size(), 1);
        QMdiSubWindow* sub = main->mdiArea()->activeSubWindow();
        QVERIFY(sub && qobject_cast<AnalysisWindow*>(sub->widget()));
        sub->close();
        QTRY_COMPARE(main->findChildren<AnalysisWindow*>().size(), 0);
        click(QStringLiteral("分析"));
        QCOMPARE(main->findChildren<AnalysisWindow*>().size(), 1);
        click(QStringLiteral("分析"));
        QCOMPARE(main->findChildren<AnalysisWindow*>().size(), 1);
        QVERIFY(qobject_cast<AnalysisWindow*>(main->mdiArea()->activeSubWindow()->widget()));
    }

    void statusLineTakesMessagesFromAnyWindow() {
        emit ctx->statusMessage(QStringLiteral("保存しました。"));
        QCOMPARE(main->statusMessage(), QStringLiteral("保存しました。"));
    }

    void errorReportFullAndShort() {
        QCOMPARE(errorReportText(75, QStringLiteral("パス名が無効です。"), true),
                 QStringLiteral("ｴﾗｰ番号 ： 75\r\rﾒｯｾｰｼﾞ   ： パス名が無効です。\r\r"
                                "上記のｴﾗｰ番号とﾒｯｾｰｼﾞを作者まで連絡して下さい。\r"));
        QCOMPARE(errorReportText(-5, QStringLiteral("x"), false), QStringLiteral("ｴﾗｰ番号 ：-5\r\rﾒｯｾｰｼﾞ   ： x\r\r"));
        ErrorReport(main.get(), 58, QStringLiteral("d"), false);
        QCOMPARE(answerer.asked.size(), size_t(1));
        QCOMPARE(answerer.asked[0].title, QStringLiteral("ｴﾗｰ発生"));
        QCOMPARE(int(answerer.asked[0].icon), int(Icon::Exclamation));
        QCOMPARE(int(answerer.asked[0].buttons), int(Buttons::Ok));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
