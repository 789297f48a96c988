#include "options_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "options/monthly_budget.h"
#include "options/row_colouring.h"
#include "shared/number_format.h"
#include "ui/app_context.h"
#include "ui/messages.h"
#include "ui/named.h"

namespace tama::ui {

namespace {
constexpr std::uint32_t kDefaultAll = 0x8000000F;
constexpr std::uint32_t kDefaultGluf = 255;
constexpr std::uint32_t kDefaultDat = 0xFFFFF5;

// A stored colour value for a colour picked in the chooser (0x00BBGGRR).
std::uint32_t storedFrom(const QColor& c) {
    return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
           (static_cast<std::uint32_t>(c.blue()) << 16);
}

void paintBackground(QWidget* w, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}
}  // namespace

OptionsDialog::OptionsDialog(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(QStringLiteral("設定"));
    setModal(true);
    chooser_ = [this](const QColor& initial) -> std::optional<QColor> {
        const QColor c = QColorDialog::getColor(initial, this, QString(), QColorDialog::DontUseNativeDialog);
        if (!c.isValid()) return std::nullopt;
        return c;
    };
    build();
    // Opening: the dialog and its tabs in the overall colour, the controls from the options.
    paintBackground(this, ctx_.overallColour());
    paintBackground(stb1_, ctx_.overallColour());
    loadControls(ctx_.options());
    if (const auto budget = ctx_.monthlyBudget()) txtYosan_->setText(qs(formatGrouped(static_cast<double>(*budget))));
}

// Page "予算": the most the player means to lose in a month. Not a display
// option: Defaults leave it as it is.
void OptionsDialog::buildBudgetPage() {
    auto* page = new QWidget;
    auto* frame = named(new QGroupBox(QStringLiteral("予算"), page), "Frame4");
    auto* caption = named(new QLabel(QStringLiteral("月間予算（負け額の上限）"), frame), "Label5");
    txtYosan_ = named(new QLineEdit(frame), "txtYosan");
    txtYosan_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtYosan_->setMaxLength(16);
    txtYosan_->setFixedWidth(110);
    caption->setBuddy(txtYosan_);
    auto* note = new QLabel(QStringLiteral("空欄または 0 で予算を使いません。\n"
                                           "設定すると月間収支情報に予算残りを表示し、\n"
                                           "予算を超えた登録でお知らせします。"),
                            frame);
    auto* g = new QGridLayout(frame);
    g->addWidget(caption, 0, 0);
    g->addWidget(txtYosan_, 0, 1);
    g->addWidget(new QLabel(QStringLiteral("円"), frame), 0, 2);
    g->addWidget(note, 1, 0, 1, 4);
    g->setColumnStretch(3, 1);
    auto* v = new QVBoxLayout(page);
    v->addWidget(frame);
    v->addStretch(1);
    stb1_->addTab(page, QStringLiteral("予算"));
}

bool OptionsDialog::budgetFromControls(std::optional<std::int64_t>& yen) {
    const BudgetText b = readBudgetText(ss(txtYosan_->text()));
    if (!b.valid) {
        stb1_->setCurrentWidget(txtYosan_->parentWidget()->parentWidget());
        inputRefusal(this, QStringLiteral("月間予算は 0 以上の整数（円）で入力して下さい。"), QStringLiteral("設定"));
        txtYosan_->setFocus(Qt::OtherFocusReason);
        txtYosan_->selectAll();
        return false;
    }
    yen = b.yen;
    return true;
}

void OptionsDialog::build() {
    stb1_ = new QTabWidget(this);
    named(stb1_, "stb1");

    // Tab 1: the colours and the data lists.
    auto* page1 = new QWidget;
    Frame1_ = new QGroupBox(QStringLiteral("表示色"), page1);
    named(Frame1_, "Frame1");
    Label1_ = new QLabel(QStringLiteral("全体色"), Frame1_);
    named(Label1_, "Label1");
    cmdAll_ = new QPushButton(Frame1_);
    named(cmdAll_, "cmdAll");
    Label4_ = new QLabel(QStringLiteral("グラフ軸"), Frame1_);
    named(Label4_, "Label4");
    cmdGluf_ = new QPushButton(Frame1_);
    named(cmdGluf_, "cmdGluf");
    auto* g1 = new QGridLayout(Frame1_);
    g1->addWidget(Label1_, 0, 0);
    g1->addWidget(cmdAll_, 0, 1);
    g1->addWidget(Label4_, 1, 0);
    g1->addWidget(cmdGluf_, 1, 1);
    g1->setColumnStretch(2, 1);

    Frame3_ = new QGroupBox(QStringLiteral("データ表示 （月間収支データ、データ分析画面） "), page1);
    named(Frame3_, "Frame3");
    chkDat1_ = new QCheckBox(QStringLiteral("指定行ごとに列色を変更する"), Frame3_);
    named(chkDat1_, "chkDat1");
    lblLine_ = new QLabel(Frame3_);
    named(lblLine_, "lblLine");
    lblLine_->setFrameShape(QFrame::Panel);
    lblLine_->setFrameShadow(QFrame::Sunken);
    lblLine_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblLine_->setMinimumWidth(36);
    lblLine_->setAutoFillBackground(true);
    {
        QPalette p = lblLine_->palette();
        p.setColor(QPalette::Window, Qt::white);
        lblLine_->setPalette(p);
    }
    // One row more or less per click, within 1 to 99; the arrows do not repeat
    // and Tab reaches them.
    UpDown1_ = new SpinButton(lblLine_, kMinRowBand, kMinRowBand, 1, kMaxRowBand, Frame3_, SpinStyle::Step,
                              SpinArrows{QSize(18, 11), false, std::nullopt});
    named(UpDown1_, "UpDown1");
    cmdDat_ = new QPushButton(Frame3_);
    named(cmdDat_, "cmdDat");
    auto* rowsLabel = new QLabel(QStringLiteral("行ごと"), Frame3_);
    auto* colourLabel = new QLabel(QStringLiteral("色"), Frame3_);
    auto* g3 = new QGridLayout(Frame3_);
    g3->addWidget(chkDat1_, 0, 0, 1, 5);
    g3->addWidget(lblLine_, 1, 0);
    g3->addWidget(UpDown1_, 1, 1);
    g3->addWidget(rowsLabel, 1, 2);
    g3->addWidget(colourLabel, 1, 3, Qt::AlignRight);
    g3->addWidget(cmdDat_, 1, 4);
    g3->setColumnStretch(5, 1);

    auto* v1 = new QVBoxLayout(page1);
    v1->addWidget(Frame1_);
    v1->addWidget(Frame3_);
    v1->addStretch(1);
    stb1_->addTab(page1, QStringLiteral("表示"));

    // Tab 2: the graph switches.
    auto* page2 = new QWidget;
    Frame2_ = new QGroupBox(QStringLiteral("グラフ"), page2);
    named(Frame2_, "Frame2");
    chkG1_ = new QCheckBox(QStringLiteral("領域内にタイトルを表示する"), Frame2_);
    named(chkG1_, "chkG1");
    chkG2_ = new QCheckBox(QStringLiteral("Ｘ軸（横軸）項目名を表示する"), Frame2_);
    named(chkG2_, "chkG2");
    chkG3_ = new QCheckBox(QStringLiteral("Ｙ軸（縦軸）項目名を表示する"), Frame2_);
    named(chkG3_, "chkG3");
    auto* g2 = new QVBoxLayout(Frame2_);
    for (QCheckBox* c : {chkG1_, chkG2_, chkG3_}) g2->addWidget(c);
    auto* v2 = new QVBoxLayout(page2);
    v2->addWidget(Frame2_);
    v2->addStretch(1);
    stb1_->addTab(page2, QStringLiteral("グラフ"));
    buildBudgetPage();

    for (QPushButton* s : {cmdAll_, cmdGluf_, cmdDat_}) {
        s->setFixedSize(64, 22);
        s->setAutoDefault(false);
    }
    all_.button = cmdAll_;
    gluf_.button = cmdGluf_;
    dat_.button = cmdDat_;

    cmdOk_ = new QPushButton(QStringLiteral("ＯＫ"), this);
    named(cmdOk_, "cmdOk");
    cmdDefult_ = new QPushButton(QStringLiteral("デフォルト"), this);
    named(cmdDefult_, "cmdDefult");
    cmdUpd_ = new QPushButton(QStringLiteral("適用"), this);
    named(cmdUpd_, "cmdUpd");
    cmdCancel_ = new QPushButton(QStringLiteral("キャンセル"), this);
    named(cmdCancel_, "cmdCancel");
    cmdOk_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {cmdOk_, cmdDefult_, cmdUpd_, cmdCancel_}) buttons->addWidget(b);

