#include "main_window.h"
#include "restore_dialog.h"

#include "shared/number_format.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLockFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QWindow>
#include <array>
#include <cmath>

#include "masters/user_manager.h"
#include "shell/background.h"
#include "shell/entry_opener.h"
#include "monthly/calendar_window.h"
#include "monthly/monthly_window.h"
#include "ui/app_context.h"
#include "ui/messages.h"
#include "storage/data_folders.h"
#include "ui/named.h"

namespace tama::ui {

namespace {

// The graph window's selections and the menu items that mirror them.
struct GraphChoice {
    const char* item;
    const char* text;
};
constexpr std::array<GraphChoice, 4> kChartTypes = {
    {{"mnuGlf1", "棒ｸﾞﾗﾌ"}, {"mnuGlf2", "折れ線ｸﾞﾗﾌ"}, {"mnuGlf3", "3D棒ｸﾞﾗﾌ"}, {"mnuGlf4", "3D折れ線ｸﾞﾗﾌ"}}};
constexpr std::array<GraphChoice, 3> kPeriods = {
    {{"mnuGlf_d", "日間ﾃﾞｰﾀ"}, {"mnuGlf_m", "月間ﾃﾞｰﾀ"}, {"mnuGlf_y", "年間ﾃﾞｰﾀ"}}};
constexpr std::array<GraphChoice, 2> kKinds = {{{"mnuSyusi", "収支"}, {"mnuYoubi", "曜日別"}}};

// Keys of the per-user store and their defaults in twips.
struct PositionKey {
    const char* key;
    float fallback;
};
constexpr std::array<PositionKey, 4> kPositionKeys = {
    {{"MainLeft", 1000}, {"MainTop", 1000}, {"MainWidth", 6500}, {"MainHeight", 6500}}};

// The frame's size on a first start (no position stored), in twips: room for
// the monthly and the graph window side by side, each with its whole grid,
// buttons and summary (1100 x 760 pixels at 96 dpi).
constexpr double kFirstStartWidth = 16500;
constexpr double kFirstStartHeight = 11400;

QString twipsText(double twips) { return qs(tama::formatSingle(static_cast<float>(twips))); }

}  // namespace

MainWindow::MainWindow(AppContext& ctx, const QString& userStorePath, QWidget* parent)
    : QMainWindow(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("タマログ ～管理編～"));
    setContextMenuPolicy(Qt::NoContextMenu);  // the toolbar is shown and hidden by the View menu only

    if (userStorePath.isEmpty())
        userStore_ = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                 QString::fromLatin1(kApplicationTitle),
                                                 QString::fromLatin1(kApplicationTitle));
    else userStore_ = std::make_unique<QSettings>(userStorePath, QSettings::IniFormat);

    mdi_ = named(new QMdiArea(this), "mdiArea");
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);

    panel1_ = named(new QLabel(this), "stb1Panel1");
    statusBar()->setObjectName(QStringLiteral("stb1"));
    statusBar()->addWidget(panel1_, 1);

    buildMenus();
    buildToolBar();

    connect(mdi_, &QMdiArea::subWindowActivated, this, &MainWindow::updateMenus);
    connect(&ctx_, &AppContext::statusMessage, this, &MainWindow::setStatusMessage);
    background_ = new TiledBackground([this] { return ctx_.overallColour(); }, this);
    connect(&ctx_, &AppContext::optionsChanged, this, [this] {
        mdi_->setBackground(QBrush(ctx_.overallColour()));
        mdi_->viewport()->update();
    });
    updateMenus();
}

MainWindow::~MainWindow() {
    // The child windows go first, while the members that their signals reach
    // (menu states, the graph factory) still exist; left to the base class they
    // would be deleted after those members and call updateMenus on a half-gone frame.
    disconnect(mdi_, nullptr, this, nullptr);
    qDeleteAll(mdi_->subWindowList());
}

QAction* MainWindow::addItem(QMenu* menu, const char* name, const QString& caption) {
    auto* action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    menu->addAction(action);
    return action;
}

QAction* MainWindow::addItem(QMenu* menu, const char* name, const QString& caption, void (MainWindow::*command)()) {
    QAction* action = addItem(menu, name, caption);
    connect(action, &QAction::triggered, this, command);
    return action;
}

