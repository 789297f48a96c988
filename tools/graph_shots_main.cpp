// tamalog-graph-shots PROGRAM_FOLDER OUTPUT_FOLDER [YEAR MONTH]
//
// Opens the monthly window and the graph window on the first user of a
// program folder and saves one PNG of the graph window per kind of graph
// (day, month and year balance, plain and cumulative, the weekday graphs of
// each period, the four chart types, value labels, the empty chart) into the
// output folder, as graph-<kind>.png. Without YEAR and MONTH the month with
// the most records of the user's latest YearFile is shown.
//
// The 3D types need OpenGL: run under an X server, e.g.
//   QT_QPA_PLATFORM=xcb xvfb-run -a tamalog-graph-shots DIR OUT
// On the offscreen platform their pictures show that 3D is not available.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QThread>
#include <cstdio>
#include <functional>
#include <map>

#include "graphs/graph_window.h"
#include "monthly/monthly_window.h"
#include "ui/app_context.h"
#include "ui/messages.h"

using namespace tama;
using namespace tama::ui;

namespace {

void fail(const QString& text) { std::fprintf(stderr, "tamalog-graph-shots: %s\n", qPrintable(text)); }

// Runs the event loop briefly so that queued redraw steps and layouts happen.
void settle() {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 80) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

// The month ("01".."12") with the most records in a year's list; "" when none.
std::string busiestMonth(const YearRecordList& list) {
    std::map<std::string, int> counts;
    for (const auto& r : list.records) ++counts[r.Tuki];
    std::string best;
    int most = 0;
    for (const auto& [month, n] : counts)
        if (n > most && month.size() == 2) best = month, most = n;
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3 && args.size() != 5) {
        fail(QStringLiteral("usage: tamalog-graph-shots PROGRAM_FOLDER OUTPUT_FOLDER [YEAR MONTH]"));
        return 2;
    }
    const QString programFolder = args[1];
    const QString outFolder = args[2];
    if (!QDir(programFolder).exists()) {
        fail(QStringLiteral("program folder %1 does not exist").arg(programFolder));
        return 1;
    }
    if (!QDir().mkpath(outFolder)) {
        fail(QStringLiteral("cannot create %1").arg(outFolder));
        return 1;
    }

    // Message boxes would block: they are printed instead.
    int messages = 0;
    setAnswerer([&messages](const MessageRequest& m) {
        ++messages;
        fail(m.title + QStringLiteral(": ") + QString(m.text).replace(QLatin1Char('\r'), QLatin1Char(' ')));
        return Answer::Ok;
    });

    AppContext ctx(programFolder.toStdString());
    ctx.loadOptions();
    const std::vector<std::string> users = ctx.store().userNames();
    if (users.empty()) {
        fail(QStringLiteral("no user in %1/Data").arg(programFolder));
        return 1;
    }
    const std::string user = users.front();

    QString year, month;
    if (args.size() == 5) {
        year = args[3];
        month = args[4].rightJustified(2, QLatin1Char('0'));
    } else {
        const std::vector<YearFileEntry> files = listYearFiles(ctx.store(), user);
        for (auto it = files.rbegin(); it != files.rend() && year.isEmpty(); ++it) {
            const std::string m = busiestMonth(ctx.store().loadYear(user, it->year));
            if (!m.empty()) year = qs(it->year), month = qs(m);
        }
        if (year.isEmpty()) {
            fail(QStringLiteral("user %1 has no records").arg(qs(user)));
            return 1;
        }
    }

    MonthlyWindow monthly(ctx);
    monthly.cboUser()->setCurrentText(qs(user));
    monthly.setYearMonth(year, month);
    // The window as a child of a frame of a first start, at its default place:
    // the right half of the frame's inner area, its height less 350 twips.
    QMdiArea frame;
    frame.resize(twipsToPixelsX(16500), twipsToPixelsY(9350));
    GraphWindow& graph = *new GraphWindow(ctx, monthly);  // owned by the frame
    QMdiSubWindow* sub = frame.addSubWindow(&graph);
    frame.show();
    sub->setGeometry(frame.width() / 2, 0, frame.width() - frame.width() / 2, twipsToPixelsY(9000));
    sub->show();
    settle();

