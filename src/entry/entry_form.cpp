#include "entry_form.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QValidator>
#include <QVBoxLayout>
#include <array>
#include <exception>
#include <optional>

#include "entry/calculations.h"
#include "entry/entry_history.h"
#include "entry/entry_model.h"
#include "entry/entry_save.h"
#include "options/monthly_budget.h"
#include "entry/monthly_link.h"
#include "ui/app_context.h"
#include "ui/combo_popup.h"
#include "ui/messages.h"
#include "ui/spin_button.h"
#include "shared/file_io.h"
#include "ui/named.h"

namespace tama::ui {

namespace {

const QString kCaptionNew = QStringLiteral("日間収支データ入力");
const QString kCaptionEdit = QStringLiteral("日間収支データ編集");
const QString kDeleteQuestion = QStringLiteral("この日間収支データを削除していいですか？");
const QString kDeleteTitle = QStringLiteral("日間収支データの削除");

// Shows the wait cursor over one button for the length of a command.
class WaitCursorOn {
public:
    explicit WaitCursorOn(QWidget* w) : w_(w) { w_->setCursor(Qt::WaitCursor); }
    ~WaitCursorOn() { w_->unsetCursor(); }
    WaitCursorOn(const WaitCursorOn&) = delete;
    WaitCursorOn& operator=(const WaitCursorOn&) = delete;

private:
    QWidget* w_;
};

QLabel* label(const QString& text, QWidget* parent, const char* name = nullptr) {
    auto* l = new QLabel(text, parent);
    if (name) l->setObjectName(QString::fromLatin1(name));
    return l;
}

// The money boxes' and the machine number's rule at the key: full-width digits
// become plain ones and grouping commas are dropped as they are typed or pasted;
// a text with any other character is refused, so the box keeps what it held
// (QLineEdit::inputRejected then fires) and refused() names the character.
class NumberBoxValidator : public QValidator {
public:
    NumberBoxValidator(Box box, QObject* parent) : QValidator(parent), box_(box) {}

    State validate(QString& input, int& pos) const override {
        const std::string typed = ss(input);
        const entry::NumberInput in = entry::numberInput(typed);
        if (!in.refused.empty()) {
            refused_ = qs(in.refused);
            return Invalid;
        }
        // The cursor stays after the same character: count what is kept before it.
        const QString kept = qs(entry::checkedText(box_, typed));
        const qsizetype before = qs(entry::numberInput(ss(input.left(pos))).text).size();
        input = kept;
        pos = static_cast<int>(std::min(before, kept.size()));
        return Acceptable;
    }

    QString refused() const { return refused_; }

private:
    Box box_;
    mutable QString refused_;
};

}  // namespace

struct EntryForm::Impl {
    EntryForm* q;
    AppContext& ctx;
    MonthlyLink& monthly;
    EntryModel model;

    // True while the window writes model texts into its widgets: those changes
    // must not be fed back into the model as typing.
    bool syncing = false;
    bool editMode = false;
    bool shownOnce = false;
    int CurIndex = 0;
    // The machine type whose names cboKisyu holds; none until the first recomputation.
    std::optional<std::string> LoadedType;
    // The stored record the boxes were filled from (edit mode), to make sure an
    // update or delete hits that record and no other.
    std::optional<DailyRecord> shown;
    // The user's latest record and recently used names, read from his YearFiles.
    EntryHistory history;

    QTabWidget* sst1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLineEdit *txtNen, *txtTuki, *txtHi, *txtZ1_1, *txtZ1_2, *txtZ2_1, *txtZ2_2;
    QLineEdit *txtTousi, *txtKaisyu, *txtZikyu, *txtSyusi;
    SpinButton *UpDown1, *UpDown2, *UpDown3, *UpDown4, *UpDown5, *UpDown6, *UpDown7, *UpDown8, *UpDown9;
    QComboBox *cboYoubi, *cboHoll, *cboK_no, *cboK_type, *cboKisyu;
    QLabel *lblT_tim, *lbl1, *lbl01, *lblKen;
    QPlainTextEdit* txtCome;
    QPushButton *cmdKeisan1, *cmdKeisan2, *cmdTou, *cmdUpd, *cmdDel, *cmdCancel, *cmdLast;
    QScrollBar* scl1;

    Impl(EntryForm* q_, AppContext& c, MonthlyLink& m) : q(q_), ctx(c), monthly(m) {}

    void buildLayout();
    void bindBoxes();
    void load();

