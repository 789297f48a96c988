#pragma once
// A drawn graph series' point labels and values as Qt lists, for comparing
// with QCOMPARE in the graph window tests.
#include <QList>
#include <QString>
#include <QStringList>

#include "graphs/graph_series.h"

namespace tama::test {

inline QStringList pointLabels(const GraphSeries& s) {
    QStringList out;
    for (const auto& p : s.points) out << QString::fromStdString(p.label);
    return out;
}

inline QList<double> pointValues(const GraphSeries& s) {
    QList<double> out;
    for (const auto& p : s.points) out << p.value;
    return out;
}

}  // namespace tama::test