    auto* all = new QVBoxLayout(this);
    all->addWidget(stb1_, 1);
    all->addLayout(buttons);
    resize(440, 300);

    connect(cmdAll_, &QPushButton::clicked, this, &OptionsDialog::chooseAllColour);
    connect(cmdGluf_, &QPushButton::clicked, this, &OptionsDialog::chooseGraphColour);
    connect(cmdDat_, &QPushButton::clicked, this, &OptionsDialog::chooseRowColour);
    connect(chkDat1_, &QCheckBox::clicked, this, &OptionsDialog::rowBandingToggled);
    connect(cmdOk_, &QPushButton::clicked, this, &OptionsDialog::saveAndClose);
    connect(cmdDefult_, &QPushButton::clicked, this, &OptionsDialog::restoreDefaults);
    connect(cmdUpd_, &QPushButton::clicked, this, &OptionsDialog::apply);
    connect(cmdCancel_, &QPushButton::clicked, this, &OptionsDialog::cancel);
}

void OptionsDialog::setSwatch(Swatch& s, std::uint32_t value) {
    s.value = value;
    const QColor c = colourFromStored(value);
    s.button->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; border: 1px solid #404040; }").arg(c.name()));
    s.button->setToolTip(c.name());
}

void OptionsDialog::loadControls(const OptionSet& o) {
    setSwatch(all_, colourValue(o.cmdAllBackColor, kDefaultAll));
    setSwatch(gluf_, colourValue(o.cmdGlufBackColor, kDefaultGluf));
    setSwatch(dat_, colourValue(o.cmdDatBackColor, kDefaultDat));
    chkDat1_->setChecked(flagValue(o.chkDat1Value, true));
    lblLine_->setText(QString::number(rowBandValue(o.lblLineCaption)));
    chkG1_->setChecked(flagValue(o.chkG1Value, false));
    chkG2_->setChecked(flagValue(o.chkG2Value, true));
    chkG3_->setChecked(flagValue(o.chkG3Value, true));
    rowBandingToggled();
}

