// A new user's first session with the whole program, driven through the real
// windows as a person drives them: start-up on an empty program folder, the
// first-run user manager, three records typed into the entry form (two on the
// same day), the monthly list and its summary, a row clicked to correct a
// record, a record deleted, the toolbar's month and year steps, closing, and a
// second start that comes back with the same user and layout. Every step is
// checked by what the windows show and by the bytes of the files.
//
// The steps run in order on one program folder; when one fails, the later ones
// are skipped. Modal dialogs are answered from inside their own event loop (see
// withModal below) and message boxes by a RecordingAnswerer, so nothing ever blocks.
#include <QApplication>
#include <QScreen>
#include <QWindow>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QtTest>
#include <functional>
#include <memory>

#include "entry/entry_form.h"
#include "masters/user_manager.h"
#include "monthly/monthly_window.h"
#include "ui/app_context.h"
#include "shell/main_window.h"
#include "ui/messages.h"
#include "shell/startup.h"
#include "storage/settings_file.h"
#include "../support/frame_fixture.h"

using namespace tama;
using namespace tama::ui;

namespace {

using test::u;

#define RETURN_IF_FAILED()                      \
    do {                                        \
        if (QTest::currentTestFailed()) return; \
    } while (false)

// Runs `trigger`, a click that opens a modal dialog, and acts on that dialog from
// inside its own event loop with `inside`. A dialog `inside` leaves open is closed
// (as with its close box). Fails the test when no dialog of type D opened, or when
// another modal window showed up instead (which is closed so that nothing blocks).
template <typename D>
void withModal(const std::function<void()>& trigger, const std::function<void(D*)>& inside) {
    bool handled = false;
    QString stranger;
    QTimer poll;
    poll.setInterval(2);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        auto* dialog = qobject_cast<D*>(modal);
        if (!dialog) {
            stranger = modal->metaObject()->className() + QStringLiteral(" ") + modal->windowTitle();
            modal->close();
            return;  // keep watching: the expected dialog may still come and must not block
        }
        poll.stop();
        handled = true;
        inside(dialog);
        if (dialog->isVisible()) dialog->reject();
    });
    poll.start();
    trigger();
    poll.stop();
    QVERIFY2(stranger.isEmpty(), qPrintable(QStringLiteral("an unexpected modal window: ") + stranger));
    QVERIFY2(handled, "the expected modal dialog did not open");
}

// Fails when any modal window opens while `run` runs (and closes it).
void withoutModal(const std::function<void()>& run) {
    QString seen;
    QTimer poll;
    poll.setInterval(2);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            seen = modal->metaObject()->className() + QStringLiteral(" ") + modal->windowTitle();
            modal->close();
        }
    });
    poll.start();
    run();
    poll.stop();
    QVERIFY2(seen.isEmpty(), qPrintable(QStringLiteral("an unexpected modal window: ") + seen));
}

using test::child;

using test::typeText;

// Replaces what a box holds the way a user does: select all, then type.
void retype(QWidget* w, const QString& text) {
    if (auto* c = qobject_cast<QComboBox*>(w)) w = c->lineEdit();  // the combo box's own text box
    if (auto* e = qobject_cast<QLineEdit*>(w)) e->selectAll();
    else if (auto* t = qobject_cast<QPlainTextEdit*>(w)) t->selectAll();
    QTest::keyClick(w, Qt::Key_Delete);
    typeText(w, text);
}

// A minute box: "0" typed shows as "00" (typing "00" would leave "000" there,
// which the save refuses), "30" is typed as it is.
void typeMinute(QLineEdit* box, const char* minute) {
    retype(box, QByteArray(minute) == "00" ? QStringLiteral("0") : u(minute));
    QCOMPARE(box->text(), u(minute));
}

void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }

QString textOf(QWidget* parent, const char* name) {
    QWidget* w = child<QWidget>(parent, name);
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* t = qobject_cast<QPlainTextEdit*>(w)) return t->toPlainText();
    return {};
}

const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

// One visit as the user types it, and the figures the form works out from it.
struct Visit {
    int day;
    const char* hall;
    const char* from;  // start hour
    const char* fromMinute;
    const char* to;  // end hour
    const char* toMinute;
    const char* number;  // 台番号
    const char* type;
    const char* machine;
    const char* moneyIn;
    const char* moneyOut;
    const char* comment;
    // Worked out by the form:
    const char* hours;
    const char* rate;
    const char* balance;
};