    QWidget* widgetFor(Box box) const;
    void typed(Box box, const QString& text);
    void picked(Box box, const QString& text);
    void afterChange();
    void syncFromModel();
    void settleFigures();
    void loadHistory();
    void loadHalls();
    void loadMachines();
    void fillFrom(const DailyRecord& record);
    void Navigation(int value);
    void setNavigation(int value);
    void reloadMonthly(bool grid);
    void showRefusal(const SaveRefusal& refusal);
    void budgetNotice(const SaveResult& result);
    void reportError(const std::exception& e);
    void rememberShown();
    bool stillShown();
    void recoverAfterError();
};

namespace {
QLineEdit* lineEdit(const char* name, QWidget* parent, int width) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setFixedWidth(width);
    return e;
}
QComboBox* combo(const char* name, QWidget* parent, bool editable) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setEditable(editable);
    if (editable) {
        // A plain text box with a list: no completion into other names, and Enter
        // does not add the typed text to the list.
        c->setCompleter(nullptr);
        c->setInsertPolicy(QComboBox::NoInsert);
        // The box's width does not follow its longest entry: a long hall or
        // machine name in the list must not widen the form.
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        c->setMinimumContentsLength(8);
    }
    c->setMaxVisibleItems(15);
    // Long hall and machine names are cut in the list rather than stretching it
    // (5400 twips: 360 pixels at 96 dpi).
    limitPopupWidth(c, twipsToPixelsX(5400));
    return c;
}
QPushButton* button(const char* name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    // No default button: Enter in a box does not save, update or delete.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}
SpinButton* upDown(const char* name, QLineEdit* buddy, int start, int min, int step, int max, QWidget* parent) {
    auto* u = new SpinButton(buddy, start, min, step, max, parent);
    u->setObjectName(QString::fromLatin1(name));
    return u;
}
}  // namespace

