// Start-up from the splash window to the open main window: the splash texts
// and the record counter, the six data folders, the first-run user manager,
// a damaged record file, the second instance, and the frame's position from
// the per-user store.
#include <QApplication>
#include <QElapsedTimer>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QMdiArea>
#include <QPushButton>
#include <QSettings>
#include <QSysInfo>
#include <QTimer>
#include <QtTest>
#include <chrono>
#include <functional>
#include <memory>

#include "masters/user_manager.h"
#include "monthly/monthly_window.h"
#include "ui/app_context.h"
#include "shell/main_window.h"
#include "ui/messages.h"
#include "shell/splash.h"
#include "shell/startup.h"
#include "../support/gui_fixture.h"

using namespace tama;
using namespace tama::ui;

namespace {

std::string record(const std::string& date, const std::string& syusi = "1,000") {
    const std::string y = date.substr(0, 4), m = date.substr(5, 2), d = date.substr(8, 2);
    const std::string f[24] = {date,    y,     m,     d,    "土",     "ホールA", "10", "00", "18", "00", "8.0", "15000",
                               "16000", "125", syusi, "12", "ＣＲ機", "機種X",   "",   "1",  "",   "",   "",    ""};
    std::string out;
    for (int i = 0; i < 24; ++i) out += (i ? ",\"" : "\"") + f[i] + "\"";
    return out + "\n";
}

std::string records(const std::string& year, int n) {
    std::string text;
    for (int k = 1; k <= n; ++k) text += record(year + "/01/" + (k < 10 ? "0" : "") + std::to_string(k));
    return text;
}

// Runs `handle` on the first modal dialog that opens (the test cannot click in a
// modal loop it does not own); fails the wait if none opens.
void onModal(std::function<void(QWidget*)> handle) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, handle, tries] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            handle(modal);
        } else if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

}  // namespace

class StartupTest : public QObject, protected test::GuiFixture {
    Q_OBJECT

    QString storePath;

    fs::path home() const { return tmp->path(); }

    void lastUser(const std::string& user) {
        test::putBytes(home() / "tmrec.ini", test::sjis("[monthly]\ncboUser.Text=" + user + "\n"));
    }

private slots:
    void init() {
        startFolder();
        storePath = QString::fromStdString((home() / "user-store.ini").string());
    }
    void cleanup() { finish(); }

    void splashCountsEveryRecordOfTheLastUser() {
        fs::path taro = tmp->makeUser("太郎");
        test::putBytes(taro / "s2003.sdb", test::sjis(records("2003", 3)));
        test::putBytes(taro / "S2004.SDB", test::sjis(records("2004", 4)));
        test::putBytes(taro / "Year.txt", test::sjis("\"2003\",\"3000\"\n"));
        lastUser("太郎");
        AppContext context(home());
        SplashWindow splash;
        QCOMPARE(splash.lblMsg()->text(), QStringLiteral("処理状況メッセージ"));
        QVERIFY(splash.load(context));
        QCOMPARE(splash.lblMsg()->text(), QStringLiteral("Dataファイル読み込み中 ( 7 )..."));
        QCOMPARE(splash.recordCount(), std::int64_t(7));
        QVERIFY(answerer.asked.empty());
    }

    // Workbooks that 出力 left in Temp go after [Export] KeepDays days, with a
    // killed export's hidden temporary; a younger one and other files stay.
    void splashRemovesOldWorkbooksFromTemp() {
        const fs::path temp = home() / "Temp";
        auto put = [](const fs::path& p, int days) {
            test::putBytes(p, "x");
            fs::last_write_time(p, fs::file_time_type::clock::now() - std::chrono::hours(24) * days);
        };
        put(temp / "月間収支データ一覧.xlsx", 4);
        put(temp / "年間収支データ一覧.xlsx", 2);
        put(temp / "mine.xlsx", 40);
        put(temp / ".日間収支データ一覧.xlsx.tmp~a1b2c3", 0);
        test::putBytes(home() / "tmrec.ini", test::sjis("[Export]\nKeepDays=3\n"));
        AppContext context(home());
        SplashWindow splash;
        QVERIFY(splash.load(context));
        QVERIFY(!fs::exists(temp / "月間収支データ一覧.xlsx"));
        QVERIFY(fs::exists(temp / "年間収支データ一覧.xlsx"));
        QVERIFY(fs::exists(temp / "mine.xlsx"));
        QVERIFY(!fs::exists(temp / ".日間収支データ一覧.xlsx.tmp~a1b2c3"));
    }

