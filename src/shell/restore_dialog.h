#pragma once
// The dialog "ﾊﾞｯｸｱｯﾌﾟから復元" of the frame's ﾌｧｲﾙ menu: the current user's kept
// versions of his files (date, time, file, record count), newest first, and a
// button that puts the chosen one back after a confirmation.
#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace tama::ui {

class AppContext;

class RestoreDialog : public QDialog {
    Q_OBJECT
public:
    RestoreDialog(AppContext& ctx, const QString& user, QWidget* parent = nullptr);

    // Restores the version on the chosen row (also the 復元 button after its question).
    // Returns true when a version was put back.
    bool restoreRow(int row);
    // Whether any version was put back while the dialog was open.
    bool restored() const { return restored_; }
    // What was put back last, for the frame's message line:
    // 「太郎 の s2004.sdb を 2026/12/08 21:49:17 の版（2 件）に戻しました。」; empty when nothing was.
    QString restoredText() const { return restoredText_; }

private:
    void fill();
    void restoreSelected();

    AppContext& ctx_;
    QString user_;
    QTableWidget* lstVersions_;
    QPushButton* cmdRestore_;
    QLabel* lblMsg_;
    QStringList ids_;
    QStringList texts_;  // restoredText of each row
    bool restored_ = false;
    QString restoredText_;
};

}  // namespace tama::ui
