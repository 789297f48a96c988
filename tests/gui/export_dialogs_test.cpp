// The export dialogs: MonthExportDialog driving the monthly window and writing the same
// workbook tamalog-cli export writes, the missing-application path and
// "保存...", AnalysisExportDialog's table choice and message, ExportProgress's 中止, and the
// ExportJob both dialogs run their writer with.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <sys/stat.h>

#include <atomic>
#include <memory>
#include <thread>

#include "analysis/search.h"
#include "export/analysis_export.h"
#include "export/export_dialogs.h"
#include "analysis/analysis_window.h"
#include "monthly/monthly_window.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "ui/app_context.h"
#include "ui/messages.h"
#include "../support/gui_fixture.h"

using namespace tama;
using namespace tama::ui;

namespace {

fs::path cliProgram() { return fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin" / "tamalog-cli"; }

int runCli(const QStringList& args) {
    QProcess p;
    p.start(QString::fromStdString(cliProgram().string()), args);
    if (!p.waitForFinished(30000)) return -1;
    return p.exitCode();
}

std::vector<fs::path> workbooksIn(const fs::path& folder) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec))
        if (e.path().extension() == ".xlsx") out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

class ExportDialogsTest : public QObject, protected test::GuiFixture {
    Q_OBJECT

    std::unique_ptr<MonthlyWindow> monthly;
    std::vector<fs::path> opened;
    bool appPresent = true;

private slots:
    void init() {
        startFolder();
        tmp->makeUser("太郎");
        tmp->makeUser("花子");
        DailyRecord a = test::recordOn("2004/03/01");
        DailyRecord b = test::recordOn("2004/03/02");
        b.K_no = "?";
        b.T_tim = "7.5";
        b.Syusi = "-2,000";
        DailyRecord c = test::recordOn("2004/04/01");
        std::string text;
        for (const DailyRecord* r : {&a, &b, &c}) text += formatRecordLine(*r) + "\n";
        test::putBytes(tmp->path() / "Data" / "太郎" / "s2004.sdb", test::sjis(text));
        openContext(12000, 9000);
        monthly = std::make_unique<MonthlyWindow>(*ctx);
        monthly->cboUser()->setCurrentIndex(monthly->cboUser()->findText(QStringLiteral("太郎")));
        monthly->setYearMonth(QStringLiteral("2004"), QStringLiteral("05"));
        opened.clear();
        appPresent = true;
        setSpreadsheetProbe([this] { return appPresent; });
        setWorkbookOpener([this](const fs::path& p) { opened.push_back(p); });
    }

    void cleanup() {
        setSpreadsheetProbe({});
        setWorkbookOpener({});
        setSaveFileChooser({});
        monthly.reset();
        finish();
    }

    void printDialogDrivesTheMonthlyWindow() {
        MonthExportDialog dlg(*ctx, *monthly);
        auto* cboUser = dlg.findChild<QComboBox*>("cboUser");
        auto* txtTuki = dlg.findChild<QLineEdit*>("txtTuki");
        auto* txtNen = dlg.findChild<QLineEdit*>("txtNen");
        QCOMPARE(cboUser->count(), monthly->cboUser()->count());
        QCOMPARE(cboUser->currentText(), QStringLiteral("太郎"));
        QCOMPARE(txtNen->text(), QStringLiteral("2004"));
        QCOMPARE(txtTuki->text(), QStringLiteral("05"));
        // Month "3" shows as "03" and the monthly window follows at once.
        txtTuki->clear();
        QTest::keyClicks(txtTuki, "3");
        QCOMPARE(txtTuki->text(), QStringLiteral("03"));
        QCOMPARE(monthly->txtTuki()->text(), QStringLiteral("03"));
        QCOMPARE(monthly->monthCount(), 2);
        // "1" may still become 10..12: it waits, yet the window already shows January.
        txtTuki->clear();
        QTest::keyClicks(txtTuki, "1");
        QCOMPARE(txtTuki->text(), QStringLiteral("1"));
        QCOMPARE(monthly->txtTuki()->text(), QStringLiteral("01"));
        QTest::keyClicks(txtTuki, "1");
        QCOMPARE(monthly->txtTuki()->text(), QStringLiteral("11"));
        // The user follows by signal, without waiting for a timer.
        cboUser->setCurrentIndex(cboUser->findText(QStringLiteral("花子")));
        QCOMPARE(monthly->cboUser()->currentText(), QStringLiteral("花子"));
    }