void MainWindow::addSeparator(QMenu* menu, const char* name) {
    auto* sep = new QAction(this);
    sep->setSeparator(true);
    sep->setObjectName(QString::fromLatin1(name));
    menu->addAction(sep);
}

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    auto menu = [&](const char* name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name));
        return m;
    };

    QMenu* file = menu("mnuFile", QStringLiteral("ﾌｧｲﾙ(&F)"));
    addItem(file, "mnuUser", QStringLiteral("利用者登録(&U)"), &MainWindow::manageUsers);
    addItem(file, "mnuRestore", QStringLiteral("ﾊﾞｯｸｱｯﾌﾟから復元..."), &MainWindow::openRestore);
    addSeparator(file, "mnuFileBar1");
    addItem(file, "mnuFileProperties", QStringLiteral("Excel 出力(&O)"), &MainWindow::exportMonth);
    addSeparator(file, "mnuFileBar6");
    // The exit item closes the frame, which is how the program ends.
    connect(addItem(file, "mnuFileExit", QStringLiteral("ﾀﾏﾛｸﾞの終了(&X)")), &QAction::triggered, this,
            &QWidget::close);

    QMenu* edit = menu("mnuEdit", QStringLiteral("編集(&E)"));
    addItem(edit, "mnuInp", QStringLiteral("日間ﾃﾞｰﾀ入力(&I)"), &MainWindow::newEntry);
    addItem(edit, "mnuUpd", QStringLiteral("日間ﾃﾞｰﾀ修正・削除(&U)"), &MainWindow::editSelected);
    addSeparator(edit, "bar4");
    addItem(edit, "mnuHoll", QStringLiteral("ﾎｰﾙﾘｽﾄ編集(&H)"), &MainWindow::editHalls);
    addItem(edit, "mnuKisyu", QStringLiteral("機種ﾘｽﾄ編集(&K)"), &MainWindow::editMachines);

    QMenu* view = menu("mnuView", QStringLiteral("表示(&V)"));
    QAction* viewToolbar = addItem(view, "mnuViewToolbar", QStringLiteral("ﾂｰﾙ ﾊﾞｰ(&T)"));
    viewToolbar->setCheckable(true);
    viewToolbar->setChecked(true);
    connect(viewToolbar, &QAction::triggered, this, [this](bool on) {
        toolBar_->setVisible(on);
        updateMenus();
    });
    QAction* viewStatus = addItem(view, "mnuViewStatusBar", QStringLiteral("ｽﾃｰﾀｽ ﾊﾞｰ(&B)"));
    viewStatus->setCheckable(true);
    viewStatus->setChecked(true);
    connect(viewStatus, &QAction::triggered, this, [this](bool on) {
        statusBar()->setVisible(on);
        updateMenus();
    });
    addSeparator(view, "mnuViewBar2");
    addItem(view, "mnuCalendar", QStringLiteral("カレンダー(&C)"), &MainWindow::showCalendar);
    // The options dialog opens from the frame: its item ends the View menu.
    addSeparator(view, "mnuViewBar1");
    addItem(view, "mnuOption", QStringLiteral("設定(&O)..."), &MainWindow::openOptions);

    QMenu* graph = menu("mnuGraph", QStringLiteral("ｸﾞﾗﾌ(&G)"));
    auto group = [&](const GraphChoice* choices, const QStringList& captions,
                     void (GraphWindow::*select)(const QString&)) {
        auto* g = new QActionGroup(this);
        g->setExclusive(true);
        for (int k = 0; k < captions.size(); ++k) {
            QAction* a = addItem(graph, choices[k].item, captions[k]);
            a->setCheckable(true);
            a->setChecked(k == 0);
            g->addAction(a);
            const QString text = QString::fromUtf8(choices[k].text);
            connect(a, &QAction::triggered, this, [this, select, text] {
                if (GraphWindow* window = graphWindowForUse()) (window->*select)(text);
                updateMenus();
            });
        }
        return g;
    };
    typeGroup_ = group(kChartTypes.data(),
                       {QStringLiteral("棒ｸﾞﾗﾌ(&B)"), QStringLiteral("折れ線ｸﾞﾗﾌ(&O)"), QStringLiteral("3D棒ｸﾞﾗﾌ(&C)"),
                        QStringLiteral("3D折れ線ｸﾞﾗﾌ(&E)")},
                       &GraphWindow::setChartType);
    addSeparator(graph, "bar1");
    periodGroup_ = group(
        kPeriods.data(),
        {QStringLiteral("日間ﾃﾞｰﾀ(&D)"), QStringLiteral("月間ﾃﾞｰﾀ(&M)"), QStringLiteral("年間ﾃﾞｰﾀ(&Y)")},
        &GraphWindow::setPeriod);
    addSeparator(graph, "bar2");
    kindGroup_ = group(kKinds.data(), {QStringLiteral("収支(&S)"), QStringLiteral("曜日別(&W)")},
                       &GraphWindow::setItem);
    addSeparator(graph, "bar3");
    QAction* ruiseki = addItem(graph, "mnuRuiseki", QStringLiteral("累積表示する(&R)"));
    ruiseki->setCheckable(true);
    connect(ruiseki, &QAction::triggered, this, [this] {
        if (GraphWindow* g = graphWindowForUse()) g->setCumulative(!g->cumulative());
        updateMenus();
    });
    addSeparator(graph, "bar5");
    QAction* dat1 = addItem(graph, "mnuDat1", QStringLiteral("データ表示する(&U)"));
    dat1->setCheckable(true);
    connect(dat1, &QAction::triggered, this, [this] {
        if (GraphWindow* g = graphWindowForUse()) g->setDataLabels(!g->dataLabels());
        updateMenus();
    });

    // A command directly on the menu bar.
    auto* serch = named(new QAction(QStringLiteral("分析(&S)"), this), "mnuSerch");
    bar->addAction(serch);
    connect(serch, &QAction::triggered, this, &MainWindow::openAnalysis);

    windowMenu_ = menu("mnuWindow", QStringLiteral("ｳｨﾝﾄﾞｳ(&W)"));
    connect(addItem(windowMenu_, "mnuWindowCascade", QStringLiteral("重ねて表示(&C)")), &QAction::triggered, mdi_,
            &QMdiArea::cascadeSubWindows);
    connect(addItem(windowMenu_, "mnuWindowTileHorizontal", QStringLiteral("上下に並べて表示(&H)")),
            &QAction::triggered, this, [this] { tileSubWindows(Qt::Vertical); });
    connect(addItem(windowMenu_, "mnuWindowTileVertical", QStringLiteral("左右に並べて表示(&V)")), &QAction::triggered,
            this, [this] { tileSubWindows(Qt::Horizontal); });
    connect(addItem(windowMenu_, "mnuWindowArrangeIcons", QStringLiteral("ｱｲｺﾝの整列(&A)")), &QAction::triggered, this,
            [this] {
                // Minimised windows in a row along the bottom edge.
                int x = 0;
                const int bottom = mdi_->viewport()->height();
                for (QMdiSubWindow* w : mdi_->subWindowList()) {
                    if (!w->isMinimized()) continue;
                    w->move(x, bottom - w->height());
                    x += w->width();
                }
            });
    addSeparator(windowMenu_, "mnuBar1");
    addItem(windowMenu_, "mnuDefult", QStringLiteral("ﾃﾞﾌｫﾙﾄに戻す(&D)"), &MainWindow::restoreDefaultLayout);
    connect(windowMenu_, &QMenu::aboutToShow, this, &MainWindow::updateWindowMenu);

    QMenu* help = menu("mnuHelp", QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    addItem(help, "mnuHelpContents", QStringLiteral("目次(&C)"), &MainWindow::helpContents);
    addItem(help, "mnuHelpTopics", QStringLiteral("ﾄﾋﾟｯｸの検索(&R)"), &MainWindow::helpTopics);
    addSeparator(help, "mnuHelpBar0");
    addItem(help, "mnuKobo_HP", QStringLiteral("Kobo ｿﾌﾄｳｪｱ ﾎｰﾑﾍﾟｰｼﾞ(&W)"), &MainWindow::openHomePage);
    addSeparator(help, "mnuHelpBar1");
    addItem(help, "mnuHelpAbout", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)"), &MainWindow::about);
}

