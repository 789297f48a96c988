#include "startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "ui/app_context.h"
#include "shell/main_window.h"
#include "shell/splash.h"
#include "graphs/graph_window.h"

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

void installGraphWindow(AppContext& ctx, MainWindow& main) {
    // The graph window draws from the monthly window's list; the load step opens
    // it right after the monthly window, and the window reset reopens it.
    main.setGraphWindowFactory([&ctx, &main] { return new GraphWindow(ctx, *main.monthlyWindow()); });
}

std::unique_ptr<MainWindow> runStartup(AppContext& ctx, const QString& userStorePath) {
    SplashWindow splash;
    if (!splash.load(ctx)) return nullptr;
    auto main = std::make_unique<MainWindow>(ctx, userStorePath);
    installGraphWindow(ctx, *main);
    if (!main->start()) return nullptr;
    splash.close();
    return main;
}

}  // namespace tama::ui
