#include "app_context.h"

#include "shared/file_io.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <cmath>

#include "options/monthly_budget.h"
#include "shared/number_format.h"
#include "storage/data_folders.h"

namespace tama::ui {

AppContext::AppContext(std::filesystem::path programFolder, QObject* parent)
    : QObject(parent), programFolder_(programFolder), store_(programFolder), lists_(programFolder),
      settings_(settingsFilePath(programFolder)) {}

void AppContext::setOptions(const OptionSet& options, bool notify) {
    options_ = options;
    if (notify) emit optionsChanged();
}

void AppContext::loadOptions() {
    options_ = readOptionSet(settings_);
    budget_ = readMonthlyBudget(settings_);
    // A settings file that is no regular file (a folder, FIFO or link under the
    // name) leaves the defaults; the reader says why, as for other data files.
    readFileBytes(settings_.path());
}

void AppContext::setMonthlyBudget(std::optional<std::int64_t> yen) {
    if (yen == budget_) return;
    budget_ = yen;
    emit budgetChanged();
}

void AppContext::setFrameInnerSize(int widthTwips, int heightTwips) {
    frameWidth_ = widthTwips;
    frameHeight_ = heightTwips;
}

QColor AppContext::overallColour() const { return colourFromStored(colourValue(options_.cmdAllBackColor, 0x8000000F)); }

QColor AppContext::graphAxisColour() const { return colourFromStored(colourValue(options_.cmdGlufBackColor, 255)); }

QString AppContext::readSetting(const QString& section, const QString& key) const {
    return qs(settings_.read(ss(section), ss(key)));
}

std::optional<double> AppContext::readSettingNumber(const QString& section, const QString& key) const {
    return parseNumber(settings_.read(ss(section), ss(key)));
}

void AppContext::writeSetting(const QString& section, const QString& key, const QString& value) {
    settings_.write(ss(section), ss(key), ss(value));
}

QColor colourFromStored(std::uint32_t value) {
    if (value & 0x80000000u) {
        // System colour numbers of the original platform, mapped to the palette.
        QPalette pal = QGuiApplication::palette();
        switch (value & 0xFF) {
            case 5: return pal.color(QPalette::Base);        // window background
            case 8: return pal.color(QPalette::Text);        // window text
            case 12: return pal.color(QPalette::Window);     // MDI background
            case 13: return pal.color(QPalette::Highlight);  // highlight
            case 14: return pal.color(QPalette::HighlightedText);
            case 18: return pal.color(QPalette::ButtonText);
            default: return pal.color(QPalette::Button);  // 15: button face
        }
    }
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

namespace {
double dpiX() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchX() : 96.0;
}
double dpiY() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchY() : 96.0;
}
}  // namespace

double twipsPerPixelX() { return 1440.0 / dpiX(); }
double twipsPerPixelY() { return 1440.0 / dpiY(); }
int twipsToPixelsX(double twips) { return static_cast<int>(std::lround(twips / twipsPerPixelX())); }
int twipsToPixelsY(double twips) { return static_cast<int>(std::lround(twips / twipsPerPixelY())); }
double pixelsToTwipsX(int pixels) { return pixels * twipsPerPixelX(); }
double pixelsToTwipsY(int pixels) { return pixels * twipsPerPixelY(); }

}  // namespace tama::ui