// Tiles the child windows that are not minimised: stacked one above the other
// at full width (Qt::Vertical) or side by side at full height (Qt::Horizontal).
void MainWindow::tileSubWindows(Qt::Orientation stacking) {
    QList<QMdiSubWindow*> shown;
    for (QMdiSubWindow* w : mdi_->subWindowList())
        if (!w->isMinimized()) shown << w;
    if (shown.isEmpty()) return;
    const QSize area = mdi_->viewport()->size();
    const int n = static_cast<int>(shown.size());
    for (int k = 0; k < n; ++k) {
        shown[k]->showNormal();
        if (stacking == Qt::Vertical)
            shown[k]->setGeometry(0, k * (area.height() / n), area.width(), area.height() / n);
        else shown[k]->setGeometry(k * (area.width() / n), 0, area.width() / n, area.height());
    }
}

void MainWindow::buildToolBar() {
    toolBar_ = addToolBar(QStringLiteral("tbToolBar"));
    toolBar_->setObjectName(QStringLiteral("tbToolBar"));
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    addToolButton(QStyle::SP_FileIcon, "入力", "日間ﾃﾞｰﾀ入力", &MainWindow::newEntry);
    QAction* nextYearAct = addToolButton(QStyle::SP_MediaSkipForward, "次年", "次年", &MainWindow::nextYear);
    QAction* nextMonthAct = addToolButton(QStyle::SP_ArrowRight, "次月", "次月", &MainWindow::nextMonth);
    addToolButton(QStyle::SP_DialogApplyButton, "当月", "当月", &MainWindow::thisMonth);
    QAction* previousMonthAct = addToolButton(QStyle::SP_ArrowLeft, "前月", "前月", &MainWindow::previousMonth);
    QAction* previousYearAct = addToolButton(QStyle::SP_MediaSkipBackward, "前年", "前年", &MainWindow::previousYear);
    addToolButton(QStyle::SP_FileDialogDetailedView, "ﾃﾞｰﾀ", "日間収支ﾃﾞｰﾀ", &MainWindow::showMonthlyWindow);
    graphButton_ = addToolButton(QStyle::SP_FileDialogInfoView, "ｸﾞﾗﾌ", "ｸﾞﾗﾌ", &MainWindow::showGraphWindow);
    addToolButton(QStyle::SP_FileDialogListView, "ｶﾚﾝﾀﾞｰ", "ｶﾚﾝﾀﾞｰ", &MainWindow::showCalendar);
    addToolButton(QStyle::SP_FileDialogContentsView, "分析", "分析", &MainWindow::openAnalysis);
    // The month and year steps from the keyboard, anywhere in the frame.
    const std::pair<QAction*, QKeySequence> keys[] = {
        {nextMonthAct, QKeySequence(Qt::Key_PageDown)},
        {previousMonthAct, QKeySequence(Qt::Key_PageUp)},
        {nextYearAct, QKeySequence(Qt::CTRL | Qt::Key_PageDown)},
        {previousYearAct, QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
    };
    for (const auto& [action, sequence] : keys) {
        action->setShortcut(sequence);
        action->setShortcutContext(Qt::WindowShortcut);
    }
}

// A toolbar button: its caption is also its objectName and the key that
// toolButton finds it by. Every button clears the message line before its command runs.
QAction* MainWindow::addToolButton(QStyle::StandardPixmap icon, const char* key, const char* tip,
                                   void (MainWindow::*slot)()) {
    const QString caption = QString::fromUtf8(key);
    QAction* a = toolBar_->addAction(style()->standardIcon(icon), caption);
    a->setObjectName(caption);
    a->setData(caption);
    a->setToolTip(QString::fromUtf8(tip));
    connect(a, &QAction::triggered, this, [this] { setStatusMessage(QString()); });
    connect(a, &QAction::triggered, this, slot);
    return a;
}

QAction* MainWindow::menuItem(const QString& itemName) const { return findChild<QAction*>(itemName); }

QAction* MainWindow::toolButton(const QString& key) const {
    for (QAction* a : toolBar_->actions())
        if (a->data().toString() == key) return a;
    return nullptr;
}

QString MainWindow::statusMessage() const { return panel1_->text(); }

void MainWindow::setStatusMessage(const QString& text) { panel1_->setText(text); }

// ---------------------------------------------------------------- load step

void MainWindow::restoreFramePosition() {
    std::array<double, 4> twips{};
    bool anyStored = false;
    userStore_->beginGroup(QStringLiteral("Settings"));
    for (size_t k = 0; k < kPositionKeys.size(); ++k) {
        bool ok = false;
        const float v = userStore_->value(QString::fromLatin1(kPositionKeys[k].key)).toString().toFloat(&ok);
        twips[k] = ok ? v : kPositionKeys[k].fallback;
        anyStored = anyStored || ok;
    }
    userStore_->endGroup();
    const QMargins margins = decorationMargins();
    if (!anyStored) {
        // First start: the fallbacks above make a frame too small for its two
        // windows; open it large enough for both, within the screen, centred.
        const QRect available = screenAreaFor(QRect());
        Placement first = fitInArea(
            {available.topLeft(), QSize(twipsToPixelsX(kFirstStartWidth), twipsToPixelsY(kFirstStartHeight))}, margins,
            available);
        QRect outer(QPoint(), first.inner.grownBy(margins));
        outer.moveCenter(available.center());
        first.outerTopLeft = outer.topLeft();
        placeFrame(fitInArea(first, margins, available));
        return;
    }
    // A stored position and size, from another screen or another scale, are
    // brought within the screen's available area, title bar included: a position
    // on a screen that is no longer there, or a size larger than the screen,
    // would put the frame's edges and its status line out of reach.
    const Placement stored{QPoint(twipsToPixelsX(twips[0]), twipsToPixelsY(twips[1])),
                           QSize(std::max(1, twipsToPixelsX(twips[2])), std::max(1, twipsToPixelsY(twips[3])))};
    placeFrame(fitInArea(stored, margins, screenAreaFor(QRect(stored.outerTopLeft, stored.inner.grownBy(margins)))));
}

QMargins MainWindow::decorationMargins() const {
    if (const QWindow* w = windowHandle(); w && isVisible()) {
        const QMargins m = w->frameMargins();
        if (!m.isNull()) return m;
    }
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) return {};
    // Before the window manager has framed the window: a title bar a little
    // higher than a line of text, and thin borders. The fit is made again with
    // the real ones once they are known (fitFramedWindow).
    constexpr int kBorder = 4;
    const int title = std::max(style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this),
                               fontMetrics().height() + 12);
    return {kBorder, title + kBorder, kBorder, kBorder};
}

