#pragma once
// What the graph window's renderers (the 2D chart, the 3D bars and the 3D
// line) share: the colours, the fonts and the value range of the value axis.
#include <QColor>
#include <QFont>
#include <vector>

#include "graphs/graph_series.h"

namespace tama::ui {

inline constexpr int kAxisLabelPointSize = 9;
inline const QColor kSeriesColour(52, 101, 164);  // bars, line and ribbon
inline const QColor kLossColour(204, 51, 51);     // bars below zero
inline const QColor kLossRed(220, 40, 40);        // 3D bars and ribbon below zero
inline const QColor kLabelColour(40, 40, 40);     // value labels

// A value range from zero (or the lowest value) to the highest value, widened
// to round steps, with the number of ticks.
struct NiceRange {
    double lo = 0, hi = 1;
    int ticks = 2;
};
NiceRange niceRange(const std::vector<GraphPoint>& points);

// The default font at `pointSize`.
QFont uiFont(int pointSize, bool bold = false);

}  // namespace tama::ui
