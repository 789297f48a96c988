#pragma once
// GraphWindow ("グラフ"): the graph window. A panel of selectors (period, chart
// type, item, hall, machine, cumulative, value labels) above one chart
// (mscGluf1). The series comes from tama_graphs (computeGraph) over the
// monthly window's list; the window hands it to a renderer: bars and lines to
// Chart2D (Qt Charts), 3D bars to Bars3D and the 3D line ribbon to Surface3D
// (Qt Data Visualization), whose OpenGL views are made only when a 3D type is
// first chosen.
//
// Redraws are driven by signals (selector changes, the monthly window's
// reloads, the run's recordsChanged/optionsChanged); the signals of one
// event-loop turn are run as one step of RedrawControl, so one change draws
// the chart once and an idle window draws nothing.
#include <QImage>
#include <QString>
#include <QWidget>
#include <memory>

#include "graphs/graph_series.h"
#include "graphs/redraw_control.h"

class QCheckBox;
class QComboBox;
class QStackedWidget;

class QChart;

namespace tama::ui {

class AppContext;
class MonthlyLink;
class MonthlyWindow;

class GraphWindow : public QWidget {
    Q_OBJECT
public:
    // Follows the monthly window: its list, its reloads and its user changes.
    GraphWindow(AppContext& ctx, MonthlyWindow& monthly, QWidget* parent = nullptr);
    // Draws from any MonthlyLink; the caller reports reloads and user changes
    // through monthlyReloaded() and monthlyUserChanged().
    GraphWindow(AppContext& ctx, MonthlyLink& link, QWidget* parent = nullptr);
    ~GraphWindow() override;

    // Refill the hall / machine box from the current user's lists and select
    // "全ﾎｰﾙ対象" / "全機種対象".
    void loadHalls();
    void loadMachines();
    // Draws the series already computed in the chart type of cboGtype.
    void redrawChart();
    // Compute and draw the day, month and year balance graph (cumulative when
    // chk1 is on) and the weekday graph of the period in cboKikan.
    void drawDays();
    void drawMonths();
    void drawYears();
    void drawWeekdays();
    // Runs one redraw step now (normally queued after every change): computes
    // and draws what the selections and the data changed since the last step.
    void runRedrawStep();

    // Writes the layout keys (section "gluf", keys "frmgluf.*", twips); also run on close.
    void saveLayout();

    // The selections the frame's graph menu sets and mirrors, by their texts
    // ("月間ﾃﾞｰﾀ", "3D棒ｸﾞﾗﾌ", "曜日別"). A text the box does not hold changes nothing.
    QString periodText() const;
    QString chartTypeText() const;
    QString itemText() const;
    bool cumulative() const;
    bool dataLabels() const;
    void setPeriod(const QString& text);
    void setChartType(const QString& text);
    void setItem(const QString& text);
    void setCumulative(bool on);
    void setDataLabels(bool on);

    // The selectors, also found by objectName.
    QComboBox* cboKikan() const;
    QComboBox* cboGtype() const;
    QComboBox* cboKou() const;
    QComboBox* cboHoll() const;
    QComboBox* cboKisyu() const;
    QCheckBox* chk1() const;
    QCheckBox* chk2() const;

    // What is drawn now.
    const GraphSeries& series() const;
    ChartType chartType() const;
    // The 2D chart (bars and lines); the 3D views are not QCharts.
    QChart* chart() const;
    // True while a 3D view shows the chart.
    bool showing3D() const;
    // The value label texts shown now (empty when chk2 is off).
    QStringList valueLabels() const;
    // The 3D bars' day labels (`dayLabels`) or value labels, each with the height
    // on the value axis it is written at; empty unless the 3D bars are shown.
    QList<QPair<QString, double>> barLabels3D(bool dayLabels) const;
    // The X-axis title written under the 3D bars; empty when none is shown.
    QString xAxisTitle3D() const;

    // Times the chart was drawn and times a series was computed since the window opened.
    int drawCount() const;
    int computeCount() const;

    // The window as a picture, 3D view included (a plain grab shows no OpenGL content).
    QImage snapshot();

    // Whether an OpenGL context can be made here (the 3D types need one).
    static bool openGLAvailable();

    // The monthly window reloaded its list / selected another user.
    void monthlyReloaded();
    void monthlyUserChanged(const QString& user);

    // Clicking into the balance graphs: a click on point `index` (0 = first) of
    // the year graph shows that year's month graph, of the month graph that
    // month's day graph, of the day graph emits dayOpened. 2D clicks and 3D
    // selections run this; the weekday graphs open nothing.
    void pointClicked(int index);
    // The tooltip of point `index` (its date or month and exact figure); empty
    // for a point that opens nothing.
    QString pointTip(int index) const;
    // "戻る" (Backspace, cmdBack): back to the graph the last click came from;
    // false when no click led here. Choosing a period or item by hand forgets the way back.
    bool goBack();
    bool canGoBack() const;

signals:
    // After every drawing of the chart.
    void drawn();
    // The selectors the main window's graph menu mirrors.
    void periodChanged(const QString& text);
    void chartTypeChanged(const QString& text);
    void itemChanged(const QString& text);
    void cumulativeChanged(bool on);
    void dataLabelsChanged(bool on);
    // A click into another year or month: the monthly window should show it (the
    // month and day graphs draw its list). The constructor that takes the monthly
    // window connects this itself.
    void yearMonthRequested(const QString& year, const QString& month);
    // A day of the day graph was clicked: the monthly window comes forward at
    // year/month with the first row of `day` (a Hi text, "04") selected.
    void dayOpened(const QString& year, const QString& month, const QString& day);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    void fillNameBox(QComboBox* box, std::string_view allEntry,
                     std::vector<std::string> (MasterLists::*load)(std::string_view) const);
    void requestStep();
    void dataChanged();
    void compute(GraphPeriod period, GraphItem item, bool cumulative);
    void drawChart();
    void draw2D();
    void draw3D();
    void dataLabelsToggled();
    void applyColours();
    void restoreLayout();
    void buildDrill();
    void watchPointClicks3D(QObject* graph);
    void pointHovered(int index, bool on);
    void updateBack();

    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace tama::ui
