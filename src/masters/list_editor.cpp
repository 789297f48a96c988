#include "list_editor.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "entry/calculations.h"
#include "shared/file_io.h"
#include "shared/text_codec.h"
#include "ui/app_context.h"
#include "ui/messages.h"
#include "ui/named.h"

namespace tama::ui {

ListEditor::ListEditor(AppContext& ctx, QString user, const Texts& texts, QWidget* parent)
    : QDialog(parent), ctx_(ctx), user_(std::move(user)), texts_(texts) {
    setObjectName(QString::fromLatin1(texts.objectName));
    setWindowTitle(QString::fromUtf8(texts.caption));
    setModal(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ctx.overallColour());
    setPalette(pal);
    setAutoFillBackground(true);

    lst1_ = named(new QListWidget(this), "lst1");
    lst1_->setSelectionMode(QAbstractItemView::SingleSelection);
    Label1_ = named(new QLabel(QString::fromUtf8(texts.boxLabel), this), "Label1");
    txtName_ = new QLineEdit(this);
    txtName_->setObjectName(QString::fromLatin1(texts.boxName));
    Label1_->setBuddy(txtName_);
    cmdNew_ = named(new QPushButton(QStringLiteral("新規登録"), this), "cmdNew");
    cmdDel_ = named(new QPushButton(QStringLiteral("削除"), this), "cmdDel");
    cmdCan_ = named(new QPushButton(QStringLiteral("キャンセル"), this), "cmdCan");
    for (QPushButton* b : {cmdNew_, cmdDel_, cmdCan_}) b->setAutoDefault(false);

    // A click picks a name; from the keyboard the arrows move and Return picks.
    connect(lst1_, &QListWidget::itemClicked, this, &ListEditor::entrySelected);
    connect(lst1_, &QListWidget::itemActivated, this, &ListEditor::entrySelected);
    connect(cmdNew_, &QPushButton::clicked, this, &ListEditor::addName);
    connect(cmdDel_, &QPushButton::clicked, this, &ListEditor::deleteName);
    connect(cmdCan_, &QPushButton::clicked, this, &ListEditor::closeEditor);
    // Return in the name box adds the name.
    connect(txtName_, &QLineEdit::returnPressed, this, &ListEditor::addName);
}

void ListEditor::build(QWidget* top) {
    auto* right = new QVBoxLayout;
    right->addWidget(Label1_);
    right->addWidget(txtName_);
    right->addSpacing(8);
    right->addWidget(cmdNew_);
    right->addWidget(cmdDel_);
    right->addStretch(1);
    right->addWidget(cmdCan_);
    auto* body = new QHBoxLayout;
    body->addWidget(lst1_, 1);
    body->addLayout(right);
    auto* all = new QVBoxLayout(this);
    if (top) all->addWidget(top);
    all->addLayout(body, 1);
    resize(420, 320);
    cmdDel_->setEnabled(false);
    // The dialog opens ready for typing a name.
    txtName_->setFocus(Qt::OtherFocusReason);
}

void ListEditor::refresh() {
    lst1_->clear();
    linesRead_ = 0;
    try {
        linesRead_ = loadNames(lst1_);
    } catch (const std::exception& e) {
        // A damaged file: say which file and line; the list stays empty and
        // every add or delete stops at the same check before writing.
        lst1_->clear();
        ErrorReport(this, kFileErrorNumber, qs(e.what()), false);
    }
    if (linesRead_ == 0) cmdDel_->setEnabled(false);
    emit ctx_.listsChanged();
    txtName_->clear();
}

void ListEditor::entrySelected() {
    QListWidgetItem* item = lst1_->currentItem();
    if (!item) return;
    txtName_->setText(item->text());
    txtName_->setFocus(Qt::OtherFocusReason);
    cmdDel_->setEnabled(true);
}

std::optional<std::string> ListEditor::storedName() {
    const std::string text = ss(txtName_->text());
    const std::string problem = entry::unstorableTextProblem(text);
    if (!problem.empty()) {
        inputRefusal(this, QString::fromUtf8(texts_.boxLabel) + QStringLiteral("に") + qs(problem),
                     qs(entry::kInputErrorTitle));
        txtName_->setFocus(Qt::OtherFocusReason);
        return std::nullopt;
    }
    return storedForm(text);
}

bool ListEditor::guarded(const std::function<void()>& operation) {
    try {
        operation();
        return true;
    } catch (const std::exception& e) {
        ErrorReport(this, kFileErrorNumber, qs(e.what()), false);
    }
    return false;
}

void ListEditor::addName() {
    const auto name = storedName();
    if (!name) return;
    AddResult result = AddResult::EmptyName;
    if (!guarded([&] { result = add(*name); })) return;
    if (result == AddResult::Exists)
        showMessage(this,
                    {QString::fromUtf8(texts_.exists), QStringLiteral("登録ｴﾗｰ"), Icon::Exclamation, Buttons::Ok});
    refresh();
}

void ListEditor::deleteName() {
    const auto name = storedName();
    if (!name) return;
    if (!guarded([&] { remove(*name); })) return;
    refresh();
}

void ListEditor::closeEditor() { close(); }

// ---------------------------------------------------------------- halls

HallListEditor::HallListEditor(AppContext& ctx, const QString& user, QWidget* parent)
    : ListEditor(ctx, user,
                 {"frmHoll_upd", "ホールリスト編集", "txtHoll", "ホール名", "ホール名は、既に登録済みです。"}, parent) {
    build(nullptr);
    loadHalls();
}

int HallListEditor::loadNames(QListWidget* list) {
    const auto names = ctx_.lists().loadHallNames(ss(user_));
    for (const auto& n : names) list->addItem(qs(n));
    return static_cast<int>(names.size());
}

AddResult HallListEditor::add(const std::string& name) { return ctx_.lists().addHall(ss(user_), name); }

void HallListEditor::remove(const std::string& name) { ctx_.lists().deleteHall(ss(user_), name); }

// ---------------------------------------------------------------- machines

MachineListEditor::MachineListEditor(AppContext& ctx, const QString& user, QWidget* parent)
    : ListEditor(ctx, user, {"frmKisyu_upd", "機種リスト編集", "txtKisyu", "機種名", "機種名は、既に登録済みです。"},
                 parent) {
    auto* top = new QWidget(this);
    Label2_ = named(new QLabel(QStringLiteral("機種タイプ"), top), "Label2");
    cboK_type_ = named(new QComboBox(top), "cboK_type");
    for (std::string_view t : kEditorTypeOrder) cboK_type_->addItem(qs(t));
    cboK_type_->setCurrentText(qs(kDefaultMachineType));
    Label2_->setBuddy(cboK_type_);
    auto* row = new QHBoxLayout(top);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(Label2_);
    row->addWidget(cboK_type_, 1);
    build(top);
    // A new type shows its names at once (the list of that type, name box emptied).
    connect(cboK_type_, &QComboBox::currentTextChanged, this, [this] { loadMachines(); });
    loadMachines();
}

int MachineListEditor::loadNames(QListWidget* list) {
    const auto machines = ctx_.lists().loadMachines(ss(user_));
    const std::string type = ss(cboK_type_->currentText());
    for (const auto& m : machines)
        if (m.type == type) list->addItem(qs(m.name));
    // cmdDel follows the whole file, not the shown type.
    return static_cast<int>(machines.size());
}

AddResult MachineListEditor::add(const std::string& name) {
    return ctx_.lists().addMachine(ss(user_), ss(cboK_type_->currentText()), name);
}

void MachineListEditor::remove(const std::string& name) { ctx_.lists().deleteMachine(ss(user_), name); }

}  // namespace tama::ui
