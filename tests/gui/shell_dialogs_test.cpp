// The frame's smaller services: the tiling rule and the tiled background, the
// about box with its folder and system-information button, the help window's
// two entry points and a missing collection, the manual's start page through
// the desktop, Qt's Japanese texts, the per-user folder note, and every menu
// item of the frame alive once the dialog commands are installed.
#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QHelpContentModel>
#include <QHelpEngine>
#include <QHelpIndexModel>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>
#include <memory>

#include "shell/about_box.h"
#include "shell/background.h"
#include "shell/dialog_commands.h"
#include "shell/help_viewer.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "storage/data_folders.h"
#include "ui/app_context.h"
#include "ui/messages.h"
#include "../support/gui_fixture.h"

using namespace tama;
using namespace tama::ui;

// Receives the pages the program asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class ShellDialogsTest : public QObject, protected test::GuiFixture {
    Q_OBJECT

    QTemporaryDir storeDir;

    // The help built beside the program in the build folder.
    static QString builtHelp() { return QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/help"); }

    std::unique_ptr<MainWindow> openFrame() {
        auto main = std::make_unique<MainWindow>(*ctx, storeDir.filePath(QStringLiteral("store.ini")));
        installGraphWindow(*ctx, *main);
        if (!main->start()) return nullptr;
        return main;
    }

private slots:
    void init() {
        startFolder();
        tmp->makeUser("太郎");
        openContext();
        setHelpFolder(builtHelp());
    }
    void cleanup() {
        setHelpFolder({});
        for (QWidget* w : QApplication::topLevelWidgets()) w->close();
        finish();
    }

    void tilingRule_data() {
        QTest::addColumn<QSize>("area");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        // 700/200 = 3.5 rounds to 4, 1000/300 = 3.33 to 3: indexes 0..5 and 0..4.
        QTest::newRow("1000x700, 300x200") << QSize(1000, 700) << QSize(300, 200) << 5 << 4;
        QTest::newRow("halves to even") << QSize(500, 250) << QSize(200, 100) << 3 << 3;  // 2.5 -> 2, 2.5 -> 2
        QTest::newRow("picture larger than area") << QSize(100, 80) << QSize(180, 120) << 2 << 2;
        QTest::newRow("empty picture") << QSize(1000, 700) << QSize(0, 120) << -1 << -1;
    }
    void tilingRule() {
        QFETCH(QSize, area);
        QFETCH(QSize, picture);
        QFETCH(int, rows);
        QFETCH(int, columns);
        const TileGrid g = tileGrid(area.width(), area.height(), picture.width(), picture.height());
        QCOMPARE(g.rows, rows);
        QCOMPARE(g.columns, columns);
        // Whenever there is a picture, the tiles reach past the right and bottom edges.
        if (rows >= 0) {
            QVERIFY((g.rows + 1) * picture.height() >= area.height());
            QVERIFY((g.columns + 1) * picture.width() >= area.width());
        }
    }

    void frameTilesItsBackgroundAndEveryItemIsAlive() {
        auto main = openFrame();
        QVERIFY(main);
        main->resize(900, 640);
        for (QMdiSubWindow* w : main->mdiArea()->subWindowList()) w->showMinimized();
        QVERIFY(main->background()->installed());
        QWidget* viewport = main->mdiArea()->viewport();
        const QImage shot = viewport->grab().toImage();
        const QPixmap picture(QStringLiteral(":/tamalog/skin/background.png"));
        const TileGrid g = tileGrid(viewport->width(), viewport->height(), picture.width(), picture.height());
        QCOMPARE(main->background()->tilesPainted(), (g.rows + 1) * (g.columns + 1));
        // The second tile of the first row repeats the first one.
        const QPoint p(picture.width() / 2, picture.height() / 2);
        QCOMPARE(shot.pixelColor(p + QPoint(picture.width(), 0)), shot.pixelColor(p));

        // No item of the menus is disabled for want of a window, the options item included.
        QStringList dead;
        for (QAction* a : main->findChildren<QAction*>())
            if (!a->isSeparator() && !a->objectName().isEmpty() && !a->isEnabled()) dead << a->objectName();
        dead.removeAll(QStringLiteral("mnuFileProperties"));  // the export window comes with its own change
        dead.removeAll(QStringLiteral("mnuSerch"));           // so does the analysis window,
        dead.removeAll(QStringLiteral("分析"));               // with its toolbar button
        QVERIFY2(dead.isEmpty(), qPrintable(dead.join(QLatin1Char(' '))));
        QAction* option = main->menuItem(QStringLiteral("mnuOption"));
        QVERIFY(option);
        QCOMPARE(option->text(), QStringLiteral("設定(&O)..."));
        auto* view = main->findChild<QMenu*>(QStringLiteral("mnuView"));
        QCOMPARE(view->actions().last(), option);
        QVERIFY(view->actions().at(view->actions().size() - 2)->isSeparator());

        // Each dialog command opens its window; close it as soon as it shows.
        for (const char* item : {"mnuHoll", "mnuKisyu", "mnuOption", "mnuHelpAbout"}) {
            QString shown;
            QTimer::singleShot(0, [&shown] {
                if (QWidget* w = QApplication::activeModalWidget()) {
                    shown = w->objectName();
                    w->close();
                }
            });
            main->menuItem(QString::fromLatin1(item))->trigger();
            QVERIFY2(!shown.isEmpty(), item);
        }
        main->close();
        QVERIFY(!main->background()->installed());
    }

    void aboutBoxShowsTheFolderAndLooksForAViewer() {
        AboutBox about(*ctx, true);
        QCOMPARE(about.Label1()->text(), QStringLiteral("Version 1.00  for Windows"));
        QVERIFY(about.lblFolder()->text().contains(QString::fromStdString(tmp->path().string())));
        QVERIFY(about.lblFolder()->text().contains(QStringLiteral("利用者用")));

        QTemporaryDir bin;
        about.setViewerSearchPaths({bin.path()});
        about.showSystemInfo();
        QCOMPARE(answerer.asked.size(), size_t{1});
        QCOMPARE(answerer.asked[0].text, QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"));

        // A viewer on the search path is started.
        const QString marker = bin.filePath(QStringLiteral("started"));
        QFile script(bin.filePath(QStringLiteral("hardinfo")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toUtf8());
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
        QCOMPARE(about.systemInfoViewer(), script.fileName());
        about.showSystemInfo();
        QTRY_VERIFY(QFile::exists(marker));
        QCOMPARE(answerer.asked.size(), size_t{1});
    }

    void helpContentsAndIndex() {
        HelpViewer* viewer = showHelp(nullptr, false);
        QVERIFY2(viewer, qPrintable(answerer.asked.empty() ? QString() : answerer.asked[0].text));
        QCOMPARE(viewer->tabs()->currentIndex(), 0);
        QTRY_VERIFY(viewer->engine()->contentModel()->rowCount() > 0);
        QVERIFY(viewer->page()->toPlainText().contains(QStringLiteral("タマログ")));
        QVERIFY(viewer->page()->source().toString().endsWith(QStringLiteral("index.html")));
        // The entry form's page tells that the weekday follows the date.
        QUrl entry = viewer->page()->source();
        entry.setPath(entry.path().replace(QStringLiteral("index.html"), QStringLiteral("entry.html")));
        viewer->page()->setSource(entry);
        QTRY_VERIFY(viewer->page()->toPlainText().contains(QStringLiteral("曜日は日付を入力すると自動で入ります")));
        viewer->page()->setSource(
            QUrl(entry.toString().replace(QStringLiteral("entry.html"), QStringLiteral("index.html"))));
        // The keyword search: the same window, on the index, every keyword listed.
        QCOMPARE(showHelp(nullptr, true), viewer);
        QCOMPARE(viewer->tabs()->currentIndex(), 1);
        QTRY_COMPARE(viewer->engine()->indexModel()->rowCount(), 28);
        viewer->close();
    }

    void missingHelpGivesAMessageAndNoWindow() {
        QTemporaryDir empty;
        setHelpFolder(empty.path());
        QVERIFY(!showHelp(nullptr, false));
        QCOMPARE(answerer.asked.size(), size_t{1});
        QVERIFY(answerer.asked[0].text.contains(QStringLiteral("ヘルプファイルが見つかりません。")));
        QFile junk(empty.filePath(QStringLiteral("tamalog.qhc")));  // not a collection
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a database");
        junk.close();
        HelpViewer broken(junk.fileName());
        QVERIFY(!broken.ok());
        QVERIFY(!broken.error().isEmpty());
    }

    void homePageOpensTheManualThroughTheDesktop() {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        auto main = openFrame();
        main->menuItem(QStringLiteral("mnuKobo_HP"))->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.opened.size(), 1);
        QVERIFY(catcher.opened[0].isLocalFile());
        QVERIFY(catcher.opened[0].toLocalFile().endsWith(QStringLiteral("html/index.html")));
        QVERIFY(QFile::exists(catcher.opened[0].toLocalFile()));
        main->close();
    }

    void qtTextsInJapaneseAndTheFolderNote() {
        QVERIFY(loadQtJapanese());
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("はい(&Y)"));
        QCOMPARE(perUserFolderNote(QCoreApplication::applicationDirPath().toStdString()), QString());
        const QString note = perUserFolderNote(tmp->path());
        QVERIFY(note.contains(QString::fromStdString(tmp->path().string())));
        QVERIFY(note.contains(QStringLiteral("利用者用フォルダー")));
    }
};

QTEST_MAIN(ShellDialogsTest)
#include "shell_dialogs_test.moc"