    void aLargeScanCountsEveryRecordButRepaintsRarely() {
        fs::path taro = tmp->makeUser("太郎");
        const std::string year = test::sjis(records("2003", 9));
        std::string big;
        for (int k = 0; k < 700; ++k) big += year;  // 6,300 records per file
        test::putBytes(taro / "s2003.sdb", big);
        test::putBytes(taro / "s2004.sdb", big);
        lastUser("太郎");
        AppContext context(home());
        SplashWindow splash;
        struct PaintCounter : QObject {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* e) override {
                if (e->type() == QEvent::Paint) ++paints;
                return false;
            }
        } counter;
        splash.lblMsg()->installEventFilter(&counter);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(splash.load(context));
        QCOMPARE(splash.recordCount(), std::int64_t(12600));
        QCOMPARE(splash.lblMsg()->text(), QStringLiteral("Dataファイル読み込み中 ( 12600 )..."));
        // At most one repaint per screen frame (plus the start and the end).
        const qint64 frames = clock.elapsed() / 16 + 1;
        QVERIFY2(counter.paints <= frames + 4,
                 qPrintable(QStringLiteral("%1 paints in %2 ms").arg(counter.paints).arg(clock.elapsed())));
        QVERIFY(counter.paints < 1000);
    }

    void anyKeyClosesTheSplash() {
        SplashWindow splash;
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        QTest::keyClick(&splash, Qt::Key_Space);
        QVERIFY(!splash.isVisible());
    }

    void splashKeepsTheFolderTextWhenThereIsNothingToScan() {
        tmp->makeUser("太郎");
        lastUser("太郎");
        AppContext context(home());
        SplashWindow splash;
        QVERIFY(splash.load(context));
        QCOMPARE(splash.lblMsg()->text(), QStringLiteral("フォルダー設定確認..."));
        QCOMPARE(splash.recordCount(), std::int64_t(0));

        // The counter text itself.
        QCOMPARE(SplashWindow::scanText(100000), QStringLiteral("Dataファイル読み込み中 ( 100000 )..."));
    }

    void aDamagedRecordFileIsNamedAndStartUpGoesOn() {
        fs::path taro = tmp->makeUser("太郎");
        test::putBytes(taro / "s2003.sdb", test::sjis(records("2003", 2) + "\"broken\",\"line\"\n"));
        test::putBytes(taro / "s2004.sdb", test::sjis(records("2004", 4)));
        lastUser("太郎");
        AppContext context(home());
        auto main = runStartup(context, storePath);
        QVERIFY(main);
        QCOMPARE(answerer.asked.size(), size_t(1));
        const MessageRequest& r = answerer.asked[0];
        QCOMPARE(r.title, QStringLiteral("ｴﾗｰ発生"));
        QVERIFY2(r.text.contains(QStringLiteral("s2003.sdb")), qPrintable(r.text));
        QVERIFY2(r.text.contains(QStringLiteral("3行目")), qPrintable(r.text));
        QVERIFY(main->isVisible());
        main->close();
    }

    void anEmptyProgramFolderIsSetUpAndAsksForAUser() {
        AppContext context(home());
        QStringList seen;
        onModal([&seen](QWidget* modal) {
            auto* dlg = qobject_cast<UserManager*>(modal);
            if (!dlg) return;
            seen << dlg->lblMsg()->text() << (dlg->cmdCan()->isEnabled() ? "cancel on" : "cancel off");
            dlg->txtUser()->setText(QStringLiteral("山田"));
            dlg->cmdTou()->click();
        });
        SplashWindow splash;
        QVERIFY(splash.load(context));
        const std::vector<std::string> expected = {"CboData", "Data", "Backup", "Temp", "Kisyudat#", "Kisyudat"};
        QVERIFY(splash.createdFolders() == expected);
        for (const auto& name : expected) QVERIFY(fs::is_directory(home() / name));
        QCOMPARE(splash.lblMsg()->text(), QStringLiteral("フォルダー設定確認..."));  // no last user, no scan
        QVERIFY(!fs::exists(home() / "tmrec.ini"));                                  // start-up writes no settings

        MainWindow main(context, storePath);
        QVERIFY(main.start());
        QVERIFY(main.firstRun());
        QCOMPARE(seen, (QStringList{QStringLiteral("利用者名を、適当に登録して下さい。（後で、修正可能）"),
                                    QStringLiteral("cancel off")}));
        QVERIFY(fs::is_directory(home() / "Data" / fs::path("山田")));
        QCOMPARE(main.monthlyWindow()->cboUser()->currentText(), QStringLiteral("山田"));

        // The flag holds for the run: a later add through 利用者登録 also closes
        // the dialog and shows the new user.
        onModal([](QWidget* modal) {
            auto* dlg = qobject_cast<UserManager*>(modal);
            if (!dlg) return;
            dlg->txtUser()->setText(QStringLiteral("鈴木"));
            dlg->cmdTou()->click();
            if (dlg->isVisible()) dlg->reject();
        });
        main.manageUsers();
        QCOMPARE(main.monthlyWindow()->cboUser()->currentText(), QStringLiteral("鈴木"));
        main.close();
    }

    void folderNamesMatchByExactCaseAndFilesCount() {
        fs::create_directories(home() / "data");
        test::putBytes(home() / "Temp", "a plain file");
        for (const char* d : {"CboData", "Backup", "Kisyudat#", "Kisyudat"}) fs::create_directories(home() / d);
        AppContext context(home());
        SplashWindow splash;
        QVERIFY(splash.load(context));
        QVERIFY(splash.createdFolders() == std::vector<std::string>{"Data"});
        QVERIFY(fs::is_directory(home() / "Data"));
        QVERIFY(fs::is_directory(home() / "data"));
        QVERIFY(fs::is_regular_file(home() / "Temp"));
    }

    void aUserInDataMeansNoFirstRun() {
        tmp->makeUser("太郎");
        AppContext context(home());
        auto main = runStartup(context, storePath);
        QVERIFY(main);
        QVERIFY(!main->firstRun());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(main->monthlyWindowIfOpen());
        main->close();
    }

    void aSecondInstanceIsRefused() {
        tmp->makeUser("太郎");
        QLockFile first(QString::fromStdString((home() / "tamalog.lock").string()));
        QVERIFY(first.tryLock(0));
        AppContext context(home());
        auto main = runStartup(context, storePath);
        QVERIFY(!main);
        QCOMPARE(answerer.asked.size(), size_t(1));
        QCOMPARE(answerer.asked[0].text, QStringLiteral("このアプリケーションはすでに開かれています。"));
        QCOMPARE(answerer.asked[0].title, QStringLiteral("ロードエラー"));
        QCOMPARE(int(answerer.asked[0].icon), int(Icon::Exclamation));
        QVERIFY(!QFile::exists(storePath));  // the refused run keeps nothing

        // Once the first instance has gone, the program starts; so it does over
        // a lock left behind by a process that died.
        first.unlock();
        test::putBytes(home() / "tamalog.lock",
                       "999999\nstartup_test\n" + QSysInfo::machineHostName().toStdString() + "\n");
        answerer.asked.clear();
        auto again = runStartup(context, storePath);
        QVERIFY(again);
        QVERIFY(answerer.asked.empty());
        again->close();
    }

    void theFrameTakesItsPlaceFromThePerUserStore() {
        tmp->makeUser("太郎");
        {
            QSettings store(storePath, QSettings::IniFormat);
            store.beginGroup(QStringLiteral("Settings"));
            store.setValue(QStringLiteral("MainLeft"), QStringLiteral("1500"));
            store.setValue(QStringLiteral("MainTop"), QStringLiteral("750"));
            store.setValue(QStringLiteral("MainHeight"), QStringLiteral("9000"));
            // MainWidth missing: 6500 twips
        }
        AppContext context(home());
        MainWindow main(context, storePath);
        QVERIFY(main.start());
        QCOMPARE(main.pos(), QPoint(twipsToPixelsX(1500), twipsToPixelsY(750)));
        QCOMPARE(main.size(), QSize(twipsToPixelsX(6500), twipsToPixelsY(9000)));
        // The frame's inner size is recorded for the child windows' defaults.
        QVERIFY(context.frameInnerWidth() > 0);
        QVERIFY(context.frameInnerHeight() > 0);
        QCOMPARE(context.frameInnerWidth(), int(std::lround(pixelsToTwipsX(main.mdiArea()->viewport()->width()))));
        main.close();
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