void EntryForm::Impl::buildLayout() {
    auto* outer = new QVBoxLayout(q);

    sst1 = named(new QTabWidget(q), "sst1");
    auto* page = named(new QWidget(sst1), "sst1Page");
    sst1->addTab(page, QStringLiteral("日間収支データ"));
    outer->addWidget(sst1);
    auto* pageLay = new QVBoxLayout(page);

    // Date and weekday.
    txtNen = lineEdit("txtNen", page, 48);
    txtTuki = lineEdit("txtTuki", page, 30);
    txtHi = lineEdit("txtHi", page, 30);
    // The year button reaches 2099 so that years after 2010 can be stepped to;
    // its start and lower bound stay as they were.
    UpDown5 = upDown("UpDown5", txtNen, 1995, 0, 1, 2099, page);
    UpDown6 = upDown("UpDown6", txtTuki, 1, 0, 1, 12, page);
    UpDown7 = upDown("UpDown7", txtHi, 1, 0, 1, 31, page);
    cboYoubi = combo("cboYoubi", page, false);
    for (auto name : kWeekdayNames) cboYoubi->addItem(qs(name));
    {
        auto* row = new QHBoxLayout;
        row->addWidget(label(QStringLiteral("日付"), page, "lblNen"));
        row->addSpacing(12);
        row->addWidget(txtNen);
        row->addWidget(UpDown5);
        row->addWidget(label(QStringLiteral(" 年"), page));
        row->addWidget(txtTuki);
        row->addWidget(UpDown6);
        row->addWidget(label(QStringLiteral(" 月"), page));
        row->addWidget(txtHi);
        row->addWidget(UpDown7);
        row->addWidget(label(QStringLiteral(" 日"), page));
        row->addSpacing(8);
        row->addWidget(cboYoubi);
        row->addStretch(1);
        pageLay->addLayout(row);
    }

    // Hall.
    cboHoll = combo("cboHoll", page, true);
    cboHoll->setMinimumWidth(260);
    {
        auto* row = new QHBoxLayout;
        row->addWidget(label(QStringLiteral("ホール名"), page, "lblHoll"));
        row->addWidget(cboHoll, 1);
        pageLay->addLayout(row);
    }

    // Play time.
    txtZ1_1 = lineEdit("txtZ1_1", page, 30);
    txtZ1_2 = lineEdit("txtZ1_2", page, 30);
    txtZ2_1 = lineEdit("txtZ2_1", page, 30);
    txtZ2_2 = lineEdit("txtZ2_2", page, 30);
    UpDown3 = upDown("UpDown3", txtZ1_1, 9, 0, 1, 24, page);
    UpDown4 = upDown("UpDown4", txtZ1_2, 0, 0, 30, 30, page);
    UpDown1 = upDown("UpDown1", txtZ2_1, 9, 0, 1, 24, page);
    UpDown2 = upDown("UpDown2", txtZ2_2, 0, 0, 30, 30, page);
    lblT_tim = label(QString(), page, "lblT_tim");
    lblT_tim->setFrameShape(QFrame::Panel);
    lblT_tim->setFrameShadow(QFrame::Sunken);
    lblT_tim->setMinimumWidth(44);
    lblT_tim->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lbl1 = label(QStringLiteral("時間"), page, "lbl1");
    cmdKeisan2 = button("cmdKeisan2", QStringLiteral("..."), page);
    cmdKeisan2->setToolTip(QStringLiteral("合計時間手動計算"));
    cmdKeisan2->setFixedWidth(28);
    {
        auto* row = new QHBoxLayout;
        row->addWidget(label(QStringLiteral("遊技時間"), page, "lblZikan"));
        row->addWidget(txtZ1_1);
        row->addWidget(UpDown3);
        row->addWidget(label(QStringLiteral(" ："), page));
        row->addWidget(txtZ1_2);
        row->addWidget(UpDown4);
        row->addWidget(label(QStringLiteral(" ～"), page));
        row->addWidget(txtZ2_1);
        row->addWidget(UpDown1);
        row->addWidget(label(QStringLiteral(" ："), page));
        row->addWidget(txtZ2_2);
        row->addWidget(UpDown2);
        row->addSpacing(12);
        row->addWidget(lblT_tim);
        row->addWidget(lbl1);
        row->addWidget(cmdKeisan2);
        row->addStretch(1);
        pageLay->addLayout(row);
    }

    // Machine.
    Frame1 = named(new QGroupBox(QStringLiteral("機種情報"), page), "Frame1");
    cboK_no = combo("cboK_no", Frame1, true);
    cboK_no->setFixedWidth(90);
    {
        QStringList numbers;
        numbers.reserve(1500);
        for (int k = 1; k <= 1500; ++k) numbers << QStringLiteral(" %1 ").arg(k);
        cboK_no->addItems(numbers);
        cboK_no->setCurrentIndex(-1);
        cboK_no->setEditText(QString());
    }
    cboK_type = combo("cboK_type", Frame1, false);
    for (auto name : kEntryTypeOrder) cboK_type->addItem(qs(name));
    cboKisyu = combo("cboKisyu", Frame1, true);
    cboKisyu->setMinimumWidth(220);
    {
        auto* grid = new QGridLayout(Frame1);
        grid->addWidget(label(QStringLiteral("台番号"), Frame1, "lblK_no"), 0, 0);
        grid->addWidget(cboK_no, 0, 1, Qt::AlignLeft);
        grid->addWidget(label(QStringLiteral("機種タイプ"), Frame1, "lblK_type"), 1, 0);
        grid->addWidget(cboK_type, 1, 1, Qt::AlignLeft);
        grid->addWidget(label(QStringLiteral("機種名"), Frame1, "lblKisyu"), 2, 0);
        grid->addWidget(cboKisyu, 2, 1);
        grid->setColumnStretch(1, 1);
    }

    // Money.
    Frame2 = named(new QGroupBox(QStringLiteral("収支情報"), page), "Frame2");
    txtTousi = lineEdit("txtTousi", Frame2, 80);
    txtKaisyu = lineEdit("txtKaisyu", Frame2, 80);
    txtZikyu = lineEdit("txtZikyu", Frame2, 80);
    txtSyusi = lineEdit("txtSyusi", Frame2, 80);
    for (QLineEdit* e : {txtTousi, txtKaisyu, txtZikyu, txtSyusi}) e->setAlignment(Qt::AlignRight);
    UpDown8 = upDown("UpDown8", txtTousi, 10000, 0, 500, 80000, Frame2);
    UpDown9 = upDown("UpDown9", txtKaisyu, 20000, 0, 500, 300000, Frame2);
    cmdKeisan1 = button("cmdKeisan1", QStringLiteral("..."), Frame2);
    cmdKeisan1->setToolTip(QStringLiteral("時給手動計算"));
    cmdKeisan1->setFixedWidth(28);
    {
        auto* grid = new QGridLayout(Frame2);
        grid->addWidget(label(QStringLiteral("投資金額"), Frame2, "lblTousi"), 0, 0);
        grid->addWidget(txtTousi, 0, 1);
        grid->addWidget(UpDown8, 0, 2);
        grid->addWidget(label(QStringLiteral("円"), Frame2), 0, 3);
        grid->addWidget(label(QStringLiteral("回収金額"), Frame2, "lblKaisyu"), 1, 0);
        grid->addWidget(txtKaisyu, 1, 1);
        grid->addWidget(UpDown9, 1, 2);
        grid->addWidget(label(QStringLiteral("円"), Frame2), 1, 3);
        grid->addWidget(label(QStringLiteral("時給"), Frame2, "lblZikyu"), 2, 0);
        grid->addWidget(txtZikyu, 2, 1);
        grid->addWidget(label(QStringLiteral("円"), Frame2), 2, 3);
        grid->addWidget(cmdKeisan1, 2, 4);
        grid->addWidget(label(QStringLiteral("収支金額"), Frame2, "lblSyusi"), 3, 0);
        grid->addWidget(txtSyusi, 3, 1);
        grid->addWidget(label(QStringLiteral("円"), Frame2), 3, 3);
        grid->setColumnStretch(5, 1);
    }
    {
        auto* row = new QHBoxLayout;
        row->addWidget(Frame1, 1);
        row->addWidget(Frame2);
        pageLay->addLayout(row);
    }

    // Comment.
    txtCome = named(new QPlainTextEdit(page), "txtCome");
    txtCome->setTabChangesFocus(true);
    txtCome->setFixedHeight(txtCome->fontMetrics().lineSpacing() * 3 + 12);
    pageLay->addWidget(label(QStringLiteral(" コメント （50文字以内）"), page, "lblCome"));
    pageLay->addWidget(txtCome);

    // Navigation and commands, below the tab.
    lbl01 = label(QStringLiteral(" 前   　   次"), q, "lbl01");
    scl1 = named(new QScrollBar(Qt::Horizontal, q), "scl1");
    scl1->setFixedWidth(120);
    lblKen = label(QString(), q, "lblKen");
    cmdTou = button("cmdTou", QStringLiteral("登録"), q);
    cmdUpd = button("cmdUpd", QStringLiteral("修正"), q);
    cmdDel = button("cmdDel", QStringLiteral("削除"), q);
    cmdCancel = button("cmdCancel", QStringLiteral("キャンセル"), q);
    cmdLast = button("cmdLast", QStringLiteral("前回と同じ(&L)"), q);
    cmdLast->setToolTip(QStringLiteral("ホール・機種・台番号・遊技時間を前回の日間収支データから入れます"));
    {
        auto* nav = new QVBoxLayout;
        nav->setSpacing(1);
        nav->addWidget(lbl01);
        nav->addWidget(scl1);
        auto* row = new QHBoxLayout;
        row->addLayout(nav);
        row->addWidget(lblKen);
        row->addStretch(1);
        row->addWidget(cmdLast);
        row->addWidget(cmdTou);
        row->addWidget(cmdUpd);
        row->addWidget(cmdDel);
        row->addWidget(cmdCancel);
        outer->addLayout(row);
    }

    // The form and its tab take the overall colour of the options.
    const QColor back = ctx.overallColour();
    for (QWidget* w : {static_cast<QWidget*>(q), page}) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Window, back);
        w->setPalette(pal);
        w->setAutoFillBackground(true);
    }
}