    void exportWritesWhatTheCommandLineWrites() {
        MonthExportDialog dlg(*ctx, *monthly);
        dlg.findChild<QLineEdit*>("txtTuki")->setText(QStringLiteral("3"));
        auto* cmdOut = dlg.findChild<QPushButton*>("cmdOut");
        QVERIFY(cmdOut->isEnabled());
        QVERIFY(dlg.findChild<QProgressBar*>("prb1")->isHidden());
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(cmdOut, Qt::LeftButton);
        qInfo("month export, button to file: %lld ms", static_cast<long long>(clock.elapsed()));
        const fs::path expected = tmp->path() / "Temp" / "日間収支データ一覧  (2004年03月度).xlsx";
        QCOMPARE(opened, std::vector<fs::path>{expected});
        QVERIFY(fs::exists(tmp->path() / "Temp" / "work.csv"));
        const std::string csv = test::fileBytes(tmp->path() / "Temp" / "work.csv");

        // The command line writes the same workbook and the same CSV.
        const fs::path cliFile = tmp->path() / "cli.xlsx";
        const QStringList args = {QStringLiteral("export"),
                                  QStringLiteral("month"),
                                  QString::fromStdString(tmp->path().string()),
                                  QStringLiteral("太郎"),
                                  QStringLiteral("2004"),
                                  QStringLiteral("3"),
                                  QStringLiteral("--out"),
                                  QString::fromStdString(cliFile.string())};
        QCOMPARE(runCli(args), 0);
        const test::WorkbookDump fromDialog = test::dumpWorkbook(expected);
        const test::WorkbookDump fromCli = test::dumpWorkbook(cliFile);
        QVERIFY(!fromDialog.raw.empty());
        QCOMPARE(fromCli.raw, fromDialog.raw);
        QCOMPARE(fromDialog.cell("E3").value, std::string("（不明）"));
        QCOMPARE(test::fileBytes(tmp->path() / "Temp" / "work.csv"), csv);

        // A second export never overwrites the first (the user may have it open).
        MonthExportDialog again(*ctx, *monthly);
        again.writeAndOpen();
        QCOMPARE(opened.back().filename().string(), std::string("日間収支データ一覧  (2004年03月度) (2).xlsx"));
    }

    void withoutSpreadsheetApplicationSaveStillWrites() {
        appPresent = false;
        MonthExportDialog dlg(*ctx, *monthly);
        dlg.show();
        QVERIFY(!dlg.findChild<QPushButton*>("cmdOut")->isEnabled());
        auto* lblMsg2 = dlg.findChild<QLabel*>("lblMsg2");
        auto* lblMsg3 = dlg.findChild<QLabel*>("lblMsg3");
        QVERIFY(lblMsg2->isVisible() && lblMsg3->isVisible());
        QVERIFY(!dlg.findChild<QLabel*>("lblMsg1")->isVisible());
        QCOMPARE(lblMsg2->text(), QStringLiteral("警告） "));
        QCOMPARE(lblMsg3->text(),
                 QStringLiteral("Microsoft Excel がインストールされていない為､この機能は御利用出来ません｡ "));
        const fs::path picked = tmp->path() / "mine";
        setSaveFileChooser([&](QWidget*, const QString&) { return QString::fromStdString(picked.string()); });
        QStringList status;
        connect(ctx.get(), &AppContext::statusMessage, this, [&](const QString& t) { status << t; });
        QTest::mouseClick(dlg.findChild<QPushButton*>("cmdSave"), Qt::LeftButton);
        QVERIFY(fs::exists(tmp->path() / "mine.xlsx"));
        QVERIFY(opened.empty());
        QCOMPARE(test::dumpWorkbook(tmp->path() / "mine.xlsx").sheet,
                 std::string("日間収支データ一覧  (2004年05月度)"));
        // The message line names the saved file.
        QCOMPARE(status, QStringList{QString::fromStdString((tmp->path() / "mine.xlsx").string()) +
                                     QStringLiteral(" に保存しました")});
    }

    // 保存... onto a FIFO: refused with a message, the FIFO and work.csv untouched.
    void saveRefusesATargetThatIsNotARegularFile() {
        const fs::path fifo = tmp->path() / "pipe.xlsx";
        QCOMPARE(::mkfifo(fifo.c_str(), 0644), 0);
        test::putBytes(tmp->path() / "Temp" / "work.csv", "old");
        MonthExportDialog dlg(*ctx, *monthly);
        QStringList status;
        connect(ctx.get(), &AppContext::statusMessage, this, [&](const QString& t) { status << t; });
        setSaveFileChooser([&](QWidget*, const QString&) { return QString::fromStdString(fifo.string()); });
        dlg.saveAs();
        QCOMPARE(answerer.asked.size(), size_t(1));
        QVERIFY2(answerer.asked[0].text.contains(QStringLiteral("通常のファイルではありません")),
                 qPrintable(answerer.asked[0].text));
        QVERIFY(!answerer.asked[0].text.contains(QStringLiteral("作者まで連絡")));
        QVERIFY(fs::is_fifo(fifo));
        QCOMPARE(test::fileBytes(tmp->path() / "Temp" / "work.csv"), std::string("old"));
        QVERIFY(status.isEmpty());
    }

