#include "frame_fixture.h"

#include <QSettings>

namespace tama::test {

QString writeFrameStore(const fs::path& programFolder, int widthPixels, int heightPixels, bool atTopLeft) {
    const QString path = QString::fromStdString((programFolder / "user-store.ini").string());
    QSettings store(path, QSettings::IniFormat);
    store.beginGroup(QStringLiteral("Settings"));
    if (atTopLeft) {
        store.setValue(QStringLiteral("MainLeft"), QStringLiteral("0"));
        store.setValue(QStringLiteral("MainTop"), QStringLiteral("0"));
    }
    store.setValue(QStringLiteral("MainWidth"), QString::number(ui::pixelsToTwipsX(widthPixels)));
    store.setValue(QStringLiteral("MainHeight"), QString::number(ui::pixelsToTwipsY(heightPixels)));
    return path;
}

void FrameFixture::finish() {
    if (main) main->close();
    main.reset();
    GuiFixture::finish();
}

}  // namespace tama::test