QWidget* EntryForm::Impl::widgetFor(Box box) const {
    switch (box) {
        case Box::txtNen: return txtNen;
        case Box::txtTuki: return txtTuki;
        case Box::txtHi: return txtHi;
        case Box::cboYoubi: return cboYoubi;
        case Box::cboHoll: return cboHoll;
        case Box::txtZ1_1: return txtZ1_1;
        case Box::txtZ1_2: return txtZ1_2;
        case Box::txtZ2_1: return txtZ2_1;
        case Box::txtZ2_2: return txtZ2_2;
        case Box::lblT_tim: return lblT_tim;
        case Box::txtTousi: return txtTousi;
        case Box::txtKaisyu: return txtKaisyu;
        case Box::txtZikyu: return txtZikyu;
        case Box::txtSyusi: return txtSyusi;
        case Box::cboK_no: return cboK_no;
        case Box::cboK_type: return cboK_type;
        case Box::cboKisyu: return cboKisyu;
        case Box::txtCome: return txtCome;
    }
    return nullptr;
}

void EntryForm::Impl::bindBoxes() {
    const std::array<std::pair<QLineEdit*, Box>, 11> edits = {{
        {txtNen, Box::txtNen},
        {txtTuki, Box::txtTuki},
        {txtHi, Box::txtHi},
        {txtZ1_1, Box::txtZ1_1},
        {txtZ1_2, Box::txtZ1_2},
        {txtZ2_1, Box::txtZ2_1},
        {txtZ2_2, Box::txtZ2_2},
        {txtTousi, Box::txtTousi},
        {txtKaisyu, Box::txtKaisyu},
        {txtZikyu, Box::txtZikyu},
        {txtSyusi, Box::txtSyusi},
    }};
    for (auto [edit, box] : edits) {
        const Box b = box;
        connect(edit, &QLineEdit::textChanged, q, [this, b](const QString& t) { typed(b, t); });
    }
    connect(txtCome, &QPlainTextEdit::textChanged, q, [this] { typed(Box::txtCome, txtCome->toPlainText()); });
    connect(cboHoll, &QComboBox::editTextChanged, q, [this](const QString& t) { typed(Box::cboHoll, t); });
    connect(cboKisyu, &QComboBox::editTextChanged, q, [this](const QString& t) { typed(Box::cboKisyu, t); });
    // The machine number box checks only what is typed: a number picked from the
    // list (" 12 ", with its spaces) is taken as it is.
    connect(cboK_no->lineEdit(), &QLineEdit::textEdited, q, [this](const QString& t) { typed(Box::cboK_no, t); });
    // Number boxes: converted or refused at the key; a refusal beeps and says why
    // on the message line, and the box keeps its text (the validator cuts a long
    // number to the box's length, so no maximum length cuts a paste before).
    for (auto [edit, box] : {std::pair{txtTousi, Box::txtTousi}, std::pair{txtKaisyu, Box::txtKaisyu},
                             std::pair{cboK_no->lineEdit(), Box::cboK_no}}) {
        auto* validator = new NumberBoxValidator(box, edit);
        edit->setValidator(validator);
        const Box b = box;
        connect(edit, &QLineEdit::inputRejected, q, [this, b, validator] {
            QApplication::beep();
            emit ctx.statusMessage(qs(entry::numberRefusalMessage(b, ss(validator->refused()))));
        });
    }
    auto pickNumber = [this](int index) {
        if (index >= 0) picked(Box::cboK_no, cboK_no->itemText(index));
    };
    connect(cboK_no, &QComboBox::currentIndexChanged, q, pickNumber);
    connect(cboK_no, &QComboBox::activated, q, pickNumber);  // the same number picked again
    connect(cboYoubi, &QComboBox::currentTextChanged, q, [this](const QString& t) { picked(Box::cboYoubi, t); });
    connect(cboK_type, &QComboBox::currentTextChanged, q, [this](const QString& t) { picked(Box::cboK_type, t); });
}

