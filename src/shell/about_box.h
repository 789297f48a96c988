#pragma once
// AboutBox: the about box, modal with the frame as owner. It shows the program,
// its version, the folder whose data it uses (and whether that is the per-user
// folder), and starts the platform's system-information viewer when one is
// installed (cmdSysInfo); without one it says so.
#include <QDialog>
#include <QStringList>

class QLabel;
class QPushButton;

namespace tama::ui {

class AppContext;

// Viewers of system information looked for on the PATH, in this order.
inline const QStringList kSystemInfoViewers = {QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"),
                                               QStringLiteral("kinfocenter"), QStringLiteral("gnome-system-monitor")};

class AboutBox : public QDialog {
    Q_OBJECT
public:
    // `perUserFolder`: the program folder in use is the per-user data folder.
    AboutBox(AppContext& ctx, bool perUserFolder, QWidget* parent = nullptr);

    // The folders searched for a viewer; empty means the PATH.
    void setViewerSearchPaths(const QStringList& paths) { searchPaths_ = paths; }
    // The path of the first viewer found, or empty.
    QString systemInfoViewer() const;

    void closeBox();
    void showSystemInfo();

    QLabel* Label1() const { return Label1_; }
    QLabel* lblFolder() const { return lblFolder_; }
    QPushButton* cmdOk() const { return cmdOk_; }
    QPushButton* cmdSysInfo() const { return cmdSysInfo_; }

private:
    QStringList searchPaths_;
    QLabel* Label1_;
    QLabel* lblFolder_;
    QPushButton* cmdOk_;
    QPushButton* cmdSysInfo_;
};

}  // namespace tama::ui
