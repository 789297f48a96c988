#include "user_manager.h"

#include <QApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>
#include <optional>

#include "ui/app_context.h"
#include "ui/messages.h"
#include "shared/file_io.h"
#include "shared/text_codec.h"
#include "storage/record_store.h"
#include "ui/named.h"

namespace tama::ui {

namespace fs = std::filesystem;

namespace {

const QString kCaption = QStringLiteral("利用者名登録");

// Error numbers of the short error report, as the file commands give them.
constexpr int kErrFileExists = 58;    // a file or folder of that name exists
constexpr int kErrPathNotFound = 76;  // the folder is not there
constexpr int kErrFileAccess = kFileErrorNumber;

fs::path toPath(const QString& s) { return fs::path(s.toStdString()); }
QString fromPath(const fs::path& p) { return QString::fromStdString(p.string()); }

// The entry of Data whose name equals `name` without regard to letter case
// (names are folder names, and two folders differing only in case would make
// every lookup ambiguous). Nothing when there is none.
std::optional<fs::path> dataEntry(const fs::path& dataFolder, const std::string& name) {
    std::error_code ec;
    for (fs::directory_iterator it(dataFolder, ec), end; !ec && it != end; it.increment(ec))
        if (equalsNoCase(it->path().filename().string(), name)) return it->path();
    return std::nullopt;
}

// True when `path` is an entry directly inside `dataFolder` (and not Data itself).
bool directlyInside(const fs::path& path, const fs::path& dataFolder) {
    std::error_code ec1, ec2;
    fs::path parent = fs::weakly_canonical(path.parent_path(), ec1);
    fs::path data = fs::weakly_canonical(dataFolder, ec2);
    if (ec1 || ec2) return false;
    std::string leaf = path.filename().string();
    return parent == data && !leaf.empty() && leaf != "." && leaf != "..";
}

QString describe(const std::error_code& ec) { return QString::fromLocal8Bit(ec.message().c_str()); }

}  // namespace

UserManager::UserManager(AppContext& ctx, std::function<void()> refresh, QWidget* parent)
    : QDialog(parent), ctx_(ctx), refresh_(std::move(refresh)) {
    setObjectName(QStringLiteral("frmUser"));
    setWindowTitle(kCaption);
    setModal(true);

    Label1_ = named(new QLabel(QStringLiteral("新規利用者名登録"), this), "Label1");
    txtUser_ = named(new QLineEdit(this), "txtUser");
    Label2_ = named(new QLabel(QStringLiteral("登録済み利用者名"), this), "Label2");
    lst1_ = named(new QListWidget(this), "lst1");
    lst1_->setSelectionMode(QAbstractItemView::SingleSelection);
    cmdTou_ = named(new QPushButton(QStringLiteral("新規登録"), this), "cmdTou");
    cmdUpd_ = named(new QPushButton(QStringLiteral("変更"), this), "cmdUpd");
    cmdDel_ = named(new QPushButton(QStringLiteral("削除"), this), "cmdDel");
    cmdCan_ = named(new QPushButton(QStringLiteral("キャンセル"), this), "cmdCan");
    lblMsg_ = named(new QLabel(this), "lblMsg");
    lblMsg_->setFrameShape(QFrame::Panel);
    lblMsg_->setFrameShadow(QFrame::Sunken);
    lblMsg_->setMinimumHeight(lblMsg_->fontMetrics().height() + 8);
    lblMsg_->setWordWrap(true);

    // Enter in the name box adds; the other buttons never act on Enter.
    for (QPushButton* b : {cmdTou_, cmdUpd_, cmdDel_, cmdCan_}) b->setAutoDefault(false);
    cmdTou_->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(Label1_, 0, 0);
    grid->addWidget(txtUser_, 1, 0);
    grid->addWidget(Label2_, 2, 0);
    grid->addWidget(lst1_, 3, 0, 5, 1);
    grid->addWidget(cmdTou_, 1, 1);
    grid->addWidget(cmdUpd_, 3, 1);
    grid->addWidget(cmdDel_, 4, 1);
    grid->setRowStretch(6, 1);
    grid->addWidget(cmdCan_, 7, 1);
    grid->setColumnStretch(0, 1);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(grid);
    outer->addWidget(lblMsg_);
    resize(420, 320);

    connect(cmdTou_, &QPushButton::clicked, this, &UserManager::addUser);
    connect(cmdUpd_, &QPushButton::clicked, this, &UserManager::renameUser);
    connect(cmdDel_, &QPushButton::clicked, this, &UserManager::deleteUser);
    connect(cmdCan_, &QPushButton::clicked, this, &UserManager::cancel);
    connect(lst1_, &QListWidget::itemSelectionChanged, this, [this] {
        if (lst1_->currentItem() && lst1_->currentItem()->isSelected()) entrySelected();
    });

    // Opening: position, list, and no entry selected yet.
    placeBesideOwner();
    loadUsers();
    cmdDel_->setEnabled(false);
    cmdUpd_->setEnabled(false);
}

UserManager::~UserManager() = default;

void UserManager::setFirstRun(bool on) {
    if (on) {
        lblMsg_->setText(QStringLiteral("利用者名を、適当に登録して下さい。（後で、修正可能）"));
        cmdCan_->setEnabled(false);
    }
}

void UserManager::placeBesideOwner() {
    // Left edge at half the owner's height, top edge at 1000 twips.
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner) return;
    int halfHeightTwips = static_cast<int>(pixelsToTwipsY(owner->frameGeometry().height())) / 2;
    move(twipsToPixelsX(halfHeightTwips), twipsToPixelsY(1000));
}