QRect MainWindow::screenAreaFor(const QRect& outer) const {
    QScreen* chosen = nullptr;
    if (!outer.isNull()) {
        for (QScreen* s : QGuiApplication::screens())
            if (s->availableGeometry().contains(outer.center())) chosen = s;
        if (!chosen)
            for (QScreen* s : QGuiApplication::screens())
                if (s->availableGeometry().intersects(outer)) chosen = s;
    }
    if (!chosen) chosen = QGuiApplication::primaryScreen();
    return chosen ? chosen->availableGeometry() : QRect(QPoint(), QSize(640, 480));
}

void MainWindow::placeFrame(const Placement& p) {
    move(p.outerTopLeft);
    resize(p.inner);
}

void MainWindow::fitFramedWindow() {
    if (frameFitted_ || !isVisible() ||
        (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    const QWindow* w = windowHandle();
    const QMargins margins = w ? w->frameMargins() : QMargins();
    if (margins.isNull()) return;  // not framed (yet)
    frameFitted_ = true;
    const Placement now{frameGeometry().topLeft(), size()};
    const Placement fitted = fitInArea(now, margins, screenAreaFor(frameGeometry()));
    if (fitted == now) return;
    placeFrame(fitted);
    if (layout()) layout()->activate();
    // The child windows were placed for the larger frame: they stay inside it.
    const QSize room = mdi_->viewport()->size();
    for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        if (sub->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) continue;
        const Placement child = fitInArea({sub->pos(), sub->size()}, {}, QRect(QPoint(), room));
        if (child != Placement{sub->pos(), sub->size()}) sub->setGeometry(QRect(child.outerTopLeft, child.inner));
    }
    recordFrameInnerSize();
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    fitFramedWindow();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    fitFramedWindow();
}

void MainWindow::saveFramePosition() {
    userStore_->beginGroup(QStringLiteral("Settings"));
    const QRect g = geometry();
    const QPoint topLeft = pos();
    userStore_->setValue(QStringLiteral("MainLeft"), twipsText(pixelsToTwipsX(topLeft.x())));
    userStore_->setValue(QStringLiteral("MainTop"), twipsText(pixelsToTwipsY(topLeft.y())));
    userStore_->setValue(QStringLiteral("MainWidth"), twipsText(pixelsToTwipsX(g.width())));
    userStore_->setValue(QStringLiteral("MainHeight"), twipsText(pixelsToTwipsY(g.height())));
    userStore_->endGroup();
    userStore_->sync();
}

void MainWindow::recordFrameInnerSize() {
    const QSize inner = mdi_->viewport()->size();
    ctx_.setFrameInnerSize(static_cast<int>(std::lround(pixelsToTwipsX(inner.width()))),
                           static_cast<int>(std::lround(pixelsToTwipsY(inner.height()))));
}

bool MainWindow::start() {
    // A second instance is detected by the lock file in the program folder; a
    // lock left by a process that has died is taken over.
    const QString lockPath = QString::fromStdString((ctx_.programFolder() / "tamalog.lock").string());
    lock_ = std::make_unique<QLockFile>(lockPath);
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0) && lock_->error() == QLockFile::LockFailedError) {
        lock_.reset();
        showMessage(this, {QStringLiteral("このアプリケーションはすでに開かれています。"),
                           QStringLiteral("ロードエラー"), Icon::Exclamation, Buttons::Ok});
        close();
        return false;
    }

    restoreFramePosition();
    show();
    if (layout()) layout()->activate();
    // The decorations are known once the window is framed: at once on some
    // platforms; a window manager frames it a little later, and the move or
    // resize that tells of it fits the frame again (or this timer does).
    fitFramedWindow();
    QTimer::singleShot(500, this, [this] { fitFramedWindow(); });
    recordFrameInnerSize();

    QFont font = statusBar()->font();
    font.setPointSize(std::max(1, static_cast<int>(twipsPerPixelX() * 9 / 15)));
    statusBar()->setFont(font);
    panel1_->setFont(font);

    mdi_->setBackground(QBrush(ctx_.overallColour()));
    // The program's picture tiled over the empty client area, on the overall colour.
    background_->install(QPixmap(QStringLiteral(":/tamalog/skin/background.png")), mdi_);

    MonthlyWindow* monthly = monthlyWindow();
    if (graphFactory_ && !graph_) addGraphWindow(graphFactory_());
    if (QMdiSubWindow* sub = subWindowOf(monthly)) mdi_->setActiveSubWindow(sub);
    loaded_ = true;
    updateMenus();

    firstRun_ = noUserExists(ctx_.programFolder());
    ctx_.setFirstRun(firstRun_);
    if (firstRun_) openUserManager(true);
    return true;
}

