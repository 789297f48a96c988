#include "graphs/chart_style.h"

#include <algorithm>
#include <cmath>

namespace tama::ui {

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

QFont uiFont(int pointSize, bool bold) {
    QFont f;
    f.setPointSize(pointSize);
    f.setBold(bold);
    return f;
}

}  // namespace tama::ui