    if (!GraphWindow::openGLAvailable())
        fail(
            QStringLiteral("no usable OpenGL here: the 3D pictures show no 3D view "
                           "(run with QT_QPA_PLATFORM=xcb under xvfb-run -a)"));

    // Every shot starts from the window's opening state and sets what it shows.
    auto reset = [&] {
        graph.cboKikan()->setCurrentIndex(0);
        graph.cboGtype()->setCurrentIndex(0);
        graph.cboKou()->setCurrentIndex(0);
        graph.cboHoll()->setCurrentIndex(0);
        graph.cboKisyu()->setCurrentIndex(0);
        graph.chk1()->setChecked(false);
        graph.chk2()->setChecked(false);
        monthly.setYearMonth(year, month);
    };
    auto period = [&](int k) { graph.cboKikan()->setCurrentIndex(k); };
    auto type = [&](int k) { graph.cboGtype()->setCurrentIndex(k); };
    auto weekday = [&] { graph.cboKou()->setCurrentIndex(1); };
    auto cumulative = [&] { graph.chk1()->setChecked(true); };
    auto labels = [&] { graph.chk2()->setChecked(true); };

    const std::vector<std::pair<const char*, std::function<void()>>> shots = {
        {"day-bar", [] {}},
        {"day-bar-labels", [&] { labels(); }},
        {"day-line-labels",
         [&] {
             type(1);
             labels();
         }},
        {"day-3dbar", [&] { type(2); }},
        {"day-3dline", [&] { type(3); }},
        {"day-3dbar-labels",
         [&] {
             type(2);
             labels();
         }},
        {"day-cumulative-line",
         [&] {
             type(1);
             cumulative();
         }},
        {"day-hall",
         [&] {
             if (graph.cboHoll()->count() > 1) graph.cboHoll()->setCurrentIndex(1);
         }},
        {"day-machine",
         [&] {
             if (graph.cboKisyu()->count() > 1) graph.cboKisyu()->setCurrentIndex(1);
             labels();
         }},
        {"month-bar-labels",
         [&] {
             period(1);
             labels();
         }},
        {"month-cumulative-line",
         [&] {
             period(1);
             type(1);
             cumulative();
             labels();
         }},
        {"month-3dbar",
         [&] {
             period(1);
             type(2);
         }},
        {"month-3dline",
         [&] {
             period(1);
             type(3);
         }},
        {"year-bar-labels",
         [&] {
             period(2);
             labels();
         }},
        {"year-cumulative-line",
         [&] {
             period(2);
             type(1);
             cumulative();
         }},
        {"year-3dbar",
         [&] {
             period(2);
             type(2);
         }},
        {"weekday-day",
         [&] {
             weekday();
             labels();
         }},
        {"weekday-month",
         [&] {
             weekday();
             period(1);
             labels();
         }},
        {"weekday-year",
         [&] {
             weekday();
             period(2);
             labels();
         }},
        {"weekday-month-line",
         [&] {
             weekday();
             period(1);
             type(1);
         }},
        {"weekday-year-3dbar",
         [&] {
             weekday();
             period(2);
             type(2);
             labels();
         }},
        {"weekday-month-3dline",
         [&] {
             weekday();
             period(1);
             type(3);
         }},
        {"empty", [&] { monthly.setYearMonth(QStringLiteral("1999"), QStringLiteral("01")); }},
        {"empty-weekday",
         [&] {
             monthly.setYearMonth(QStringLiteral("1999"), QStringLiteral("01"));
             weekday();
         }},
    };

    int written = 0;
    for (const auto& [name, setup] : shots) {
        reset();
        settle();
        setup();
        settle();
        const QString path = QDir(outFolder).filePath(QStringLiteral("graph-%1.png").arg(QLatin1String(name)));
        if (!graph.snapshot().save(path)) {
            fail(QStringLiteral("cannot write %1").arg(path));
            return 1;
        }
        ++written;
    }
    std::printf("%d pictures of the graph window written to %s (%s, %s/%s)\n", written, qPrintable(outFolder),
                user.c_str(), qPrintable(year), qPrintable(month));
    // The windows are not closed: closing would write their layout into the folder's settings.
    return messages == 0 ? 0 : 1;
}
