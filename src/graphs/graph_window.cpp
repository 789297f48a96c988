#include "graph_window.h"

#include <QCheckBox>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtDataVisualization/Q3DBars>
#include <QtDataVisualization/Q3DSurface>
#include <QtDataVisualization/QBar3DSeries>
#include <QtDataVisualization/QCustom3DLabel>
#include <QtDataVisualization/QSurface3DSeries>
#include <cmath>

#include "graphs/chart_2d.h"
#include "graphs/chart_style.h"
#include "graphs/graph_drill.h"
#include "graphs/graph_request.h"
#include "graphs/view_3d.h"
#include "monthly/monthly_window.h"
#include "shared/file_io.h"
#include "shared/number_format.h"
#include "ui/app_context.h"
#include "ui/combo_popup.h"
#include "ui/flow_layout.h"
#include "ui/messages.h"
#include "ui/window_layout.h"
#include "ui/named.h"

namespace tama::ui {

namespace {

// The layout is read as "Gluf" / "frmGluf.*" and written as "gluf" / "frmgluf.*";
// the settings file ignores letter case, so both address the same entries.
const QString kReadSection = QStringLiteral("Gluf");
const QString kReadPrefix = QStringLiteral("frmGluf.");
const QString kWriteSection = QStringLiteral("gluf");
const QString kWritePrefix = QStringLiteral("frmgluf.");

}  // namespace

struct GraphWindow::Impl {
    Impl(AppContext& c, MonthlyLink& l, QWidget* window) : ctx(c), link(l), layout(new WindowLayout(c, window)) {}

    AppContext& ctx;
    MonthlyLink& link;

    QFrame* Frame1 = nullptr;
    QFrame* fraBtn = nullptr;
    QLabel* labels[5] = {};
    QComboBox* cboKikan = nullptr;
    QComboBox* cboGtype = nullptr;
    QComboBox* cboKou = nullptr;
    QComboBox* cboHoll = nullptr;
    QComboBox* cboKisyu = nullptr;
    QCheckBox* chk1 = nullptr;
    QCheckBox* chk2 = nullptr;
    QStackedWidget* mscGluf1 = nullptr;
    std::unique_ptr<Chart2D> chart2D;  // bars and lines
    std::unique_ptr<Bars3D> bars3D;    // made when first shown
    std::unique_ptr<Surface3D> line3D;
    QWidget* no3D = nullptr;  // shown instead of a 3D view when OpenGL is missing

    RedrawControl control;
    GraphSeries series;
    ChartType type = ChartType::Bar;
    bool stepQueued = false;
    bool inStep = false;
    bool stepAgain = false;
    bool labelsStale = false;  // chk2 changed since the last drawing
    int draws = 0;
    int computes = 0;

    DrawnGraph drawn;         // what the series shown was computed for (clicks read it)
    QStringList backPeriods;  // the period boxes the clicks came from, last on top
    bool drilling = false;    // the period box is being set by a click or by 戻る
    QToolButton* cmdBack = nullptr;

    WindowLayout* layout;      // position, size and state; a child of the window
    bool linkGone = false;     // the monthly window drawn from has been deleted
    bool loadProblem = false;  // the chart says why the monthly window's year could not be read

    GraphSelection selection() const {
        GraphSelection s;
        s.period = ss(cboKikan->currentText());
        s.type = ss(cboGtype->currentText());
        s.item = ss(cboKou->currentText());
        s.hall = ss(cboHoll->currentText());
        s.machine = ss(cboKisyu->currentText());
        s.cumulative = chk1->isChecked();
        return s;
    }
};

// ---------------------------------------------------------------- building

GraphWindow::GraphWindow(AppContext& ctx, MonthlyWindow& monthly, QWidget* parent)
    : GraphWindow(ctx, static_cast<MonthlyLink&>(monthly), parent) {
    connect(&monthly, &MonthlyWindow::reloaded, this, &GraphWindow::monthlyReloaded);
    connect(&monthly, &MonthlyWindow::userChanged, this, &GraphWindow::monthlyUserChanged);
    connect(this, &GraphWindow::yearMonthRequested, &monthly, &MonthlyWindow::setYearMonth);
    // The list drawn is the monthly window's: once that window is gone (the user
    // closed it) nothing is read from it again, and this window closes too. The
    // close waits for the event loop, so that it never runs inside the teardown
    // of the frame that holds both windows.
    connect(&monthly, &QObject::destroyed, this, [this] {
        d->linkGone = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                QWidget* target = d->layout->target();
                if (!target->isHidden()) target->close();  // closed already: its layout is written
            },
            Qt::QueuedConnection);
    });
}

