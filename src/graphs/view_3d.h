#pragma once
// The graph window's 3D views, with Qt Data Visualization: a GraphSeries as
// 3D bars (Bars3D, bars_3d.cpp) or as a ribbon of a 3D line (Surface3D,
// surface_3d.cpp). Each view is a page of its own: a title line above the
// OpenGL window and, for the bars, the X-axis title below it. The window makes
// a view only when its type is first chosen (an OpenGL context is needed).
#include <functional>

#include <QList>
#include <QMultiHash>
#include <QString>
#include <QStringList>

#include "graphs/chart_style.h"
#include "graphs/graph_series.h"

class QLabel;
class QVector3D;
class QWidget;

class QAbstract3DAxis;
class QAbstract3DGraph;
class QCustom3DLabel;
class QValue3DAxis;
class QValue3DAxisFormatter;

namespace tama::ui {

// A formatter for a 3D value axis that writes each tick's label with `text`.
QValue3DAxisFormatter* axisFormatter(std::function<QString(qreal)> text);

class View3D {
public:
    virtual ~View3D();
    View3D(const View3D&) = delete;
    View3D& operator=(const View3D&) = delete;

    // The page (not yet placed in a window), its OpenGL window's container
    // ("bars3D" / "line3D"), the graph and the X-axis title line ("xAxisTitle3D").
    QWidget* page() const { return page_; }
    QWidget* container() const { return container_; }
    QAbstract3DGraph* graph() const { return graph_; }
    QLabel* xTitle() const { return xTitle_; }

    // Draws `s`, its grid in a light tint of `axisColour`. `valueLabels`: each
    // point's figure beside it. `notice`: the chart title is a notice, in red.
    void draw(const GraphSeries& s, const QColor& axisColour, bool valueLabels, bool notice);

    // Whether a text in the plot is one of the bars' day labels (objectName
    // "dayLabel") rather than a value label.
    static bool isDayLabel(const QCustom3DLabel& label);

protected:
    explicit View3D(QAbstract3DGraph* graph);
    // Makes the page around the graph: the theme, the camera `cameraDistance`
    // away, labels of `labelledAxes` turned towards it, the container named `name`.
    void buildPage(const QList<QAbstract3DAxis*>& labelledAxes, float cameraDistance, const QString& name);
    // The points, their axes and labels; `labels` are the points' labels.
    virtual void drawPoints(const GraphSeries& s, const NiceRange& range, const QStringList& labels,
                            bool valueLabels) = 0;
    // The one set-up of a text written into the plot at `at`: turned towards the
    // camera, without background or border, scaled by `scale`. A label of the
    // last drawing with the same text and look is taken again where there is one.
    void addLabel(const QString& text, const QColor& colour, const QVector3D& at, float scale,
                  const QString& name = {});
    // The value axis over `r`, whole numbers with thousands separators (none
    // when `s` has no points), with the series' vertical title.
    static void setupValueAxis(QValue3DAxis* y, const NiceRange& r, const GraphSeries& s);

private:
    QAbstract3DGraph* graph_;  // owned by the container
    QWidget* page_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* xTitle_ = nullptr;
    QWidget* container_ = nullptr;
    // The labels in the plot now, and those taken out of it, by text and look.
    // A label is never deleted while the view lives: the graph's renderer knows
    // its labels by address and hears only of changes made while the graph holds
    // them, so a new label made at a deleted one's address could be drawn with
    // the old one's text and place, and a label given new text would keep
    // showing the old. Labels keep their text; only their place changes.
    QList<QCustom3DLabel*> shown_;
    QMultiHash<QString, QCustom3DLabel*> spare_;
};

// One row of bars per point, seen from the side so that they run from left to
// right; losses in red, every point's label on the free side of zero.
class Bars3D final : public View3D {
public:
    Bars3D();

private:
    void drawPoints(const GraphSeries& s, const NiceRange& range, const QStringList& labels, bool valueLabels) override;
};

// The 3D line: a ribbon of two rows over the points, red below zero.
class Surface3D final : public View3D {
public:
    Surface3D();

private:
    void drawPoints(const GraphSeries& s, const NiceRange& range, const QStringList& labels, bool valueLabels) override;
};

}  // namespace tama::ui
