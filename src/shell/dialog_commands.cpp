#include "dialog_commands.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLibraryInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTranslator>
#include <QUrl>

#include "analysis/analysis_window.h"
#include "export/export_dialogs.h"
#include "graphs/graph_window.h"
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

// The frame's commands that open a dialog or another window.

bool MainWindow::listUser(const QString& caption, QString& user) {
    user = monthlyWindow()->currentUser();
    if (!user.isEmpty()) return true;
    inputRefusal(this, QStringLiteral("利用者が選択されていません。先に利用者を登録して下さい。"), caption);
    return false;
}

void MainWindow::editHalls() {
    QString user;
    if (!listUser(QStringLiteral("ホールリスト編集"), user)) return;
    HallListEditor dlg(ctx_, user, this);
    dlg.exec();
}

void MainWindow::editMachines() {
    QString user;
    if (!listUser(QStringLiteral("機種リスト編集"), user)) return;
    MachineListEditor dlg(ctx_, user, this);
    dlg.exec();
}

void MainWindow::openOptions() {
    OptionsDialog dlg(ctx_, this);
    dlg.exec();
}

void MainWindow::helpContents() { showHelp(this, false); }

void MainWindow::helpTopics() { showHelp(this, true); }

void MainWindow::openHomePage() {
    const QString page = helpStartPage();
    if (page.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(page)))
        showMessage(this, {QStringLiteral("ホームページを開けません。\r\r") +
                               (page.isEmpty() ? QStringLiteral("ヘルプのページが見つかりません。") : page),
                           QStringLiteral("ホームページ"), Icon::Exclamation, Buttons::Ok});
}

void MainWindow::about() {
    AboutBox dlg(ctx_, isPerUserFolder(ctx_.programFolder()), this);
    dlg.exec();
}

void MainWindow::exportMonth() {
    MonthExportDialog dialog(ctx_, *monthlyWindow(), this);
    dialog.exec();
}

void MainWindow::openAnalysis() {
    if (!analysis_) {
        AnalysisOpening opening;
        if (MonthlyWindow* m = monthlyWindowIfOpen()) {
            for (int i = 0; i < m->cboUser()->count(); ++i) opening.users << m->cboUser()->itemText(i);
            opening.user = m->cboUser()->currentText();
        } else {
            for (const auto& u : ctx_.store().userNames()) opening.users << qs(u);
        }
        if (GraphWindow* g = graphWindow()) {
            auto take = [](QComboBox* box, QStringList& entries, QString& text) {
                for (int i = 0; i < box->count(); ++i) entries << box->itemText(i);
                text = box->currentText();
            };
            take(g->cboHoll(), opening.halls, opening.hall);
            take(g->cboKisyu(), opening.machines, opening.machine);
        }
        auto* db = new AnalysisWindow(ctx_, opening);
        // Excel 出力 writes the tab chosen in AnalysisExportDialog from the window's last search.
        installAnalysisExport(*db, ctx_.programFolder(),
                              [this](const QString& text) { emit ctx_.statusMessage(text); });
        analysis_ = db;
        QMdiSubWindow* sub = mdi_->addSubWindow(db);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->show();
    }
    if (QMdiSubWindow* sub = subWindowOf(analysis_)) {
        if (sub->isMinimized()) sub->showNormal();
        mdi_->setActiveSubWindow(sub);
    }
    analysis_->setFocus();
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