GraphWindow::GraphWindow(AppContext& ctx, MonthlyLink& link, QWidget* parent)
    : QWidget(parent), d(new Impl(ctx, link, this)) {
    setObjectName(QStringLiteral("frmGluf"));
    setWindowTitle(QStringLiteral("グラフ"));
    build();
    applyColours();

    // On opening, the boxes start at day data, bars, balance; the lists of the user.
    d->cboKikan->setCurrentText(qs(kPeriodDayText));
    d->cboGtype->setCurrentText(qs(kChartBarText));
    d->cboKou->setCurrentText(qs(kItemBalanceText));
    loadHalls();
    loadMachines();
    // The control starts with everything stale: its first step draws the day graph.
    d->control = RedrawControl(d->selection());

    auto changed = [this] { requestStep(); };
    for (QComboBox* c : {d->cboKikan, d->cboGtype, d->cboKou, d->cboHoll, d->cboKisyu})
        connect(c, &QComboBox::currentTextChanged, this, changed);
    connect(d->chk1, &QCheckBox::toggled, this, changed);
    connect(d->cboKikan, &QComboBox::currentTextChanged, this, &GraphWindow::periodChanged);
    connect(d->cboGtype, &QComboBox::currentTextChanged, this, &GraphWindow::chartTypeChanged);
    connect(d->cboKou, &QComboBox::currentTextChanged, this, &GraphWindow::itemChanged);
    connect(d->chk1, &QCheckBox::toggled, this, &GraphWindow::cumulativeChanged);
    connect(d->chk2, &QCheckBox::toggled, this, [this](bool on) {
        dataLabelsToggled();
        emit dataLabelsChanged(on);
    });

    connect(&ctx, &AppContext::recordsChanged, this, &GraphWindow::dataChanged);
    connect(&ctx, &AppContext::listsChanged, this, [this] {
        loadHalls();
        loadMachines();
    });
    connect(&ctx, &AppContext::optionsChanged, this, [this] {
        // The options dialog's Apply: new colours and title switches on the next drawing.
        applyColours();
        dataChanged();
    });
    buildDrill();
    requestStep();
}

GraphWindow::~GraphWindow() = default;

