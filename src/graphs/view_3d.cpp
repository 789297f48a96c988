#include "graphs/view_3d.h"

#include <QLabel>
#include <QVBoxLayout>
#include <QtDataVisualization/QAbstract3DAxis>
#include <QtDataVisualization/QAbstract3DGraph>
#include <QtDataVisualization/Q3DCamera>
#include <QtDataVisualization/Q3DScene>
#include <QtDataVisualization/Q3DTheme>
#include <QtDataVisualization/QCustom3DLabel>
#include <QtDataVisualization/QValue3DAxis>
#include <QtDataVisualization/QValue3DAxisFormatter>
#include <algorithm>
#include <cmath>

#include "shared/number_format.h"
#include "ui/app_context.h"
#include "ui/named.h"

namespace tama::ui {

namespace {

// A 3D value axis's tick labels, each written by a function of its value.
class TextFormatter : public QValue3DAxisFormatter {
public:
    explicit TextFormatter(std::function<QString(qreal)> text) : text_(std::move(text)) {}

protected:
    QValue3DAxisFormatter* createNewInstance() const override { return new TextFormatter(text_); }
    void populateCopy(QValue3DAxisFormatter& copy) const override {
        QValue3DAxisFormatter::populateCopy(copy);
        static_cast<TextFormatter&>(copy).text_ = text_;
    }
    QString stringForValue(qreal value, const QString&) const override { return text_(value); }

private:
    std::function<QString(qreal)> text_;
};

// What tells one label from another: its name, colour, scale and text.
QString labelKey(const QString& name, const QColor& colour, float scale, const QString& text) {
    return name + QLatin1Char('|') + QString::number(colour.rgba()) + QLatin1Char('|') + QString::number(scale) +
           QLatin1Char('|') + text;
}

}  // namespace

QValue3DAxisFormatter* axisFormatter(std::function<QString(qreal)> text) { return new TextFormatter(std::move(text)); }

View3D::View3D(QAbstract3DGraph* graph) : graph_(graph) {}

// The page and the graph belong to the window that shows them, the labels in
// the plot to the graph.
View3D::~View3D() {
    for (QCustom3DLabel* l : std::as_const(spare_))
        if (!l->parent()) delete l;
}

void View3D::buildPage(const QList<QAbstract3DAxis*>& labelledAxes, float cameraDistance, const QString& name) {
    page_ = new QWidget;
    title_ = new QLabel(page_);
    title_->setAlignment(Qt::AlignCenter);
    title_->setWordWrap(true);
    title_->setFont(uiFont(11, true));
    title_->setAutoFillBackground(true);
    QPalette p = title_->palette();
    p.setColor(QPalette::Window, Qt::white);
    title_->setPalette(p);

    Q3DTheme* theme = graph_->activeTheme();
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
    graph_->setShadowQuality(QAbstract3DGraph::ShadowQualityNone);
    graph_->setSelectionMode(QAbstract3DGraph::SelectionNone);
    // Seen a little from above, close enough for the plot to fill its area,
    // and a taller plot than the default one for the mostly square area.
    graph_->scene()->activeCamera()->setCameraPosition(-10.0f, 20.0f, cameraDistance);
    graph_->setAspectRatio(1.4);
    // Labels turn towards the camera, so that they stay readable from above.
    for (QAbstract3DAxis* a : labelledAxes) {
        a->setLabelAutoRotation(60.0f);
        a->setTitleFixed(false);
    }

    container_ = QWidget::createWindowContainer(graph_, page_);
    container_->setObjectName(name);
    container_->setMinimumSize(120, 80);
    xTitle_ = named(new QLabel(page_), "xAxisTitle3D");
    xTitle_->setAlignment(Qt::AlignCenter);
    xTitle_->setFont(uiFont(10));
    xTitle_->setAutoFillBackground(true);
    xTitle_->setPalette(p);
    xTitle_->setContentsMargins(0, 2, 0, 6);
    xTitle_->hide();
    auto* box = new QVBoxLayout(page_);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    box->addWidget(title_);
    box->addWidget(container_, 1);
    box->addWidget(xTitle_);
}

void View3D::draw(const GraphSeries& s, const QColor& axisColour, bool valueLabels, bool notice) {
    // The grid of a 3D view is its set of axes: drawn in a light tint of the axis colour.
    const QColor grid = QColor::fromRgbF(axisColour.redF() * 0.55 + 0.45, axisColour.greenF() * 0.55 + 0.45,
                                         axisColour.blueF() * 0.55 + 0.45);
    graph_->activeTheme()->setGridLineColor(grid);
    title_->setText(qs(s.chartTitle));
    title_->setStyleSheet(notice ? QStringLiteral("color: rgb(255, 0, 0);") : QString());
    title_->setVisible(!s.chartTitle.empty());
    // Without points a 3D view has nothing to stand on: the page shows the title alone.
    container_->setVisible(!s.points.empty());
    title_->setSizePolicy(QSizePolicy::Preferred, s.points.empty() ? QSizePolicy::Expanding : QSizePolicy::Maximum);
    for (QCustom3DLabel* l : std::as_const(shown_)) {
        graph_->releaseCustomItem(l);
        spare_.insert(labelKey(l->objectName(), l->textColor(), l->scaling().x(), l->text()), l);
    }
    shown_.clear();

    QStringList labels;
    for (const auto& p : s.points) labels << qs(p.label);
    drawPoints(s, niceRange(s.points), labels, valueLabels);
}

bool View3D::isDayLabel(const QCustom3DLabel& label) { return label.objectName() == QStringLiteral("dayLabel"); }

void View3D::addLabel(const QString& text, const QColor& colour, const QVector3D& at, float scale,
                      const QString& name) {
    QCustom3DLabel* l = spare_.take(labelKey(name, colour, scale, text));
    if (!l) {
        l = new QCustom3DLabel;
        if (!name.isEmpty()) l->setObjectName(name);
        l->setText(text);
        l->setFont(uiFont(20));
        l->setTextColor(colour);
        l->setBackgroundEnabled(false);
        l->setBorderEnabled(false);
        l->setFacingCamera(true);
        l->setScaling(QVector3D(scale, scale, scale));
    }
    graph_->addCustomItem(l);
    // Placed once the graph holds it, so that the renderer hears of the move.
    l->setPosition(at);
    shown_ << l;
}

void View3D::setupValueAxis(QValue3DAxis* y, const NiceRange& r, const GraphSeries& s) {
    y->setRange(static_cast<float>(r.lo), static_cast<float>(r.hi));
    y->setSegmentCount(std::clamp(r.ticks - 1, 1, 11));
    // Without points the value axis has no scale to show.
    // Whole numbers with thousands separators, as the 2D charts write them, so that a
    // tick a rounding error below zero reads "0", not "-0"; none at all for a chart
    // without points.
    y->setFormatter(axisFormatter([blank = s.points.empty()](qreal value) {
        return blank ? QStringLiteral(" ") : qs(formatGrouped(static_cast<double>(std::llround(value))));
    }));
    y->setTitle(qs(verticalAxisTitle(s.yAxisTitle)));
    y->setTitleVisible(!s.yAxisTitle.empty());
}

}  // namespace tama::ui
