// Every caption of every window shown whole at the size the window opens at:
// labels, buttons, check boxes, the texts of the boxes and the tabs, compared
// with the room the style gives them. The frame opens as at a first start and
// is reset to its default layout; the dialogs open at their own size.
//
// The screen is TAMA_TEST_SCREEN ("1600x1000" unless set), and the scale
// QT_SCALE_FACTOR: ctest runs this test on a 1600x1000 screen, on 1280x720,
// and on 1600x1000 scaled 1.5 times.
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <QtTest>
#include <memory>

#include "../support/gui_fixture.h"
#include "analysis/analysis_window.h"
#include "caption_check.h"
#include "entry/entry_form.h"
#include "export/export_dialogs.h"
#include "graphs/graph_window.h"
#include "masters/list_editor.h"
#include "masters/user_manager.h"
#include "monthly/monthly_window.h"
#include "monthly/calendar_window.h"
#include "options/options_dialog.h"
#include "shell/about_box.h"
#include "shell/main_window.h"
#include "shell/restore_dialog.h"
#include "shell/startup.h"
#include "storage/record_store.h"
#include "ui/app_context.h"
#include "ui/messages.h"

using namespace tama;
using namespace tama::ui;

namespace {

void writeYear(const fs::path& user, const std::string& year, const std::vector<DailyRecord>& rs) {
    const fs::path path = user / ("s" + year + ".sdb");
    test::putBytes(path, encodeYearFile(rs, path));
}

QString report(const QStringList& cut) { return cut.join(QLatin1Char('\n')); }

}  // namespace

class WindowCaptionsTest : public QObject, protected test::GuiFixture {
    Q_OBJECT

    QTemporaryDir storeDir;

    void verifyWhole(QWidget* window) {
        QTest::qWait(30);
        const QStringList cut = test::cutCaptions(window);
        QVERIFY2(cut.isEmpty(), qPrintable(report(cut)));
    }

private slots:
    void init() {
        startFolder();
        const fs::path taro = tmp->makeUser("太郎");
        std::vector<DailyRecord> rs;
        for (int d = 1; d <= 28; d += 3) {
            DailyRecord r = test::recordOn("2024/05/" + std::string(d < 10 ? "0" : "") + std::to_string(d));
            r.Holl = "パーラー日の出";
            r.Kisyu = "ＣＲ大江戸絵巻";
            r.Tousi = "120,000";
            r.Kaisyu = "3,500";
            r.Syusi = "-116,500";
            r.Zikyu = "-14,563";
            rs.push_back(r);
        }
        writeYear(taro, "2024", rs);
        test::putBytes(taro / "holl.dat", test::sjis("\"パーラー日の出\"\n"));
        test::putBytes(taro / "kisyu.dat", test::sjis("\"ＣＲ機\",\"ＣＲ大江戸絵巻\"\n"));
        openContext();
    }

    void cleanup() { finish(); }