void GraphWindow::build() {
    auto label = [this](int k, const char* text) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setObjectName(QStringLiteral("Label%1").arg(k));
        d->labels[k - 1] = l;
        return l;
    };
    auto combo = [this](const char* name, std::initializer_list<std::string_view> items) {
        auto* c = new QComboBox(this);
        c->setObjectName(QString::fromLatin1(name));
        for (std::string_view t : items) c->addItem(qs(t));
        c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        return c;
    };

    d->Frame1 = named(new QFrame(this), "Frame1");
    d->fraBtn = named(new QFrame(this), "fraBtn");
    for (QFrame* f : {d->Frame1, d->fraBtn}) f->setFrameShape(QFrame::NoFrame);

    d->cboKikan = combo("cboKikan", {kPeriodDayText, kPeriodMonthText, kPeriodYearText});
    d->cboGtype = combo("cboGtype", {kChartBarText, kChartLineText, kChart3DBarText, kChart3DLineText});
    d->cboKou = combo("cboKou", {kItemBalanceText, kItemWeekdayText});
    d->cboHoll = combo("cboHoll", {kAllHalls});
    d->cboKisyu = combo("cboKisyu", {kAllMachines});
    for (QComboBox* c : {d->cboHoll, d->cboKisyu}) {
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        limitPopupWidth(c, twipsToPixelsX(5400));  // 360 pixels at 96 dpi
        c->setMinimumContentsLength(12);
    }
    d->chk1 = named(new QCheckBox(QStringLiteral("累積表示する"), this), "chk1");
    d->chk2 = named(new QCheckBox(QStringLiteral("ﾃﾞｰﾀ表示する"), this), "chk2");

    // The selectors wrap onto a second row in a narrow window rather than
    // squeezing their captions; each label stays beside its box.
    auto* row1 = new FlowLayout(d->Frame1, 12, 2);
    row1->setContentsMargins(6, 4, 6, 2);
    auto group = [this](QLabel* l, QComboBox* c) {
        auto* g = new QWidget(d->Frame1);
        auto* box = new QHBoxLayout(g);
        box->setContentsMargins(0, 0, 0, 0);
        box->setSpacing(4);
        box->addWidget(l);
        box->addWidget(c);
        return g;
    };
    row1->addWidget(group(label(1, "期間"), d->cboKikan));
    row1->addWidget(group(label(2, "ｸﾞﾗﾌ種別"), d->cboGtype));
    row1->addWidget(group(label(3, "項目"), d->cboKou));
    row1->addWidget(d->chk1);
    row1->addWidget(d->chk2);

    auto* row2 = new QHBoxLayout(d->fraBtn);
    row2->setContentsMargins(6, 2, 6, 4);
    row2->addWidget(label(5, "ﾎｰﾙ"));
    row2->addWidget(d->cboHoll, 1);
    row2->addSpacing(8);
    row2->addWidget(label(4, "機種"));
    row2->addWidget(d->cboKisyu, 1);

    d->mscGluf1 = named(new QStackedWidget(this), "mscGluf1");
    d->chart2D = std::make_unique<Chart2D>();
    d->mscGluf1->addWidget(d->chart2D->page());
    // The clicks run after the chart's own mouse handling: a click may redraw the
    // chart, which deletes the series that reported it.
    connect(d->chart2D.get(), &Chart2D::pointClicked, this, [this](int index) {
        QMetaObject::invokeMethod(
            this, [this, index] { pointClicked(index); }, Qt::QueuedConnection);
    });
    connect(d->chart2D.get(), &Chart2D::pointHovered, this, &GraphWindow::pointHovered);

    // Form_Resize: the panels keep their height, the chart takes the rest.
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    box->addWidget(d->Frame1);
    box->addWidget(d->fraBtn);
    box->addWidget(d->mscGluf1, 1);
}

void GraphWindow::applyColours() {
    // The overall colour behind the window, its panels and check boxes.
    const QColor back = d->ctx.overallColour();
    for (QWidget* w : std::initializer_list<QWidget*>{this, d->Frame1, d->fraBtn, d->chk1, d->chk2}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, back);
        w->setPalette(p);
        w->setAutoFillBackground(true);
    }
}

// ---------------------------------------------------------------- lists

// Refills a hall or machine box with its pseudo entry, selected, and the user's
// names; a list that cannot be read is reported and leaves the pseudo entry alone.
void GraphWindow::fillNameBox(QComboBox* box, std::string_view allEntry,
                              std::vector<std::string> (MasterLists::*load)(std::string_view) const) {
    std::vector<std::string> names;
    try {
        if (!d->linkGone) names = (d->ctx.lists().*load)(ss(d->link.currentUser()));
    } catch (const std::exception& e) {
        ErrorReport(this, kFileErrorNumber, qs(e.what()), true);
    }
    const QSignalBlocker block(box);
    box->clear();
    box->addItem(qs(allEntry));
    for (const auto& n : names) box->addItem(qs(n));
    box->setCurrentIndex(0);
    requestStep();
}

void GraphWindow::loadHalls() { fillNameBox(d->cboHoll, kAllHalls, &MasterLists::loadHallNames); }

void GraphWindow::loadMachines() { fillNameBox(d->cboKisyu, kAllMachines, &MasterLists::loadAllMachineNames); }

// ---------------------------------------------------------------- redraw control

void GraphWindow::requestStep() {
    if (d->inStep) {
        d->stepAgain = true;
        return;
    }
    if (d->stepQueued) return;
    d->stepQueued = true;
    // Everything reported in this turn of the event loop is one change.
    QTimer::singleShot(0, this, [this] {
        if (d->stepQueued) runRedrawStep();
    });
}

void GraphWindow::dataChanged() {
    d->control.dataChanged();
    requestStep();
}

