#include "graph_window.h"

#include <QBarCategoryAxis>
#include <QFontMetricsF>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGraphicsSimpleTextItem>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QLocale>
#include <QLineSeries>
#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QToolButton>
#include <QToolTip>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QtDataVisualization/Q3DBars>
#include <QtDataVisualization/QAbstract3DAxis>
#include <QtDataVisualization/Q3DCamera>
#include <QtDataVisualization/Q3DScene>
#include <QtDataVisualization/Q3DSurface>
#include <QtDataVisualization/Q3DTheme>
#include <QtDataVisualization/QBar3DSeries>
#include <QtDataVisualization/QBarDataProxy>
#include <QtDataVisualization/QCategory3DAxis>
#include <QtDataVisualization/QCustom3DLabel>
#include <QtDataVisualization/QSurface3DSeries>
#include <QtDataVisualization/QSurfaceDataProxy>
#include <QtDataVisualization/QValue3DAxis>
#include <QtDataVisualization/QValue3DAxisFormatter>
#include <algorithm>
#include <cmath>

#include "graphs/graph_drill.h"
#include "graphs/graph_request.h"
#include "monthly/monthly_window.h"
#include "shared/file_io.h"
#include "shared/number_format.h"
#include "ui/app_context.h"
#include "ui/combo_popup.h"
#include "ui/flow_layout.h"
#include "ui/messages.h"
#include "ui/window_layout.h"

namespace tama::ui {

namespace {

// The layout is read as "Gluf" / "frmGluf.*" and written as "gluf" / "frmgluf.*";
// the settings file ignores letter case, so both address the same entries.
const QString kReadSection = QStringLiteral("Gluf");
const QString kReadPrefix = QStringLiteral("frmGluf.");
const QString kWriteSection = QStringLiteral("gluf");
const QString kWritePrefix = QStringLiteral("frmgluf.");

constexpr int kAxisLabelPointSize = 9;
const QColor kSeriesColour(52, 101, 164);    // bars, line and ribbon
const QColor kLossColour(204, 51, 51);       // bars below zero
const QColor kLossRed(220, 40, 40);          // 3D bars and ribbon below zero
const float kBarsCameraRotation = -100.0f;    // the 3D bars' rows seen from the side
const QColor kLabelColour(40, 40, 40);


// A value range from zero (or the lowest value) to the highest value, widened
// to round steps, with the number of steps.
struct NiceRange {
    double lo = 0, hi = 1;
    int ticks = 2;
};

NiceRange niceRange(const std::vector<GraphPoint>& points) {
    if (points.empty()) return {};
    double lo = 0, hi = 0;
    for (const auto& p : points) {
        lo = std::min(lo, p.value);
        hi = std::max(hi, p.value);
    }
    if (hi - lo < 1e-9) hi = lo + 1;
    const double rough = (hi - lo) / 8;
    const double mag = std::pow(10.0, std::floor(std::log10(rough)));
    double step = mag;
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        step = m * mag;
        if (step >= rough) break;
    }
    NiceRange r;
    r.lo = std::floor(lo / step) * step;
    r.hi = std::ceil(hi / step) * step;
    // Room above the highest bar for its value label.
    if (r.hi - hi < step * 0.25 && hi > 0) r.hi += step;
    if (lo - r.lo < step * 0.25 && lo < 0) r.lo -= step;
    r.ticks = static_cast<int>(std::lround((r.hi - r.lo) / step)) + 1;
    return r;
}

QFont uiFont(int pointSize, bool bold = false) {
    QFont f;
    f.setPointSize(pointSize);
    f.setBold(bold);
    return f;
}

// Labels of the 3D line's X axis: the point labels at whole positions 0, 1, …;
// every other position (and every position of the depth axis) has none.
class PointLabelFormatter : public QValue3DAxisFormatter {
public:
    explicit PointLabelFormatter(QStringList labels = {}) : labels_(std::move(labels)) {}

protected:
    QValue3DAxisFormatter* createNewInstance() const override { return new PointLabelFormatter(labels_); }
    void populateCopy(QValue3DAxisFormatter& copy) const override {
        QValue3DAxisFormatter::populateCopy(copy);
        static_cast<PointLabelFormatter&>(copy).labels_ = labels_;
    }
    QString stringForValue(qreal value, const QString&) const override {
        const double r = std::round(value);
        if (std::abs(value - r) > 0.01 || r < 0 || r >= labels_.size()) return {};
        return labels_.at(static_cast<qsizetype>(r));
    }

private:
    QStringList labels_;
};

// Labels of a 3D value axis: whole numbers with thousands separators, so that a
// tick a rounding error below zero reads "0", not "-0"; none at all for a chart
// without points.
class WholeNumberFormatter : public QValue3DAxisFormatter {
public:
    explicit WholeNumberFormatter(bool blank = false) : blank_(blank) {}

protected:
    QValue3DAxisFormatter* createNewInstance() const override { return new WholeNumberFormatter(blank_); }
    void populateCopy(QValue3DAxisFormatter& copy) const override {
        QValue3DAxisFormatter::populateCopy(copy);
        static_cast<WholeNumberFormatter&>(copy).blank_ = blank_;
    }
    QString stringForValue(qreal value, const QString&) const override {
        // With thousands separators, as the 2D charts write them.
        return blank_ ? QStringLiteral(" ") : qs(formatGrouped(static_cast<double>(std::llround(value))));
    }

private:
    bool blank_;
};

// One lazily created 3D view: a title line above the OpenGL window.
struct View3D {
    QWidget* page = nullptr;
    QLabel* title = nullptr;
    QLabel* xTitle = nullptr;  // the X-axis title under the 3D bars
    QWidget* container = nullptr;
    QAbstract3DGraph* graph = nullptr;  // owned by the container
};

}  // namespace

