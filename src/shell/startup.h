#pragma once
// The start of the program: where its data lives, and the sequence from the
// splash window to the open main window.
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>

namespace tama::ui {

class AppContext;
class MainWindow;

// The program folder: the folder of the executable when files can be made
// there and the program is not an installed one, else the per-user data folder
// (created when missing).
std::filesystem::path resolveProgramFolder();

// Whether the program runs from an installation (<prefix>/bin beside
// <prefix>/share/tamalog): its folder is shared by other programs and holds
// no data, whether or not it could be written.
bool programFolderInstalled();

// Gives the frame the factory of its graph window (before start).
void installGraphWindow(AppContext& ctx, MainWindow& main);

// Runs the splash window's steps on `ctx`, then opens the main window with its
// load step, then closes the splash window. Returns the open main window, or
// null when start-up ended the run (data folders that could not be made, or a
// second instance). `userStorePath` is passed on to MainWindow.
std::unique_ptr<MainWindow> runStartup(AppContext& ctx, const QString& userStorePath = {});

}  // namespace tama::ui