void GraphWindow::monthlyReloaded() { dataChanged(); }

void GraphWindow::monthlyUserChanged(const QString&) {
    loadHalls();
    loadMachines();
}

void GraphWindow::runRedrawStep() {
    d->stepQueued = false;
    if (d->inStep) {
        d->stepAgain = true;
        return;
    }
    d->inStep = true;
    const RedrawStep step = d->control.step(d->selection());
    d->chk1->setEnabled(step.cumulativeEnabled);
    if (step.draw == RedrawStep::Draw::Balance) compute(step.period, GraphItem::Balance, step.cumulative);
    else if (step.draw == RedrawStep::Draw::Weekday) compute(step.period, GraphItem::Weekday, false);
    if (step.applyType) d->type = *step.applyType;
    if (step.changesChart() || d->labelsStale) drawChart();
    d->inStep = false;
    // A change reported while this step ran (a message box runs its own event loop).
    if (d->stepAgain) {
        d->stepAgain = false;
        requestStep();
    }
}

// ---------------------------------------------------------------- the series

void GraphWindow::compute(GraphPeriod period, GraphItem item, bool cumulative) {
    if (d->linkGone) return;  // no list left to draw from; the window is closing
    GraphRequest request;
    request.period = period;
    request.item = item;
    request.filter.hall = ss(d->cboHoll->currentText());
    request.filter.machine = ss(d->cboKisyu->currentText());
    request.cumulative = cumulative;
    request.titles = TitleOptions::from(d->ctx.options());
    ++d->computes;
    try {
        d->series = computeGraph(request, d->link.yearRecordList(), ss(d->link.selectedMonth()), d->ctx.store());
    } catch (const std::exception& e) {
        // A file that cannot be read: the chart shows nothing rather than an old graph.
        d->series = GraphSeries{};
        d->series.caption = ss(windowTitle());
        d->series.noData = true;
        ErrorReport(this, kFileErrorNumber, qs(e.what()), true);
    }
    // The day and month graphs draw from the monthly window's year: when that
    // could not be read, the chart keeps saying so instead of showing an empty year.
    const QString problem = period == GraphPeriod::Year ? QString() : d->link.loadProblem();
    d->loadProblem = !problem.isEmpty();
    if (d->loadProblem) {
        d->series.points.clear();
        d->series.noData = true;
        d->series.chartTitle = ss(problem);
    }
    setWindowTitle(qs(d->series.caption));
    d->drawn = {period, item, cumulative && item == GraphItem::Balance, ss(d->link.selectedYear()),
                ss(d->link.selectedMonth())};
}

void GraphWindow::drawDays() {
    compute(GraphPeriod::Day, GraphItem::Balance, d->chk1->isChecked());
    drawChart();
}

void GraphWindow::drawMonths() {
    compute(GraphPeriod::Month, GraphItem::Balance, d->chk1->isChecked());
    drawChart();
}

void GraphWindow::drawYears() {
    compute(GraphPeriod::Year, GraphItem::Balance, d->chk1->isChecked());
    drawChart();
}

void GraphWindow::drawWeekdays() {
    compute(periodFromText(ss(d->cboKikan->currentText())).value_or(GraphPeriod::Day), GraphItem::Weekday, false);
    drawChart();
}

void GraphWindow::redrawChart() {
    if (auto t = chartTypeFromText(ss(d->cboGtype->currentText()))) d->type = *t;
    drawChart();
}

// The value labels change with the next step, together with whatever else
// changed in the same turn (one drawing).
void GraphWindow::dataLabelsToggled() {
    d->labelsStale = true;
    requestStep();
}

// ---------------------------------------------------------------- drawing

void GraphWindow::drawChart() {
    d->labelsStale = false;
    if (is3D(d->type)) draw3D();
    else draw2D();
    ++d->draws;
    emit drawn();
}

void GraphWindow::draw2D() {
    d->chart2D->draw(d->series, d->type, d->chk2->isChecked(), d->loadProblem, d->ctx.graphAxisColour());
    d->mscGluf1->setCurrentWidget(d->chart2D->page());
}

