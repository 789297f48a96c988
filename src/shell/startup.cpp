#include "startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "ui/app_context.h"
#include "shell/main_window.h"
#include "shell/splash.h"
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

std::filesystem::path resolveProgramFolder() {
    QString dir = QCoreApplication::applicationDirPath();
    if (!canWriteIn(dir)) {
        dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir().mkpath(dir);
    }
    return std::filesystem::path(QDir::cleanPath(dir).toStdString());
}

void installGraphWindow(AppContext& ctx, frmMain& main) {
    main.setGraphWindowFactory([&ctx, &main]() -> QWidget* { return new frmGluf(ctx, *main.monthlyWindow()); });
}

void installExportCommand(AppContext& ctx, frmMain& main) {
    main.setCommand(QStringLiteral("mnuFileProperties"), [&ctx, &main] {
        frmPrint dialog(ctx, *main.monthlyWindow(), &main);
        dialog.exec();
    });
}

std::unique_ptr<frmMain> runStartup(AppContext& ctx, const QString& userStorePath) {
    frmSplash splash;
    if (!splash.Form_Load(ctx)) return nullptr;
    auto main = std::make_unique<frmMain>(ctx, userStorePath);
    // The graph window draws from the monthly window's list; the load step opens
    // it right after the monthly window, and the window reset reopens it.
    installGraphWindow(ctx, *main);
    installExportCommand(ctx, *main);
    if (!main->MDIForm_Load()) return nullptr;
    splash.close();
    return main;
}

}  // namespace tama::ui
