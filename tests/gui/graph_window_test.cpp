// The graph window beside a real monthly window: what each selector change
// draws (and how often), what the chart shows, the value labels, the 3D types,
// a damaged file, and the layout keys in the settings file.
//
// The 3D views need OpenGL. Under the default offscreen platform the tests
// that look at a rendered 3D view skip; run them with
//   QT_QPA_PLATFORM=xcb xvfb-run -a tests/graph_window_test
#include <QApplication>
#include <QBarCategoryAxis>
#include <QChart>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSignalSpy>
#include <QValueAxis>
#include <QtTest>
#include <memory>

#include "../support/gui_fixture.h"
#include "../support/graph_points.h"
#include "graphs/graph_window.h"
#include "monthly/monthly_window.h"
#include "options/options_dialog.h"
#include "ui/app_context.h"
#include "ui/messages.h"
#include "shared/number_format.h"
#include "storage/settings_file.h"

using namespace tama;
using namespace tama::ui;

namespace {

std::string line(const std::string& date, const std::string& youbi, const std::string& dayFirst,
                 const std::string& syusi, const std::string& hall, const std::string& kisyu = "海物語") {
    const std::string y = date.substr(0, 4), m = date.substr(5, 2), d = date.substr(8, 2);
    const std::string f[24] = {date,     y,     m,     d,        youbi,   hall,    "10",  "00",
                               "18",     "00",  "8.0", "15000",  "30000", "1,875", syusi, "12",
                               "ＣＲ機", kisyu, "",    dayFirst, "",      "",      "",    ""};
    std::string out;
    for (int i = 0; i < 24; ++i) out += (i ? ",\"" : "\"") + f[i] + "\"";
    return out + "\n";
}

using test::pointLabels;
using test::pointValues;

// Lets every queued step run and a little time pass: an idle window must not draw.
void settle() { QTest::qWait(60); }

}  // namespace

class GraphWindowTest : public QObject, protected test::GuiFixture {
    Q_OBJECT

    fs::path taro;

    struct Windows {
        std::unique_ptr<MonthlyWindow> monthly;
        std::unique_ptr<GraphWindow> graph;
    };

    // The monthly window on 太郎, May 2024, and the graph window following it,
    // on its own or as a child of `area` (declare the area before the windows).
    Windows open(QMdiArea* area = nullptr) {
        Windows w;
        w.monthly = std::make_unique<MonthlyWindow>(*ctx);
        w.monthly->cboUser()->setCurrentText(QStringLiteral("太郎"));
        w.monthly->setYearMonth(QStringLiteral("2024"), QStringLiteral("05"));
        w.graph = std::make_unique<GraphWindow>(*ctx, *w.monthly);
        if (area) {
            area->resize(1400, 1000);
            area->addSubWindow(w.graph.get());
            area->show();
        } else {
            w.graph->resize(800, 560);
        }
        w.graph->show();
        [&] { QTRY_COMPARE(w.graph->drawCount(), 1); }();
        settle();
        return w;
    }

private slots:
    void init() {
        startFolder();
        taro = tmp->makeUser("太郎");
        test::putBytes(taro / "s2024.sdb", test::sjis(line("2024/03/09", "土", "1", "20,000", "駅前ホール") +
                                                      line("2024/05/04", "土", "1", "15,000", "駅前ホール") +
                                                      line("2024/05/04", "土", "2", "-3,500", "港ホール", "北斗") +
                                                      line("2024/05/06", "月", "1", "-2,000", "港ホール", "北斗") +
                                                      line("2024/05/18", "土", "1", "7,000", "駅前ホール")));
        test::putBytes(taro / "s2023.sdb", test::sjis(line("2023/12/30", "土", "1", "1,000", "駅前ホール")));
        test::putBytes(taro / "Year.txt", test::sjis("\"2023\",1000\n\"2024\",36500\n"));
        test::putBytes(taro / "holl.dat", test::sjis("\"駅前ホール\",\"1\"\n\"港ホール\",\"1\"\n"));
        test::putBytes(taro / "kisyu.dat", test::sjis("\"ＣＲ機\",\"海物語\"\n\"スロット\",\"北斗\"\n"));
        tmp->makeUser("花子");
        test::putBytes(tmp->path() / "Data" / "花子" / "holl.dat", test::sjis("\"北口会館\",\"1\"\n"));
        openContext(12000, 9000);
    }