const char* weekdayOf(const QDate& date) {
    static const char* const names[] = {"日", "月", "火", "水", "木", "金", "土"};
    return names[date.dayOfWeek() % 7];
}

// A record line of the year file, as the store writes it (UTF-8 here, CP932 and
// CR LF once passed through test::sjis).
std::string recordLine(const QDate& date, const Visit& v, const char* dayFirst) {
    const std::string y = std::to_string(date.year());
    const std::string m = date.toString(QStringLiteral("MM")).toStdString();
    const std::string d = date.toString(QStringLiteral("dd")).toStdString();
    const std::string fields[24] = {y + "/" + m + "/" + d,
                                    y,
                                    m,
                                    d,
                                    weekdayOf(date),
                                    v.hall,
                                    v.from,
                                    v.fromMinute,
                                    v.to,
                                    v.toMinute,
                                    v.hours,
                                    v.moneyIn,
                                    v.moneyOut,
                                    v.rate,
                                    v.balance,
                                    v.number,
                                    v.type,
                                    v.machine,
                                    v.comment,
                                    dayFirst,
                                    "",
                                    "",
                                    "",
                                    ""};
    std::string out;
    for (int i = 0; i < 24; ++i) out += (i ? ",\"" : "\"") + fields[i] + "\"";
    return out + "\n";
}

}  // namespace

class EndToEndTest : public QObject, protected test::FrameFixture {
    Q_OBJECT

    QString storePath;  // the per-user store of the frame's position
    bool broken = false;

    const QString user = u("山田");
    // The records are dated in the month the program opens on (当月).
    QDate thisMonth;
    QDate dayA, dayB;

    // 2nd of the month: a win. 9th: a loss and then a smaller win, the same day.
    Visit first{.day = 2,
                .hall = "駅前ホール",
                .from = "10",
                .fromMinute = "00",
                .to = "18",
                .toMinute = "00",
                .number = "12",
                .type = "ＣＲ機",
                .machine = "海物語",
                .moneyIn = "10000",
                .moneyOut = "25000",
                .comment = "初勝利",
                .hours = "8.0",
                .rate = "1,875",
                .balance = "15,000"};
    Visit second{.day = 9,
                 .hall = "駅前ホール",
                 .from = "13",
                 .fromMinute = "00",
                 .to = "17",
                 .toMinute = "30",
                 .number = "305",
                 .type = "スロット",
                 .machine = "北斗",
                 .moneyIn = "20000",
                 .moneyOut = "5000",
                 .comment = "",
                 .hours = "4.5",
                 .rate = "-3,333",
                 .balance = "-15,000"};
    Visit third{.day = 9,
                .hall = "駅前ホール",
                .from = "18",
                .fromMinute = "00",
                .to = "20",
                .toMinute = "00",
                .number = "305",
                .type = "スロット",
                .machine = "北斗",
                .moneyIn = "5000",
                .moneyOut = "12000",
                .comment = "取り返し",
                .hours = "2.0",
                .rate = "3,500",
                .balance = "7,000"};
    // The third visit after its money out was corrected to 2000.
    Visit thirdCorrected = [this] {
        Visit v = third;
        v.moneyOut = "2000";
        v.rate = "-1,500";
        v.balance = "-3,000";
        return v;
    }();

    // What the message boxes asked so far, for failure messages.
    QByteArray asked() const {
        QStringList out;
        for (const MessageRequest& r : answerer.asked) out << r.title + u(": ") + r.text;
        return out.join(u(" | ")).toUtf8();
    }
    fs::path home() const { return tmp->path(); }
    fs::path userFolder() const { return home() / "Data" / fs::path(user.toStdString()); }
    fs::path yearFile() const { return userFolder() / ("s" + std::to_string(thisMonth.year()) + ".sdb"); }
    std::string yearTotal(long long total) const {
        return test::sjis("\"" + std::to_string(thisMonth.year()) + "\"," + std::to_string(total) + "\n");
    }