// ---------------------------------------------------------------- children

QMdiSubWindow* MainWindow::subWindowOf(QWidget* child) const {
    if (!child) return nullptr;
    for (QMdiSubWindow* w : mdi_->subWindowList())
        if (w->widget() == child) return w;
    return nullptr;
}

MonthlyWindow* MainWindow::monthlyWindowIfOpen() const { return monthly_; }

MonthlyWindow* MainWindow::monthlyWindow() {
    if (monthly_) return monthly_;
    auto* monthly = new MonthlyWindow(ctx_);
    monthly_ = monthly;
    monthly->setEntryOpener(entryFormOpener(ctx_, *monthly));
    monthly->setUserRequest(
        [this] { openUserManager(false, QStringLiteral("日間ﾃﾞｰﾀを入力する前に、利用者名を登録して下さい。")); });
    QMdiSubWindow* sub = mdi_->addSubWindow(monthly);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->show();
    updateMenus();
    return monthly;
}

CalendarWindow* MainWindow::calendarWindowIfOpen() const { return calendar_; }

CalendarWindow* MainWindow::calendarWindow() {
    if (!calendar_) {
        calendar_ = new CalendarWindow(ctx_, *monthlyWindow());
        QMdiSubWindow* sub = mdi_->addSubWindow(calendar_);
        sub->setAttribute(Qt::WA_DeleteOnClose);
    }
    QMdiSubWindow* sub = subWindowOf(calendar_);
    if (sub->isMinimized()) sub->showNormal();
    sub->show();
    mdi_->setActiveSubWindow(sub);
    calendar_->grid()->setFocus();
    return calendar_;
}