// The 3D views need a desktop OpenGL 2.1 (or OpenGL ES 2.0) context. The
// offscreen platform can hand out a context when an X display is around, but
// it reports version 2.0 and the 3D views crash on it, so it never counts.
bool GraphWindow::openGLAvailable() {
    static const bool available = [] {
        if (QGuiApplication::platformName() == QLatin1String("offscreen")) return false;
        QOpenGLContext context;
        if (!context.create()) return false;
        QOffscreenSurface surface;
        surface.setFormat(context.format());
        surface.create();
        if (!context.makeCurrent(&surface)) return false;
        const QSurfaceFormat f = context.format();
        const bool usable = context.isOpenGLES() || f.version() >= qMakePair(2, 1);
        context.doneCurrent();
        return usable;
    }();
    return available;
}

void GraphWindow::draw3D() {
    if (!openGLAvailable()) {
        if (!d->no3D) {
            auto* l = new QLabel(QStringLiteral("3Dグラフを表示できません（OpenGL を利用できません）"));
            l->setAlignment(Qt::AlignCenter);
            d->no3D = l;
            d->mscGluf1->addWidget(l);
        }
        d->mscGluf1->setCurrentWidget(d->no3D);
        return;
    }
    View3D* view = nullptr;
    if (d->type == ChartType::Line3D) {
        if (!d->line3D) d->line3D = std::make_unique<Surface3D>();
        view = d->line3D.get();
    } else {
        if (!d->bars3D) d->bars3D = std::make_unique<Bars3D>();
        view = d->bars3D.get();
    }
    if (d->mscGluf1->indexOf(view->page()) < 0) {
        watchPointClicks3D(view->graph());
        d->mscGluf1->addWidget(view->page());
    }
    view->draw(d->series, d->ctx.graphAxisColour(), d->chk2->isChecked() && !d->series.noData, d->loadProblem);
    d->mscGluf1->setCurrentWidget(view->page());
}

// ---------------------------------------------------------------- clicking into a graph

void GraphWindow::buildDrill() {
    d->cmdBack = named(new QToolButton(d->fraBtn), "cmdBack");
    d->cmdBack->setText(QStringLiteral("戻る"));
    d->cmdBack->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    d->cmdBack->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    d->cmdBack->setAutoRaise(true);
    d->cmdBack->setToolTip(QStringLiteral("前のグラフに戻る (Backspace)"));
    if (auto* row = qobject_cast<QHBoxLayout*>(d->fraBtn->layout())) {
        row->addSpacing(8);
        row->addWidget(d->cmdBack);
    }
    connect(d->cmdBack, &QToolButton::clicked, this, [this] { goBack(); });
    // Backspace anywhere in the window; a text box that takes Backspace keeps it.
    auto* back = new QShortcut(QKeySequence(Qt::Key_Backspace), this);
    back->setContext(Qt::WidgetWithChildrenShortcut);
    connect(back, &QShortcut::activated, this, [this] { goBack(); });
    // A period or item chosen by hand starts afresh: there is no way back.
    for (QComboBox* c : {d->cboKikan, d->cboKou})
        connect(c, &QComboBox::currentTextChanged, this, [this] {
            if (d->drilling) return;
            d->backPeriods.clear();
            updateBack();
        });
    updateBack();
}

void GraphWindow::updateBack() { d->cmdBack->setEnabled(canGoBack()); }

bool GraphWindow::canGoBack() const { return !d->backPeriods.isEmpty(); }

void GraphWindow::pointClicked(int index) {
    if (d->linkGone || index < 0) return;
    DrillTarget t = drillTarget(d->drawn, d->series, static_cast<size_t>(index));
    if (t.kind == DrillTarget::Kind::None) return;
    // A year opens on the month the monthly window shows now.
    if (t.kind == DrillTarget::Kind::MonthGraph) t.month = ss(d->link.selectedMonth());
    if (t.kind == DrillTarget::Kind::MonthlyDay) {
        emit dayOpened(qs(t.year), qs(t.month), qs(t.day));
        return;
    }
    d->backPeriods.push_back(d->cboKikan->currentText());
    d->drilling = true;
    if (qs(t.year) != d->link.selectedYear() || qs(t.month) != d->link.selectedMonth())
        emit yearMonthRequested(qs(t.year), qs(t.month));
    d->cboKikan->setCurrentText(
        qs(tama::periodText(t.kind == DrillTarget::Kind::MonthGraph ? GraphPeriod::Month : GraphPeriod::Day)));
    d->drilling = false;
    updateBack();
}