    MonthlyWindow* monthly() const { return main->monthlyWindowIfOpen(); }
    QMdiSubWindow* monthlySub() const { return main->subWindowOf(monthly()); }
    QTableView* grid() const { return child<QTableView>(monthly(), "mfgDat"); }
    QString cell(int row, int column) const { return grid()->model()->index(row, column).data().toString(); }
    QColor cellColour(int row, int column, int role = Qt::ForegroundRole) const {
        return grid()->model()->index(row, column).data(role).value<QBrush>().color();
    }
    QStringList column(int c) const {
        QStringList out;
        for (int r = 0; r < grid()->model()->rowCount(); ++r) out << cell(r, c);
        return out;
    }
    QLabel* label(const char* name) const { return child<QLabel>(monthly(), name); }
    QStringList summary() const {
        QStringList out;
        for (const char* name :
             {"lblDay", "lblWin", "lblAvr", "lblTim", "lblMax", "lblH_tim", "lblH_zikyu", "lblH_nikyu", "lblSyusi"})
            out << label(name)->text();
        return out;
    }
    QColor labelColour(const char* name) const { return label(name)->palette().color(QPalette::WindowText); }
    QString caption(const QDate& month) const {
        return u("日間収支データ一覧  (") + QString::number(month.year()) + u("年") +
               month.toString(QStringLiteral("MM")) + u("月度)");
    }
    void clickToolbar(const char* key) {
        QAction* action = main->toolButton(u(key));
        QVERIFY2(action, key);
        QWidget* button = main->tbToolBar()->widgetForAction(action);
        QVERIFY2(button && button->isVisible(), key);
        click(button);
    }
    void clickRow(int row) {
        const QRect r = grid()->visualRect(grid()->model()->index(row, 0));
        QVERIFY(r.isValid());
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, r.center());
    }

    // Types one visit into the open entry form (new mode) and clicks 登録.
    void enterVisit(EntryForm* form, const Visit& v) {
        // Year and month stay as the form opened them (today); the day is typed.
        retype(child<QLineEdit>(form, "txtHi"), QString::number(v.day));
        QCOMPARE(textOf(form, "cboYoubi"), u(weekdayOf(thisMonth.addDays(v.day - 1))));
        retype(child<QComboBox>(form, "cboHoll"), u(v.hall));
        retype(child<QLineEdit>(form, "txtZ1_1"), u(v.from));
        typeMinute(child<QLineEdit>(form, "txtZ1_2"), v.fromMinute);
        retype(child<QLineEdit>(form, "txtZ2_1"), u(v.to));
        typeMinute(child<QLineEdit>(form, "txtZ2_2"), v.toMinute);
        retype(child<QComboBox>(form, "cboK_no"), u(v.number));
        auto* type = child<QComboBox>(form, "cboK_type");
        type->setCurrentIndex(type->findText(u(v.type)));  // picked from the drop-down list
        retype(child<QComboBox>(form, "cboKisyu"), u(v.machine));
        retype(child<QLineEdit>(form, "txtTousi"), u(v.moneyIn));
        retype(child<QLineEdit>(form, "txtKaisyu"), u(v.moneyOut));
        retype(child<QPlainTextEdit>(form, "txtCome"), u(v.comment));
        // The live figures, before saving.
        QCOMPARE(textOf(form, "lblT_tim"), u(v.hours));
        QCOMPARE(textOf(form, "txtSyusi"), u(v.balance));
        QCOMPARE(textOf(form, "txtZikyu"), u(v.rate));
        const bool loss = QByteArray(v.balance).startsWith('-');
        QCOMPARE(child<QLineEdit>(form, "txtSyusi")->palette().color(QPalette::Text), loss ? kRed : kBlack);
        click(child<QPushButton>(form, "cmdTou"));
    }