void EntryForm::Impl::typed(Box box, const QString& text) {
    if (syncing) return;
    model.type(box, ss(text));
    afterChange();
}

void EntryForm::Impl::picked(Box box, const QString& text) {
    if (syncing) return;
    model.setText(box, ss(text));
    afterChange();
}

// What the 100 ms timer did: recompute play time, balance and rate, show them,
// and refill the machine names when another type has been chosen.
void EntryForm::Impl::afterChange() {
    model.tick();
    syncFromModel();
    const std::string& type = model.text(Box::cboK_type);
    if (!LoadedType || *LoadedType != type) {
        LoadedType = type;
        loadMachines();
    }
}

// Before a save or update: the figures of the amounts about to be saved, shown
// in their boxes as they go into the record.
void EntryForm::Impl::settleFigures() {
    model.settleFigures();
    syncFromModel();
}

void EntryForm::Impl::syncFromModel() {
    const bool was = syncing;
    syncing = true;
    for (int k = 0; k < kBoxCount; ++k) {
        const Box box = static_cast<Box>(k);
        const QString want = qs(model.text(box));
        QWidget* w = widgetFor(box);
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            if (e->text() != want) e->setText(want);
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            if (l->text() != want) l->setText(want);
        } else if (auto* t = qobject_cast<QPlainTextEdit*>(w)) {
            if (t->toPlainText() != want) t->setPlainText(want);
        } else if (auto* c = qobject_cast<QComboBox*>(w)) {
            if (c->isEditable()) {
                if (c->currentText() != want) c->setEditText(want);
            } else if (c->currentText() != want) {
                int i = c->findText(want);
                if (i < 0 && !want.isEmpty()) {
                    // A stored value outside the list (an old or hand-edited file) is
                    // shown as it is, so that an update writes it back unchanged.
                    c->addItem(want);
                    i = c->count() - 1;
                }
                c->setCurrentIndex(i);
            }
        }
    }
    auto colour = [](QLineEdit* e, TextColour c) {
        QPalette pal = e->palette();
        pal.setColor(QPalette::Text, c == TextColour::Red ? QColor(255, 0, 0) : QColor(0, 0, 0));
        e->setPalette(pal);
    };
    colour(txtSyusi, model.syusiColour());
    colour(txtZikyu, model.zikyuColour());
    syncing = was;
}

