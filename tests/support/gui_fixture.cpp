#include "gui_fixture.h"

#include <QtTest>

namespace tama::test {

void typeText(QWidget* w, const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x80) QTest::keyClick(w, c.toLatin1());
        else QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void GuiFixture::startFolder() {
    tmp = std::make_unique<TempFolder>();
    answerer = ui::RecordingAnswerer{};
    answerer.install();
}

void GuiFixture::openContext() { ctx = std::make_unique<ui::AppContext>(tmp->path()); }

void GuiFixture::openContext(int innerWidthTwips, int innerHeightTwips) {
    openContext();
    ctx->setFrameInnerSize(innerWidthTwips, innerHeightTwips);
}

void GuiFixture::finish() {
    ui::setAnswerer({});
    ctx.reset();
    tmp.reset();
}

}  // namespace tama::test
