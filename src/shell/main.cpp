// タマログ: the program. It takes no command-line options; its data lives in
// the program folder (see resolveProgramFolder).
#include <QApplication>
#include <QIcon>

#include "ui/app_context.h"
#include "shell/main_window.h"
#include "shell/startup.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QString::fromLatin1(tama::ui::kApplicationTitle));
    QCoreApplication::setApplicationName(QString::fromLatin1(tama::ui::kApplicationTitle));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tamalog/icon.png")));

    tama::ui::AppContext ctx(tama::ui::resolveProgramFolder());
    std::unique_ptr<tama::ui::frmMain> main = tama::ui::runStartup(ctx);
    if (!main) return 1;
    return app.exec();
}