bool GraphWindow::goBack() {
    if (d->backPeriods.isEmpty()) return false;
    d->drilling = true;
    d->cboKikan->setCurrentText(d->backPeriods.takeLast());
    d->drilling = false;
    updateBack();
    return true;
}

QString GraphWindow::pointTip(int index) const {
    return index < 0 ? QString() : qs(pointTipText(d->drawn, d->series, static_cast<size_t>(index)));
}

// A pointing hand and the point's figure over a point that opens something.
// The figure is the chart's tooltip while the pointer is on the point, so that
// the view's own tooltip handling (when the pointer rests) shows it too
// instead of hiding it; it is also shown at once.
void GraphWindow::pointHovered(int index, bool on) {
    QWidget* view = d->chart2D->view()->viewport();
    const QString tip = on ? pointTip(index) : QString();
    d->chart2D->chart()->setToolTip(tip);
    if (tip.isEmpty()) {
        view->unsetCursor();
        QToolTip::hideText();
        return;
    }
    view->setCursor(Qt::PointingHandCursor);
    QToolTip::showText(QCursor::pos(), tip, view);
}

// In 3D a click selects a bar (a row of the bars, a column of the ribbon), and
// the selection opens what the point opens.
void GraphWindow::watchPointClicks3D(QObject* graph) {
    auto later = [this](int index) {
        QMetaObject::invokeMethod(
            this, [this, index] { pointClicked(index); }, Qt::QueuedConnection);
    };
    // The selection is let go once handled, so that the same bar can be chosen again.
    if (auto* bars = qobject_cast<Q3DBars*>(graph)) {
        bars->setSelectionMode(QAbstract3DGraph::SelectionItem);
        for (QBar3DSeries* s : bars->seriesList())
            connect(s, &QBar3DSeries::selectedBarChanged, this, [later, s](const QPoint& at) {
                if (at == QBar3DSeries::invalidSelectionPosition()) return;
                later(at.x());
                QMetaObject::invokeMethod(
                    s, [s] { s->setSelectedBar(QBar3DSeries::invalidSelectionPosition()); }, Qt::QueuedConnection);
            });
    } else if (auto* surface = qobject_cast<Q3DSurface*>(graph)) {
        surface->setSelectionMode(QAbstract3DGraph::SelectionItem);
        for (QSurface3DSeries* s : surface->seriesList())
            connect(s, &QSurface3DSeries::selectedPointChanged, this, [this, later, s](const QPoint& at) {
                if (at == QSurface3DSeries::invalidSelectionPosition()) return;
                // One point is drawn as two columns around its place.
                later(d->series.points.size() == 1 ? 0 : at.y());
                QMetaObject::invokeMethod(
                    s, [s] { s->setSelectedPoint(QSurface3DSeries::invalidSelectionPosition()); },
                    Qt::QueuedConnection);
            });
    }
}

// ---------------------------------------------------------------- accessors

QComboBox* GraphWindow::cboKikan() const { return d->cboKikan; }
QComboBox* GraphWindow::cboGtype() const { return d->cboGtype; }
QComboBox* GraphWindow::cboKou() const { return d->cboKou; }
QComboBox* GraphWindow::cboHoll() const { return d->cboHoll; }
QComboBox* GraphWindow::cboKisyu() const { return d->cboKisyu; }
QCheckBox* GraphWindow::chk1() const { return d->chk1; }
QCheckBox* GraphWindow::chk2() const { return d->chk2; }

namespace {
void selectText(QComboBox* box, const QString& text) {
    const int index = box->findText(text);
    if (index >= 0) box->setCurrentIndex(index);
}
}  // namespace