    void analysisExportChoosesTheTableAndReportsAMissingApplication() {
        SearchCriteria c;
        c.user = "太郎";
        c.allPeriod = true;
        QStringList status;
        AnalysisExportSource src{tmp->path(), std::make_shared<const MatchedRecords>(loadRecords(tmp->path(), c)), c,
                                 [&](const QString& t) { status << t; }};
        {
            AnalysisExportDialog dlg(src);
            auto* cboOut = dlg.findChild<QComboBox*>("cboOut");
            QCOMPARE(cboOut->count(), 7);
            QCOMPARE(cboOut->itemText(4), QStringLiteral("年間曜日別収支"));
            QCOMPARE(cboOut->itemText(6), QStringLiteral("機種別収支"));
            cboOut->setCurrentIndex(1);
            dlg.writeAndOpen();
            QCOMPARE(opened, std::vector<fs::path>{tmp->path() / "Temp" / "月間収支データ一覧.xlsx"});
            const test::WorkbookDump d = test::dumpWorkbook(opened[0]);
            QCOMPARE(d.cell("A3").value, std::string("2004/03"));
            QCOMPARE(d.cell("A4").value, std::string("2004/04"));
            QCOMPARE(d.header.substr(d.header.size() - 9), std::string("：太郎"));
        }
        appPresent = false;
        AnalysisExportDialog dlg(src);
        dlg.writeAndOpen();
        QCOMPARE(answerer.asked.size(), size_t(1));
        QCOMPARE(answerer.asked[0].title, QStringLiteral("Excel 出力エラー"));
        // The warning says that 保存... still writes the workbook.
        QCOMPARE(
            answerer.asked[0].text,
            QStringLiteral("警告） Microsoft Excel がインストールされていない為､\n この出力機能は御利用出来ません｡\n"
                           " 「保存...」でファイルに保存することは出来ます｡"));
        QCOMPARE(workbooksIn(tmp->path() / "Temp").size(), size_t(1));
        setSaveFileChooser(
            [&](QWidget*, const QString&) { return QString::fromStdString((tmp->path() / "daily.xlsx").string()); });
        QVERIFY(status.isEmpty());
        dlg.saveAs();
        QCOMPARE(test::dumpWorkbook(tmp->path() / "daily.xlsx").sheet, std::string("日間収支データ一覧"));
        QCOMPARE(status, QStringList{QString::fromStdString((tmp->path() / "daily.xlsx").string()) +
                                     QStringLiteral(" に保存しました")});
    }