void UserManager::loadUsers() {
    lst1_->clear();
    int added = 0;
    for (const std::string& name : ctx_.store().userNames()) {
        lst1_->addItem(qs(name));
        ++added;
    }
    if (added == 0) {
        cmdDel_->setEnabled(false);
        cmdUpd_->setEnabled(false);
        cmdCan_->setEnabled(false);
    }
}

void UserManager::entrySelected() {
    lblMsg_->clear();
    if (QListWidgetItem* item = lst1_->currentItem()) txtUser_->setText(item->text());
    cmdDel_->setEnabled(true);
    cmdUpd_->setEnabled(true);
}

bool UserManager::refuseName(const QString& name, bool isNew) {
    std::string problem = isNew ? newUserNameProblem(ss(name)) : userNameProblem(ss(name));
    if (problem.empty()) return false;
    inputRefusal(this, qs(problem), kCaption);
    return true;
}

void UserManager::changed() {
    if (refresh_) refresh_();
    emit ctx_.usersChanged();
}

bool UserManager::takeWriteLock(std::optional<FolderWriteLock>& lock) {
    try {
        lock.emplace(ctx_.programFolder());
        return true;
    } catch (const FileError& e) {
        ErrorReport(this, kErrFileAccess, qs(e.what()), false);
        return false;
    }
}

void UserManager::addUser() {
    // The name is kept in the form the settings file gives back ("～" for a typed
    // "〜"), so the user is found again after a restart.
    const QString name = qs(storedForm(ss(txtUser_->text())));
    // An empty name would address Data itself, which exists.
    if (name.isEmpty()) {
        lblMsg_->setText(QStringLiteral("利用者名は、既に登録済みです。"));
        return;
    }
    if (refuseName(name, true)) return;
    const fs::path dataDir = ctx_.store().dataFolder();
    if (dataEntry(dataDir, ss(name))) {
        lblMsg_->setText(QStringLiteral("利用者名は、既に登録済みです。"));
        return;
    }
    const fs::path folder = dataDir / toPath(name);
    std::error_code ec;
    if (!fs::create_directory(folder, ec)) {
        if (!ec || ec == std::errc::file_exists) {
            lblMsg_->setText(QStringLiteral("利用者名は、既に登録済みです。"));
        } else {
            int number = ec == std::errc::no_such_file_or_directory ? kErrPathNotFound : kErrFileAccess;
            ErrorReport(this, number,
                        QStringLiteral("フォルダーを作成できません: %1 (%2)").arg(fromPath(folder), describe(ec)),
                        false);
        }
        return;
    }
    addedUser_ = name;
    loadUsers();
    lblMsg_->setText(QStringLiteral("利用者名を登録しました。"));
    cmdCan_->setEnabled(true);
    emit userAdded(name);
    changed();
    if (ctx_.firstRun()) {
        accept();
        return;
    }
    txtUser_->clear();
}

void UserManager::renameUser() {
    QListWidgetItem* selected = lst1_->currentItem();
    if (!selected || !selected->isSelected()) {
        inputRefusal(this, QStringLiteral("変更する利用者名を一覧から選んで下さい。"), kCaption);
        return;
    }
    const QString oldName = selected->text();
    const QString newName = qs(storedForm(ss(txtUser_->text())));
    if (refuseName(newName, true)) return;
    if (!userNameProblem(ss(oldName)).empty()) {
        ErrorReport(this, kErrFileAccess, QStringLiteral("この名前のフォルダーは扱えません: %1").arg(oldName), false);
        QApplication::beep();
        return;
    }
    const fs::path dataDir = ctx_.store().dataFolder();
    const std::optional<fs::path> from = dataEntry(dataDir, ss(oldName));
    std::error_code ec;
    if (!from || !fs::is_directory(fs::symlink_status(*from, ec))) {
        ErrorReport(this, kErrPathNotFound, QStringLiteral("利用者のフォルダーが見つかりません: %1").arg(oldName),
                    false);
        QApplication::beep();
        return;
    }
    // Renaming onto another entry would merge or replace it: refused. A change of
    // letter case only (the same folder) is allowed.
    const std::optional<fs::path> clash = dataEntry(dataDir, ss(newName));
    if (clash && clash->filename() != from->filename()) {
        ErrorReport(this, kErrFileExists,
                    QStringLiteral("同じ名前のファイルまたはフォルダーが既にあります: %1").arg(newName), false);
        QApplication::beep();
        return;
    }
    const fs::path to = dataDir / toPath(newName);
    if (!directlyInside(*from, dataDir) || !directlyInside(to, dataDir)) {
        ErrorReport(this, kErrFileAccess, QStringLiteral("Data フォルダーの外は変更できません: %1").arg(newName),
                    false);
        QApplication::beep();
        return;
    }
    // A script saving into the folder at this moment finishes first.
    std::optional<FolderWriteLock> lock;
    if (!takeWriteLock(lock)) return;
    fs::rename(*from, to, ec);
    if (ec) {
        ErrorReport(this, kErrFileAccess,
                    QStringLiteral("名前を変更できません: %1 → %2 (%3)").arg(oldName, newName, describe(ec)), false);
        QApplication::beep();
        return;
    }
    txtUser_->clear();
    loadUsers();
    // Nothing is selected now; the buttons wait for the next selection so that
    // an empty name can never address Data itself.
    cmdDel_->setEnabled(false);
    cmdUpd_->setEnabled(false);
    lblMsg_->setText(QStringLiteral("利用者名を変更しました。"));
    changed();
}