private slots:
    void initTestCase() {
        startFolder();
        storePath = QString::fromStdString((home() / "user-store.ini").string());
        const QDate today = QDate::currentDate();
        thisMonth = QDate(today.year(), today.month(), 1);
        dayA = QDate(today.year(), today.month(), first.day);
        dayB = QDate(today.year(), today.month(), second.day);
    }
    void init() {
        if (broken) QSKIP("an earlier step of the walk failed");
    }
    void cleanup() {
        if (QTest::currentTestFailed()) broken = true;
    }
    void cleanupTestCase() { finish(); }

    // Start-up makes the six folders and sends the new user into the user manager.
    void firstStartAsksForAUser() {
        ctx = std::make_unique<AppContext>(home());
        QStringList seen;
        withModal<UserManager>([&] { main = runStartup(*ctx, storePath); },
                               [&](UserManager* dialog) {
                                   seen << dialog->windowTitle() << dialog->lblMsg()->text();
                                   QVERIFY(!dialog->cmdCan()->isEnabled());
                                   QCOMPARE(dialog->lst1()->count(), 0);
                                   typeText(dialog->txtUser(), user);
                                   click(dialog->cmdTou());
                                   QVERIFY(!dialog->isVisible());  // first run: adding closes the dialog
                               });
        RETURN_IF_FAILED();
        QVERIFY(main);
        QCOMPARE(seen, (QStringList{u("利用者名登録"), u("利用者名を、適当に登録して下さい。（後で、修正可能）")}));
        QVERIFY(main->firstRun());
        QCOMPARE(main->windowTitle(), u("タマログ ～管理編～"));
        QVERIFY2(answerer.asked.empty(), asked().constData());

        for (const char* folder : {"CboData", "Data", "Backup", "Temp", "Kisyudat#", "Kisyudat"})
            QVERIFY2(fs::is_directory(home() / folder), folder);
        QVERIFY(fs::is_directory(userFolder()));
        QVERIFY(fs::is_empty(userFolder()));
        QVERIFY(!fs::exists(home() / "tmrec.ini"));  // nothing written before a window closes

        // A first start opens the frame with room for both windows (1100 x 760
        // pixels at 96 dpi), within the screen with its decorations and centred
        // on it; the monthly window in its default place.
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QMargins decorations = main->windowHandle()->frameMargins();
        QCOMPARE(main->size(),
                 QSize(std::min(twipsToPixelsX(16500), screen.width() - decorations.left() - decorations.right()),
                       std::min(twipsToPixelsY(11400), screen.height() - decorations.top() - decorations.bottom())));
        QVERIFY(screen.contains(main->frameGeometry()));
        // (Centred as placed: the title bar added around it moves the centre a little.)
        QVERIFY(std::abs(main->frameGeometry().center().x() - screen.center().x()) <= 12);
        QVERIFY(std::abs(main->frameGeometry().center().y() - screen.center().y()) <= 12);
        QVERIFY(monthly());
        QVERIFY(main->graphWindow());  // the graph window opens beside it
        QCOMPARE(main->mdiArea()->activeSubWindow(), monthlySub());
        QCOMPARE(monthlySub()->geometry(), QRect(0, 0, twipsToPixelsX(ctx->frameInnerWidth() / 2),
                                                 twipsToPixelsY(ctx->frameInnerHeight() - 350)));

        // The monthly window now shows the new user and this month, still empty.
        QCOMPARE(monthly()->cboUser()->count(), 1);
        QCOMPARE(monthly()->cboUser()->currentText(), user);
        QCOMPARE(monthlySub()->windowTitle(), caption(thisMonth));
        QCOMPARE(column(0), QStringList{QString()});
        QCOMPARE(summary(), QStringList(9, QString()));
    }

    // 入力 opens the entry form; three visits typed in, two of them on the 9th.
    void threeVisitsAreEnteredThroughTheToolbar() {
        QSignalSpy reloads(monthly(), &MonthlyWindow::reloaded);
        std::string afterOne, afterTwo, totalAfterTwo;
        withModal<EntryForm>([&] { clickToolbar("入力"); },
                             [&](EntryForm* form) {
                                 QCOMPARE(form->windowTitle(), u("日間収支データ入力"));
                                 QVERIFY(child<QWidget>(form, "scl1")->isHidden());
                                 QVERIFY(!child<QWidget>(form, "cmdUpd")->isEnabled());
                                 QCOMPARE(textOf(form, "txtNen"), QString::number(thisMonth.year()));
                                 QCOMPARE(textOf(form, "txtTuki"), QString::number(thisMonth.month()));

                                 enterVisit(form, first);
                                 RETURN_IF_FAILED();
                                 afterOne = test::fileBytes(yearFile());

                                 enterVisit(form, second);
                                 RETURN_IF_FAILED();
                                 afterTwo = test::fileBytes(yearFile());
                                 totalAfterTwo = test::fileBytes(userFolder() / "Year.txt");

                                 enterVisit(form, third);
                                 RETURN_IF_FAILED();
                                 // The hall and the machines are offered from the lists now.
                                 QVERIFY(child<QComboBox>(form, "cboHoll")->findText(u("駅前ホール")) >= 0);
                                 QVERIFY(child<QComboBox>(form, "cboKisyu")->findText(u("北斗")) >= 0);
                                 click(child<QPushButton>(form, "cmdCancel"));
                             });
        RETURN_IF_FAILED();
        QVERIFY2(answerer.asked.empty(), asked().constData());

        // The year file after each save: the first record of a day is "1", the
        // second of the same day "2"; CP932 with CR LF.
        const std::string a = recordLine(dayA, first, "1");
        const std::string b = recordLine(dayB, second, "1");
        const std::string c = recordLine(dayB, third, "2");
        QCOMPARE(afterOne, test::sjis(a));
        QCOMPARE(afterTwo, test::sjis(a + b));
        QCOMPARE(totalAfterTwo, yearTotal(0));
        QCOMPARE(test::fileBytes(yearFile()), test::sjis(a + b + c));
        QCOMPARE(test::fileBytes(userFolder() / "Year.txt"), yearTotal(7000));
        // The lists learned the hall once and both machines.
        QCOMPARE(test::fileBytes(ctx->lists().userHallFile(user.toStdString())), test::sjis("\"駅前ホール\",\"1\"\n"));
        QCOMPARE(test::fileBytes(ctx->lists().userMachineFile(user.toStdString())),
                 test::sjis("\"ＣＲ機\",\"海物語\"\n\"スロット\",\"北斗\"\n"));
        QCOMPARE(test::fileBytes(ctx->lists().commonHallFile()), test::sjis("\"駅前ホール\",\"1\"\n"));
        // Each save refreshed the list while the form was open.
        QVERIFY(reloads.count() >= 3);
    }

    // The monthly list shows the three visits and the month's summary.
    void theMonthlyListShowsTheVisits() {
        const QString a = dayA.toString(QStringLiteral("yyyy/MM/dd")), b = dayB.toString(QStringLiteral("yyyy/MM/dd"));
        QCOMPARE(column(0), (QStringList{a, b, b}));
        QCOMPARE(column(2), (QStringList{u("駅前ホール"), u("駅前ホール"), u("駅前ホール")}));
        QCOMPARE(column(3), (QStringList{u("海物語"), u("北斗"), u("北斗")}));
        QCOMPARE(column(4), (QStringList{u("12"), u("305"), u("305")}));
        QCOMPARE(column(5), (QStringList{u("8.0"), u("4.5"), u("2.0")}));
        QCOMPARE(column(6), (QStringList{u("15,000"), u("-15,000"), u("7,000")}));
        QCOMPARE(cellColour(0, 6), kBlack);
        QCOMPARE(cellColour(1, 6), kRed);
        QCOMPARE(cellColour(2, 6), kBlack);
        QCOMPARE(cellColour(0, 0, Qt::BackgroundRole), QColor(255, 255, 255));
        QCOMPARE(cellColour(1, 0, Qt::BackgroundRole), QColor(245, 255, 255));
        QCOMPARE(grid()->model()->headerData(6, Qt::Horizontal).toString(), u("収支金額"));

        // Two days played (the 9th once, though it has two rows); the 9th ended at
        // -8,000, so one win. 14.5 hours; 7,000 yen.
        QCOMPARE(summary(), (QStringList{u("2 日 "), u("1 日 "), u("0.500 "), u("14.5 時間 "), u("15,000 円 "),
                                         u("7.3 時間 "), u("483 円 "), u("3,500 円 "), u("7,000 円 ")}));
        for (const char* name : {"lblH_zikyu", "lblH_nikyu", "lblSyusi"}) QCOMPARE(labelColour(name), kBlack);
    }

    // A click on the third row opens that visit; its money out is corrected.
    void aRowClickCorrectsAVisit() {
        std::string fileAfter;
        QStringList shown;
        main->setStatusMessage(u("前の案内"));
        withModal<EntryForm>([&] { clickRow(2); },
                             [&](EntryForm* form) {
                                 shown << form->windowTitle() << textOf(form, "lblKen") << textOf(form, "txtKaisyu")
                                       << textOf(form, "txtCome") << main->statusMessage();
                                 QVERIFY(!child<QWidget>(form, "txtHi")->isEnabled());
                                 QVERIFY(!child<QWidget>(form, "cmdTou")->isEnabled());
                                 retype(child<QLineEdit>(form, "txtKaisyu"), u("2000"));
                                 QCOMPARE(textOf(form, "txtSyusi"), u("-3,000"));
                                 QCOMPARE(child<QLineEdit>(form, "txtSyusi")->palette().color(QPalette::Text), kRed);
                                 QCOMPARE(textOf(form, "txtZikyu"), u("-1,500"));
                                 click(child<QPushButton>(form, "cmdUpd"));
                                 fileAfter = test::fileBytes(yearFile());
                                 click(child<QPushButton>(form, "cmdCancel"));
                             });
        RETURN_IF_FAILED();
        // The form clears the message line as it opens.
        QCOMPARE(shown, (QStringList{u("日間収支データ編集"), u("(3 / 3)"), u("12000"), u("取り返し"), QString()}));
        QVERIFY2(answerer.asked.empty(), asked().constData());
        // The record keeps its place and its "2"; the total follows.
        QCOMPARE(fileAfter, test::sjis(recordLine(dayA, first, "1") + recordLine(dayB, second, "1") +
                                       recordLine(dayB, thirdCorrected, "2")));
        QCOMPARE(test::fileBytes(userFolder() / "Year.txt"), yearTotal(-3000));

        // The list and the summary show the loss in red.
        QCOMPARE(column(6), (QStringList{u("15,000"), u("-15,000"), u("-3,000")}));
        QCOMPARE(cellColour(2, 6), kRed);
        QCOMPARE(summary(), (QStringList{u("2 日 "), u("1 日 "), u("0.500 "), u("14.5 時間 "), u("15,000 円 "),
                                         u("7.3 時間 "), u("-207 円 "), u("-1,500 円 "), u("-3,000 円 ")}));
        for (const char* name : {"lblH_zikyu", "lblH_nikyu", "lblSyusi"}) QCOMPARE(labelColour(name), kRed);
        QCOMPARE(labelColour("lblMax"), kBlack);
    }

    // The first visit of the 9th is deleted: the one after it becomes the day's first.
    void deletingTheFirstVisitOfADayPromotesTheNext() {
        QStringList shown;
        std::string fileAfter;
        withModal<EntryForm>([&] { clickRow(2); },
                             [&](EntryForm* form) {
                                 // The second row of the 9th opens the second record of that day...
                                 shown << textOf(form, "lblKen") << textOf(form, "txtKaisyu");
                                 // ...and the scroll bar's left arrow steps back to the first.
                                 child<QScrollBar>(form, "scl1")->triggerAction(QAbstractSlider::SliderSingleStepSub);
                                 shown << textOf(form, "lblKen") << textOf(form, "txtKaisyu")
                                       << textOf(form, "txtZ1_1");
                                 click(child<QPushButton>(form, "cmdDel"));
                                 fileAfter = test::fileBytes(yearFile());
                                 // The form moves on to what now stands at the grid's row.
                                 shown << textOf(form, "lblKen") << textOf(form, "txtKaisyu");
                                 QVERIFY(child<QWidget>(form, "cmdDel")->isEnabled());
                                 click(child<QPushButton>(form, "cmdCancel"));
                             });
        RETURN_IF_FAILED();
        QCOMPARE(shown,
                 (QStringList{u("(3 / 3)"), u("2000"), u("(2 / 3)"), u("5000"), u("13"), u("(2 / 2)"), u("2000")}));
        QCOMPARE(answerer.asked.size(), size_t(1));
        QCOMPARE(answerer.asked[0].text, u("この日間収支データを削除していいですか？"));
        QCOMPARE(answerer.asked[0].title, u("日間収支データの削除"));
        QCOMPARE(int(answerer.asked[0].buttons), int(Buttons::YesNo));
        QCOMPARE(int(answerer.asked[0].icon), int(Icon::Exclamation));
        answerer.asked.clear();

        QCOMPARE(fileAfter, test::sjis(recordLine(dayA, first, "1") + recordLine(dayB, thirdCorrected, "1")));
        QCOMPARE(test::fileBytes(userFolder() / "Year.txt"), yearTotal(12000));
        QCOMPARE(column(6), (QStringList{u("15,000"), u("-3,000")}));
        QCOMPARE(summary(), (QStringList{u("2 日 "), u("1 日 "), u("0.500 "), u("10.0 時間 "), u("15,000 円 "),
                                         u("5.0 時間 "), u("1,200 円 "), u("6,000 円 "), u("12,000 円 ")}));
        for (const char* name : {"lblH_zikyu", "lblH_nikyu", "lblSyusi"}) QCOMPARE(labelColour(name), kBlack);
    }

    // The toolbar steps the monthly window; each step reloads the list once.
    void theToolbarStepsThroughMonthsAndYears() {
        QSignalSpy reloads(monthly(), &MonthlyWindow::reloaded);
        const QStringList visits{dayA.toString(QStringLiteral("yyyy/MM/dd")),
                                 dayB.toString(QStringLiteral("yyyy/MM/dd"))};
        struct Step {
            const char* key;
            QDate month;
            bool ours;  // the month of the records
        };
        const Step steps[] = {
            {"次月", thisMonth.addMonths(1), false},
            {"前月", thisMonth, true},
            {"次年", thisMonth.addYears(1), false},
            {"前年", thisMonth, true},
            {"前月", thisMonth.addMonths(-1), false},
            {"次年", thisMonth.addMonths(11), false},
            {"当月", thisMonth, true},
        };
        int expectedReloads = 0;
        for (const Step& s : steps) {
            main->setStatusMessage(u("前の案内"));
            clickToolbar(s.key);
            RETURN_IF_FAILED();
            ++expectedReloads;
            QCOMPARE(main->statusMessage(), QString());
            QCOMPARE(monthlySub()->windowTitle(), caption(s.month));
            QCOMPARE(monthly()->txtNen()->text(), QString::number(s.month.year()));
            QCOMPARE(monthly()->txtTuki()->text(), s.month.toString(QStringLiteral("MM")));
            QCOMPARE(reloads.count(), expectedReloads);
            if (s.ours) {
                QCOMPARE(column(0), visits);
                QCOMPARE(label("lblSyusi")->text(), u("12,000 円 "));
            } else {
                QCOMPARE(column(0), QStringList{QString()});
                QCOMPARE(summary(), QStringList(9, QString()));
            }
        }
        // ｸﾞﾗﾌ and ﾃﾞｰﾀ bring the graph window and the monthly window forward.
        clickToolbar("ｸﾞﾗﾌ");
        QCOMPARE(main->mdiArea()->activeSubWindow(), main->subWindowOf(main->graphWindow()));
        clickToolbar("ﾃﾞｰﾀ");
        QCOMPARE(main->mdiArea()->activeSubWindow(), monthlySub());
        QCOMPARE(reloads.count(), expectedReloads);
        QVERIFY2(answerer.asked.empty(), asked().constData());
    }

    // A second user registered from the file menu does not take the monthly window over.
    void aSecondUserJoinsFromTheFileMenu() {
        QSignalSpy reloads(monthly(), &MonthlyWindow::reloaded);
        QStringList shown;
        withModal<UserManager>([&] { main->menuItem(u("mnuUser"))->trigger(); },
                               [&](UserManager* dialog) {
                                   shown << dialog->lblMsg()->text() << dialog->lst1()->item(0)->text();
                                   QVERIFY(dialog->cmdCan()->isEnabled());
                                   typeText(dialog->txtUser(), u("佐藤"));
                                   click(dialog->cmdTou());
                                   // Still the run that began without users: the add
                                   // closes the dialog, as the first one did.
                                   QVERIFY(!dialog->isVisible());
                                   shown << dialog->lblMsg()->text();
                               });
        RETURN_IF_FAILED();
        QCOMPARE(shown, (QStringList{QString(), user, u("利用者名を登録しました。")}));
        QVERIFY(fs::is_directory(home() / "Data" / fs::path("佐藤")));
        QVERIFY2(answerer.asked.empty(), asked().constData());
        // The new name is offered (before 山田 in the list) and shown, with its empty month.
        QCOMPARE(monthly()->cboUser()->count(), 2);
        QCOMPARE(monthly()->cboUser()->itemText(0), u("佐藤"));
        QCOMPARE(monthly()->cboUser()->currentText(), u("佐藤"));
        QVERIFY(reloads.count() >= 1);
        QCOMPARE(column(6), QStringList{QString()});
        // Back to 山田 for what follows.
        monthly()->cboUser()->setCurrentText(user);
        QCOMPARE(column(6), (QStringList{u("15,000"), u("-3,000")}));
    }

    // The user arranges the windows, closes the program and starts it again.
    void theNextStartComesBackAsItWasLeft() {
        // Frame, monthly window and one column moved and sized by the user.
        main->move(45, 30);
        main->resize(720, 540);
        monthlySub()->setGeometry(15, 10, 480, 420);
        grid()->horizontalHeader()->resizeSection(2, 150);
        const QPoint framePos = main->pos();
        const QSize frameSize = main->size();
        const QRect sub = monthlySub()->geometry();
        QCOMPARE(sub, QRect(15, 10, 480, 420));
        main->subWindowOf(main->graphWindow())->setGeometry(300, 40, 400, 360);

        main->close();
        QVERIFY(!main->isVisible());
        main.reset();
        ctx.reset();

        // tmrec.ini: CP932 lines ended by CR LF, the monthly window's keys in section "monthly".
        const std::string ini = test::fileBytes(home() / "tmrec.ini");
        QVERIFY(!ini.empty());
        for (size_t i = 0; i < ini.size(); ++i)
            if (ini[i] == '\n') QVERIFY2(i > 0 && ini[i - 1] == '\r', "a line of tmrec.ini without CR");
        QVERIFY(ini.find(test::sjis("[monthly]\n")) != std::string::npos);
        QVERIFY(ini.find(test::sjis("cboUser.Text=山田\n")) != std::string::npos);
        SettingsFile settings(home() / "tmrec.ini");
        QCOMPARE(settings.read("monthly", "frmMonthly.WindowState"), std::string("0"));
        QCOMPARE(settings.read("monthly", "frmMonthly.Left"), std::to_string(std::lround(pixelsToTwipsX(15))));
        QCOMPARE(settings.read("monthly", "frmMonthly.Width"), std::to_string(std::lround(pixelsToTwipsX(480))));
        QCOMPARE(settings.read("monthly", "mfgDat.ColWidth(2)"), std::to_string(std::lround(pixelsToTwipsX(150))));
        QSettings store(storePath, QSettings::IniFormat);
        QCOMPARE(store.value(QStringLiteral("Settings/MainLeft")).toString().toDouble(), pixelsToTwipsX(45));
        QCOMPARE(store.value(QStringLiteral("Settings/MainHeight")).toString().toDouble(), pixelsToTwipsY(540));

        // Start again: no question, the same user, the same places, this month's visits.
        ctx = std::make_unique<AppContext>(home());
        withoutModal([&] { main = runStartup(*ctx, storePath); });
        RETURN_IF_FAILED();
        QVERIFY(main);
        QVERIFY(!main->firstRun());
        QVERIFY2(answerer.asked.empty(), asked().constData());
        QCOMPARE(main->pos(), framePos);
        QCOMPARE(main->size(), frameSize);
        QCOMPARE(monthly()->cboUser()->count(), 2);
        QCOMPARE(monthly()->cboUser()->currentText(), user);  // not the first of the list
        QCOMPARE(monthlySub()->geometry(), sub);
        QVERIFY(main->graphWindow());
        QCOMPARE(main->subWindowOf(main->graphWindow())->geometry(), QRect(300, 40, 400, 360));
        QCOMPARE(grid()->columnWidth(2), 150);
        QCOMPARE(monthlySub()->windowTitle(), caption(thisMonth));
        QCOMPARE(column(0), (QStringList{dayA.toString(QStringLiteral("yyyy/MM/dd")),
                                         dayB.toString(QStringLiteral("yyyy/MM/dd"))}));
        QCOMPARE(label("lblDay")->text(), u("2 日 "));

        // Nothing of the user's data changed by closing and opening.
        QCOMPARE(test::fileBytes(yearFile()),
                 test::sjis(recordLine(dayA, first, "1") + recordLine(dayB, thirdCorrected, "1")));
        main->close();
        main.reset();
    }
};

QTEST_MAIN(EndToEndTest)
#include "end_to_end_test.moc"
