#pragma once
// OptionsDialog ("設定"): the modal dialog that edits the eight display options.
// Apply (適用) puts the controls into the run's options and the open windows
// follow through AppContext::optionsChanged (colours, graph redraw, row
// colouring); OK (ＯＫ) also writes section "Option" of the settings file and
// closes; Defaults (デフォルト) sets the controls and the options to the
// defaults without writing; Cancel (キャンセル) closes and keeps what Apply or
// Defaults already changed for this run.
#include <QDialog>
#include <QColor>
#include <cstdint>
#include <functional>
#include <optional>

#include "storage/settings_file.h"
#include "ui/spin_button.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace tama::ui {

class AppContext;

class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit OptionsDialog(AppContext& ctx, QWidget* parent = nullptr);

    // Asks for a colour starting from `initial`; nothing when cancelled. The
    // default opens QColorDialog; tests put in their own.
    using ColourChooser = std::function<std::optional<QColor>(const QColor& initial)>;
    void setColourChooser(ColourChooser chooser) { chooser_ = std::move(chooser); }

    void chooseAllColour();
    void chooseGraphColour();
    void chooseRowColour();
    void rowBandingToggled();
    void saveAndClose();
    void restoreDefaults();
    void apply();
    void cancel();

    // What the controls hold, as the options they would store.
    OptionSet fromControls() const;

    QPushButton* cmdAll() const { return cmdAll_; }
    QPushButton* cmdGluf() const { return cmdGluf_; }
    QPushButton* cmdDat() const { return cmdDat_; }
    QCheckBox* chkDat1() const { return chkDat1_; }
    QLabel* lblLine() const { return lblLine_; }
    SpinButton* UpDown1() const { return UpDown1_; }
    QCheckBox* chkG1() const { return chkG1_; }
    QCheckBox* chkG2() const { return chkG2_; }
    QCheckBox* chkG3() const { return chkG3_; }
    // Page "予算": the monthly budget in yen (empty or 0: off).
    QLineEdit* txtYosan() const { return txtYosan_; }

private:
    struct Swatch {
        QPushButton* button;
        std::uint32_t value;  // the stored colour value (system colours kept as such)
    };
    void build();
    void loadControls(const OptionSet& o);
    void setSwatch(Swatch& s, std::uint32_t value);
    void chooseColour(Swatch& s, std::string OptionSet::*field, std::uint32_t fallback);
    void applyColours();
    void buildBudgetPage();
    // The budget box read; false (after a refusal naming the box) when it holds no valid budget.
    bool budgetFromControls(std::optional<std::int64_t>& yen);

    AppContext& ctx_;
    ColourChooser chooser_;
    QTabWidget* stb1_;
    QGroupBox* Frame1_;
    QGroupBox* Frame2_;
    QGroupBox* Frame3_;
    QLabel* Label1_;
    QLabel* Label4_;
    QPushButton* cmdAll_;
    QPushButton* cmdGluf_;
    QPushButton* cmdDat_;
    QCheckBox* chkDat1_;
    QLabel* lblLine_;
    SpinButton* UpDown1_;
    QCheckBox* chkG1_;
    QCheckBox* chkG2_;
    QCheckBox* chkG3_;
    QLineEdit* txtYosan_ = nullptr;
    QPushButton* cmdOk_;
    QPushButton* cmdDefult_;
    QPushButton* cmdUpd_;
    QPushButton* cmdCancel_;
    Swatch all_{}, gluf_{}, dat_{};
};

}  // namespace tama::ui