// The user's list of halls, keeping the text in the box.
void EntryForm::Impl::loadHalls() {
    const bool was = syncing;
    syncing = true;
    const QString keep = cboHoll->currentText();
    cboHoll->clear();
    // The names used last come first, above a separator; the stored list follows as it is.
    for (const auto& name : history.recentHalls) cboHoll->addItem(qs(name));
    if (cboHoll->count() > 0) cboHoll->insertSeparator(cboHoll->count());
    try {
        for (const auto& name : ctx.lists().loadHallNames(ss(monthly.currentUser()))) cboHoll->addItem(qs(name));
    } catch (const std::exception& e) {
        reportError(e);
    }
    cboHoll->setEditText(keep);
    syncing = was;
}

// The user's machines of the selected type, keeping the text in the box.
void EntryForm::Impl::loadMachines() {
    const bool was = syncing;
    syncing = true;
    const QString keep = cboKisyu->currentText();
    cboKisyu->clear();
    for (const auto& name : history.recentMachinesOf(model.text(Box::cboK_type), 10)) cboKisyu->addItem(qs(name));
    if (cboKisyu->count() > 0) cboKisyu->insertSeparator(cboKisyu->count());
    try {
        for (const auto& name : ctx.lists().loadMachineNames(ss(monthly.currentUser()), model.text(Box::cboK_type)))
            cboKisyu->addItem(qs(name));
    } catch (const std::exception& e) {
        reportError(e);
    }
    cboKisyu->setEditText(keep);
    syncing = was;
}

void EntryForm::Impl::load() {
    // The first panel of the main window's status bar (the program's message line) is cleared.
    emit ctx.statusMessage(QString());
    const QDate today = QDate::currentDate();
    model.loadStartValues({today.year(), today.month(), today.day()});
    LoadedType.reset();
    syncFromModel();
    loadHistory();
    loadHalls();
    loadMachines();
    afterChange();
}

void EntryForm::Impl::loadHistory() {
    try {
        history = loadEntryHistory(ctx.store(), ss(monthly.currentUser()));
    } catch (const std::exception&) {
        history = {};  // only suggestions: the form works without them
    }
}

// Fills the boxes from a stored record. The stored machine number goes through
// the box's rule for numbers, so "?" (no number), which the box does not take,
// shows as an empty box and is stored as "?" again by an update, not as 0.
void EntryForm::Impl::fillFrom(const DailyRecord& record) {
    model.fillFrom(record);
    model.setText(Box::cboK_no, entry::numberInput(record.K_no).text);
}

// Shows record `value` of the month (scl1's value).
void EntryForm::Impl::Navigation(int value) {
    const int count = monthly.monthCount();
    lblKen->setText(QStringLiteral("(%1 / %2)").arg(value).arg(count));
    CurIndex = monthly.recordAtRow(value);
    YearRecordList& list = monthly.yearRecordList();
    if (count <= 0 || value < 1 || CurIndex < 1 || CurIndex > list.count()) {
        CurIndex = 0;
        shown.reset();
        return;
    }
    fillFrom(list.record(CurIndex));
    rememberShown();
    afterChange();
}

// Sets scl1 to the month as the monthly window now holds it and shows row `value`.
void EntryForm::Impl::setNavigation(int value) {
    const int count = monthly.monthCount();
    const QSignalBlocker block(scl1);
    if (count > 0) {
        scl1->setEnabled(true);
        scl1->setRange(1, count);
        scl1->setValue(value);
        cmdDel->setEnabled(true);
        cmdUpd->setEnabled(true);
        Navigation(scl1->value());
    } else {
        scl1->setEnabled(false);
        scl1->setRange(0, 0);
        lblKen->setText(QStringLiteral("(0 / 0)"));
        cmdDel->setEnabled(false);
        cmdUpd->setEnabled(false);
        CurIndex = 0;
        shown.reset();
    }
}

void EntryForm::Impl::reloadMonthly(bool grid) {
    monthly.reloadYear();
    if (grid) monthly.refillList();
}

// A refused save or update: the message, then the focus on the box concerned.
void EntryForm::Impl::showRefusal(const SaveRefusal& refusal) {
    inputRefusal(q, qs(refusal.message), qs(refusal.title));
    if (QWidget* w = widgetFor(refusal.focus)) w->setFocus(Qt::OtherFocusReason);
}

void EntryForm::Impl::rememberShown() {
    YearRecordList& list = monthly.yearRecordList();
    if (CurIndex >= 1 && CurIndex <= list.count()) shown = list.record(CurIndex);
    else shown.reset();
}