    void cleanup() { finish(); }

    void opensOnTheDayGraphWithItsControls() {
        Windows w = open();
        for (const char* name : {"cboKikan", "cboGtype", "cboKou", "cboHoll", "cboKisyu", "chk1", "chk2", "mscGluf1",
                                 "Label1", "Label2", "Label3", "Label4", "Label5", "fraBtn", "Frame1"})
            QVERIFY2(w.graph->findChild<QWidget*>(name), name);
        QCOMPARE(w.graph->cboKikan()->currentText(), QStringLiteral("日間ﾃﾞｰﾀ"));
        QCOMPARE(w.graph->cboGtype()->currentText(), QStringLiteral("棒ｸﾞﾗﾌ"));
        QCOMPARE(w.graph->cboKou()->currentText(), QStringLiteral("収支"));
        QCOMPARE(w.graph->cboGtype()->count(), 4);
        QCOMPARE(w.graph->cboGtype()->itemText(3), QStringLiteral("3D折れ線ｸﾞﾗﾌ"));
        QCOMPARE(w.graph->cboHoll()->count(), 3);
        QCOMPARE(w.graph->cboHoll()->itemText(0), QStringLiteral("全ﾎｰﾙ対象"));
        QCOMPARE(w.graph->cboKisyu()->itemText(2), QStringLiteral("北斗"));
        QCOMPARE(w.graph->chk1()->text(), QStringLiteral("累積表示する"));
        QCOMPARE(w.graph->chk2()->text(), QStringLiteral("ﾃﾞｰﾀ表示する"));

        // Day totals of May: the 4th (15,000 - 3,500) and the 6th and the 18th.
        QCOMPARE(w.graph->windowTitle(), QStringLiteral("日間収支グラフ （2024年05月度）"));
        QCOMPARE(pointLabels(w.graph->series()), (QStringList{"04", "06", "18"}));
        QCOMPARE(pointValues(w.graph->series()), (QList<double>{11500, -2000, 7000}));
        // Chart title hidden by default (chkG1 0), both axis titles shown.
        QChart* chart = w.graph->chart();
        QCOMPARE(chart->title(), QString());
        auto* x = qobject_cast<QBarCategoryAxis*>(chart->axes(Qt::Horizontal).value(0));
        auto* y = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).value(0));
        QVERIFY(x && y);
        QCOMPARE(x->categories(), (QStringList{"04", "06", "18"}));
        QCOMPARE(x->titleText(), QStringLiteral("遊   技   日"));
        QCOMPARE(y->titleText(), QStringLiteral("収 支 額 （円）"));  // brackets turned for the upright axis
        QCOMPARE(x->labelsFont().pointSize(), 9);
        QCOMPARE(y->labelsFont().pointSize(), 9);
        QCOMPARE(x->linePenColor(), QColor(255, 0, 0));  // "cmdGluf.BackColor" default 255
        QVERIFY(y->min() <= -2000 && y->max() >= 11500);
        QCOMPARE(w.graph->computeCount(), 1);
    }

    void aHallChangeDrawsOnceAndIdleDrawsNothing() {
        Windows w = open();
        QSignalSpy drawn(w.graph.get(), &GraphWindow::drawn);
        w.graph->cboHoll()->setCurrentText(QStringLiteral("港ホール"));
        QTRY_COMPARE(drawn.count(), 1);
        settle();
        QCOMPARE(drawn.count(), 1);
        QCOMPARE(w.graph->drawCount(), 2);
        QCOMPARE(w.graph->computeCount(), 2);
        // Only that hall's records: its part of the 4th and the 6th.
        QCOMPARE(pointLabels(w.graph->series()), (QStringList{"04", "06"}));
        QCOMPARE(pointValues(w.graph->series()), (QList<double>{-3500, -2000}));

        // The machine filter alone: every matching record is a point of its own.
        w.graph->cboKisyu()->setCurrentText(QStringLiteral("海物語"));
        w.graph->cboHoll()->setCurrentIndex(0);  // two changes in one turn: one drawing
        QTRY_COMPARE(drawn.count(), 2);
        settle();
        QCOMPARE(drawn.count(), 2);
        QCOMPARE(pointLabels(w.graph->series()), (QStringList{"04", "18"}));
        QCOMPARE(pointValues(w.graph->series()), (QList<double>{15000, 7000}));

        // Two plays of the machine on one day are two points, both drawn.
        w.graph->cboKisyu()->setCurrentText(QStringLiteral("北斗"));
        QTRY_COMPARE(drawn.count(), 3);
        QCOMPARE(pointLabels(w.graph->series()), (QStringList{"04", "06"}));
        test::putBytes(taro / "s2024.sdb", test::sjis(line("2024/05/04", "土", "1", "-1,000", "港ホール", "北斗") +
                                                      line("2024/05/04", "土", "2", "2,500", "駅前ホール", "北斗") +
                                                      line("2024/05/04", "土", "2", "-500", "港ホール", "北斗")));
        w.monthly->reloadYear();
        w.monthly->refillList();
        QTRY_COMPARE(pointLabels(w.graph->series()), (QStringList{"04", "04", "04"}));
        for (int type = 0; type < 2; ++type) {  // bar, then line
            w.graph->cboGtype()->setCurrentIndex(type);
            QTRY_COMPARE(w.graph->series().points.size(), size_t(3));
            settle();
            auto* x = qobject_cast<QBarCategoryAxis*>(w.graph->chart()->axes(Qt::Horizontal).value(0));
            QVERIFY(x);
            QCOMPARE(x->count(), 3);
            QCOMPARE(x->categories(), (QStringList{"04", "04 (2)", "04 (3)"}));
        }
    }

    void aDamagedYearIsNamedOnTheDayGraph() {
        test::putBytes(taro / "s2022.sdb",
                       test::sjis(line("2022/05/01", "日", "1", "100", "駅前ホール")) + "\"x\"\r\n");
        Windows w = open();
        QSignalSpy drawn(w.graph.get(), &GraphWindow::drawn);
        w.monthly->txtNen()->setText(QStringLiteral("2022"));
        QTRY_VERIFY(drawn.count() >= 1);
        auto* notice = w.graph->findChild<QLabel*>(QStringLiteral("lblLoadProblem"));
        QVERIFY(notice && notice->isVisible());
        for (const QString& part : {QStringLiteral("s2022.sdb"), QStringLiteral("2行目"), QStringLiteral("何も変更")})
            QVERIFY2(notice->text().contains(part), qPrintable(notice->text()));
        QCOMPARE(notice->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QVERIFY(w.graph->series().points.empty());
        // A readable year: the graph as usual, in black.
        w.monthly->txtNen()->setText(QStringLiteral("2024"));
        QTRY_COMPARE(pointLabels(w.graph->series()), (QStringList{"04", "06", "18"}));
        QVERIFY(!notice->isVisible());
    }

    void periodsAndCumulativeMode() {
        Windows w = open();
        QSignalSpy drawn(w.graph.get(), &GraphWindow::drawn);
        QSignalSpy mirrored(w.graph.get(), &GraphWindow::cumulativeChanged);
        w.graph->cboKikan()->setCurrentText(QStringLiteral("月間ﾃﾞｰﾀ"));
        QTRY_COMPARE(drawn.count(), 1);
        QCOMPARE(w.graph->windowTitle(), QStringLiteral("月間収支グラフ （2024年度）"));
        QCOMPARE(pointLabels(w.graph->series()), (QStringList{"03", "05"}));
        QCOMPARE(pointValues(w.graph->series()), (QList<double>{20000, 16500}));

        w.graph->chk1()->setChecked(true);
        QTRY_COMPARE(drawn.count(), 2);
        QCOMPARE(mirrored.count(), 1);
        QCOMPARE(pointValues(w.graph->series()), (QList<double>{20000, 36500}));
        settle();
        QCOMPARE(drawn.count(), 2);

        w.graph->cboKikan()->setCurrentText(QStringLiteral("年間ﾃﾞｰﾀ"));
        QTRY_COMPARE(drawn.count(), 3);
        QCOMPARE(w.graph->windowTitle(), QStringLiteral("年間収支グラフ （2023-2024年度）"));
        QCOMPARE(pointValues(w.graph->series()), (QList<double>{1000, 37500}));

        // Leaving cumulative mode draws the plain graph again.
        w.graph->chk1()->setChecked(false);
        QTRY_COMPARE(drawn.count(), 4);
        QCOMPARE(pointValues(w.graph->series()), (QList<double>{1000, 36500}));
        settle();
        QCOMPARE(drawn.count(), 4);
        QCOMPARE(w.graph->computeCount(), 5);
        QCOMPARE(w.graph->chart()->axes(Qt::Horizontal).size(), 1);
        QCOMPARE(w.graph->chart()->axes(Qt::Vertical).size(), 1);
    }

    void redrawingLeavesNothingBehindInTheChart() {
        Windows w = open();
        w.graph->chk2()->setChecked(true);
        QTRY_COMPARE(w.graph->drawCount(), 2);
        const qsizetype items = w.graph->chart()->scene()->items().size();
        for (int round = 0; round < 3; ++round)
            for (const char* period : {"月間ﾃﾞｰﾀ", "年間ﾃﾞｰﾀ", "日間ﾃﾞｰﾀ"}) {
                const int before = w.graph->drawCount();
                w.graph->cboKikan()->setCurrentText(QString::fromUtf8(period));
                w.graph->cboGtype()->setCurrentIndex((w.graph->cboGtype()->currentIndex() + 1) % 2);
                QTRY_COMPARE(w.graph->drawCount(), before + 1);
            }
        w.graph->cboGtype()->setCurrentIndex(0);
        QTRY_COMPARE(w.graph->chartType(), ChartType::Bar);
        QCOMPARE(w.graph->chart()->scene()->items().size(), items);
        QCOMPARE(w.graph->chart()->series().size(), 1);
    }

    void weekdayItemDisablesCumulativeAndBack() {
        Windows w = open();
        QSignalSpy drawn(w.graph.get(), &GraphWindow::drawn);
        QVERIFY(w.graph->chk1()->isEnabled());
        w.graph->cboKou()->setCurrentText(QStringLiteral("曜日別"));
        QTRY_COMPARE(drawn.count(), 1);
        QVERIFY(!w.graph->chk1()->isEnabled());
        QCOMPARE(w.graph->windowTitle(), QStringLiteral("日間曜日別グラフ （05月度）"));
        QCOMPARE(pointLabels(w.graph->series()), (QStringList{"月", "火", "水", "木", "金", "土", "日"}));
        QCOMPARE(pointValues(w.graph->series()), (QList<double>{-2000, 0, 0, 0, 0, 18500, 0}));

        w.graph->cboKikan()->setCurrentText(QStringLiteral("年間ﾃﾞｰﾀ"));
        QTRY_COMPARE(drawn.count(), 2);
        QCOMPARE(w.graph->windowTitle(), QStringLiteral("年間曜日別グラフ （2023-2024年度）"));
        QCOMPARE(w.graph->series().points.at(5).value, 39500.0);
        settle();
        QCOMPARE(drawn.count(), 2);

        w.graph->cboKou()->setCurrentText(QStringLiteral("収支"));
        QTRY_COMPARE(drawn.count(), 3);
        QVERIFY(w.graph->chk1()->isEnabled());
        QCOMPARE(w.graph->windowTitle(), QStringLiteral("年間収支グラフ （2023-2024年度）"));
    }

    void chartTypeChangesDoNotRecompute() {
        Windows w = open();
        const GraphSeries before = w.graph->series();
        QSignalSpy drawn(w.graph.get(), &GraphWindow::drawn);
        w.graph->cboGtype()->setCurrentText(QStringLiteral("折れ線ｸﾞﾗﾌ"));
        QTRY_COMPARE(drawn.count(), 1);
        QCOMPARE(w.graph->chartType(), ChartType::Line);
        QCOMPARE(w.graph->chart()->series().size(), 1);
        QCOMPARE(w.graph->chart()->series().first()->type(), QAbstractSeries::SeriesTypeLine);

        w.graph->cboGtype()->setCurrentText(QStringLiteral("3D折れ線ｸﾞﾗﾌ"));
        QTRY_COMPARE(drawn.count(), 2);
        settle();
        QCOMPARE(drawn.count(), 2);
        QCOMPARE(w.graph->chartType(), ChartType::Line3D);
        QCOMPARE(w.graph->computeCount(), 1);
        QCOMPARE(pointValues(w.graph->series()), pointValues(before));

        w.graph->cboGtype()->setCurrentText(QStringLiteral("棒ｸﾞﾗﾌ"));
        QTRY_COMPARE(drawn.count(), 3);
        QCOMPARE(w.graph->computeCount(), 1);
        QVERIFY(!w.graph->showing3D());
        QCOMPARE(w.graph->chart()->series().first()->type(), QAbstractSeries::SeriesTypeBar);
    }

    void changedRecordsRedrawTheVisibleGraphOnce() {
        Windows w = open();
        w.graph->cboKikan()->setCurrentText(QStringLiteral("月間ﾃﾞｰﾀ"));
        QTRY_COMPARE(w.graph->drawCount(), 2);
        QSignalSpy drawn(w.graph.get(), &GraphWindow::drawn);

        // What the entry form does after a save: the record goes to the file, the
        // monthly window reloads, and recordsChanged() is sent - all in one turn.
        DailyRecord r;
        r.DateKey = "2024/07/07";
        r.Nen = "2024";
        r.Tuki = "07";
        r.Hi = "07";
        r.Youbi = "日";
        r.Holl = "駅前ホール";
        r.Syusi = "4,000";
        r.DayFirst = "1";
        test::saveRecord(ctx->store(), "太郎", r);
        w.monthly->reloadYear();
        w.monthly->refillList();
        emit ctx->recordsChanged();
        QTRY_COMPARE(drawn.count(), 1);
        settle();
        QCOMPARE(drawn.count(), 1);
        QCOMPARE(pointLabels(w.graph->series()), (QStringList{"03", "05", "07"}));

        // In cumulative mode as well.
        w.graph->chk1()->setChecked(true);
        QTRY_COMPARE(drawn.count(), 2);
        emit ctx->recordsChanged();
        QTRY_COMPARE(drawn.count(), 3);
        settle();
        QCOMPARE(drawn.count(), 3);
        QCOMPARE(pointValues(w.graph->series()), (QList<double>{20000, 36500, 40500}));
    }

    void monthlySelectionAndUserFollowTheMonthlyWindow() {
        Windows w = open();
        QSignalSpy drawn(w.graph.get(), &GraphWindow::drawn);
        w.monthly->setYearMonth(QStringLiteral("2024"), QStringLiteral("03"));
        QTRY_COMPARE(drawn.count(), 1);
        QCOMPARE(w.graph->windowTitle(), QStringLiteral("日間収支グラフ （2024年03月度）"));

        w.graph->cboHoll()->setCurrentText(QStringLiteral("駅前ホール"));
        QTRY_COMPARE(drawn.count(), 2);
        // Another user: his own halls, the filter back to all halls, one drawing.
        w.monthly->cboUser()->setCurrentText(QStringLiteral("花子"));
        QTRY_COMPARE(drawn.count(), 3);
        settle();
        QCOMPARE(drawn.count(), 3);
        QCOMPARE(w.graph->cboHoll()->count(), 2);
        QCOMPARE(w.graph->cboHoll()->itemText(1), QStringLiteral("北口会館"));
        QCOMPARE(w.graph->cboHoll()->currentText(), QStringLiteral("全ﾎｰﾙ対象"));
        QVERIFY(w.graph->series().noData);
        QCOMPARE(w.graph->chart()->title(), QStringLiteral("該当するデータはありません"));
    }

    void valueLabelsFollowChk2WithoutRecomputing() {
        Windows w = open();
        QSignalSpy labels(w.graph.get(), &GraphWindow::dataLabelsChanged);
        QVERIFY(w.graph->valueLabels().isEmpty());
        w.graph->chk2()->setChecked(true);
        QCOMPARE(labels.count(), 1);
        QTRY_COMPARE(w.graph->valueLabels(), (QStringList{"11500", "-2000", "7000"}));
        QCOMPARE(w.graph->computeCount(), 1);
        QCOMPARE(w.graph->drawCount(), 2);

        // Labels stay on through a new series; a fraction in 万円 shows rounded.
        test::putBytes(taro / "s2024.sdb", test::sjis(line("2024/05/04", "土", "1", "950,000", "駅前ホール") +
                                                      line("2024/05/06", "月", "1", "12,345", "駅前ホール")));
        w.monthly->reloadYear();
        w.monthly->refillList();
        w.graph->cboKou()->setCurrentText(QStringLiteral("曜日別"));
        QTRY_COMPARE(w.graph->computeCount(), 2);
        QCOMPARE(w.graph->series().points.at(0).value, 1.2345);
        QCOMPARE(w.graph->valueLabels(), (QStringList{"1", "0", "0", "0", "0", "95", "0"}));

        w.graph->cboGtype()->setCurrentText(QStringLiteral("折れ線ｸﾞﾗﾌ"));
        QTRY_COMPARE(w.graph->chartType(), ChartType::Line);
        QCOMPARE(w.graph->valueLabels().size(), 7);
        // Labels off and another type in one turn: one drawing.
        const int draws = w.graph->drawCount();
        w.graph->chk2()->setChecked(false);
        w.graph->cboGtype()->setCurrentText(QStringLiteral("棒ｸﾞﾗﾌ"));
        QTRY_VERIFY(w.graph->valueLabels().isEmpty());
        settle();
        QCOMPARE(w.graph->drawCount(), draws + 1);
        QCOMPARE(w.graph->computeCount(), 2);
    }

    void titleOptionsAndAxisColourFromTheOptions() {
        Windows w = open();
        OptionSet o = ctx->options();
        o.chkG1Value = "1";
        o.cmdGlufBackColor = "16711680";  // blue
        ctx->setOptions(o);
        QTRY_COMPARE(w.graph->drawCount(), 2);
        QChart* chart = w.graph->chart();
        QCOMPARE(chart->title(), QStringLiteral("日間収支グラフ （2024年05月度）"));
        QCOMPARE(chart->axes(Qt::Vertical).value(0)->linePenColor(), QColor(0, 0, 255));

        // Each axis box of the options dialog switches the axis its label names.
        OptionsDialog dialog(*ctx);
        auto axisBox = [&](const QString& label) {
            for (QCheckBox* c : dialog.findChildren<QCheckBox*>())
                if (c->text() == label) return c;
            return static_cast<QCheckBox*>(nullptr);
        };
        QCheckBox* xBox = axisBox(QStringLiteral("Ｘ軸（横軸）項目名を表示する"));
        QCheckBox* yBox = axisBox(QStringLiteral("Ｙ軸（縦軸）項目名を表示する"));
        QVERIFY(xBox && yBox);
        auto* x = chart->axes(Qt::Horizontal).value(0);
        auto* y = chart->axes(Qt::Vertical).value(0);
        const struct { bool xOn, yOn; } cases[] = {{false, true}, {true, false}, {false, false}, {true, true}};
        for (const auto& c : cases) {
            xBox->setChecked(c.xOn);
            yBox->setChecked(c.yOn);
            const int draws = w.graph->drawCount();
            dialog.apply();
            QTRY_COMPARE(w.graph->drawCount(), draws + 1);
            QCOMPARE(x->isTitleVisible(), c.xOn);
            QCOMPARE(y->isTitleVisible(), c.yOn);
            QCOMPARE(x->titleText(), c.xOn ? QStringLiteral("遊   技   日") : QString());
        }
        // The stored keys stay: the X box is "chkG2.Value", the Y box "chkG3.Value".
        xBox->setChecked(false);
        yBox->setChecked(true);
        dialog.apply();
        QCOMPARE(ctx->options().chkG2Value, std::string("0"));
        QCOMPARE(ctx->options().chkG3Value, std::string("1"));
    }

    void axisFiguresAreGroupedAndTheUnitReadsAlongTheAxis() {
        Windows w = open();
        QChart* chart = w.graph->chart();
        // The figures the chart writes: axis labels among them.
        auto texts = [&] {
            QStringList out;
            for (QGraphicsItem* item : chart->scene()->items()) {
                if (auto* t = dynamic_cast<QGraphicsTextItem*>(item)) out << t->toPlainText();
                if (auto* t = dynamic_cast<QGraphicsSimpleTextItem*>(item)) out << t->text();
            }
            return out;
        };
        // Points 11,500, -2,000 and 7,000: the value axis runs from -4,000 to 12,000.
        QTRY_VERIFY2(texts().contains(QStringLiteral("12,000")), qPrintable(texts().join(QLatin1Char('|'))));
        QVERIFY(texts().contains(QStringLiteral("-4,000")));
        QVERIFY(!texts().contains(QStringLiteral("12000")));
        auto* y = chart->axes(Qt::Vertical).value(0);
        QCOMPARE(y->titleText(), QStringLiteral("収 支 額 （円）"));
        // The series keeps the title's own text.
        QCOMPARE(QString::fromStdString(w.graph->series().yAxisTitle), QStringLiteral("収 支 額 ⌒円ー"));
    }

    void aDamagedYearFileIsReportedWithFileAndLine() {
        test::putBytes(taro / "s2023.sdb", test::sjis("\"2023/12/30\",\"broken\n"));
        Windows w = open();
        w.graph->cboHoll()->setCurrentText(QStringLiteral("駅前ホール"));
        w.graph->cboKikan()->setCurrentText(QStringLiteral("年間ﾃﾞｰﾀ"));
        QTRY_COMPARE(answerer.asked.size(), size_t(1));
        const MessageRequest& m = answerer.asked.front();
        QCOMPARE(m.title, QStringLiteral("ｴﾗｰ発生"));
        QVERIFY2(m.text.contains(QStringLiteral("s2023.sdb (1行目)")), qPrintable(m.text));
        QVERIFY(m.text.contains(QStringLiteral("上記のｴﾗｰ番号とﾒｯｾｰｼﾞを作者まで連絡して下さい。")));
        QVERIFY(w.graph->series().points.empty());
        settle();
        QCOMPARE(answerer.asked.size(), size_t(1));  // no repeat while nothing changes
    }

    void layoutIsWrittenToSectionGluf() {
        QMdiArea area;
        Windows w = open(&area);
        auto* sub = qobject_cast<QMdiSubWindow*>(w.graph->parentWidget());
        QVERIFY(sub);
        sub->setGeometry(30, 20, 400, 300);
        w.graph->saveLayout();
        const std::string text = test::fileText(tmp->path() / "tmrec.ini");
        QVERIFY2(text.find("[gluf]") != std::string::npos, text.c_str());
        QVERIFY(text.find("[Gluf]") == std::string::npos);
        for (const char* key :
             {"frmgluf.WindowState=0", "frmgluf.Top=", "frmgluf.Left=", "frmgluf.Width=", "frmgluf.Height="})
            QVERIFY2(text.find(key) != std::string::npos, key);
        SettingsFile ini(tmp->path() / "tmrec.ini");
        QCOMPARE(ini.read("Gluf", "frmGluf.Width"), formatSingle(static_cast<float>(pixelsToTwipsX(400))));
        QCOMPARE(ini.read("Gluf", "frmGluf.Left"), formatSingle(static_cast<float>(pixelsToTwipsX(30))));
    }

    void layoutIsReadFromAnyLetterCaseWithDefaults() {
        // Written by an earlier run as "gluf" / "frmgluf.Width", read as "Gluf" / "frmGluf.Width".
        test::putBytes(tmp->path() / "tmrec.ini", test::sjis("[gluf]\nfrmgluf.Width=5000\n"));
        QMdiArea area;
        Windows w = open(&area);
        auto* sub = qobject_cast<QMdiSubWindow*>(w.graph->parentWidget());
        QVERIFY(sub);
        QCOMPARE(sub->width(), twipsToPixelsX(5000));
        QCOMPARE(sub->x(), twipsToPixelsX(6000));  // half the frame's inner width
        QCOMPARE(sub->y(), 0);
        QCOMPARE(sub->height(), twipsToPixelsY(8650));  // inner height - 350
        sub->close();                                   // closing writes the layout
        SettingsFile ini(tmp->path() / "tmrec.ini");
        QCOMPARE(ini.read("gluf", "frmgluf.Width"), std::string("5000"));
        QCOMPARE(ini.read("gluf", "frmgluf.Left"), std::string("6000"));
        QCOMPARE(ini.read("gluf", "frmgluf.Top"), std::string("0"));
        QCOMPARE(ini.read("gluf", "frmgluf.Height"), std::string("8650"));
    }

    void threeDimensionalViewsRender() {
        if (!GraphWindow::openGLAvailable())
            QSKIP("no usable OpenGL on this platform; run with QT_QPA_PLATFORM=xcb xvfb-run -a");
        Windows w = open();
        w.graph->chk2()->setChecked(true);
        for (const char* type : {"3D棒ｸﾞﾗﾌ", "3D折れ線ｸﾞﾗﾌ"}) {
            w.graph->cboGtype()->setCurrentText(QString::fromUtf8(type));
            QTRY_VERIFY(w.graph->showing3D());
            QCOMPARE(w.graph->valueLabels(), (QStringList{"11500", "-2000", "7000"}));
            if (QString::fromUtf8(type) == QStringLiteral("3D棒ｸﾞﾗﾌ")) {
                // Every day labelled on the free side of zero, the value at the end of
                // its bar (above a win, below a loss), and the X-axis title shown.
                const auto days = w.graph->barLabels3D(true);
                QCOMPARE(days.size(), 3);
                const double values[] = {11500, -2000, 7000};
                const char* names[] = {"04", "06", "18"};
                for (int i = 0; i < 3; ++i) {
                    QCOMPARE(days[i].first, QString::fromLatin1(names[i]));
                    QVERIFY(values[i] < 0 ? days[i].second > 0 : days[i].second < 0);
                }
                const auto ends = w.graph->barLabels3D(false);
                QCOMPARE(ends.size(), 3);
                for (int i = 0; i < 3; ++i)
                    QVERIFY2(values[i] < 0 ? ends[i].second < values[i] : ends[i].second > values[i],
                             qPrintable(QStringLiteral("%1 at %2").arg(ends[i].first).arg(ends[i].second)));
                QCOMPARE(w.graph->xAxisTitle3D(), QStringLiteral("遊   技   日"));
            }
            const QImage shot = w.graph->snapshot();
            // The 3D area is painted, not left black or empty.
            const QImage area = shot.copy(shot.rect().adjusted(0, shot.height() / 3, 0, 0));
            QSet<QRgb> colours;
            for (int y = 0; y < area.height(); y += 7)
                for (int x = 0; x < area.width(); x += 7) colours.insert(area.pixel(x, y));
            QVERIFY2(colours.size() > 20, type);
            // The loss of the 6th is drawn in red; the plot spans most of the width.
            int red = 0, left = area.width(), right = 0;
            for (int y = 0; y < area.height(); ++y)
                for (int x = 0; x < area.width(); ++x) {
                    const QColor c = area.pixelColor(x, y);
                    if (c.red() > 150 && c.green() < 90 && c.blue() < 90) ++red;
                    if (c.saturation() > 80 && c.value() < 240) left = std::min(left, x), right = std::max(right, x);
                }
            QVERIFY2(red > 200, qPrintable(QStringLiteral("%1: %2 red pixels").arg(type).arg(red)));
            QVERIFY2(
                right - left > area.width() * 6 / 10,
                qPrintable(QStringLiteral("%1: plot %2..%3 of %4").arg(type).arg(left).arg(right).arg(area.width())));
        }
        QCOMPARE(w.graph->computeCount(), 1);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    GraphWindowTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "graph_window_test.moc"
