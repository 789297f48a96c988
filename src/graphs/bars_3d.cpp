// The 3D bars of the graph window: one row of bars per point.
#include <QLabel>
#include <QtDataVisualization/Q3DBars>
#include <QtDataVisualization/Q3DCamera>
#include <QtDataVisualization/Q3DScene>
#include <QtDataVisualization/QBar3DSeries>
#include <QtDataVisualization/QBarDataProxy>
#include <QtDataVisualization/QCategory3DAxis>
#include <QtDataVisualization/QValue3DAxis>
#include <algorithm>

#include "graphs/view_3d.h"
#include "ui/app_context.h"

namespace tama::ui {

namespace {

const float kBarsCameraRotation = -100.0f;  // the rows seen from the side

Q3DBars* makeBars() {
    auto* g = new Q3DBars;
    g->addSeries(new QBar3DSeries);  // wins (and even days)
    g->addSeries(new QBar3DSeries);  // losses, in red
    g->setBarThickness(1.0f);
    g->setBarSpacing(QSizeF(0.35, 0.35));
    return g;
}

}  // namespace

Bars3D::Bars3D() : View3D(makeBars()) {
    auto* g = static_cast<Q3DBars*>(graph());
    buildPage({g->rowAxis(), g->valueAxis()}, 118.0f, QStringLiteral("bars3D"));
}

void Bars3D::drawPoints(const GraphSeries& s, const NiceRange& range, const QStringList& labels, bool valueLabels) {
    auto* g = static_cast<Q3DBars*>(graph());
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
    if (valueLabels && !s.points.empty()) {
        double lowest = 0, highest = 0;
        for (const auto& p : s.points) lowest = std::min(lowest, p.value), highest = std::max(highest, p.value);
        const double room = (barsRange.hi - barsRange.lo) * 0.16;
        if (lowest < 0 && lowest - room < barsRange.lo) barsRange.lo -= step, barsRange.ticks += 1;
        if (highest > 0 && highest + room > barsRange.hi) barsRange.hi += step, barsRange.ticks += 1;
    }
    const float barLift = static_cast<float>((barsRange.hi - barsRange.lo) * 0.05);
    for (size_t i = 0; i < s.points.size(); ++i) {
        // Below a win far enough for the bar's front face, seen from above, to leave it free.
        addLabel(labels[static_cast<qsizetype>(i)], QColor(30, 30, 30),
                 QVector3D(0.0f, s.points[i].value < 0 ? barLift : -2.2f * barLift, static_cast<float>(i)), 0.8f,
                 QStringLiteral("dayLabel"));
    }
    setupValueAxis(g->valueAxis(), barsRange, s);
    if (valueLabels)
        for (size_t i = 0; i < s.points.size(); ++i) {
            // At the end of each bar: above a win; below a loss, far enough for
            // the bar's front face, seen from above, to leave it free.
            const float end = static_cast<float>(s.points[i].value);
            addLabel(qs(dataLabelText(s.points[i].value)), kLabelColour,
                     QVector3D(0.0f, end >= 0 ? end + barLift : end - 2.5f * barLift, static_cast<float>(i)), 0.8f);
        }
    // The X-axis title under the plot, where the axis has no room for it beside
    // the day labels.
    xTitle()->setText(qs(s.xAxisTitle));
    xTitle()->setVisible(!s.xAxisTitle.empty() && !s.points.empty());
}

}  // namespace tama::ui
