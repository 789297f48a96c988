#include "startup.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "ui/app_context.h"
#include "shell/main_window.h"
#include "shell/splash.h"
#include "shell/dialog_commands.h"
#include "analysis/analysis_window.h"
#include "export/export_dialogs.h"
#include "graphs/graph_window.h"
#include "monthly/monthly_window.h"

namespace tama::ui {

namespace {
// Whether a file can be made in `dir` (asking the file system is the only
// reliable answer: permission bits do not tell about read-only mounts).
bool canWriteIn(const QString& dir) {
    QTemporaryFile probe(dir + QStringLiteral("/.tamalog-probe-XXXXXX"));
    return probe.open();
}
}  // namespace

bool programFolderInstalled() {
    return QFileInfo::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/tamalog"));
}

std::filesystem::path resolveProgramFolder() {
    QString dir = QCoreApplication::applicationDirPath();
    if (programFolderInstalled() || !canWriteIn(dir)) {
        dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir().mkpath(dir);
    }
    // Resolved once here: the program folder may be reached through a link, but
    // every path below it is then built from the real folder, where the data
    // folders must be real folders themselves.
    std::filesystem::path folder(QDir::cleanPath(dir).toStdString());
    std::error_code ec;
    std::filesystem::path real = std::filesystem::canonical(folder, ec);
    return ec ? folder : real;
}

void installGraphWindow(AppContext& ctx, frmMain& main) {
    main.setGraphWindowFactory([&ctx, &main]() -> QWidget* {
        auto* graph = new frmGluf(ctx, *main.monthlyWindow());
        // A day clicked on the day graph: the monthly window comes forward at it.
        QObject::connect(graph, &frmGluf::dayOpened, &main,
                         [&main](const QString& year, const QString& month, const QString& day) {
                             frmMonthly* monthly = main.monthlyWindow();
                             monthly->showDay(year, month, day);
                             if (QMdiSubWindow* sub = main.subWindowOf(monthly)) {
                                 if (sub->isMinimized()) sub->showNormal();
                                 main.mdiArea()->setActiveSubWindow(sub);
                             }
                         });
        return graph;
    });
}

void installExportCommand(AppContext& ctx, frmMain& main) {
    main.setCommand(QStringLiteral("mnuFileProperties"), [&ctx, &main] {
        frmPrint dialog(ctx, *main.monthlyWindow(), &main);
        dialog.exec();
    });
}

void installAnalysisWindow(AppContext& ctx, frmMain& main) {
    auto window = std::make_shared<QPointer<frmDb>>();
    main.setCommand(QStringLiteral("mnuSerch"), [&ctx, &main, window] {
        if (!*window) {
            AnalysisOpening opening;
            if (frmMonthly* m = main.monthlyWindowIfOpen()) {
                for (int i = 0; i < m->cboUser()->count(); ++i) opening.users << m->cboUser()->itemText(i);
                opening.user = m->cboUser()->currentText();
            } else {
                for (const auto& u : ctx.store().userNames()) opening.users << qs(u);
            }
            if (QWidget* g = main.graphWindow()) {
                auto take = [g](const char* name, QStringList& entries, QString& text) {
                    if (auto* box = g->findChild<QComboBox*>(QLatin1String(name))) {
                        for (int i = 0; i < box->count(); ++i) entries << box->itemText(i);
                        text = box->currentText();
                    }
                };
                take("cboHoll", opening.halls, opening.hall);
                take("cboKisyu", opening.machines, opening.machine);
            }
            auto* db = new frmDb(ctx, opening);
            // Excel 出力 writes the tab chosen in frmExcel from the window's last search.
            installAnalysisExport(*db, ctx.programFolder(),
                                  [&ctx](const QString& text) { emit ctx.statusMessage(text); });
            *window = db;
            QMdiSubWindow* sub = main.mdiArea()->addSubWindow(db);
            sub->setAttribute(Qt::WA_DeleteOnClose);
            sub->show();
        }
        if (QMdiSubWindow* sub = main.subWindowOf(*window)) {
            if (sub->isMinimized()) sub->showNormal();
            main.mdiArea()->setActiveSubWindow(sub);
        }
        (*window)->setFocus();
    });
}

void installCommands(AppContext& ctx, frmMain& main) {
    // The graph window draws from the monthly window's list; the load step opens
    // it right after the monthly window, and the window reset reopens it.
    installGraphWindow(ctx, main);
    installDialogCommands(ctx, main);
    installAnalysisWindow(ctx, main);
    installExportCommand(ctx, main);
}

std::unique_ptr<frmMain> runStartup(AppContext& ctx, const QString& userStorePath) {
    frmSplash splash;
    if (!splash.Form_Load(ctx)) return nullptr;
    auto main = std::make_unique<frmMain>(ctx, userStorePath);
    installCommands(ctx, *main);
    if (!main->MDIForm_Load()) return nullptr;
    splash.close();
    return main;
}

}  // namespace tama::ui
