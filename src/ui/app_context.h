#pragma once
// What the windows share for one run: the program folder with its stores, the
// settings file, the display options, the frame's inner size, and the change
// notifications that replace polling (records saved, users changed, options
// changed). Created once in main and passed to every window; no globals.
#include <QObject>
#include <QColor>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "storage/master_lists.h"
#include "storage/record_store.h"
#include "storage/settings_file.h"

namespace tama::ui {

class AppContext : public QObject {
    Q_OBJECT
public:
    explicit AppContext(std::filesystem::path programFolder, QObject* parent = nullptr);

    const std::filesystem::path& programFolder() const { return programFolder_; }
    RecordStore& store() { return store_; }
    MasterLists& lists() { return lists_; }
    SettingsFile& settings() { return settings_; }

    // The display options read at start-up; replaced by the options dialog.
    const OptionSet& options() const { return options_; }
    // Open windows follow through optionsChanged unless `notify` is false (the
    // options dialog's Defaults change the options without recolouring).
    void setOptions(const OptionSet& options, bool notify = true);
    // Reads the options (and the monthly budget) from the settings file (start-up).
    void loadOptions();

    // The monthly budget of this run in yen (the most the player means to lose in
    // a month); nothing when off. Read with the options, replaced by the options
    // dialog; a change is announced by budgetChanged.
    std::optional<std::int64_t> monthlyBudget() const { return budget_; }
    void setMonthlyBudget(std::optional<std::int64_t> yen);

    // The frame's inner width and height in twips, recorded when the main window
    // opens and by the window reset; defaults for the child windows' layout.
    int frameInnerWidth() const { return frameWidth_; }
    int frameInnerHeight() const { return frameHeight_; }
    void setFrameInnerSize(int widthTwips, int heightTwips);

    // The first-run flag: set by the main window as it opens, true when the Data
    // folder held no user. It holds for the whole run: every add in the user
    // manager during such a run closes the dialog and shows the new user.
    bool firstRun() const { return firstRun_; }
    void setFirstRun(bool on) { firstRun_ = on; }

    // The overall colour ("全体色") as a QColor (system colours resolved).
    QColor overallColour() const;
    // The graph axis colour.
    QColor graphAxisColour() const;

    // Settings file access in UTF-8 QString form.
    QString readSetting(const QString& section, const QString& key) const;
    void writeSetting(const QString& section, const QString& key, const QString& value);
    // A setting read as a number (sign and thousands separators allowed, as
    // parseNumber reads them); nothing when the key is missing or not a number.
    std::optional<double> readSettingNumber(const QString& section, const QString& key) const;

signals:
    // Records of `user` were saved, changed or deleted (entry form).
    void recordsChanged();
    // Users were added, renamed or deleted (user manager).
    void usersChanged();
    // The options dialog replaced the options.
    void optionsChanged();
    // The options dialog set another monthly budget.
    void budgetChanged();
    // A hall or machine list changed (entry form save, list editors).
    void listsChanged();
    // A text for the program's message line (status panel 1 of the main window).
    void statusMessage(const QString& text);

private:
    std::filesystem::path programFolder_;
    RecordStore store_;
    MasterLists lists_;
    SettingsFile settings_;
    OptionSet options_;
    std::optional<std::int64_t> budget_;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    bool firstRun_ = false;
};

// Converts a stored colour value (0x00BBGGRR, or 0x80000000 + n for system colour n).
QColor colourFromStored(std::uint32_t value);

// Twips per screen pixel (1440 / logical DPI), horizontally and vertically.
double twipsPerPixelX();
double twipsPerPixelY();
int twipsToPixelsX(double twips);
int twipsToPixelsY(double twips);
double pixelsToTwipsX(int pixels);
double pixelsToTwipsY(int pixels);

// UTF-8 text <-> QString at the window boundary.
inline QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
inline std::string ss(const QString& s) { return s.toStdString(); }

}  // namespace tama::ui
