// The 3D line of the graph window: a ribbon of two rows over the points.
#include <QLinearGradient>
#include <QLabel>
#include <QtDataVisualization/Q3DSurface>
#include <QtDataVisualization/QSurface3DSeries>
#include <QtDataVisualization/QSurfaceDataProxy>
#include <QtDataVisualization/QValue3DAxis>
#include <QtDataVisualization/QValue3DAxisFormatter>
#include <algorithm>
#include <cmath>

#include "graphs/view_3d.h"
#include "ui/app_context.h"

namespace tama::ui {

namespace {

// Colours by value: red below zero, the series colour from zero up (the ribbon
// reaching below zero is red there). The surface's gradient runs from the
// bottom of the value axis to its top.
QLinearGradient lossGradient(double lo, double hi) {
    QLinearGradient gradient(0, 0, 1, 100);
    const double zeroAt = hi > lo ? std::clamp((0.0 - lo) / (hi - lo), 0.0, 1.0) : 0.0;
    const QColor below = kLossRed, above = kSeriesColour;
    gradient.setColorAt(0.0, below);
    gradient.setColorAt(std::max(0.0, zeroAt - 0.0005), below);
    gradient.setColorAt(std::min(1.0, zeroAt + 0.0005), above);
    gradient.setColorAt(1.0, above);
    return gradient;
}

Q3DSurface* makeSurface() {
    auto* g = new Q3DSurface;
    g->addSeries(new QSurface3DSeries);
    g->setAxisX(new QValue3DAxis);
    g->setAxisY(new QValue3DAxis);
    g->setAxisZ(new QValue3DAxis);
    return g;
}

}  // namespace

Surface3D::Surface3D() : View3D(makeSurface()) {
    auto* g = static_cast<Q3DSurface*>(graph());
    buildPage({g->axisX(), g->axisY()}, 150.0f, QStringLiteral("line3D"));
}

void Surface3D::drawPoints(const GraphSeries& s, const NiceRange& range, const QStringList& labels, bool valueLabels) {
    auto* g = static_cast<Q3DSurface*>(graph());
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
                *r << QSurfaceDataItem(QVector3D(static_cast<float>(i),
                                                 static_cast<float>(s.points[static_cast<size_t>(i)].value),
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
    // The X axis shows the point labels at whole positions 0, 1, …; every other
    // position (and every position of the depth axis) has none.
    x->setFormatter(axisFormatter([labels](qreal value) {
        const double r = std::round(value);
        if (std::abs(value - r) > 0.01 || r < 0 || r >= labels.size()) return QString();
        return labels.at(static_cast<qsizetype>(r));
    }));
    if (n <= 1) {
        x->setRange(-1.0f, 1.0f);
        x->setSegmentCount(2);
    } else {
        x->setRange(0.0f, static_cast<float>(n - 1));
        x->setSegmentCount(n - 1);
    }
    x->setSubSegmentCount(1);
    QValue3DAxis* z = g->axisZ();
    z->setFormatter(axisFormatter([](qreal) { return QString(); }));
    z->setRange(0.0f, 1.0f);
    z->setSegmentCount(1);
    setupValueAxis(g->axisY(), range, s);
    x->setTitle(qs(s.xAxisTitle));
    x->setTitleVisible(!s.xAxisTitle.empty());
    z->setTitleVisible(false);
    g->setHorizontalAspectRatio(std::max(2.0, n / 2.0));
    // Each figure a little above its point.
    const float lift = static_cast<float>((range.hi - range.lo) * 0.05);
    if (valueLabels)
        for (int i = 0; i < n; ++i) {
            const GraphPoint& p = s.points[static_cast<size_t>(i)];
            addLabel(qs(dataLabelText(p.value)), kLabelColour,
                     QVector3D(n == 1 ? 0.0f : static_cast<float>(i), static_cast<float>(p.value) + lift, 0.5f), 0.6f);
        }
    // The ribbon's X axis writes its own title.
    xTitle()->setText(QString());
    xTitle()->setVisible(false);
}

}  // namespace tama::ui
