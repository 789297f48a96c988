#pragma once
// The two list editors, HallListEditor ("ホールリスト編集") and MachineListEditor
// ("機種リスト編集"): modal dialogs that add names to and remove names from the
// current user's hall list (holl.dat) or machine list (kisyu.dat). The common
// lists in CboData are not touched.
//
// Both share one frame: the list lst1 of names, the name box with its label,
// and the buttons cmdNew "新規登録", cmdDel "削除" and cmdCan "キャンセル". A name
// is refused before it is used when the list file could not hold it (a double
// quote, a line break, a character outside CP932), and it is compared in the
// form it takes once stored, so "〜" typed finds "～" stored. After every
// refresh the graph window's hall and machine boxes are refilled (listsChanged).
#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "storage/master_lists.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tama::ui {

class AppContext;

class ListEditor : public QDialog {
    Q_OBJECT
public:
    void entrySelected();  // a name was selected: into the name box, cmdDel enabled
    void addName();        // add the name in the name box
    void deleteName();     // delete every line with the name in the name box
    void closeEditor();    // close

    QListWidget* lst1() const { return lst1_; }
    QLineEdit* nameBox() const { return txtName_; }
    QPushButton* cmdNew() const { return cmdNew_; }
    QPushButton* cmdDel() const { return cmdDel_; }
    QPushButton* cmdCan() const { return cmdCan_; }
    // Lines read by the last refresh (every line of the file, whatever its type).
    int linesRead() const { return linesRead_; }

protected:
    struct Texts {
        const char* objectName;  // "frmHoll_upd"
        const char* caption;     // window title
        const char* boxName;     // objectName of the name box ("txtHoll")
        const char* boxLabel;    // caption of Label1 ("ホール名")
        const char* exists;      // message when the name is listed already
    };
    ListEditor(AppContext& ctx, QString user, const Texts& texts, QWidget* parent);

    // Lays out the frame; `top` (may be null) goes above the list (the type box).
    void build(QWidget* top);
    // Refills lst1 from the file and returns the number of lines read.
    virtual int loadNames(QListWidget* list) = 0;
    // The list operations on the stored form of the name.
    virtual AddResult add(const std::string& name) = 0;
    virtual void remove(const std::string& name) = 0;
    // Refill lst1, disable cmdDel when the file has no line, refill the graph
    // window's boxes and empty the name box.
    void refresh();

    AppContext& ctx_;
    const QString user_;

private:
    // The name box's text in its stored form; nothing (after the refusal message)
    // when the file could not hold it.
    std::optional<std::string> storedName();
    // Runs a list operation, reporting a file error or a limit error (short error report).
    bool guarded(const std::function<void()>& operation);

    Texts texts_;
    int linesRead_ = 0;
    QLabel* Label1_;
    QListWidget* lst1_;
    QLineEdit* txtName_;
    QPushButton* cmdNew_;
    QPushButton* cmdDel_;
    QPushButton* cmdCan_;
};

class HallListEditor : public ListEditor {
    Q_OBJECT
public:
    HallListEditor(AppContext& ctx, const QString& user, QWidget* parent = nullptr);
    QLineEdit* txtHoll() const { return nameBox(); }
    void loadHalls() { refresh(); }

protected:
    int loadNames(QListWidget* list) override;
    AddResult add(const std::string& name) override;
    void remove(const std::string& name) override;
};

class MachineListEditor : public ListEditor {
    Q_OBJECT
public:
    MachineListEditor(AppContext& ctx, const QString& user, QWidget* parent = nullptr);
    QLineEdit* txtKisyu() const { return nameBox(); }
    QComboBox* cboK_type() const { return cboK_type_; }
    void loadMachines() { refresh(); }

protected:
    int loadNames(QListWidget* list) override;
    AddResult add(const std::string& name) override;
    void remove(const std::string& name) override;

private:
    QComboBox* cboK_type_;
    QLabel* Label2_;
};

}  // namespace tama::ui