    void theFrameAndItsWindowsAtTheirDefaultSize() {
        // A first start: no stored position, the frame fits the screen.
        MainWindow main(*ctx, storeDir.filePath(QStringLiteral("user-store.ini")));
        installGraphWindow(*ctx, main);
        QVERIFY(main.start());
        const QRect screen = main.screen()->availableGeometry();
        QVERIFY2(screen.contains(main.frameGeometry()), qPrintable(QStringLiteral("frame %1,%2 %3x%4 on %5x%6")
                                                                       .arg(main.frameGeometry().x())
                                                                       .arg(main.frameGeometry().y())
                                                                       .arg(main.frameGeometry().width())
                                                                       .arg(main.frameGeometry().height())
                                                                       .arg(screen.width())
                                                                       .arg(screen.height())));
        MonthlyWindow* monthly = main.monthlyWindow();
        monthly->setYearMonth(QStringLiteral("2024"), QStringLiteral("05"));
        main.restoreDefaultLayout();
        QTest::qWait(100);
        verifyWhole(monthly);
        for (QMdiSubWindow* sub : main.mdiArea()->subWindowList())
            QVERIFY(QRect(QPoint(), main.mdiArea()->viewport()->size()).contains(sub->geometry()));

        auto* graph = main.findChild<GraphWindow*>();
        QVERIFY(graph);
        verifyWhole(graph);
        // Every entry of the three fixed lists, and both check boxes on.
        for (QComboBox* box : {graph->cboKikan(), graph->cboGtype(), graph->cboKou()})
            for (int i = 0; i < box->count(); ++i) {
                box->setCurrentIndex(i);
                verifyWhole(graph);
            }
        graph->chk1()->setChecked(true);
        graph->chk2()->setChecked(true);
        verifyWhole(graph);

        // The calendar at the size it opens at beside the monthly window.
        main.menuItem(QStringLiteral("mnuCalendar"))->trigger();
        QVERIFY(main.calendarWindowIfOpen());
        verifyWhole(main.calendarWindowIfOpen());

        if (QAction* serch = main.menuItem(QStringLiteral("mnuSerch"))) serch->trigger();
        auto* db = main.findChild<AnalysisWindow*>();
        QVERIFY(db);
        db->Check2()->click();
        db->cmdKen()->click();
        for (int tab = 0; tab < db->stb1()->count(); ++tab) {
            db->stb1()->setCurrentIndex(tab);
            verifyWhole(db);
        }
        AnalysisExportDialog choice({ctx->programFolder(), db->matchedRecords(), db->criteria(), {}}, &main);
        choice.show();
        verifyWhole(&choice);
        choice.close();

        // The dialogs, each at the size it opens at.
        {
            EntryForm form(*ctx, *monthly, &main);
            form.prepareNew();
            form.show();
            verifyWhole(&form);
            form.close();
        }
        {
            QVERIFY(monthly->monthCount() > 0);
            EntryForm form(*ctx, *monthly, &main);
            form.prepareEdit(monthly->monthFirst(), 1);
            form.show();
            verifyWhole(&form);
            form.close();
        }
        for (bool firstRun : {false, true}) {
            UserManager users(*ctx, {}, &main);
            users.setFirstRun(firstRun);
            if (users.lst1()->count() > 0) users.lst1()->setCurrentRow(0);
            users.show();
            verifyWhole(&users);
            users.close();
        }
        {
            HallListEditor holl(*ctx, QStringLiteral("太郎"), &main);
            holl.show();
            verifyWhole(&holl);
            holl.close();
            MachineListEditor kisyu(*ctx, QStringLiteral("太郎"), &main);
            kisyu.show();
            verifyWhole(&kisyu);
            kisyu.close();
            OptionsDialog options(*ctx, &main);
            options.show();
            verifyWhole(&options);
            options.close();
            AboutBox about(*ctx, false, &main);
            about.show();
            verifyWhole(&about);
            about.close();
            RestoreDialog restore(*ctx, QStringLiteral("太郎"), &main);
            restore.show();
            verifyWhole(&restore);
            restore.close();
        }
        for (bool app : {true, false}) {
            setSpreadsheetProbe([app] { return app; });
            MonthExportDialog print(*ctx, *monthly, &main);
            print.show();
            verifyWhole(&print);
            print.close();
        }
        setSpreadsheetProbe({});
        main.close();
    }
};

int main(int argc, char** argv) {
    // The screen the windows open on, before the application starts.
    const QByteArray size = qEnvironmentVariableIsEmpty("TAMA_TEST_SCREEN") ? QByteArray("1600x1000")
                                                                            : qgetenv("TAMA_TEST_SCREEN");
    const QList<QByteArray> wh = size.split('x');
    QTemporaryDir configDir;
    const QString config = configDir.filePath(QStringLiteral("screen.json"));
    {
        QFile f(config);
        if (!f.open(QIODevice::WriteOnly)) return 1;
        f.write("{ \"screens\": [ { \"name\": \"screen\", \"x\": 0, \"y\": 0, \"width\": " + wh.value(0) +
                ", \"height\": " + wh.value(1) + ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1 } ] }");
    }
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("tamalog-test"));
    WindowCaptionsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_captions_test.moc"