void UserManager::deleteUser() {
    const QString name = txtUser_->text();
    if (refuseName(name, false)) return;
    const bool yes = confirm(this,
                             QStringLiteral("利用者名を削除すると、関連する各種データも全て削除されます。") +
                                 QStringLiteral("\r\r") + QStringLiteral("この利用者名を削除していいですか？"),
                             QStringLiteral("利用者名及び関連データの削除"));
    std::optional<FolderWriteLock> lock;
    if (yes && takeWriteLock(lock)) {
        const fs::path dataDir = ctx_.store().dataFolder();
        const std::optional<fs::path> found = dataEntry(dataDir, ss(name));
        std::error_code ec;
        const fs::file_status st = found ? fs::symlink_status(*found, ec) : fs::file_status{};
        bool done = false;
        if (!found || !directlyInside(*found, dataDir)) {
            ErrorReport(this, kErrPathNotFound, QStringLiteral("利用者のフォルダーが見つかりません: %1").arg(name),
                        false);
        } else if (fs::is_symlink(st)) {
            // A link in Data: only the link goes, never what it points to.
            fs::remove(*found, ec);
            if (ec)
                ErrorReport(this, kErrFileAccess, QStringLiteral("削除できません: %1 (%2)").arg(name, describe(ec)),
                            false);
            done = !ec;
        } else if (!fs::is_directory(st)) {
            ErrorReport(this, kErrFileAccess, QStringLiteral("利用者のフォルダーではありません: %1").arg(name), false);
        } else {
            // The files of the folder go, sub-folders do not. A folder with a
            // sub-folder cannot be removed, so nothing is deleted from it at all
            // rather than leaving it half emptied.
            std::vector<fs::path> files;
            QString subFolder;
            for (fs::directory_iterator it(*found, ec), end; !ec && it != end; it.increment(ec)) {
                std::error_code sec;
                if (fs::is_directory(it->symlink_status(sec))) subFolder = fromPath(it->path().filename());
                else files.push_back(it->path());
            }
            if (ec) {
                ErrorReport(this, kErrFileAccess,
                            QStringLiteral("フォルダーを読めません: %1 (%2)").arg(name, describe(ec)), false);
            } else if (!subFolder.isEmpty()) {
                ErrorReport(this, kErrFileAccess,
                            QStringLiteral("フォルダー「%1」を含むため削除できません: %2").arg(subFolder, name), false);
            } else {
                for (const fs::path& f : files) {
                    fs::remove(f, ec);
                    if (ec) {
                        ErrorReport(this, kErrFileAccess,
                                    QStringLiteral("ファイルを削除できません: %1 (%2)").arg(fromPath(f), describe(ec)),
                                    false);
                        break;
                    }
                }
                if (!ec) {
                    fs::remove(*found, ec);
                    if (ec)
                        ErrorReport(this, kErrFileAccess,
                                    QStringLiteral("フォルダーを削除できません: %1 (%2)").arg(name, describe(ec)),
                                    false);
                }
                done = !ec;
            }
        }
        if (done) {
            txtUser_->clear();
            loadUsers();
            cmdDel_->setEnabled(false);
            cmdUpd_->setEnabled(false);
            lblMsg_->setText(QStringLiteral("利用者名とそのデータを削除しました。"));
            changed();
        }
    }
    cmdCan_->setEnabled(true);
}

void UserManager::cancel() { reject(); }

void UserManager::keyPressEvent(QKeyEvent* event) {
    // Escape acts as the cancel button, so it does nothing while that is disabled
    // (first run); the close box still closes the dialog.
    if (event->key() == Qt::Key_Escape && !cmdCan_->isEnabled()) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace tama::ui
