#pragma once
// UserManager ("利用者名登録"): the modal dialog that adds, renames and deletes
// users. A user is nothing but a folder under Data holding the user's record
// files; adding creates the folder, renaming renames it, deleting removes its
// files and the folder.
//
// Every name is checked with userNameProblem before it is used, and the
// folder a command works on is always one entry directly inside Data: no
// command ever renames or deletes the Data folder itself or anything outside
// a user's own folder.
#include <QDialog>
#include <functional>
#include <optional>

#include "shared/file_io.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tama::ui {

class AppContext;

class UserManager : public QDialog {
    Q_OBJECT
public:
    // `refresh` refills the monthly window's user box (the main window's refresh);
    // it is called after every add, rename and delete. It may be empty.
    UserManager(AppContext& ctx, std::function<void()> refresh, QWidget* parent = nullptr);
    ~UserManager() override;

    // Opened in first-run mode (start-up found no user): the message line asks
    // for a name and cmdCan is disabled. Whether an add closes the dialog
    // follows the run's first-run flag (AppContext::firstRun), however opened.
    void setFirstRun(bool on);

    // The name added last while the dialog was open (empty when none).
    QString addedUser() const { return addedUser_; }

    // The handlers, also reached by the buttons and the list.
    void loadUsers();      // refill the list from Data
    void entrySelected();  // a list entry was selected
    void addUser();        // add the name in txtUser
    void renameUser();     // rename the selected user to the name in txtUser
    void deleteUser();     // delete the user named in txtUser with all its files
    void cancel();         // close

    QLineEdit* txtUser() const { return txtUser_; }
    QListWidget* lst1() const { return lst1_; }
    QPushButton* cmdTou() const { return cmdTou_; }
    QPushButton* cmdUpd() const { return cmdUpd_; }
    QPushButton* cmdDel() const { return cmdDel_; }
    QPushButton* cmdCan() const { return cmdCan_; }
    QLabel* lblMsg() const { return lblMsg_; }

signals:
    // A user was added (its folder now exists under Data).
    void userAdded(const QString& name);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void placeBesideOwner();
    void changed();
    // Shows the refusal for a name that cannot be a user folder (a new name also
    // when it is too long); true when refused.
    bool refuseName(const QString& name, bool isNew);
    // Takes the program folder's write lock for a rename or delete; reports a timeout.
    bool takeWriteLock(std::optional<FolderWriteLock>& lock);

    AppContext& ctx_;
    std::function<void()> refresh_;
    QString addedUser_;

    QLabel* Label1_;
    QLineEdit* txtUser_;
    QLabel* Label2_;
    QListWidget* lst1_;
    QPushButton* cmdTou_;
    QPushButton* cmdUpd_;
    QPushButton* cmdDel_;
    QPushButton* cmdCan_;
    QLabel* lblMsg_;
};

}  // namespace tama::ui