    // Both menu paths in the frame: ﾌｧｲﾙ → Excel 出力 and the analysis window's Excel 出力.
    void frameOpensBothExports() {
        monthly.reset();
        const QString store = QString::fromStdString((tmp->path() / "user-store.ini").string());
        auto main = std::make_unique<MainWindow>(*ctx, store);
        QVERIFY(main->start());
        main->monthlyWindow()->setYearMonth(QStringLiteral("2004"), QStringLiteral("03"));
        QAction* item = main->menuItem(QStringLiteral("mnuFileProperties"));
        QVERIFY(item->isEnabled());
        bool sawPrint = false;
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<MonthExportDialog*>(QApplication::activeModalWidget());
            sawPrint = dlg != nullptr;
            if (dlg) QTest::mouseClick(dlg->findChild<QPushButton*>("cmdOut"), Qt::LeftButton);
        });
        item->trigger();
        QVERIFY(sawPrint);
        QCOMPARE(opened.size(), size_t(1));
        QCOMPARE(test::dumpWorkbook(opened[0]).cell("A3").value, std::string("2004-03-02"));

        main->menuItem(QStringLiteral("mnuSerch"))->trigger();
        auto* db = main->findChild<AnalysisWindow*>();
        QVERIFY(db && db->cmdExcel()->isEnabled());
        db->Check2()->setChecked(true);
        QTest::mouseClick(db->cmdKen(), Qt::LeftButton);
        QCOMPARE(db->matchedRecords()->n(), 3);
        // A period ticked back on without a new search does not reach the condition line.
        db->Check2()->setChecked(false);
        QTimer::singleShot(0, [&] {
            if (auto* dlg = qobject_cast<AnalysisExportDialog*>(QApplication::activeModalWidget())) dlg->writeAndOpen();
        });
        QTest::mouseClick(db->cmdExcel(), Qt::LeftButton);
        QCOMPARE(opened.size(), size_t(2));
        const test::WorkbookDump d = test::dumpWorkbook(opened[1]);
        QCOMPARE(d.sheet, std::string("日間収支データ一覧"));
        QCOMPARE(d.cell("A3").value, std::string("2004-03-01"));  // oldest first, as read
        QCOMPARE(d.cell("A5").value, std::string("2004-04-01"));
        QVERIFY(d.cell("A1").value.find("全期間") != std::string::npos);
        main->close();
    }

    void stopInTheWaitWindowEndsTheWriter() {
        std::atomic<long> calls{0};
        ExportProgress wait([&](const xlsx::ProgressFn& progress) {
            for (long i = 0;; ++i) {
                calls = i;
                if (!progress(i % 100, 100)) throw xlsx::Cancelled();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
        QTimer::singleShot(200, &wait,
                           [&] { QTest::mouseClick(wait.findChild<QPushButton*>("cmdCancel"), Qt::LeftButton); });
        QCOMPARE(wait.run(), ExportProgress::Outcome::Stopped);
        QVERIFY(calls > 0);
    }

    // Esc and the close box stop the writer like 中止, and the window stays up
    // until the writer has cleaned up: run() never returns under a running writer.
    void theWaitWindowClosesOnlyAfterItsWriterEnded() {
        for (const bool byCloseBox : {false, true}) {
            std::atomic<bool> writerEnded{false};
            bool stillOpen = false;
            ExportProgress wait([&](const xlsx::ProgressFn& progress) {
                for (long i = 0; progress(1 + i % 99, 100); ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the clean-up takes a while
                writerEnded = true;
                throw xlsx::Cancelled();
            });
            QTimer::singleShot(200, &wait, [&] {
                if (byCloseBox) wait.close();
                else QTest::keyClick(&wait, Qt::Key_Escape);
                stillOpen = wait.isVisible();
            });
            QCOMPARE(wait.run(), ExportProgress::Outcome::Stopped);
            QVERIFY(stillOpen);
            QVERIFY(writerEnded);
            QVERIFY(wait.findChild<QProgressBar*>("prb1")->value() > 0);  // progress came by signal
        }
    }

    // The job's reports arrive on the window thread, the newest last and before
    // finished(); a writer that throws ends Failed with its text; a job destroyed
    // while its writer runs stops the writer and waits for it.
    void exportJobReportsOnTheWindowThreadAndOutlivesItsWriter() {
        ExportJob job;
        std::vector<std::pair<long, long>> seen;
        bool offThread = false, afterFinished = false, finished = false;
        connect(&job, &ExportJob::progressed, this, [&](long done, long total) {
            offThread |= QThread::currentThread() != thread();
            afterFinished |= finished;
            seen.emplace_back(done, total);
        });
        connect(&job, &ExportJob::finished, this, [&] { finished = true; });
        QCOMPARE(job.runAndWait(
                     [](const xlsx::ProgressFn& progress) {
                         for (long i = 1; i <= 20000; ++i) progress(i, 20000);
                     },
                     QEventLoop::AllEvents),
                 ExportJob::Outcome::Done);
        QVERIFY(finished && !job.isRunning());
        QVERIFY(!seen.empty() && !offThread && !afterFinished);
        QCOMPARE(seen.back(), (std::pair<long, long>{20000, 20000}));
        QVERIFY(job.error().isEmpty());

        QCOMPARE(job.runAndWait([](const xlsx::ProgressFn&) { throw std::runtime_error("書き込めません"); },
                                QEventLoop::AllEvents),
                 ExportJob::Outcome::Failed);
        QCOMPARE(job.error(), QStringLiteral("書き込めません"));

        std::atomic<bool> stopped{false};
        {
            ExportJob running;
            running.start([&](const xlsx::ProgressFn& progress) {
                while (progress(0, 1)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                stopped = true;
                throw xlsx::Cancelled();
            });
            QVERIFY(running.isRunning());
        }
        QVERIFY(stopped);
    }
};

QTEST_MAIN(ExportDialogsTest)
#include "export_dialogs_test.moc"