// Whether record CurIndex of the monthly window's list is still the one the
// boxes were filled from. When the list was reloaded underneath (the file was
// changed elsewhere) the index may name another record: refuse, and show the
// list as it is now.
bool EntryForm::Impl::stillShown() {
    YearRecordList& list = monthly.yearRecordList();
    if (shown && CurIndex >= 1 && CurIndex <= list.count() && list.record(CurIndex) == *shown) return true;
    std::string file;
    try {
        file = ctx.store().yearFilePath(list.user, list.year).string() + ": ";
    } catch (const std::exception&) {
        // No usable file name: the message names none.
    }
    reportError(
        std::runtime_error(file + "表示中の日間収支データが一覧にありません。表示を更新してからやり直して下さい"));
    recoverAfterError();
    return false;
}

// After a failed update or delete: reload the monthly window's list and show the
// record now at the same position, so that nothing is changed on a stale index.
void EntryForm::Impl::recoverAfterError() {
    reloadMonthly(true);
    emit ctx.recordsChanged();
    setNavigation(scl1->value());
}

// A save that took its month past the monthly budget: one notice; the record is saved.
void EntryForm::Impl::budgetNotice(const SaveResult& result) {
    if (auto text = budgetExceededNotice(ctx.monthlyBudget(), result.monthBalanceBefore, result.monthBalanceAfter))
        showMessage(q, {qs(*text), QStringLiteral("予算"), Icon::Exclamation, Buttons::Ok});
}

void EntryForm::Impl::reportError(const std::exception& e) { ErrorReport(q, kFileErrorNumber, qs(e.what())); }

// ---------------------------------------------------------------------------

EntryForm::EntryForm(AppContext& ctx, MonthlyLink& monthly, QWidget* parent)
    : QDialog(parent), d(new Impl(this, ctx, monthly)) {
    setObjectName(QStringLiteral("frmDay_upd"));
    setModal(true);
    setWindowTitle(kCaptionNew);
    d->buildLayout();
    d->bindBoxes();
    connect(d->cmdTou, &QPushButton::clicked, this, &EntryForm::saveNew);
    connect(d->cmdUpd, &QPushButton::clicked, this, &EntryForm::saveChanges);
    connect(d->cmdDel, &QPushButton::clicked, this, &EntryForm::deleteShown);
    connect(d->cmdKeisan1, &QPushButton::clicked, this, &EntryForm::computeHourlyRate);
    connect(d->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(d->cmdLast, &QPushButton::clicked, this, &EntryForm::fillFromLatest);
    connect(d->scl1, &QScrollBar::valueChanged, this, [this](int v) { d->Navigation(v); });
    d->load();
}

EntryForm::~EntryForm() = default;

EntryModel& EntryForm::model() { return d->model; }

int EntryForm::curIndex() const { return d->CurIndex; }

void EntryForm::prepareNew(const QDate& date) {
    d->editMode = false;
    if (date.isValid()) {
        // The date the player chose (the calendar, the month shown): all start values again on that day.
        d->model.loadStartValues({date.year(), date.month(), date.day()});
        d->LoadedType.reset();
        d->syncFromModel();
        d->afterChange();
    }
    d->cmdLast->show();
    setWindowTitle(kCaptionNew);
    d->cmdDel->setEnabled(false);
    d->cmdUpd->setEnabled(false);
    d->scl1->hide();
    d->lbl01->hide();
    d->lblKen->hide();
}

void EntryForm::prepareEdit(int recordIndex, int rowInMonth) {
    d->editMode = true;
    setWindowTitle(kCaptionEdit);
    YearRecordList& list = d->monthly.yearRecordList();
    const int count = d->monthly.monthCount();
    d->CurIndex = 0;
    if (count > 0 && recordIndex >= 1 && recordIndex <= list.count()) {
        d->CurIndex = recordIndex;
        d->fillFrom(list.record(recordIndex));
        d->rememberShown();
        // The stored balance and rate stay as they are until a time or money box changes.
        d->model.setRecalcDone(true);
        d->afterChange();
    }
    for (QWidget* w : std::initializer_list<QWidget*>{d->txtNen, d->txtTuki, d->txtHi, d->cboYoubi, d->UpDown5,
                                                      d->UpDown6, d->UpDown7, d->cmdTou})
        w->setEnabled(false);
    d->cmdLast->hide();
    {
        const QSignalBlocker block(d->scl1);
        d->scl1->setEnabled(true);
        if (count > 0) {
            d->scl1->setRange(1, count);
            d->scl1->setValue(rowInMonth);
        } else {
            d->scl1->setRange(0, 0);
        }
    }
    const bool any = count > 0 && d->CurIndex > 0;
    d->cmdDel->setEnabled(any);
    d->cmdUpd->setEnabled(any);
    d->lblKen->setText(QStringLiteral("(%1 / %2)").arg(d->scl1->value()).arg(count));
    d->scl1->show();
    d->lbl01->show();
    d->lblKen->show();
}

void EntryForm::fillFromLatest() {
    if (d->editMode) return;
    d->loadHistory();
    if (!d->history.latest) {
        if (!d->history.problems.empty()) d->reportError(std::runtime_error(d->history.problems.front()));
        else emit d->ctx.statusMessage(QStringLiteral("前回の日間収支データがありません。"));
        return;
    }
    const DailyRecord& r = *d->history.latest;
    // "（不明）" stands for a name left empty: the box stays empty, as it was then.
    auto name = [](const std::string& text) { return text == kUnknownName ? std::string() : text; };
    d->model.setText(Box::cboK_type, r.K_type);
    d->model.type(Box::cboHoll, name(r.Holl));
    d->model.type(Box::cboKisyu, name(r.Kisyu));
    d->model.setText(Box::cboK_no, entry::numberInput(r.K_no).text);  // "?" (no number) shows as an empty box
    d->model.type(Box::txtZ1_1, r.Z1_1);
    d->model.type(Box::txtZ1_2, r.Z1_2);
    d->model.type(Box::txtZ2_1, r.Z2_1);
    d->model.type(Box::txtZ2_2, r.Z2_2);
    d->afterChange();
}

void EntryForm::computeHourlyRate() {
    d->model.manualRate();
    d->syncFromModel();
}

void EntryForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (d->shownOnce) return;
    d->shownOnce = true;
    if (QScreen* s = screen()) {
        const QRect g = s->geometry();
        move(g.x() + (g.width() - width()) / 2, g.y() + (g.height() - height()) / 5);
    }
}

