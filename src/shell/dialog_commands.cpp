#include "dialog_commands.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>
#include <QUrl>

#include "masters/list_editor.h"
#include "monthly/monthly_window.h"
#include "options/options_dialog.h"
#include "shell/about_box.h"
#include "shell/help_viewer.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "ui/app_context.h"
#include "ui/messages.h"

namespace tama::ui {

namespace {
// The user whose lists the editors open; a refusal when none is chosen yet.
bool currentUser(frmMain& main, const QString& caption, QString& user) {
    user = main.monthlyWindow()->currentUser();
    if (!user.isEmpty()) return true;
    inputRefusal(&main, QStringLiteral("利用者が選択されていません。先に利用者を登録して下さい。"), caption);
    return false;
}
}  // namespace

void installDialogCommands(AppContext& ctx, frmMain& main) {
    main.setCommand(QStringLiteral("mnuHoll"), [&ctx, &main] {
        QString user;
        if (!currentUser(main, QStringLiteral("ホールリスト編集"), user)) return;
        frmHoll_upd dlg(ctx, user, &main);
        dlg.exec();
    });
    main.setCommand(QStringLiteral("mnuKisyu"), [&ctx, &main] {
        QString user;
        if (!currentUser(main, QStringLiteral("機種リスト編集"), user)) return;
        frmKisyu_upd dlg(ctx, user, &main);
        dlg.exec();
    });
    main.setCommand(QStringLiteral("mnuOption"), [&ctx, &main] {
        frmOption dlg(ctx, &main);
        dlg.exec();
    });
    main.setCommand(QStringLiteral("mnuHelpContents"), [&main] { showHelp(&main, false); });
    main.setCommand(QStringLiteral("mnuHelpTopics"), [&main] { showHelp(&main, true); });
    main.setCommand(QStringLiteral("mnuKobo_HP"), [&main] {
        const QString page = helpStartPage();
        if (page.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(page)))
            showMessage(&main, {QStringLiteral("ホームページを開けません。\r\r") +
                                    (page.isEmpty() ? QStringLiteral("ヘルプのページが見つかりません。") : page),
                                QStringLiteral("ホームページ"), Icon::Exclamation, Buttons::Ok});
    });
    main.setCommand(QStringLiteral("mnuHelpAbout"), [&ctx, &main] {
        frmAbout dlg(ctx, isPerUserFolder(ctx.programFolder()), &main);
        dlg.exec();
    });
}

bool isPerUserFolder(const std::filesystem::path& folder) {
    return QDir::cleanPath(QString::fromStdString(folder.string())) !=
           QDir::cleanPath(QCoreApplication::applicationDirPath());
}

QString perUserFolderNote(const std::filesystem::path& folder) {
    if (!isPerUserFolder(folder)) return {};
    const QString path = QString::fromStdString(folder.string());
    return programFolderInstalled()
               ? QStringLiteral("インストール版のため、利用者用フォルダーのデータを使います: %1").arg(path)
               : QStringLiteral("プログラムのフォルダーに書き込めないため、利用者用フォルダーのデータを使います: %1")
                     .arg(path);
}

bool loadQtJapanese() {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace tama::ui
