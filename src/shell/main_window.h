#pragma once
// frmMain ("タマログ ～管理編～"): the frame of the program. A QMdiArea holds the
// monthly window and the graph window as children; the menu bar, the toolbar
// that steps the monthly window through months and years, and the status bar
// whose first panel is the program's message line live here. Every other
// window opens from it as a modal dialog.
//
// Menu items are QActions whose objectName is the item's name ("mnuGlf1");
// a window written later plugs its command in with setCommand, which also
// enables the item.
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

#include "ui/window_layout.h"

class QAction;
class QActionGroup;
class QLabel;
class QLockFile;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSettings;
class QToolBar;

namespace tama::ui {

class AppContext;
class frmCalendar;
class frmMonthly;
class TiledBackground;

// The name under which the per-user store keeps the frame's position.
inline constexpr const char* kApplicationTitle = "tamalog";

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // `userStorePath`: the file of the per-user store (an INI file) for tests and
    // tools; empty means the platform's per-user store under kApplicationTitle.
    explicit frmMain(AppContext& ctx, const QString& userStorePath = {}, QWidget* parent = nullptr);
    ~frmMain() override;

    // The load step: refuses a second instance (message, then the window closes
    // itself and false is returned), places the frame from the per-user store,
    // shows it, records the frame's inner size, opens the monthly window and, when
    // Data holds no user, the user manager in first-run mode.
    bool MDIForm_Load();

    // Refills the monthly window's user box from Data (after users changed).
    void Refresh();

    // Hosts the graph window as the right-hand child and ties the graph menu to
    // its selections: the combo boxes "cboKikan", "cboGtype", "cboKou" and the
    // check boxes "chk1", "chk2" found by objectName. The graph menu items and
    // the toolbar's "ｸﾞﾗﾌ" button are enabled from then on.
    void addGraphWindow(QWidget* graph);
    // Makes the graph window: set before MDIForm_Load, which then opens it after
    // the monthly window. A graph window the user has closed is made again by the
    // next command that acts on it: a graph menu item, the toolbar's "ｸﾞﾗﾌ" button
    // or the window reset.
    void setGraphWindowFactory(std::function<QWidget*()> factory);

    // Connects a menu item (by name, e.g. "mnuHoll") to the command that opens a
    // window written later, and enables it. "mnuSerch" also serves the toolbar's
    // "分析" button.
    void setCommand(const QString& itemName, std::function<void()> run);
    QAction* menuItem(const QString& itemName) const;

    // Menu and toolbar commands, also reached by clicking.
    void mnuRestore_Click();
    void mnuUser_Click();
    void mnuInp_Click();
    void mnuUpd_Click();
    void mnuDefult_Click();
    void tbToolBar_ButtonClick(const QString& key);
    // Opens the user manager modally; in first-run mode the user added there
    // becomes the monthly window's user.
    void openUserManager(bool firstRunMode, const QString& message = {});

    // The monthly window, opened again when it was closed.
    frmMonthly* monthlyWindow();
    // The open monthly window or null.
    frmMonthly* monthlyWindowIfOpen() const;
    // 表示 → カレンダー and the toolbar's "ｶﾚﾝﾀﾞｰ": opens the calendar beside the
    // monthly window, or brings the open one forward (one instance).
    frmCalendar* calendarWindow();
    frmCalendar* calendarWindowIfOpen() const;
    QWidget* graphWindow() const { return graph_; }
    QMdiSubWindow* subWindowOf(QWidget* child) const;

    QMdiArea* mdiArea() const { return mdi_; }
    TiledBackground* background() const { return background_; }
    QToolBar* tbToolBar() const { return toolBar_; }
    QAction* toolButton(const QString& key) const;
    // Status panel 1, the program's message line.
    QString statusMessage() const;
    void setStatusMessage(const QString& text);

    // 1 when the load step found no user in Data.
    bool firstRun() const { return firstRun_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildMenus();
    void tileSubWindows(Qt::Orientation stacking);
    void buildToolBar();
    QAction* addItem(QMenu* menu, const char* name, const QString& caption);
    void addSeparator(QMenu* menu, const char* name);
    void updateMenus();
    void updateWindowMenu();
    void setGraphSelection(const char* comboName, const QString& text);
    void toggleGraphCheck(const char* checkName);
    bool graphWindowOpen() const;
    // The open graph window, made again through the factory when it was closed;
    // null when there is none and no factory.
    QWidget* graphWindowForUse();
    void recordFrameInnerSize();
    void placeDefault(QMdiSubWindow* monthly, QMdiSubWindow* graph);
    void restoreFramePosition();
    // The window manager's title bar and borders around the frame: the real ones
    // once the frame is framed, an estimate before.
    QMargins decorationMargins() const;
    // The available area of the screen holding most of `outer` (the primary
    // screen's for a null rectangle or a rectangle on no screen).
    QRect screenAreaFor(const QRect& outer) const;
    void placeFrame(const Placement& p);
    // Fits the frame, its real decorations included, to its screen once they
    // are known, and the child windows into the frame.
    void fitFramedWindow();
    void saveFramePosition();

    AppContext& ctx_;
    std::unique_ptr<QSettings> userStore_;
    std::unique_ptr<QLockFile> lock_;
    QMdiArea* mdi_;
    QToolBar* toolBar_;
    QLabel* panel1_;
    TiledBackground* background_ = nullptr;  // the picture tiled behind the child windows
    QMenu* windowMenu_ = nullptr;
    QActionGroup* typeGroup_ = nullptr;
    QActionGroup* periodGroup_ = nullptr;
    QActionGroup* kindGroup_ = nullptr;
    QPointer<frmMonthly> monthly_;
    QPointer<QWidget> graph_;
    QPointer<frmCalendar> calendar_;
    std::function<QWidget*()> graphFactory_;
    std::function<void()> analysis_;
    bool firstRun_ = false;
    bool loaded_ = false;
    bool frameFitted_ = false;  // fitted with the window manager's real decorations
};

}  // namespace tama::ui
