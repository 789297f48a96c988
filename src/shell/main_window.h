#pragma once
// MainWindow ("タマログ ～管理編～"): the frame of the program. A QMdiArea holds the
// monthly window and the graph window as children; the menu bar, the toolbar
// that steps the monthly window through months and years, and the status bar
// whose first panel is the program's message line live here. Every other
// window opens from it as a modal dialog.
//
// Menu items are QActions whose objectName is the item's name ("mnuGlf1"),
// each bound to its slot when the frame is built; every toolbar button is a
// QAction of its own (objectName its caption, "次月") with a slot of its own.
#include <QMainWindow>
#include <QPointer>
#include <QStyle>
#include <functional>
#include <memory>
#include <string>

#include "graphs/graph_window.h"
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
class CalendarWindow;
class MonthlyWindow;
class TiledBackground;

// The name under which the per-user store keeps the frame's position.
inline constexpr const char* kApplicationTitle = "tamalog";

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // `userStorePath`: the file of the per-user store (an INI file) for tests and
    // tools; empty means the platform's per-user store under kApplicationTitle.
    explicit MainWindow(AppContext& ctx, const QString& userStorePath = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The load step: refuses a second instance (message, then the window closes
    // itself and false is returned), places the frame from the per-user store,
    // shows it, records the frame's inner size, opens the monthly window and, when
    // Data holds no user, the user manager in first-run mode.
    bool start();

    // Refills the monthly window's user box from Data (after users changed).
    void refresh();

    // Hosts the graph window as the right-hand child and ties the graph menu to
    // its selections (period, chart type, item, cumulative, value labels): the
    // menu sets them and follows the window's changes. The graph menu items and
    // the toolbar's "ｸﾞﾗﾌ" button are enabled from then on; a day opened on the
    // day graph brings the monthly window forward at it.
    void addGraphWindow(GraphWindow* graph);
    // Makes the graph window: set before start, which then opens it after
    // the monthly window. A graph window the user has closed is made again by the
    // next command that acts on it: a graph menu item, the toolbar's "ｸﾞﾗﾌ" button
    // or the window reset.
    void setGraphWindowFactory(std::function<GraphWindow*()> factory);

    QAction* menuItem(const QString& itemName) const;

    // Menu and toolbar commands, also reached by clicking.
    void openRestore();
    void manageUsers();
    void newEntry();
    void editSelected();
    void restoreDefaultLayout();
    // The toolbar's steps of the monthly window: "次年", "次月", "当月" (today's
    // month), "前月", "前年"; a month step past December or January changes the year.
    void nextYear();
    void nextMonth();
    void thisMonth();
    void previousMonth();
    void previousYear();
    // "ﾃﾞｰﾀ" and "ｸﾞﾗﾌ": bring the monthly / graph window forward (the graph
    // window made again when it was closed).
    void showMonthlyWindow();
    void showGraphWindow();
    // ﾌｧｲﾙ → Excel 出力: the monthly export (MonthExportDialog).
    void exportMonth();
    // 編集 → ﾎｰﾙﾘｽﾄ編集 / 機種ﾘｽﾄ編集: the list editors of the monthly window's
    // user; a refusal when there is no user yet.
    void editHalls();
    void editMachines();
    // 表示 → 設定: the options dialog.
    void openOptions();
    // 分析 on the menu bar and the toolbar: the analysis window, one instance, a
    // child of the frame, made when first asked for and brought forward
    // afterwards. It takes the user from the monthly window and the hall and
    // machine lists from the graph window; its Excel 出力 opens the analysis export.
    void openAnalysis();
    // ﾍﾙﾌﾟ: the contents, the keyword index, the manual's start page in the
    // desktop's browser and the about box.
    void helpContents();
    void helpTopics();
    void openHomePage();
    void about();
    // Opens the user manager modally; in first-run mode the user added there
    // becomes the monthly window's user.
    void openUserManager(bool firstRunMode, const QString& message = {});

    // The monthly window, opened again when it was closed.
    MonthlyWindow* monthlyWindow();
    // The open monthly window or null.
    MonthlyWindow* monthlyWindowIfOpen() const;
    // 表示 → カレンダー and the toolbar's "ｶﾚﾝﾀﾞｰ": opens the calendar beside the
    // monthly window, or brings the open one forward (one instance).
    CalendarWindow* calendarWindow();
    CalendarWindow* calendarWindowIfOpen() const;
    void showCalendar();
    GraphWindow* graphWindow() const { return graph_; }
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
    QAction* addToolButton(QStyle::StandardPixmap icon, const char* key, const char* tip, void (MainWindow::*slot)());
    // Steps the monthly window's year and month texts through `change` and sets
    // both at once: a month step that also changes the year loads once.
    void stepYearMonth(const std::function<void(std::string& year, std::string& month)>& change);
    // The monthly window forward at year/month with the first row of `day` selected.
    void showDay(const QString& year, const QString& month, const QString& day);
    // The user whose lists the editors open; false (after a refusal) when none is chosen yet.
    bool listUser(const QString& caption, QString& user);
    QAction* addItem(QMenu* menu, const char* name, const QString& caption);
    // The same item, running `command` when chosen.
    QAction* addItem(QMenu* menu, const char* name, const QString& caption, void (MainWindow::*command)());
    void addSeparator(QMenu* menu, const char* name);
    void updateMenus();
    void updateWindowMenu();
    bool graphWindowOpen() const;
    // The open graph window, made again through the factory when it was closed;
    // null when there is none and no factory.
    GraphWindow* graphWindowForUse();
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
    QPointer<MonthlyWindow> monthly_;
    QPointer<GraphWindow> graph_;
    QPointer<CalendarWindow> calendar_;
    QPointer<QWidget> analysis_;  // the analysis window (AnalysisWindow)
    std::function<GraphWindow*()> graphFactory_;
    QAction* graphButton_ = nullptr;  // the toolbar's "ｸﾞﾗﾌ"
    bool firstRun_ = false;
    bool loaded_ = false;
    bool frameFitted_ = false;  // fitted with the window manager's real decorations
};

}  // namespace tama::ui
