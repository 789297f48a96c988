// tamalog-screenshots PROGRAM_FOLDER OUT_DIR
//
// Opens the real windows on a program folder that holds sample data and saves
// what each one shows as a PNG file in OUT_DIR, so that anyone can see what a
// change did to the screen. Meant for the offscreen platform
// (QT_QPA_PLATFORM=offscreen); scripts/screenshots makes the sample data.
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QIcon>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QHelpEvent>
#include <QPainter>
#include <QPixmap>
#include <QTableView>
#include <QToolTip>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "export/export_dialogs.h"
#include "masters/list_editor.h"
#include "masters/user_manager.h"
#include "options/options_dialog.h"
#include "shell/about_box.h"
#include "shell/help_viewer.h"
#include "monthly/calendar_window.h"
#include "monthly/monthly_window.h"
#include "ui/app_context.h"
#include "shell/main_window.h"
#include "shell/restore_dialog.h"
#include "ui/messages.h"
#include "shell/splash.h"
#include "storage/data_folders.h"
#include "storage/record_store.h"

#include "analysis/analysis_window.h"
#include "entry/entry_form.h"
#include "graphs/graph_series.h"
#include "graphs/graph_window.h"
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLineEdit>
#include "shell/startup.h"

namespace {

using namespace tama::ui;

void settle(int ms = 200) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool save(QWidget* w, const QDir& out, const QString& name) {
    settle(50);
    const QString path = out.filePath(name);
    if (!w->grab().save(path)) {
        std::fprintf(stderr, "tamalog-screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// The user, year and month the sample pictures show: the first user, his last
// year on file and the month of that year's last record.
struct Sample {
    QString user, year, month;
};
bool pickSample(const tama::RecordStore& store, Sample& s) {
    const auto users = store.userNames();
    for (const std::string& user : users) {
        const auto files = tama::listYearFiles(store, user);
        if (files.empty()) continue;
        const std::string& year = files.back().year;
        const tama::YearRecordList list = store.loadYear(user, year);
        if (list.records.empty()) continue;
        s = {qs(user), qs(year), qs(list.records.back().Tuki)};
        return true;
    }
    return false;
}

// A picture of `w` with the open tooltip drawn where it stands (a tooltip is a
// window of its own, which a grab of `w` leaves out).
QPixmap withTooltip(QWidget* w) {
    QPixmap shot = w->grab();
    if (QToolTip::isVisible())
        for (QWidget* tip : QApplication::topLevelWidgets())
            if (tip->inherits("QTipLabel") && tip->isVisible()) {
                QPainter p(&shot);
                p.drawPixmap(w->mapFromGlobal(tip->pos()), tip->grab());
            }
    return shot;
}

// Clicking into the graphs: the year graph, the month graph of its last year
// (with the pointing hand's tooltip over a month), the day graph of that
// month, and the monthly window brought forward at a clicked day.
bool drillShots(MainWindow& main, const QDir& out) {
    auto* graph = qobject_cast<GraphWindow*>(main.graphWindow());
    if (!graph) return false;
    bool ok = true;
    QMdiSubWindow* sub = main.subWindowOf(graph);
    main.mdiArea()->setActiveSubWindow(sub);
    graph->cboKikan()->setCurrentText(QStringLiteral("年間ﾃﾞｰﾀ"));
    settle(300);
    const int years = static_cast<int>(graph->series().points.size());
    if (years == 0) return false;
    graph->pointClicked(years - 1);
    settle(300);
    // The tooltip of the month with the largest figure, shown over its bar.
    auto* bars = qobject_cast<QBarSeries*>(graph->chart()->series().value(0));
    auto* view = graph->findChild<QChartView*>(QStringLiteral("chartView"));
    const auto& points = graph->series().points;
    int month = 0;
    for (int i = 1; i < static_cast<int>(points.size()); ++i)
        if (points[static_cast<size_t>(i)].value > points[static_cast<size_t>(month)].value) month = i;
    if (bars && view && !bars->barSets().isEmpty()) {
        const QPointF at = graph->chart()->mapToPosition(QPointF(month, points[static_cast<size_t>(month)].value / 2),
                                                         bars);
        QCursor::setPos(view->viewport()->mapToGlobal(view->mapFromScene(at)));
        emit bars->hovered(true, month, bars->barSets().first());
        settle(300);
        // The chart's own hover handling can take the tooltip down again as the
        // moved cursor is delivered; show it once more until it stays up.
        for (int tries = 0; tries < 10 && !QToolTip::isVisible(); ++tries) {
            emit bars->hovered(true, month, bars->barSets().first());
            settle(100);
        }
    }
    const QPixmap monthShot = withTooltip(sub);
    ok &= monthShot.save(out.filePath(QStringLiteral("graph_drill_month.png")));
    std::printf("%s\n", qPrintable(out.filePath(QStringLiteral("graph_drill_month.png"))));
    if (bars && !bars->barSets().isEmpty()) emit bars->hovered(false, month, bars->barSets().first());
    QToolTip::hideText();
    graph->pointClicked(month);
    settle(300);
    ok &= save(sub, out, QStringLiteral("graph_drill_day.png"));
    // The day graph's best day: the monthly window comes forward with its first row selected.
    const auto& days = graph->series().points;
    int best = 0;
    for (int i = 1; i < static_cast<int>(days.size()); ++i)
        if (days[static_cast<size_t>(i)].value > days[static_cast<size_t>(best)].value) best = i;
    graph->pointClicked(best);
    settle(300);
    ok &= save(&main, out, QStringLiteral("frame_drill_monthly.png"));
    graph->goBack();
    graph->goBack();
    graph->cboKikan()->setCurrentText(QStringLiteral("日間ﾃﾞｰﾀ"));
    settle(200);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("tamalog-screenshots"));
    QCoreApplication::setApplicationName(QStringLiteral("tamalog-screenshots"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tamalog/icon.png")));
    if (argc != 3) {
        std::fprintf(stderr, "usage: tamalog-screenshots PROGRAM_FOLDER OUT_DIR\n");
        return 2;
    }
    const std::filesystem::path folder = std::filesystem::path(argv[1]);
    QDir out(QString::fromLocal8Bit(argv[2]));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "tamalog-screenshots: cannot make %s\n", argv[2]);
        return 1;
    }
    // No box may wait for a click here: print it and go on.
    setAnswerer([](const MessageRequest& r) {
        std::fprintf(stderr, "[%s] %s\n", qPrintable(r.title), qPrintable(r.text));
        return r.buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    });

    AppContext ctx(folder);
    Sample sample;
    if (!pickSample(ctx.store(), sample)) {
        std::fprintf(stderr, "tamalog-screenshots: %s holds no user with records\n", argv[1]);
        return 1;
    }
    ctx.writeSetting(QStringLiteral("monthly"), QStringLiteral("cboUser.Text"), sample.user);
    bool ok = true;

    // The splash window after the scan of the sample user.
    {
        SplashWindow splash;
        if (!splash.load(ctx)) return 1;
        ok &= save(&splash, out, QStringLiteral("splash.png"));
        splash.close();
    }

    // The frame with its children, at a size that shows them well.
    QTemporaryDir storeDir;
    const QString storePath = storeDir.filePath(QStringLiteral("user-store.ini"));
    {
        QSettings store(storePath, QSettings::IniFormat);
        store.beginGroup(QStringLiteral("Settings"));
        store.setValue(QStringLiteral("MainLeft"), QString::number(pixelsToTwipsX(0)));
        store.setValue(QStringLiteral("MainTop"), QString::number(pixelsToTwipsY(0)));
        store.setValue(QStringLiteral("MainWidth"), QString::number(pixelsToTwipsX(1360)));
        store.setValue(QStringLiteral("MainHeight"), QString::number(pixelsToTwipsY(820)));
    }
    MainWindow main(ctx, storePath);
    installGraphWindow(ctx, main);
    if (!main.start()) return 1;
    MonthlyWindow* monthly = main.monthlyWindow();
    monthly->txtNen()->setText(sample.year);
    monthly->txtTuki()->setText(sample.month);
    main.restoreDefaultLayout();
    settle(400);
    ok &= save(&main, out, QStringLiteral("frame.png"));
    if (QMdiSubWindow* sub = main.subWindowOf(monthly)) ok &= save(sub, out, QStringLiteral("monthly.png"));
    // The calendar beside the monthly window (over the graph window's place), a
    // visit day chosen: its first row is selected in the monthly list.
    if (QAction* item = main.menuItem(QStringLiteral("mnuCalendar"))) item->trigger();
    if (CalendarWindow* calendar = main.calendarWindowIfOpen()) {
        for (int day = 1; day <= 31; ++day)
            if (const auto* cell = calendar->calendar().cellOf(day); cell && cell->visited()) {
                calendar->grid()->setCurrentIndex(QModelIndex());  // a change, also when the 1st is current
                calendar->grid()->setCurrentIndex(calendar->indexOfDay(day));
                break;
            }
        settle(300);
        ok &= save(&main, out, QStringLiteral("frame_calendar.png"));
        if (QMdiSubWindow* sub = main.subWindowOf(calendar)) {
            ok &= save(sub, out, QStringLiteral("calendar.png"));
            sub->close();
        }
        settle(100);
    }
    // A monthly budget 5,000 yen short of a losing month (10,000 yen for a winning
    // one): "予算残り" beside the month's balance, red when below 0.
    {
        const std::int64_t balance = monthly->monthSummary().balance;
        ctx.setMonthlyBudget(balance < -6000 ? -balance - 5000 : 10000);
        settle(100);
        if (QMdiSubWindow* sub = main.subWindowOf(monthly)) ok &= save(sub, out, QStringLiteral("monthly_budget.png"));
        OptionsDialog options(ctx, &main);
        if (auto* tabs = options.findChild<QTabWidget*>(QStringLiteral("stb1")))
            tabs->setCurrentIndex(tabs->count() - 1);
        options.show();
        ok &= save(&options, out, QStringLiteral("options_budget.png"));
        options.close();
        ctx.setMonthlyBudget(std::nullopt);
    }
    ok &= drillShots(main, out);
    monthly->setYearMonth(sample.year, sample.month);
    main.restoreDefaultLayout();
    settle(200);

    {
        EntryForm form(ctx, *monthly, &main);
        form.prepareNew();
        form.show();
        ok &= save(&form, out, QStringLiteral("entry_new.png"));
        form.close();
    }
    if (monthly->monthCount() > 0) {
        EntryForm form(ctx, *monthly, &main);
        form.prepareEdit(monthly->monthFirst(), 1);
        form.show();
        ok &= save(&form, out, QStringLiteral("entry_edit.png"));
        form.close();
    }

    {
        UserManager users(
            ctx, [&main] { main.refresh(); }, &main);
        if (users.lst1()->count() > 0) users.lst1()->setCurrentRow(0);
        users.show();
        ok &= save(&users, out, QStringLiteral("user_manager.png"));
        users.close();
    }

    // The list editors with a name picked, the options dialog, the about box and the help.
    {
        HallListEditor holl(ctx, sample.user, &main);
        if (holl.lst1()->count() > 0) {
            holl.lst1()->setCurrentRow(0);
            holl.entrySelected();
        }
        holl.show();
        ok &= save(&holl, out, QStringLiteral("hall_list_editor.png"));
        holl.close();
        MachineListEditor kisyu(ctx, sample.user, &main);
        if (kisyu.lst1()->count() > 0) {
            kisyu.lst1()->setCurrentRow(0);
            kisyu.entrySelected();
        }
        kisyu.show();
        ok &= save(&kisyu, out, QStringLiteral("machine_list_editor.png"));
        kisyu.close();
        OptionsDialog options(ctx, &main);
        options.show();
        ok &= save(&options, out, QStringLiteral("options.png"));
        options.close();
        AboutBox about(ctx, false, &main);
        about.show();
        ok &= save(&about, out, QStringLiteral("about.png"));
        about.close();
        if (HelpViewer* help = showHelp(&main, false)) {
            settle(600);  // the contents are built in the background
            ok &= save(help, out, QStringLiteral("help.png"));
            showHelp(&main, true);
            settle(400);
            ok &= save(help, out, QStringLiteral("help_index.png"));
            help->close();
        } else {
            ok = false;
        }
    }
    // The frame with its children minimised: the tiled background.
    for (QMdiSubWindow* w : main.mdiArea()->subWindowList()) w->showMinimized();
    settle(200);
    ok &= save(&main, out, QStringLiteral("frame_background.png"));
    for (QMdiSubWindow* w : main.mdiArea()->subWindowList()) w->showNormal();
    // The monthly export, as on a desktop with a spreadsheet application and without one.
    for (bool withApp : {true, false}) {
        setSpreadsheetProbe([withApp] { return withApp; });
        MonthExportDialog print(ctx, *monthly, &main);
        print.show();
        ok &= save(&print, out,
                   withApp ? QStringLiteral("export_month.png") : QStringLiteral("export_month_no_app.png"));
        print.close();
    }
    setSpreadsheetProbe({});
    {
        RestoreDialog restore(ctx, sample.user, &main);
        restore.show();
        ok &= save(&restore, out, QStringLiteral("restore.png"));
        restore.close();
    }

    // First run: an installation without users.
    {
        QTemporaryDir empty;
        tama::ensureDataFolders(std::filesystem::path(empty.path().toStdString()));
        AppContext fresh(std::filesystem::path(empty.path().toStdString()));
        UserManager first(fresh, {}, &main);
        first.setFirstRun(true);
        first.show();
        ok &= save(&first, out, QStringLiteral("first_run.png"));
        first.close();
    }

    // The monthly grid with texts too long for their columns: cut with "…",
    // the whole text as a tooltip on the hall name.
    if (QMdiSubWindow* sub = main.subWindowOf(monthly); sub && monthly->monthCount() > 0) {
        auto* grid = monthly->findChild<QTableView*>(QStringLiteral("mfgDat"));
        const int width2 = grid->columnWidth(2), width6 = grid->columnWidth(6);
        grid->setColumnWidth(2, 60);
        grid->setColumnWidth(6, 40);
        const QModelIndex hall = grid->model()->index(0, 2);
        const QPoint at = grid->visualRect(hall).center();
        QHelpEvent help(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid->viewport(), &help);
        settle(300);
        // The tooltip is a window of its own: drawn onto the picture where it stands.
        QPixmap shot = sub->grab();
        if (QToolTip::isVisible())
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->inherits("QTipLabel") && w->isVisible()) {
                    QPainter p(&shot);
                    p.drawPixmap(sub->mapFromGlobal(w->pos()), w->grab());
                }
        ok &= shot.save(out.filePath(QStringLiteral("monthly_cut_texts.png")));
        QToolTip::hideText();
        grid->setColumnWidth(2, width2);
        grid->setColumnWidth(6, width6);
    }

    // A year whose file cannot be read: the notice in place of the summary and on the day graph.
    {
        const std::filesystem::path damaged = ctx.store().userFolder(tama::ui::ss(sample.user)) / "s1999.sdb";
        std::FILE* f = std::fopen(damaged.c_str(), "wb");
        if (f) {
            std::fputs("\"1999/05/01\",\"1999\"\r\n", f);
            std::fclose(f);
            monthly->setYearMonth(QStringLiteral("1999"), QStringLiteral("05"));
            settle(400);
            ok &= save(&main, out, QStringLiteral("frame_damaged_year.png"));
            // The calendar shows the same notice instead of an empty month.
            if (CalendarWindow* calendar = main.calendarWindow()) {
                settle(200);
                if (QMdiSubWindow* sub = main.subWindowOf(calendar)) {
                    ok &= save(sub, out, QStringLiteral("calendar_damaged_year.png"));
                    sub->close();
                }
            }
            std::filesystem::remove(damaged);
            monthly->setYearMonth(sample.year, sample.month);
        }
    }

    // The analysis window over every period, one picture per tab.
    if (QAction* serch = main.menuItem(QStringLiteral("mnuSerch"))) serch->trigger();
    if (auto* db = main.findChild<AnalysisWindow*>()) {
        db->Check2()->click();
        db->cmdKen()->click();
        QWidget* sub = main.subWindowOf(db);
        for (int tab = 0; tab < db->stb1()->count(); ++tab) {
            db->stb1()->setCurrentIndex(tab);
            ok &= save(sub ? sub : db, out, QStringLiteral("analysis_tab%1.png").arg(tab));
        }
        db->stb1()->setCurrentIndex(0);
        ok &= save(&main, out, QStringLiteral("frame_analysis.png"));
        // The records whose comment holds "連".
        db->txtCome()->setText(QStringLiteral("連"));
        db->cmdKen()->click();
        ok &= save(sub ? sub : db, out, QStringLiteral("analysis_comment.png"));
        db->txtCome()->clear();
        db->cmdKen()->click();
        AnalysisExportDialog choice({ctx.programFolder(), db->matchedRecords(), db->criteria(), {}}, &main);
        choice.show();
        ok &= save(&choice, out, QStringLiteral("export_analysis.png"));
        choice.close();
    } else {
        std::fprintf(stderr, "tamalog-screenshots: the analysis window did not open\n");
        ok = false;
    }

    main.close();

    // First start: a program folder with one user and no stored frame position.
    {
        QTemporaryDir fresh;
        const std::filesystem::path freshFolder(fresh.path().toStdString());
        tama::ensureDataFolders(freshFolder);
        std::filesystem::create_directories(freshFolder / "Data" / tama::ui::ss(sample.user));
        AppContext freshCtx(freshFolder);
        QTemporaryDir freshStore;
        MainWindow first(freshCtx, freshStore.filePath(QStringLiteral("user-store.ini")));
        installGraphWindow(freshCtx, first);
        if (first.start()) {
            settle(400);
            ok &= save(&first, out, QStringLiteral("frame_first_start.png"));
        }
        first.close();
    }
    return ok ? 0 : 1;
}