void MainWindow::showCalendar() { calendarWindow(); }

void MainWindow::addGraphWindow(GraphWindow* graph) {
    if (!graph) return;
    graph_ = graph;
    QMdiSubWindow* sub = mdi_->addSubWindow(graph);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->show();
    // The graph menu's marks follow the window's own selections.
    connect(graph, &GraphWindow::periodChanged, this, &MainWindow::updateMenus);
    connect(graph, &GraphWindow::chartTypeChanged, this, &MainWindow::updateMenus);
    connect(graph, &GraphWindow::itemChanged, this, &MainWindow::updateMenus);
    connect(graph, &GraphWindow::cumulativeChanged, this, &MainWindow::updateMenus);
    connect(graph, &GraphWindow::dataLabelsChanged, this, &MainWindow::updateMenus);
    // A day clicked on the day graph: the monthly window comes forward at it.
    connect(graph, &GraphWindow::dayOpened, this, &MainWindow::showDay);
    connect(graph, &QObject::destroyed, this, &MainWindow::updateMenus, Qt::QueuedConnection);
    if (MonthlyWindow* m = monthly_) {
        if (QMdiSubWindow* msub = subWindowOf(m)) mdi_->setActiveSubWindow(msub);
    }
    updateMenus();
}

void MainWindow::showDay(const QString& year, const QString& month, const QString& day) {
    MonthlyWindow* monthly = monthlyWindow();
    monthly->showDay(year, month, day);
    if (QMdiSubWindow* sub = subWindowOf(monthly)) {
        if (sub->isMinimized()) sub->showNormal();
        mdi_->setActiveSubWindow(sub);
    }
}

