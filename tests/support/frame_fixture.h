#pragma once
// The window-test fixture with the main frame: the frame's place and size
// written into a per-user store in the program folder, and the frame closed
// before the context and the folder go.
#include <QString>
#include <memory>

#include "gui_fixture.h"
#include "shell/main_window.h"

namespace tama::test {

// Writes the frame's size in pixels into user-store.ini in the program folder
// (with atTopLeft, its place at 0,0 too) and returns the store's path.
QString writeFrameStore(const fs::path& programFolder, int widthPixels, int heightPixels, bool atTopLeft = true);

class FrameFixture : public GuiFixture {
protected:
    // Closes and drops the frame when one is open, then as GuiFixture::finish.
    void finish();

    std::unique_ptr<ui::MainWindow> main;
};

}  // namespace tama::test