struct frmGluf::Impl {
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
    QChartView* view2D = nullptr;
    QWidget* page2D = nullptr;         // the 2D chart under its notice line
    QLabel* lblLoadProblem = nullptr;  // why the year cannot be shown, in red
    QChart* chart = nullptr;
    QList<QGraphicsSimpleTextItem*> valueItems;
    QAbstractSeries* series2D = nullptr;
    QBarCategoryAxis* axisX = nullptr;
    QValueAxis* axisY = nullptr;
    View3D bars3D, line3D;
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

    DrawnGraph drawn;          // what the series shown was computed for (clicks read it)
    QStringList backPeriods;   // the period boxes the clicks came from, last on top
    bool drilling = false;     // the period box is being set by a click or by 戻る
    QToolButton* cmdBack = nullptr;

    WindowLayout* layout;  // position, size and state; a child of the window
    bool linkGone = false;  // the monthly window drawn from has been deleted
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

frmGluf::frmGluf(AppContext& ctx, frmMonthly& monthly, QWidget* parent) : frmGluf(ctx, static_cast<MonthlyLink&>(monthly), parent) {
    connect(&monthly, &frmMonthly::reloaded, this, &frmGluf::monthlyReloaded);
    connect(&monthly, &frmMonthly::userChanged, this, &frmGluf::monthlyUserChanged);
    connect(this, &frmGluf::yearMonthRequested, &monthly, &frmMonthly::setYearMonth);
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

frmGluf::frmGluf(AppContext& ctx, MonthlyLink& link, QWidget* parent) : QWidget(parent), d(new Impl(ctx, link, this)) {
    setObjectName(QStringLiteral("frmGluf"));
    setWindowTitle(QStringLiteral("グラフ"));
    build();
    applyColours();

    // Form_Load: the boxes start at day data, bars, balance; the lists of the user.
    d->cboKikan->setCurrentText(qs(kPeriodDayText));
    d->cboGtype->setCurrentText(qs(kChartBarText));
    d->cboKou->setCurrentText(qs(kItemBalanceText));
    Holl_Load();
    Kisyu_Load();
    // The control starts with everything stale: its first step draws the day graph.
    d->control = RedrawControl(d->selection());

    auto changed = [this] { requestStep(); };
    for (QComboBox* c : {d->cboKikan, d->cboGtype, d->cboKou, d->cboHoll, d->cboKisyu})
        connect(c, &QComboBox::currentTextChanged, this, changed);
    connect(d->chk1, &QCheckBox::toggled, this, changed);
    connect(d->cboKikan, &QComboBox::currentTextChanged, this, &frmGluf::periodChanged);
    connect(d->cboGtype, &QComboBox::currentTextChanged, this, &frmGluf::chartTypeChanged);
    connect(d->cboKou, &QComboBox::currentTextChanged, this, &frmGluf::itemChanged);
    connect(d->chk1, &QCheckBox::toggled, this, &frmGluf::cumulativeChanged);
    connect(d->chk2, &QCheckBox::toggled, this, [this](bool on) {
        chk2_Click();
        emit dataLabelsChanged(on);
    });

    connect(&ctx, &AppContext::recordsChanged, this, &frmGluf::dataChanged);
    connect(&ctx, &AppContext::listsChanged, this, [this] {
        Holl_Load();
        Kisyu_Load();
    });
    connect(&ctx, &AppContext::optionsChanged, this, [this] {
        // The options dialog's Apply: new colours and title switches on the next drawing.
        applyColours();
        dataChanged();
    });
    buildDrill();
    requestStep();
}

frmGluf::~frmGluf() = default;

void frmGluf::build() {
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

    d->Frame1 = new QFrame(this);
    d->Frame1->setObjectName(QStringLiteral("Frame1"));
    d->fraBtn = new QFrame(this);
    d->fraBtn->setObjectName(QStringLiteral("fraBtn"));
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
    d->chk1 = new QCheckBox(QStringLiteral("累積表示する"), this);
    d->chk1->setObjectName(QStringLiteral("chk1"));
    d->chk2 = new QCheckBox(QStringLiteral("ﾃﾞｰﾀ表示する"), this);
    d->chk2->setObjectName(QStringLiteral("chk2"));

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

    d->chart = new QChart;
    d->chart->legend()->hide();
    d->chart->setBackgroundRoundness(0);
    d->chart->setMargins(QMargins(6, 6, 6, 6));
    d->chart->setTitleFont(uiFont(11, true));
    d->axisX = new QBarCategoryAxis;
    d->axisY = new QValueAxis;
    d->axisY->setLabelFormat(QStringLiteral("%.0f"));
    // Axis figures with thousands separators (-2,500,000): the chart writes its
    // numbers in a locale that groups digits with ",".
    d->chart->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    d->chart->setLocalizeNumbers(true);
    d->axisX->setGridLineVisible(false);
    for (QAbstractAxis* a : std::initializer_list<QAbstractAxis*>{d->axisX, d->axisY}) {
        QFont f = a->labelsFont();
        f.setPointSize(kAxisLabelPointSize);
        a->setLabelsFont(f);
        a->setTitleFont(uiFont(10));
        a->setGridLineColor(QColor(225, 225, 225));
    }
    d->chart->addAxis(d->axisX, Qt::AlignBottom);
    d->chart->addAxis(d->axisY, Qt::AlignLeft);
    d->view2D = new QChartView(d->chart);
    d->view2D->setRenderHint(QPainter::Antialiasing);
    d->view2D->setObjectName(QStringLiteral("chartView"));
    connect(d->chart, &QChart::plotAreaChanged, this, [this] {
        fitCategoryLabels();
        placeValueLabels();
    });

    d->mscGluf1 = new QStackedWidget(this);
    d->mscGluf1->setObjectName(QStringLiteral("mscGluf1"));
    // A long notice (an unreadable year) wraps on a line of its own above the chart.
    d->page2D = new QWidget;
    d->lblLoadProblem = new QLabel(d->page2D);
    d->lblLoadProblem->setObjectName(QStringLiteral("lblLoadProblem"));
    d->lblLoadProblem->setWordWrap(true);
    d->lblLoadProblem->setAlignment(Qt::AlignCenter);
    d->lblLoadProblem->setFont(uiFont(11, true));
    d->lblLoadProblem->setAutoFillBackground(true);
    d->lblLoadProblem->setContentsMargins(8, 8, 8, 8);
    {
        QPalette p = d->lblLoadProblem->palette();
        p.setColor(QPalette::Window, Qt::white);
        p.setColor(QPalette::WindowText, QColor(255, 0, 0));
        d->lblLoadProblem->setPalette(p);
    }
    d->lblLoadProblem->hide();
    {
        auto* page = new QVBoxLayout(d->page2D);
        page->setContentsMargins(0, 0, 0, 0);
        page->setSpacing(0);
        page->addWidget(d->lblLoadProblem);
        page->addWidget(d->view2D, 1);
    }
    d->mscGluf1->addWidget(d->page2D);

    // Form_Resize: the panels keep their height, the chart takes the rest.
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    box->addWidget(d->Frame1);
    box->addWidget(d->fraBtn);
    box->addWidget(d->mscGluf1, 1);
}

void frmGluf::applyColours() {
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
void frmGluf::fillNameBox(QComboBox* box, std::string_view allEntry,
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

void frmGluf::Holl_Load() { fillNameBox(d->cboHoll, kAllHalls, &MasterLists::LoadHallNames); }

void frmGluf::Kisyu_Load() { fillNameBox(d->cboKisyu, kAllMachines, &MasterLists::LoadAllMachineNames); }

// ---------------------------------------------------------------- redraw control

void frmGluf::requestStep() {
    if (d->inStep) {
        d->stepAgain = true;
        return;
    }
    if (d->stepQueued) return;
    d->stepQueued = true;
    // Everything reported in this turn of the event loop is one change.
    QTimer::singleShot(0, this, [this] {
        if (d->stepQueued) tim2_Timer();
    });
}

void frmGluf::dataChanged() {
    d->control.dataChanged();
    requestStep();
}

void frmGluf::monthlyReloaded() { dataChanged(); }

void frmGluf::monthlyUserChanged(const QString&) {
    Holl_Load();
    Kisyu_Load();
}

void frmGluf::tim2_Timer() {
    d->stepQueued = false;
    if (d->inStep) {
        d->stepAgain = true;
        return;
    }
    d->inStep = true;
    const RedrawStep step = d->control.step(d->selection());
    d->chk1->setEnabled(step.cumulativeEnabled);
    if (step.draw == RedrawStep::Draw::Balance)
        compute(step.period, GraphItem::Balance, step.cumulative);
    else if (step.draw == RedrawStep::Draw::Weekday)
        compute(step.period, GraphItem::Weekday, false);
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

void frmGluf::compute(GraphPeriod period, GraphItem item, bool cumulative) {
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

void frmGluf::Prt_Glufu() {
    compute(GraphPeriod::Day, GraphItem::Balance, d->chk1->isChecked());
    drawChart();
}

void frmGluf::Prt_GlufuM() {
    compute(GraphPeriod::Month, GraphItem::Balance, d->chk1->isChecked());
    drawChart();
}

void frmGluf::Prt_GlufuY() {
    compute(GraphPeriod::Year, GraphItem::Balance, d->chk1->isChecked());
    drawChart();
}

void frmGluf::Chg_Youbi() {
    compute(periodFromText(ss(d->cboKikan->currentText())).value_or(GraphPeriod::Day), GraphItem::Weekday, false);
    drawChart();
}

void frmGluf::Chg_Gtype() {
    if (auto t = chartTypeFromText(ss(d->cboGtype->currentText()))) d->type = *t;
    drawChart();
}

// The value labels change with the next step, together with whatever else
// changed in the same turn (one drawing).
void frmGluf::chk2_Click() {
    d->labelsStale = true;
    requestStep();
}

// ---------------------------------------------------------------- drawing

void frmGluf::drawChart() {
    d->labelsStale = false;
    if (is3D(d->type))
        draw3D();
    else
        draw2D();
    ++d->draws;
    emit drawn();
}

void frmGluf::draw2D() {
    QChart* chart = d->chart;
    qDeleteAll(d->valueItems);
    d->valueItems.clear();
    chart->removeAllSeries();
    d->series2D = nullptr;
    const GraphSeries& s = d->series;
    // The notice of an unreadable year is too long for a chart title: it stands
    // on its own wrapping line above the empty chart.
    chart->setTitle(d->loadProblem ? QString() : qs(s.chartTitle));
    d->lblLoadProblem->setText(d->loadProblem ? qs(s.chartTitle) : QString());
    d->lblLoadProblem->setVisible(d->loadProblem);

    // The two axes live as long as the chart (removing axes from a chart leaves
    // their items behind in its scene); each drawing refills them.
    QBarCategoryAxis* axisX = d->axisX;
    QValueAxis* axisY = d->axisY;
    QStringList categories;
    for (const auto& text : categoryTexts(s.points)) categories << qs(text);
    axisX->clear();
    axisX->append(categories);
    const NiceRange range = niceRange(s.points);
    axisY->setRange(range.lo, range.hi);
    axisY->setTickCount(s.points.empty() ? 2 : std::clamp(range.ticks, 2, 12));
    axisY->setLabelsVisible(!s.points.empty());
    const QColor axisColour = d->ctx.graphAxisColour();
    for (QAbstractAxis* a : std::initializer_list<QAbstractAxis*>{axisX, axisY}) {
        a->setLinePenColor(axisColour);
        // The chart without data is an empty plot under its title.
        a->setVisible(!s.noData);
    }
    axisX->setTitleText(qs(s.xAxisTitle));
    axisX->setTitleVisible(!s.xAxisTitle.empty());
    axisY->setTitleText(qs(verticalAxisTitle(s.yAxisTitle)));
    axisY->setTitleVisible(!s.yAxisTitle.empty());

    if (d->type == ChartType::Line) {
        auto* line = new QLineSeries;
        for (size_t i = 0; i < s.points.size(); ++i) line->append(static_cast<qreal>(i), s.points[i].value);
        QPen pen(kSeriesColour, 2.5);
        line->setPen(pen);
        line->setPointsVisible(true);  // point markers on
        line->setMarkerSize(7);
        d->series2D = line;
    } else {
        auto* set = new QBarSet(QString());
        set->setColor(kSeriesColour);
        set->setBorderColor(QColor(0, 0, 0, 70));
        set->setSelectedColor(kLossColour);
        QList<int> losses;
        for (size_t i = 0; i < s.points.size(); ++i) {
            set->append(s.points[i].value);
            if (s.points[i].value < 0) losses << static_cast<int>(i);
        }
        set->selectBars(losses);
        auto* bars = new QBarSeries;
        bars->append(set);
        bars->setBarWidth(0.6);
        d->series2D = bars;
    }
    chart->addSeries(d->series2D);
    watchPointClicks2D();
    d->series2D->attachAxis(axisX);
    d->series2D->attachAxis(axisY);

    if (d->chk2->isChecked() && !s.noData) {
        QFont f = uiFont(8);
        for (const auto& p : s.points) {
            auto* item = new QGraphicsSimpleTextItem(qs(dataLabelText(p.value)), chart);
            item->setFont(f);
            item->setBrush(kLabelColour);
            item->setZValue(10);
            d->valueItems << item;
        }
    }
    d->mscGluf1->setCurrentWidget(d->page2D);
    fitCategoryLabels();
    placeValueLabels();
}

// More category labels than the width holds side by side (the 31 days of a
// month in a window of the default size) would each be cut to "…"; they stand
// on end instead, in a font small enough for each to keep within its own
// category (a label reaching past the plot's edge is not drawn at all).
void frmGluf::fitCategoryLabels() {
    const QStringList categories = d->axisX->categories();
    const qreal room = d->chart->plotArea().width();
    if (categories.isEmpty() || room <= 0) return;
    QFont font = d->axisX->labelsFont();
    font.setPointSize(kAxisLabelPointSize);
    const QFontMetricsF metrics(font);
    qreal widest = 0;
    for (const QString& c : categories) widest = std::max(widest, metrics.horizontalAdvance(c));
    const qreal perCategory = room / categories.size();
    const bool standing = widest + 8 > perCategory;
    if (standing)
        while (font.pointSize() > 6 && QFontMetricsF(font).height() + 4 > perCategory)
            font.setPointSize(font.pointSize() - 1);
    if (d->axisX->labelsFont() != font) d->axisX->setLabelsFont(font);
    if (d->axisX->labelsAngle() != (standing ? -90 : 0)) d->axisX->setLabelsAngle(standing ? -90 : 0);
    // Standing labels are as wide as a line is high, which the room holds.
    d->axisX->setTruncateLabels(!standing);
}

// Value labels sit just outside the end of each bar (above a gain, below a
// loss) and above each point of a line.
void frmGluf::placeValueLabels() {
    if (d->valueItems.isEmpty() || !d->series2D) return;
    const bool line = d->type == ChartType::Line;
    for (qsizetype i = 0; i < d->valueItems.size() && i < static_cast<qsizetype>(d->series.points.size()); ++i) {
        const double v = d->series.points[static_cast<size_t>(i)].value;
        const QPointF at = d->chart->mapToPosition(QPointF(static_cast<qreal>(i), v), d->series2D);
        QGraphicsSimpleTextItem* item = d->valueItems[i];
        const QRectF r = item->boundingRect();
        const bool below = !line && v < 0;
        const qreal gap = line ? 7 : 2;
        item->setPos(at.x() - r.width() / 2, below ? at.y() + gap : at.y() - r.height() - gap);
    }
}

// The 3D views need a desktop OpenGL 2.1 (or OpenGL ES 2.0) context. The
// offscreen platform can hand out a context when an X display is around, but
// it reports version 2.0 and the 3D views crash on it, so it never counts.
bool frmGluf::openGLAvailable() {
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

void frmGluf::draw3D() {
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
    const bool line = d->type == ChartType::Line3D;
    View3D& v = line ? d->line3D : d->bars3D;
    const GraphSeries& s = d->series;
    const QColor axisColour = d->ctx.graphAxisColour();

    // The grid of a 3D view is its set of axes: drawn in a light tint of the axis colour.
    const QColor grid = QColor::fromRgbF(axisColour.redF() * 0.55 + 0.45, axisColour.greenF() * 0.55 + 0.45,
                                         axisColour.blueF() * 0.55 + 0.45);
    auto setupTheme = [&](QAbstract3DGraph* g) {
        Q3DTheme* theme = g->activeTheme();
        theme->setType(Q3DTheme::ThemeQt);
        theme->setBackgroundColor(QColor(248, 248, 248));
        theme->setWindowColor(Qt::white);
        theme->setLabelBackgroundEnabled(false);
        theme->setLabelBorderEnabled(false);
        theme->setLabelTextColor(QColor(30, 30, 30));
        theme->setBaseColors({kSeriesColour});
        theme->setFont(uiFont(16));
        theme->setAmbientLightStrength(0.7f);
        theme->setLightStrength(2.5f);
        g->setShadowQuality(QAbstract3DGraph::ShadowQualityNone);
        g->setSelectionMode(QAbstract3DGraph::SelectionNone);
        // Seen a little from above, close enough for the plot to fill its area,
        // and a taller plot than the default one for the mostly square area.
        g->scene()->activeCamera()->setCameraPosition(-10.0f, 20.0f, line ? 150.0f : 118.0f);
        g->setAspectRatio(1.4);
    };
    // Colours by value: red below zero, the series colour from zero up (a bar or
    // the ribbon reaching below zero is red there), for the surface, whose
    // gradient runs from the bottom of the value axis to its top.
    auto lossGradient = [&](double lo, double hi) {
        QLinearGradient gradient(0, 0, 1, 100);
        const double zeroAt = hi > lo ? std::clamp((0.0 - lo) / (hi - lo), 0.0, 1.0) : 0.0;
        const QColor below = kLossRed, above = kSeriesColour;
        gradient.setColorAt(0.0, below);
        gradient.setColorAt(std::max(0.0, zeroAt - 0.0005), below);
        gradient.setColorAt(std::min(1.0, zeroAt + 0.0005), above);
        gradient.setColorAt(1.0, above);
        return gradient;
    };

    if (!v.page) {
        v.page = new QWidget;
        v.title = new QLabel(v.page);
        v.title->setAlignment(Qt::AlignCenter);
        v.title->setWordWrap(true);
        v.title->setFont(uiFont(11, true));
        v.title->setAutoFillBackground(true);
        QPalette p = v.title->palette();
        p.setColor(QPalette::Window, Qt::white);
        v.title->setPalette(p);
        if (line) {
            auto* g = new Q3DSurface;
            g->addSeries(new QSurface3DSeries);
            g->setAxisX(new QValue3DAxis);
            g->setAxisY(new QValue3DAxis);
            g->setAxisZ(new QValue3DAxis);
            v.graph = g;
        } else {
            auto* g = new Q3DBars;
            g->addSeries(new QBar3DSeries);  // wins (and even days)
            g->addSeries(new QBar3DSeries);  // losses, in red
            g->setBarThickness(1.0f);
            g->setBarSpacing(QSizeF(0.35, 0.35));
            v.graph = g;
        }
        setupTheme(v.graph);
        watchPointClicks3D(v.graph);
        // Labels turn towards the camera, so that they stay readable from above.
        const QList<QAbstract3DAxis*> axes =
            line ? QList<QAbstract3DAxis*>{static_cast<Q3DSurface*>(v.graph)->axisX(), static_cast<Q3DSurface*>(v.graph)->axisY()}
                 : QList<QAbstract3DAxis*>{static_cast<Q3DBars*>(v.graph)->rowAxis(), static_cast<Q3DBars*>(v.graph)->valueAxis()};
        for (QAbstract3DAxis* a : axes) {
            a->setLabelAutoRotation(60.0f);
            a->setTitleFixed(false);
        }
        v.container = QWidget::createWindowContainer(v.graph, v.page);
        v.container->setObjectName(line ? QStringLiteral("line3D") : QStringLiteral("bars3D"));
        v.container->setMinimumSize(120, 80);
        v.xTitle = new QLabel(v.page);
        v.xTitle->setObjectName(QStringLiteral("xAxisTitle3D"));
        v.xTitle->setAlignment(Qt::AlignCenter);
        v.xTitle->setFont(uiFont(10));
        v.xTitle->setAutoFillBackground(true);
        v.xTitle->setPalette(p);
        v.xTitle->setContentsMargins(0, 2, 0, 6);
        v.xTitle->hide();
        auto* box = new QVBoxLayout(v.page);
        box->setContentsMargins(0, 0, 0, 0);
        box->setSpacing(0);
        box->addWidget(v.title);
        box->addWidget(v.container, 1);
        box->addWidget(v.xTitle);
        d->mscGluf1->addWidget(v.page);
    }
    v.graph->activeTheme()->setGridLineColor(grid);
    v.title->setText(qs(s.chartTitle));
    v.title->setStyleSheet(d->loadProblem ? QStringLiteral("color: rgb(255, 0, 0);") : QString());
    v.title->setVisible(!s.chartTitle.empty());
    // Without points a 3D view has nothing to stand on: the page shows the title alone.
    v.container->setVisible(!s.points.empty());
    v.title->setSizePolicy(QSizePolicy::Preferred, s.points.empty() ? QSizePolicy::Expanding : QSizePolicy::Maximum);
    v.graph->removeCustomItems();

    const NiceRange range = niceRange(s.points);
    QStringList labels;
    for (const auto& p : s.points) labels << qs(p.label);

    auto valueLabel = [&](const GraphPoint& p, QVector3D at) {
        auto* l = new QCustom3DLabel;
        l->setText(qs(dataLabelText(p.value)));
        l->setFont(uiFont(20));
        l->setTextColor(kLabelColour);
        l->setBackgroundEnabled(false);
        l->setBorderEnabled(false);
        l->setFacingCamera(true);
        l->setPosition(at);
        l->setScaling(line ? QVector3D(0.6f, 0.6f, 0.6f) : QVector3D(0.8f, 0.8f, 0.8f));
        v.graph->addCustomItem(l);
    };
    const bool showLabels = d->chk2->isChecked() && !s.noData;
    const float lift = static_cast<float>((range.hi - range.lo) * 0.05);
    auto setupValueAxis = [&](QValue3DAxis* y, const NiceRange& r) {
        y->setRange(static_cast<float>(r.lo), static_cast<float>(r.hi));
        y->setSegmentCount(std::clamp(r.ticks - 1, 1, 11));
        // Without points the value axis has no scale to show.
        y->setFormatter(new WholeNumberFormatter(s.points.empty()));
        y->setTitle(qs(verticalAxisTitle(s.yAxisTitle)));
        y->setTitleVisible(!s.yAxisTitle.empty());
    };

    if (line) {
        auto* g = static_cast<Q3DSurface*>(v.graph);
        QSurface3DSeries* series = g->seriesList().first();
        series->setDrawMode(QSurface3DSeries::DrawSurfaceAndWireframe);  // the grid marks the points
        series->setFlatShadingEnabled(true);
        series->setBaseColor(kSeriesColour);
        series->setBaseGradient(lossGradient(range.lo, range.hi));
        series->setColorStyle(Q3DTheme::ColorStyleRangeGradient);
        series->setWireframeColor(kSeriesColour.darker(160));
        const int n = static_cast<int>(s.points.size());
        // A ribbon of two rows; one point gets two columns around its position.
        auto* array = new QSurfaceDataArray;
        for (int row = 0; row < 2; ++row) {
            auto* r = new QSurfaceDataRow;
            if (n == 1) {
                const float y = static_cast<float>(s.points[0].value);
                *r << QSurfaceDataItem(QVector3D(-0.3f, y, static_cast<float>(row)))
                   << QSurfaceDataItem(QVector3D(0.3f, y, static_cast<float>(row)));
            } else {
                for (int i = 0; i < n; ++i)
                    *r << QSurfaceDataItem(QVector3D(static_cast<float>(i), static_cast<float>(s.points[static_cast<size_t>(i)].value),
                                                     static_cast<float>(row)));
            }
            *array << r;
        }
        if (n == 0) {
            qDeleteAll(*array);
            array->clear();
        }
        series->dataProxy()->resetArray(array);
        QValue3DAxis* x = g->axisX();
        x->setFormatter(new PointLabelFormatter(labels));
        if (n <= 1) {
            x->setRange(-1.0f, 1.0f);
            x->setSegmentCount(2);
        } else {
            x->setRange(0.0f, static_cast<float>(n - 1));
            x->setSegmentCount(n - 1);
        }
        x->setSubSegmentCount(1);
        QValue3DAxis* z = g->axisZ();
        z->setFormatter(new PointLabelFormatter);
        z->setRange(0.0f, 1.0f);
        z->setSegmentCount(1);
        setupValueAxis(g->axisY(), range);
        x->setTitle(qs(s.xAxisTitle));
        x->setTitleVisible(!s.xAxisTitle.empty());
        z->setTitleVisible(false);
        g->setHorizontalAspectRatio(std::max(2.0, n / 2.0));
        if (showLabels)
            for (int i = 0; i < n; ++i)
                valueLabel(s.points[static_cast<size_t>(i)],
                           QVector3D(n == 1 ? 0.0f : static_cast<float>(i),
                                     static_cast<float>(s.points[static_cast<size_t>(i)].value) + lift, 0.5f));
    } else {
        auto* g = static_cast<Q3DBars*>(v.graph);
        // One row per point, seen from the side so that the rows run from left
        // to right. Losses are a second series in red; the two series of a row
        // stand one behind the other, each with 0 where the other has the bar.
        const QList<QBar3DSeries*> both = g->seriesList();
        for (int k = 0; k < 2; ++k) {
            QBar3DSeries* series = both[k];
            series->setMesh(QAbstract3DSeries::MeshBevelBar);
            series->setColorStyle(Q3DTheme::ColorStyleUniform);
            series->setBaseColor(k == 0 ? kSeriesColour : kLossRed);
            auto* array = new QBarDataArray;
            for (const auto& p : s.points) {
                const bool loss = p.value < 0;
                auto* row = new QBarDataRow;
                *row << QBarDataItem(loss == (k == 1) ? static_cast<float>(p.value) : 0.0f);
                *array << row;
            }
            series->dataProxy()->resetArray(array, labels, QStringList{QString()});
        }
        g->scene()->activeCamera()->setCameraPosition(kBarsCameraRotation, 18.0f, 132.0f);
        g->setAspectRatio(0.75);
        g->columnAxis()->setLabels({QString()});
        g->columnAxis()->setTitleVisible(false);
        // The axis would write the day labels at the zero line, on the bars that
        // hang below it: each day label is written on the free side of zero
        // instead (below a win, above a loss), and the axis itself writes none.
        g->rowAxis()->setLabels(QStringList(labels.size(), QString()));
        g->rowAxis()->setTitleVisible(false);
        const bool losses = std::any_of(s.points.begin(), s.points.end(), [](const GraphPoint& p) { return p.value < 0; });
        const bool wins = std::any_of(s.points.begin(), s.points.end(), [](const GraphPoint& p) { return p.value >= 0; });
        NiceRange barsRange = range;
        const double step = range.ticks > 1 ? (range.hi - range.lo) / (range.ticks - 1) : 1.0;
        // Only losses (or only wins): one more step on the free side of zero
        // gives the day labels room.
        if (losses && !wins && range.hi <= 0) barsRange.hi += step, barsRange.ticks += 1;
        if (wins && !losses && range.lo >= 0 && !s.points.empty()) barsRange.lo -= step, barsRange.ticks += 1;
        // A value label beyond the axis is not drawn: the axis reaches a step
        // further where the longest bar leaves its label no room.
        if (showLabels && !s.points.empty()) {
            double lowest = 0, highest = 0;
            for (const auto& p : s.points) lowest = std::min(lowest, p.value), highest = std::max(highest, p.value);
            const double room = (barsRange.hi - barsRange.lo) * 0.16;
            if (lowest < 0 && lowest - room < barsRange.lo) barsRange.lo -= step, barsRange.ticks += 1;
            if (highest > 0 && highest + room > barsRange.hi) barsRange.hi += step, barsRange.ticks += 1;
        }
        const float barLift = static_cast<float>((barsRange.hi - barsRange.lo) * 0.05);
        for (size_t i = 0; i < s.points.size(); ++i) {
            auto* l = new QCustom3DLabel;
            l->setObjectName(QStringLiteral("dayLabel"));
            l->setText(labels[static_cast<qsizetype>(i)]);
            l->setFont(uiFont(20));
            l->setTextColor(QColor(30, 30, 30));
            l->setBackgroundEnabled(false);
            l->setBorderEnabled(false);
            l->setFacingCamera(true);
            // Below a win far enough for the bar's front face, seen from above, to leave it free.
            l->setPosition(QVector3D(0.0f, s.points[i].value < 0 ? barLift : -2.2f * barLift, static_cast<float>(i)));
            l->setScaling(QVector3D(0.8f, 0.8f, 0.8f));
            v.graph->addCustomItem(l);
        }
        setupValueAxis(g->valueAxis(), barsRange);
        if (showLabels)
            for (size_t i = 0; i < s.points.size(); ++i) {
                // At the end of each bar: above a win; below a loss, far enough for
                // the bar's front face, seen from above, to leave it free.
                const float end = static_cast<float>(s.points[i].value);
                valueLabel(s.points[i], QVector3D(0.0f, end >= 0 ? end + barLift : end - 2.5f * barLift, static_cast<float>(i)));
            }
    }
    // The X-axis title under the plot, where the axis of the 3D bars has no room
    // for it beside the day labels.
    v.xTitle->setText(line ? QString() : qs(s.xAxisTitle));
    v.xTitle->setVisible(!line && !s.xAxisTitle.empty() && !s.points.empty());
    d->mscGluf1->setCurrentWidget(v.page);
}

// ---------------------------------------------------------------- clicking into a graph

void frmGluf::buildDrill() {
    d->cmdBack = new QToolButton(d->fraBtn);
    d->cmdBack->setObjectName(QStringLiteral("cmdBack"));
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

void frmGluf::updateBack() { d->cmdBack->setEnabled(canGoBack()); }

bool frmGluf::canGoBack() const { return !d->backPeriods.isEmpty(); }

void frmGluf::pointClicked(int index) {
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
        qs(periodText(t.kind == DrillTarget::Kind::MonthGraph ? GraphPeriod::Month : GraphPeriod::Day)));
    d->drilling = false;
    updateBack();
}

bool frmGluf::goBack() {
    if (d->backPeriods.isEmpty()) return false;
    d->drilling = true;
    d->cboKikan->setCurrentText(d->backPeriods.takeLast());
    d->drilling = false;
    updateBack();
    return true;
}

QString frmGluf::pointTip(int index) const {
    return index < 0 ? QString() : qs(pointTipText(d->drawn, d->series, static_cast<size_t>(index)));
}

// A pointing hand and the point's figure over a point that opens something.
// The figure is the chart's tooltip while the pointer is on the point, so that
// the view's own tooltip handling (when the pointer rests) shows it too
// instead of hiding it; it is also shown at once.
void frmGluf::pointHovered(int index, bool on) {
    QWidget* view = d->view2D->viewport();
    const QString tip = on ? pointTip(index) : QString();
    d->chart->setToolTip(tip);
    if (tip.isEmpty()) {
        view->unsetCursor();
        QToolTip::hideText();
        return;
    }
    view->setCursor(Qt::PointingHandCursor);
    QToolTip::showText(QCursor::pos(), tip, view);
}

// The clicks run after the chart's own mouse handling: a click may redraw the
// chart, which deletes the series that reported it.
void frmGluf::watchPointClicks2D() {
    auto later = [this](int index) {
        QMetaObject::invokeMethod(this, [this, index] { pointClicked(index); }, Qt::QueuedConnection);
    };
    if (auto* bars = qobject_cast<QBarSeries*>(d->series2D)) {
        connect(bars, &QBarSeries::clicked, this, [later](int index, QBarSet*) { later(index); });
        connect(bars, &QBarSeries::hovered, this, [this](bool on, int index, QBarSet*) { pointHovered(index, on); });
    } else if (auto* line = qobject_cast<QLineSeries*>(d->series2D)) {
        const auto nearest = [](const QPointF& p) { return static_cast<int>(std::lround(p.x())); };
        connect(line, &QLineSeries::clicked, this, [later, nearest](const QPointF& p) { later(nearest(p)); });
        connect(line, &QLineSeries::hovered, this,
                [this, nearest](const QPointF& p, bool on) { pointHovered(nearest(p), on); });
    }
}

// In 3D a click selects a bar (a row of the bars, a column of the ribbon), and
// the selection opens what the point opens.
void frmGluf::watchPointClicks3D(QObject* graph) {
    auto later = [this](int index) {
        QMetaObject::invokeMethod(this, [this, index] { pointClicked(index); }, Qt::QueuedConnection);
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
                    s, [s] { s->setSelectedPoint(QSurface3DSeries::invalidSelectionPosition()); }, Qt::QueuedConnection);
            });
    }
}

// ---------------------------------------------------------------- accessors

QComboBox* frmGluf::cboKikan() const { return d->cboKikan; }
QComboBox* frmGluf::cboGtype() const { return d->cboGtype; }
QComboBox* frmGluf::cboKou() const { return d->cboKou; }
QComboBox* frmGluf::cboHoll() const { return d->cboHoll; }
QComboBox* frmGluf::cboKisyu() const { return d->cboKisyu; }
QCheckBox* frmGluf::chk1() const { return d->chk1; }
QCheckBox* frmGluf::chk2() const { return d->chk2; }
const GraphSeries& frmGluf::series() const { return d->series; }
ChartType frmGluf::chartType() const { return d->type; }
QChart* frmGluf::chart() const { return d->chart; }
int frmGluf::drawCount() const { return d->draws; }
int frmGluf::computeCount() const { return d->computes; }

bool frmGluf::showing3D() const {
    QWidget* current = d->mscGluf1->currentWidget();
    return current && (current == d->bars3D.page || current == d->line3D.page);
}

QStringList frmGluf::valueLabels() const {
    QStringList out;
    if (showing3D()) {
        const View3D& v = d->type == ChartType::Line3D ? d->line3D : d->bars3D;
        for (QCustom3DItem* item : v.graph->customItems())
            if (auto* l = qobject_cast<QCustom3DLabel*>(item); l && l->objectName() != QStringLiteral("dayLabel"))
                out << l->text();
    } else {
        for (const QGraphicsSimpleTextItem* item : d->valueItems) out << item->text();
    }
    return out;
}

QList<QPair<QString, double>> frmGluf::barLabels3D(bool dayLabels) const {
    QList<QPair<QString, double>> out;
    if (!showing3D() || d->type != ChartType::Bar3D) return out;
    for (QCustom3DItem* item : d->bars3D.graph->customItems())
        if (auto* l = qobject_cast<QCustom3DLabel*>(item); l && (l->objectName() == QStringLiteral("dayLabel")) == dayLabels)
            out << qMakePair(l->text(), static_cast<double>(l->position().y()));
    return out;
}

QString frmGluf::xAxisTitle3D() const {
    if (!showing3D() || d->type != ChartType::Bar3D || d->bars3D.xTitle->isHidden()) return {};
    return d->bars3D.xTitle->text();
}

QImage frmGluf::snapshot() {
    QImage image = grab().toImage();
    const View3D& v = d->type == ChartType::Line3D ? d->line3D : d->bars3D;
    if (showing3D() && !v.container->isHidden()) {
        const qreal dpr = image.devicePixelRatio();
        // At a whole device pixel ratio the view draws itself into an image; at
        // another (1.5) it would draw a part of itself only, so what it shows on
        // the screen is taken instead.
        const bool whole = std::abs(dpr - std::round(dpr)) < 0.01;
        QImage view;
        if (whole) view = v.graph->renderToImage(4, v.container->size() * dpr);
        else if (QScreen* screen = v.graph->screen()) view = screen->grabWindow(v.graph->winId()).toImage();
        QPainter p(&image);
        p.drawImage(QRectF(v.container->mapTo(this, QPoint(0, 0)), QSizeF(v.container->size())), view);
    }
    return image;
}

// ---------------------------------------------------------------- layout

void frmGluf::showEvent(QShowEvent* event) {
    if (!d->layout->isRestored()) restoreLayout();
    QWidget::showEvent(event);
}

void frmGluf::restoreLayout() {
    // Missing keys: the right half of the frame, top 0, its inner height less 350.
    const double W = d->ctx.frameInnerWidth(), H = d->ctx.frameInnerHeight();
    d->layout->restore(kReadSection, kReadPrefix, {W / 2, 0, W / 2, H - 350});
}

void frmGluf::closeEvent(QCloseEvent* event) {
    saveLayout();
    QWidget::closeEvent(event);
}

void frmGluf::saveLayout() { d->layout->save(kWriteSection, kWritePrefix); }

}  // namespace tama::ui
