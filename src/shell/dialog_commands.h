#pragma once
// Helpers of the frame's dialog commands (the about box's folder note, Qt's
// Japanese texts). The commands themselves are MainWindow's slots, defined in
// dialog_commands.cpp: the hall and machine list editors (mnuHoll, mnuKisyu),
// the options dialog (mnuOption), the help contents and keyword index
// (mnuHelpContents, mnuHelpTopics), the manual's start page in the desktop's
// browser (mnuKobo_HP), the about box (mnuHelpAbout), the monthly export
// (mnuFileProperties) and the analysis window (mnuSerch, the toolbar's "分析").
#include <QString>
#include <filesystem>

namespace tama::ui {

// Whether `folder` is the per-user data folder rather than the program's own.
bool isPerUserFolder(const std::filesystem::path& folder);

// The status-line note at start-up when the data lives in the per-user folder
// (empty when it lives in the program folder).
QString perUserFolderNote(const std::filesystem::path& folder);

// Loads Qt's own Japanese texts (message-box buttons, context menus) into the
// application; false when the translation is not installed.
bool loadQtJapanese();

}  // namespace tama::ui