void EntryForm::saveNew() {
    if (d->editMode || !d->cmdTou->isEnabled()) return;
    WaitCursorOn wait(d->cmdTou);
    d->settleFigures();
    SaveResult result;
    try {
        result = saveNewRecord(d->ctx.store(), d->ctx.lists(), ss(d->monthly.currentUser()), d->model);
    } catch (const std::exception& e) {
        d->reportError(e);
        // Show what the files hold now.
        d->reloadMonthly(true);
        emit d->ctx.recordsChanged();
        return;
    }
    if (!result.saved()) {
        d->showRefusal(*result.refusal);
        return;
    }
    d->loadHistory();
    d->loadHalls();
    d->loadMachines();
    // The monthly window reloads its year; its grid only when it shows the saved month.
    const DailyRecord& rec = result.record;
    d->reloadMonthly(d->monthly.selectedYear() == qs(rec.Nen) && d->monthly.selectedMonth() == qs(rec.Tuki));
    emit d->ctx.listsChanged();
    emit d->ctx.recordsChanged();
    // The boxes keep their values for the next entry: the message line says this one is saved.
    emit d->ctx.statusMessage(qs(entry::recordDoneMessage(rec, "登録")));
    d->txtNen->setFocus(Qt::OtherFocusReason);
    d->budgetNotice(result);
}

void EntryForm::saveChanges() {
    if (!d->editMode || d->CurIndex < 1 || !d->cmdUpd->isEnabled()) return;
    WaitCursorOn wait(d->cmdUpd);
    if (!d->stillShown()) return;
    d->settleFigures();
    SaveResult result;
    try {
        result = updateRecord(d->ctx.store(), d->monthly.yearRecordList(), d->CurIndex, d->model);
    } catch (const std::exception& e) {
        d->reportError(e);
        d->recoverAfterError();
        return;
    }
    if (!result.saved()) {
        d->showRefusal(*result.refusal);
        return;
    }
    d->reloadMonthly(true);
    d->rememberShown();
    emit d->ctx.recordsChanged();
    emit d->ctx.statusMessage(qs(entry::recordDoneMessage(result.record, "修正")));
    d->budgetNotice(result);
}

void EntryForm::deleteShown() {
    if (!d->editMode || d->CurIndex < 1 || !d->cmdDel->isEnabled()) return;
    WaitCursorOn wait(d->cmdDel);
    if (!confirm(this, kDeleteQuestion, kDeleteTitle)) return;
    if (!d->stillShown()) return;
    const DailyRecord deleted = d->monthly.yearRecordList().record(d->CurIndex);
    try {
        deleteRecord(d->ctx.store(), d->monthly.yearRecordList(), d->CurIndex);
    } catch (const std::exception& e) {
        d->reportError(e);
        d->recoverAfterError();
        return;
    }
    d->reloadMonthly(true);
    emit d->ctx.recordsChanged();
    emit d->ctx.statusMessage(qs(entry::recordDoneMessage(deleted, "削除")));
    d->setNavigation(d->monthly.currentRow());
}

}  // namespace tama::ui