OptionSet OptionsDialog::fromControls() const {
    auto flag = [](const QCheckBox* c) { return std::string(c->isChecked() ? "1" : "0"); };
    OptionSet o;
    o.cmdAllBackColor = colourText(all_.value);
    o.cmdGlufBackColor = colourText(gluf_.value);
    o.chkDat1Value = flag(chkDat1_);
    o.lblLineCaption = ss(lblLine_->text());
    o.cmdDatBackColor = colourText(dat_.value);
    o.chkG1Value = flag(chkG1_);
    o.chkG2Value = flag(chkG2_);
    o.chkG3Value = flag(chkG3_);
    return o;
}

void OptionsDialog::chooseColour(Swatch& s, std::string OptionSet::*field, std::uint32_t fallback) {
    const auto chosen = chooser_ ? chooser_(colourFromStored(s.value)) : std::nullopt;
    // A cancelled choice puts back the colour of the run's options.
    setSwatch(s, chosen ? storedFrom(*chosen) : colourValue(ctx_.options().*field, fallback));
}

void OptionsDialog::chooseAllColour() { chooseColour(all_, &OptionSet::cmdAllBackColor, kDefaultAll); }
void OptionsDialog::chooseGraphColour() { chooseColour(gluf_, &OptionSet::cmdGlufBackColor, kDefaultGluf); }
void OptionsDialog::chooseRowColour() { chooseColour(dat_, &OptionSet::cmdDatBackColor, kDefaultDat); }

void OptionsDialog::rowBandingToggled() {
    const bool on = chkDat1_->isChecked();
    for (QWidget* w :
         {static_cast<QWidget*>(lblLine_), static_cast<QWidget*>(cmdDat_), static_cast<QWidget*>(UpDown1_)})
        w->setEnabled(on);
}

void OptionsDialog::applyColours() {
    paintBackground(this, ctx_.overallColour());
    paintBackground(stb1_, ctx_.overallColour());
}

void OptionsDialog::restoreDefaults() {
    const OptionSet defaults;
    loadControls(defaults);
    ctx_.setOptions(defaults, false);
}

void OptionsDialog::apply() {
    std::optional<std::int64_t> budget;
    if (!budgetFromControls(budget)) return;
    ctx_.setOptions(fromControls());
    ctx_.setMonthlyBudget(budget);
    applyColours();
}

void OptionsDialog::saveAndClose() {
    std::optional<std::int64_t> budget;
    if (!budgetFromControls(budget)) return;  // the dialog stays open on the box
    const OptionSet o = fromControls();
    writeOptionSet(ctx_.settings(), o);
    // The budget key is written when it changes: a file without it reads as "off".
    const std::string text = budgetStoredText(budget);
    if (ctx_.settings().read(kBudgetSection, kBudgetKey) != text)
        ctx_.settings().write(kBudgetSection, kBudgetKey, text);
    ctx_.setOptions(o);
    ctx_.setMonthlyBudget(budget);
    accept();
}

void OptionsDialog::cancel() { reject(); }

}  // namespace tama::ui
