#pragma once
// The graph window's 2D chart: a GraphSeries drawn as bars (losses in red) or
// as a line with point markers, with Qt Charts. Its page holds a notice line
// above the chart, for a notice too long for a chart title (a year that could
// not be read). The two axes live as long as the chart; each drawing refills them.
#include <QObject>
#include <QStringList>
#include <vector>

#include "graphs/graph_series.h"
#include "graphs/redraw_control.h"

class QAbstractSeries;
class QBarCategoryAxis;
class QChart;
class QChartView;
class QColor;
class QGraphicsSimpleTextItem;
class QLabel;
class QValueAxis;
class QWidget;

namespace tama::ui {

class Chart2D : public QObject {
    Q_OBJECT
public:
    // Makes the page (not yet placed in a window) and the empty chart on it.
    Chart2D();
    ~Chart2D() override;

    // The notice line above the chart view ("chartView").
    QWidget* page() const { return page_; }
    QChart* chart() const { return chart_; }
    QChartView* view() const { return view_; }

    // Draws `s` as a line (type Line) or as bars (any other type). `valueLabels`:
    // each point's figure beside it. `notice`: the series' chart title is a
    // notice, shown on the line above an empty chart instead of as its title.
    void draw(const GraphSeries& s, ChartType type, bool valueLabels, bool notice, const QColor& axisColour);

    // The value label texts shown now.
    QStringList valueLabels() const;

signals:
    // A point (0 = first) of the series drawn was clicked / the pointer entered
    // or left it. Emitted from inside the chart's mouse handling.
    void pointClicked(int index);
    void pointHovered(int index, bool on);

private:
    void fitCategoryLabels();
    void placeValueLabels();
    void watchPoints();

    QWidget* page_;
    QLabel* notice_;  // "lblLoadProblem": why the year cannot be shown, in red
    QChart* chart_;
    QChartView* view_;
    QBarCategoryAxis* axisX_;
    QValueAxis* axisY_;
    QAbstractSeries* series_ = nullptr;
    QList<QGraphicsSimpleTextItem*> valueItems_;
    std::vector<double> values_;  // the values drawn, where the value labels stand
    bool line_ = false;           // drawn as a line
};

}  // namespace tama::ui
