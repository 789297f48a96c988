#pragma once
// Plugs the frame's dialog commands into their menu items: the hall and machine
// list editors (mnuHoll, mnuKisyu), the options dialog (mnuOption), the help
// contents and keyword index (mnuHelpContents, mnuHelpTopics), the manual's
// start page in the desktop's browser (mnuKobo_HP) and the about box (mnuHelpAbout).
#include <QString>
#include <filesystem>

namespace tama::ui {

class AppContext;
class frmMain;

void installDialogCommands(AppContext& ctx, frmMain& main);

// Whether `folder` is the per-user data folder rather than the program's own.
bool isPerUserFolder(const std::filesystem::path& folder);

// The status-line note at start-up when the data lives in the per-user folder
// (empty when it lives in the program folder).
QString perUserFolderNote(const std::filesystem::path& folder);

// Loads Qt's own Japanese texts (message-box buttons, context menus) into the
// application; false when the translation is not installed.
bool loadQtJapanese();

}  // namespace tama::ui
