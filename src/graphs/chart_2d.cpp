#include "graphs/chart_2d.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFontMetricsF>
#include <QGraphicsSimpleTextItem>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "graphs/chart_style.h"
#include "ui/app_context.h"
#include "ui/named.h"

namespace tama::ui {

Chart2D::Chart2D() {
    chart_ = new QChart;
    chart_->legend()->hide();
    chart_->setBackgroundRoundness(0);
    chart_->setMargins(QMargins(6, 6, 6, 6));
    chart_->setTitleFont(uiFont(11, true));
    axisX_ = new QBarCategoryAxis;
    axisY_ = new QValueAxis;
    axisY_->setLabelFormat(QStringLiteral("%.0f"));
    // Axis figures with thousands separators (-2,500,000): the chart writes its
    // numbers in a locale that groups digits with ",".
    chart_->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    chart_->setLocalizeNumbers(true);
    axisX_->setGridLineVisible(false);
    for (QAbstractAxis* a : std::initializer_list<QAbstractAxis*>{axisX_, axisY_}) {
        QFont f = a->labelsFont();
        f.setPointSize(kAxisLabelPointSize);
        a->setLabelsFont(f);
        a->setTitleFont(uiFont(10));
        a->setGridLineColor(QColor(225, 225, 225));
    }
    chart_->addAxis(axisX_, Qt::AlignBottom);
    chart_->addAxis(axisY_, Qt::AlignLeft);
    view_ = new QChartView(chart_);
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setObjectName(QStringLiteral("chartView"));
    connect(chart_, &QChart::plotAreaChanged, this, [this] {
        fitCategoryLabels();
        placeValueLabels();
    });

    // A long notice (an unreadable year) wraps on a line of its own above the chart.
    page_ = new QWidget;
    notice_ = named(new QLabel(page_), "lblLoadProblem");
    notice_->setWordWrap(true);
    notice_->setAlignment(Qt::AlignCenter);
    notice_->setFont(uiFont(11, true));
    notice_->setAutoFillBackground(true);
    notice_->setContentsMargins(8, 8, 8, 8);
    {
        QPalette p = notice_->palette();
        p.setColor(QPalette::Window, Qt::white);
        p.setColor(QPalette::WindowText, QColor(255, 0, 0));
        notice_->setPalette(p);
    }
    notice_->hide();
    auto* box = new QVBoxLayout(page_);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    box->addWidget(notice_);
    box->addWidget(view_, 1);
}

// The page belongs to the window that shows it.
Chart2D::~Chart2D() = default;

void Chart2D::draw(const GraphSeries& s, ChartType type, bool valueLabels, bool notice, const QColor& axisColour) {
    qDeleteAll(valueItems_);
    valueItems_.clear();
    chart_->removeAllSeries();
    series_ = nullptr;
    line_ = type == ChartType::Line;
    values_.clear();
    for (const auto& p : s.points) values_.push_back(p.value);
    // The notice of an unreadable year is too long for a chart title: it stands
    // on its own wrapping line above the empty chart.
    chart_->setTitle(notice ? QString() : qs(s.chartTitle));
    notice_->setText(notice ? qs(s.chartTitle) : QString());
    notice_->setVisible(notice);

    QStringList categories;
    for (const auto& text : categoryTexts(s.points)) categories << qs(text);
    axisX_->clear();
    axisX_->append(categories);
    const NiceRange range = niceRange(s.points);
    axisY_->setRange(range.lo, range.hi);
    axisY_->setTickCount(s.points.empty() ? 2 : std::clamp(range.ticks, 2, 12));
    axisY_->setLabelsVisible(!s.points.empty());
    for (QAbstractAxis* a : std::initializer_list<QAbstractAxis*>{axisX_, axisY_}) {
        a->setLinePenColor(axisColour);
        // The chart without data is an empty plot under its title.
        a->setVisible(!s.noData);
    }
    axisX_->setTitleText(qs(s.xAxisTitle));
    axisX_->setTitleVisible(!s.xAxisTitle.empty());
    axisY_->setTitleText(qs(verticalAxisTitle(s.yAxisTitle)));
    axisY_->setTitleVisible(!s.yAxisTitle.empty());

    if (line_) {
        auto* line = new QLineSeries;
        for (size_t i = 0; i < s.points.size(); ++i) line->append(static_cast<qreal>(i), s.points[i].value);
        QPen pen(kSeriesColour, 2.5);
        line->setPen(pen);
        line->setPointsVisible(true);  // point markers on
        line->setMarkerSize(7);
        series_ = line;
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
        series_ = bars;
    }
    chart_->addSeries(series_);
    watchPoints();
    series_->attachAxis(axisX_);
    series_->attachAxis(axisY_);

    if (valueLabels && !s.noData) {
        QFont f = uiFont(8);
        for (const auto& p : s.points) {
            auto* item = new QGraphicsSimpleTextItem(qs(dataLabelText(p.value)), chart_);
            item->setFont(f);
            item->setBrush(kLabelColour);
            item->setZValue(10);
            valueItems_ << item;
        }
    }
    fitCategoryLabels();
    placeValueLabels();
}

QStringList Chart2D::valueLabels() const {
    QStringList out;
    for (const QGraphicsSimpleTextItem* item : valueItems_) out << item->text();
    return out;
}

void Chart2D::watchPoints() {
    if (auto* bars = qobject_cast<QBarSeries*>(series_)) {
        connect(bars, &QBarSeries::clicked, this, [this](int index, QBarSet*) { emit pointClicked(index); });
        connect(bars, &QBarSeries::hovered, this,
                [this](bool on, int index, QBarSet*) { emit pointHovered(index, on); });
    } else if (auto* line = qobject_cast<QLineSeries*>(series_)) {
        const auto nearest = [](const QPointF& p) { return static_cast<int>(std::lround(p.x())); };
        connect(line, &QLineSeries::clicked, this,
                [this, nearest](const QPointF& p) { emit pointClicked(nearest(p)); });
        connect(line, &QLineSeries::hovered, this,
                [this, nearest](const QPointF& p, bool on) { emit pointHovered(nearest(p), on); });
    }
}

// More category labels than the width holds side by side (the 31 days of a
// month in a window of the default size) would each be cut to "…"; they stand
// on end instead, in a font small enough for each to keep within its own
// category (a label reaching past the plot's edge is not drawn at all).
void Chart2D::fitCategoryLabels() {
    const QStringList categories = axisX_->categories();
    const qreal room = chart_->plotArea().width();
    if (categories.isEmpty() || room <= 0) return;
    QFont font = axisX_->labelsFont();
    font.setPointSize(kAxisLabelPointSize);
    const QFontMetricsF metrics(font);
    qreal widest = 0;
    for (const QString& c : categories) widest = std::max(widest, metrics.horizontalAdvance(c));
    const qreal perCategory = room / categories.size();
    const bool standing = widest + 8 > perCategory;
    if (standing)
        while (font.pointSize() > 6 && QFontMetricsF(font).height() + 4 > perCategory)
            font.setPointSize(font.pointSize() - 1);
    if (axisX_->labelsFont() != font) axisX_->setLabelsFont(font);
    if (axisX_->labelsAngle() != (standing ? -90 : 0)) axisX_->setLabelsAngle(standing ? -90 : 0);
    // Standing labels are as wide as a line is high, which the room holds.
    axisX_->setTruncateLabels(!standing);
}

// Value labels sit just outside the end of each bar (above a gain, below a
// loss) and above each point of a line.
void Chart2D::placeValueLabels() {
    if (valueItems_.isEmpty() || !series_) return;
    for (qsizetype i = 0; i < valueItems_.size() && i < static_cast<qsizetype>(values_.size()); ++i) {
        const double v = values_[static_cast<size_t>(i)];
        const QPointF at = chart_->mapToPosition(QPointF(static_cast<qreal>(i), v), series_);
        QGraphicsSimpleTextItem* item = valueItems_[i];
        const QRectF r = item->boundingRect();
        const bool below = !line_ && v < 0;
        const qreal gap = line_ ? 7 : 2;
        item->setPos(at.x() - r.width() / 2, below ? at.y() + gap : at.y() - r.height() - gap);
    }
}

}  // namespace tama::ui