QString GraphWindow::periodText() const { return d->cboKikan->currentText(); }
QString GraphWindow::chartTypeText() const { return d->cboGtype->currentText(); }
QString GraphWindow::itemText() const { return d->cboKou->currentText(); }
bool GraphWindow::cumulative() const { return d->chk1->isChecked(); }
bool GraphWindow::dataLabels() const { return d->chk2->isChecked(); }
void GraphWindow::setPeriod(const QString& text) { selectText(d->cboKikan, text); }
void GraphWindow::setChartType(const QString& text) { selectText(d->cboGtype, text); }
void GraphWindow::setItem(const QString& text) { selectText(d->cboKou, text); }
void GraphWindow::setCumulative(bool on) { d->chk1->setChecked(on); }
void GraphWindow::setDataLabels(bool on) { d->chk2->setChecked(on); }
const GraphSeries& GraphWindow::series() const { return d->series; }
ChartType GraphWindow::chartType() const { return d->type; }
QChart* GraphWindow::chart() const { return d->chart2D->chart(); }
int GraphWindow::drawCount() const { return d->draws; }
int GraphWindow::computeCount() const { return d->computes; }

// The 3D view of the chart type now (null before it was first shown).
namespace {
View3D* viewOf(ChartType type, const std::unique_ptr<Bars3D>& bars, const std::unique_ptr<Surface3D>& line) {
    if (type == ChartType::Line3D) return line.get();
    return bars.get();
}
}  // namespace

bool GraphWindow::showing3D() const {
    QWidget* current = d->mscGluf1->currentWidget();
    return current && ((d->bars3D && current == d->bars3D->page()) || (d->line3D && current == d->line3D->page()));
}

QStringList GraphWindow::valueLabels() const {
    if (!showing3D()) return d->chart2D->valueLabels();
    QStringList out;
    for (QCustom3DItem* item : viewOf(d->type, d->bars3D, d->line3D)->graph()->customItems())
        if (auto* l = qobject_cast<QCustom3DLabel*>(item); l && !View3D::isDayLabel(*l)) out << l->text();
    return out;
}

QList<QPair<QString, double>> GraphWindow::barLabels3D(bool dayLabels) const {
    QList<QPair<QString, double>> out;
    if (!showing3D() || d->type != ChartType::Bar3D) return out;
    for (QCustom3DItem* item : d->bars3D->graph()->customItems())
        if (auto* l = qobject_cast<QCustom3DLabel*>(item); l && View3D::isDayLabel(*l) == dayLabels)
            out << qMakePair(l->text(), static_cast<double>(l->position().y()));
    return out;
}

QString GraphWindow::xAxisTitle3D() const {
    if (!showing3D() || d->type != ChartType::Bar3D || d->bars3D->xTitle()->isHidden()) return {};
    return d->bars3D->xTitle()->text();
}

QImage GraphWindow::snapshot() {
    QImage image = grab().toImage();
    const View3D* v = viewOf(d->type, d->bars3D, d->line3D);
    if (showing3D() && v && !v->container()->isHidden()) {
        const qreal dpr = image.devicePixelRatio();
        // At a whole device pixel ratio the view draws itself into an image; at
        // another (1.5) it would draw a part of itself only, so what it shows on
        // the screen is taken instead.
        const bool whole = std::abs(dpr - std::round(dpr)) < 0.01;
        QImage view;
        if (whole) view = v->graph()->renderToImage(4, v->container()->size() * dpr);
        else if (QScreen* screen = v->graph()->screen()) view = screen->grabWindow(v->graph()->winId()).toImage();
        QPainter p(&image);
        p.drawImage(QRectF(v->container()->mapTo(this, QPoint(0, 0)), QSizeF(v->container()->size())), view);
    }
    return image;
}

// ---------------------------------------------------------------- layout

void GraphWindow::showEvent(QShowEvent* event) {
    if (!d->layout->isRestored()) restoreLayout();
    QWidget::showEvent(event);
}

void GraphWindow::restoreLayout() {
    // Missing keys: the right half of the frame, top 0, its inner height less 350.
    const double W = d->ctx.frameInnerWidth(), H = d->ctx.frameInnerHeight();
    d->layout->restore(kReadSection, kReadPrefix, {W / 2, 0, W / 2, H - 350});
}

void GraphWindow::closeEvent(QCloseEvent* event) {
    saveLayout();
    QWidget::closeEvent(event);
}

void GraphWindow::saveLayout() { d->layout->save(kWriteSection, kWritePrefix); }

}  // namespace tama::ui