void MainWindow::setGraphWindowFactory(std::function<GraphWindow*()> factory) {
    graphFactory_ = std::move(factory);
    updateMenus();
}

// Open unless the user has closed it (a closed window lingers until its deletion runs).
bool MainWindow::graphWindowOpen() const {
    if (!graph_) return false;
    QMdiSubWindow* sub = subWindowOf(graph_);
    return !(sub ? sub->isHidden() : graph_->isHidden());
}

GraphWindow* MainWindow::graphWindowForUse() {
    if (!graphWindowOpen() && graphFactory_) addGraphWindow(graphFactory_());
    return graphWindowOpen() ? graph_.data() : nullptr;
}

// The one place that sets the enabled and checked states of menu items and
// toolbar buttons from the state of the windows.
void MainWindow::updateMenus() {
    GraphWindow* graph = graphWindowOpen() ? graph_.data() : nullptr;
    // A closed graph window is opened again by its commands.
    const bool graphUsable = graph != nullptr || static_cast<bool>(graphFactory_);
    for (QActionGroup* g : {typeGroup_, periodGroup_, kindGroup_})
        if (g) g->setEnabled(graphUsable);
    for (const char* name : {"mnuRuiseki", "mnuDat1"})
        if (QAction* a = menuItem(QString::fromLatin1(name))) a->setEnabled(graphUsable);

    if (graph) {
        auto mirror = [&](const QString& selected, const auto& choices) {
            for (const GraphChoice& c : choices)
                if (selected == QString::fromUtf8(c.text))
                    if (QAction* a = menuItem(QString::fromLatin1(c.item))) a->setChecked(true);
            // Any other text leaves the marks as they are.
        };
        mirror(graph->periodText(), kPeriods);
        mirror(graph->itemText(), kKinds);
        mirror(graph->chartTypeText(), kChartTypes);
        menuItem(QStringLiteral("mnuRuiseki"))->setChecked(graph->cumulative());
        menuItem(QStringLiteral("mnuDat1"))->setChecked(graph->dataLabels());
    }

    if (QAction* a = menuItem(QStringLiteral("mnuViewToolbar"))) a->setChecked(!toolBar_->isHidden());
    if (QAction* a = menuItem(QStringLiteral("mnuViewStatusBar"))) a->setChecked(!statusBar()->isHidden());
    graphButton_->setEnabled(graphUsable);
}

// The window menu: its fixed items, then one entry per open child window.
void MainWindow::updateWindowMenu() {
    windowMenu_->clear();
    for (const char* name : {"mnuWindowCascade", "mnuWindowTileHorizontal", "mnuWindowTileVertical",
                             "mnuWindowArrangeIcons", "mnuBar1", "mnuDefult"})
        windowMenu_->addAction(menuItem(QString::fromLatin1(name)));
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
    if (!windows.isEmpty()) windowMenu_->addSeparator();
    for (int k = 0; k < windows.size(); ++k) {
        QMdiSubWindow* w = windows.at(k);
        const QString text = k < 9 ? QStringLiteral("&%1 %2").arg(k + 1).arg(w->windowTitle())
                                   : QStringLiteral("%1 %2").arg(k + 1).arg(w->windowTitle());
        QAction* a = windowMenu_->addAction(text, w, [this, w] {
            if (w->isMinimized()) w->showNormal();
            mdi_->setActiveSubWindow(w);
        });
        a->setCheckable(true);
        a->setChecked(w == mdi_->activeSubWindow());
    }
}

// ---------------------------------------------------------------- commands

void MainWindow::manageUsers() { openUserManager(false); }

void MainWindow::openRestore() {
    MonthlyWindow* monthly = monthlyWindow();
    RestoreDialog dialog(ctx_, monthly->currentUser(), this);
    dialog.exec();
    if (!dialog.restored()) return;
    setStatusMessage(dialog.restoredText());
    // The restored file shows at once: the list, the year's figures and the graphs.
    monthly->reloadYear();
    monthly->refillList();
    emit ctx_.listsChanged();
    emit ctx_.recordsChanged();
}

