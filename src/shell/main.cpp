// タマログ: the program. It takes no command-line options; its data lives in
// the program folder (see resolveProgramFolder).
#include <QApplication>
#include <QIcon>

#include "ui/app_context.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "shell/dialog_commands.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QString::fromLatin1(tama::ui::kApplicationTitle));
    QCoreApplication::setApplicationName(QString::fromLatin1(tama::ui::kApplicationTitle));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tamalog/icon.png")));
    // Qt's own texts in Japanese: はい / いいえ / キャンセル, the text boxes' context menus.
    tama::ui::loadQtJapanese();

    tama::ui::AppContext ctx(tama::ui::resolveProgramFolder());
    std::unique_ptr<tama::ui::MainWindow> main = tama::ui::runStartup(ctx);
    if (!main) return 1;
    const QString note = tama::ui::perUserFolderNote(ctx.programFolder());
    if (!note.isEmpty()) main->setStatusMessage(note);
    return app.exec();
}
