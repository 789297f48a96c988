#pragma once
// What every window test starts from and cleans up after: a fresh temporary
// program folder, the program context over it, and a recorder that answers
// every message box instead of showing it. A test class derives from QObject
// and from GuiFixture, calls the set-up from its init() and finish() from its
// cleanup(), and reads the members directly.
#include <QObject>
#include <QString>
#include <QWidget>
#include <memory>

#include "../core/test_support.h"
#include "ui/app_context.h"
#include "ui/messages.h"

namespace tama::test {

// UTF-8 text (a Japanese caption or name) as a QString.
inline QString u(const char* utf8) { return QString::fromUtf8(utf8); }

// The child control `name` of a window; a missing one stops the test program,
// as every later step would only fail on it.
template <typename T>
T* child(QObject* parent, const char* name) {
    T* w = parent->findChild<T*>(QString::fromLatin1(name));
    if (!w) qFatal("no control %s", name);
    return w;
}

// Types text key by key; characters beyond ASCII arrive as key events that
// carry their text, as an input method delivers them.
void typeText(QWidget* w, const QString& text);

class GuiFixture {
protected:
    // A fresh, empty program folder, and a fresh recorder installed as the
    // answerer of every message.
    void startFolder();
    // The context over the program folder; with a frame inner size (in twips)
    // when the windows are to be laid out as inside a frame of that size.
    void openContext();
    void openContext(int innerWidthTwips, int innerHeightTwips);
    // Stops answering messages, drops the context and removes the folder.
    void finish();

    std::unique_ptr<TempFolder> tmp;
    std::unique_ptr<ui::AppContext> ctx;
    ui::RecordingAnswerer answerer;
};

}  // namespace tama::test