void MainWindow::openUserManager(bool firstRunMode, const QString& message) {
    UserManager dialog(
        ctx_, [this] { refresh(); }, this);
    dialog.setFirstRun(firstRunMode);
    if (!message.isEmpty()) dialog.lblMsg()->setText(message);
    dialog.exec();
    if (ctx_.firstRun() && !dialog.addedUser().isEmpty()) {
        // In a first run, the user just added becomes the one the monthly window shows.
        QComboBox* box = monthlyWindow()->cboUser();
        const int index = box->findText(dialog.addedUser());
        if (index >= 0) box->setCurrentIndex(index);
        else if (box->isEditable()) box->setEditText(dialog.addedUser());
    }
}

void MainWindow::newEntry() { monthlyWindow()->newEntry(); }

void MainWindow::editSelected() { monthlyWindow()->editSelected(); }

void MainWindow::refresh() {
    if (MonthlyWindow* m = monthly_) m->refresh();
}

void MainWindow::stepYearMonth(const std::function<void(std::string& year, std::string& month)>& change) {
    MonthlyWindow* m = monthlyWindow();
    std::string year = ss(m->txtNen()->text());
    std::string month = ss(m->txtTuki()->text());
    change(year, month);
    m->setYearMonth(qs(year), qs(month));
}

void MainWindow::nextYear() {
    stepYearMonth([](std::string& y, std::string&) { y = stepYearText(y, +1); });
}

void MainWindow::nextMonth() {
    stepYearMonth([](std::string& y, std::string& m) { stepMonthText(y, m, +1); });
}

void MainWindow::thisMonth() {
    const QDate today = QDate::currentDate();
    stepYearMonth([&](std::string& y, std::string& m) {
        y = std::to_string(today.year());
        m = std::to_string(today.month());
    });
}

void MainWindow::previousMonth() {
    stepYearMonth([](std::string& y, std::string& m) { stepMonthText(y, m, -1); });
}

void MainWindow::previousYear() {
    stepYearMonth([](std::string& y, std::string&) { y = stepYearText(y, -1); });
}

void MainWindow::showMonthlyWindow() {
    MonthlyWindow* m = monthlyWindow();
    if (QMdiSubWindow* sub = subWindowOf(m)) mdi_->setActiveSubWindow(sub);
    m->setFocus();
}

void MainWindow::showGraphWindow() {
    if (GraphWindow* g = graphWindowForUse()) {
        if (QMdiSubWindow* sub = subWindowOf(g)) mdi_->setActiveSubWindow(sub);
        g->setFocus();
    }
}

void MainWindow::placeDefault(QMdiSubWindow* monthly, QMdiSubWindow* graph) {
    const int w = ctx_.frameInnerWidth();
    const int h = ctx_.frameInnerHeight();
    if (monthly) monthly->setGeometry(0, 0, twipsToPixelsX(w / 2), twipsToPixelsY(h - 350));
    if (graph) graph->setGeometry(twipsToPixelsX(w / 2), 0, twipsToPixelsX(w / 2), twipsToPixelsY(h - 350));
}

void MainWindow::restoreDefaultLayout() {
    try {
        // A closed child window comes back with this command.
        MonthlyWindow* monthly = monthlyWindow();
        QMdiSubWindow* graphSub = subWindowOf(graphWindowForUse());
        QMdiSubWindow* monthlySub = subWindowOf(monthly);
        // A minimised or maximised monthly window cannot be placed; its state is
        // taken before the graph window is restored (which may change it).
        const bool monthlyNotNormal = monthlySub && (monthlySub->isMinimized() || monthlySub->isMaximized());
        if (graphSub) graphSub->showNormal();
        if (monthlyNotNormal) {
            setStatusMessage(QStringLiteral("最小化及び最大化のウィンドウを元のサイズに戻して下さい。"));
            return;
        }
        recordFrameInnerSize();
        placeDefault(monthlySub, graphSub);
        setStatusMessage(QStringLiteral("ウィンドウをデフォルト（初期設定）状態に戻しました。"));
    } catch (const std::exception& e) {
        ErrorReport(this, kFileErrorNumber, qs(e.what()), true);
        QApplication::beep();
    }
}

// ---------------------------------------------------------------- closing

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!loaded_) {  // refused second instance: nothing of this run to keep
        event->accept();
        return;
    }
    // A minimised frame keeps the position stored before.
    if (!isMinimized()) saveFramePosition();
    background_->remove();
    // Every child window writes its own layout as it closes.
    mdi_->closeAllSubWindows();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible() && !w->isModal()) w->close();
    loaded_ = false;
    lock_.reset();
    event->accept();
}

}  // namespace tama::ui
