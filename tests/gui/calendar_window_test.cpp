// The calendar window beside the monthly window: it follows the monthly
// window both ways, clicks and keys reach the monthly list and the entry form,
// it refreshes after a save, shows a damaged year's notice and keeps its
// layout; and the entry form's date rules, "前回と同じ" and recent names.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QtTest>
#include <memory>

#include "../support/frame_fixture.h"
#include "entry/entry_form.h"
#include "monthly/calendar_window.h"
#include "monthly/monthly_window.h"
#include "shell/entry_opener.h"
#include "shell/main_window.h"
#include "storage/settings_file.h"
#include "ui/app_context.h"
#include "ui/messages.h"

using namespace tama;
using namespace tama::ui;

namespace {

std::string line(const std::string& date, const std::string& dayFirst, const std::string& syusi,
                 const std::string& hall = "ホールA", const std::string& machine = "機種X",
                 const std::string& no = "12") {
    const std::string y = date.substr(0, 4), m = date.substr(5, 2), d = date.substr(8, 2);
    const std::string f[24] = {date,       y,       m,      d,        "土",    hall,    "9",   "30",
                               "17",       "00",    "7.5",  "15000",  "30000", "1,875", syusi, no,
                               "スロット", machine, "メモ", dayFirst, "",      "",      "",    ""};
    std::string out;
    for (int i = 0; i < 24; ++i) out += (i ? ",\"" : "\"") + f[i] + "\"";
    return out + "\n";
}

using test::child;

QStringList items(QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << (box->itemData(i, Qt::AccessibleDescriptionRole).toString() == QLatin1String("separator")
                    ? QStringLiteral("--")
                    : box->itemText(i));
    return out;
}

}  // namespace

class CalendarWindowTest : public QObject, protected test::FrameFixture {
    Q_OBJECT

    std::vector<MonthlyWindow::EntryRequest> requests;
    QString storePath;

    MonthlyWindow* monthly() const { return main->monthlyWindow(); }
    CalendarWindow* calendar() const { return main->calendarWindowIfOpen(); }
    QString cellText(int day) const { return qs(calendarCellText(*calendar()->calendar().cellOf(day))); }
    // Opens the frame on May 2004 with the calendar open and the entry form recorded, not shown.
    void openFrame() {
        main = std::make_unique<MainWindow>(*ctx, storePath);
        QVERIFY(main->start());
        monthly()->setYearMonth(QStringLiteral("2004"), QStringLiteral("05"));
        monthly()->setEntryOpener([this](const MonthlyWindow::EntryRequest& r) { requests.push_back(r); });
        main->toolButton(QStringLiteral("ｶﾚﾝﾀﾞｰ"))->trigger();
        QVERIFY(calendar());
    }

private slots:
    void init() {
        startFolder();
        fs::path taro = tmp->makeUser("太郎");
        test::putBytes(taro / "s2004.sdb",
                       test::sjis(line("2004/05/01", "1", "15,000") + line("2004/05/01", "2", "-3,500", "ホールB") +
                                  line("2004/05/03", "1", "-1,600", "ホールC", "北斗", "?") +
                                  line("2004/05/29", "1", "0") + line("2004/06/02", "1", "900")));
        test::putBytes(taro / "holl.dat", test::sjis("\"駅前\",\"1\"\n\"ホールB\",\"1\"\n"));
        test::putBytes(taro / "kisyu.dat", test::sjis("\"スロット\",\"吉宗\"\n\"ＣＲ機\",\"海物語\"\n"));
        openContext();
        requests.clear();
        storePath = test::writeFrameStore(tmp->path(), 1100, 700, false);
    }
    void cleanup() { finish(); }

    void oneInstanceThatFollowsTheMonthlyWindowBothWays() {
        openFrame();
        main->menuItem(QStringLiteral("mnuCalendar"))->trigger();
        int calendars = 0;
        for (QMdiSubWindow* w : main->mdiArea()->subWindowList())
            calendars += qobject_cast<CalendarWindow*>(w->widget()) != nullptr;
        QCOMPARE(calendars, 1);
        QCOMPARE(child<QLabel>(calendar(), "lblCaption")->text(), QStringLiteral("2004年5月"));
        QCOMPARE(cellText(1), QStringLiteral("1:11,500"));
        QCOMPARE(cellText(3), QStringLiteral("3:-1,600"));
        QCOMPARE(cellText(29), QStringLiteral("29:0"));
        // The figures of the monthly summary.
        QCOMPARE(child<QLabel>(calendar(), "lblSyusi")->text(), qs(monthly()->monthSummary().label("lblSyusi").text));
        QCOMPARE(child<QLabel>(calendar(), "lblWin")->text(), QStringLiteral("1 / 3 日 "));

        // The monthly window leads ...
        monthly()->txtTuki()->setText(QStringLiteral("6"));
        QCOMPARE(child<QLabel>(calendar(), "lblCaption")->text(), QStringLiteral("2004年6月"));
        QCOMPARE(cellText(2), QStringLiteral("2:900"));
        // ... and follows: the arrows, PageDown / PageUp (a year step at the ends).
        child<QPushButton>(calendar(), "cmdNext")->click();
        QCOMPARE(monthly()->txtTuki()->text(), QStringLiteral("07"));
        monthly()->setYearMonth(QStringLiteral("2004"), QStringLiteral("12"));
        calendar()->grid()->setFocus();
        QTest::keyClick(calendar()->grid(), Qt::Key_PageDown);
        QCOMPARE(monthly()->txtNen()->text() + monthly()->txtTuki()->text(), QStringLiteral("200501"));
        QCOMPARE(child<QLabel>(calendar(), "lblCaption")->text(), QStringLiteral("2005年1月"));
        QTest::keyClick(calendar()->grid(), Qt::Key_PageUp);
        child<QPushButton>(calendar(), "cmdPrev")->click();
        QCOMPARE(monthly()->txtNen()->text() + monthly()->txtTuki()->text(), QStringLiteral("200411"));
    }

    void clicksAndKeysReachTheMonthlyListAndTheEntryForm() {
        openFrame();
        QTableView* grid = calendar()->grid();
        auto click = [&](int day, bool twice) {
            const QPoint at = grid->visualRect(calendar()->indexOfDay(day)).center();
            if (twice) QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
            else QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        };
        // A visit day selects its first row, also when the list is sorted otherwise.
        click(3, false);
        QCOMPARE(monthly()->recordAtRow(monthly()->currentRow()), 3);
        click(1, false);
        QCOMPARE(monthly()->recordAtRow(monthly()->currentRow()), 1);
        // A day without visits leaves the list as it is.
        click(2, false);
        QCOMPARE(monthly()->recordAtRow(monthly()->currentRow()), 1);
        QVERIFY(requests.empty());
        // A double click on any day opens a new record on that date.
        click(2, true);
        QCOMPARE(requests.size(), size_t(1));
        QVERIFY(!requests[0].edit);
        QCOMPARE(requests[0].date, QDate(2004, 5, 2));
        // The keyboard: arrows move (Right from the 2nd to the 3rd, a visit day), Enter opens.
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Right);
        QCOMPARE(monthly()->recordAtRow(monthly()->currentRow()), 3);
        QTest::keyClick(grid, Qt::Key_Down);
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(requests.back().date, QDate(2004, 5, 10));
        // Left from the 1st (a Saturday in the top row) stays: the empty cells before it cannot be chosen.
        grid->setCurrentIndex(calendar()->indexOfDay(1));
        QTest::keyClick(grid, Qt::Key_Left);
        QTest::keyClick(grid, Qt::Key_Enter);
        QCOMPARE(requests.back().date, QDate(2004, 5, 1));
    }

    void newRecordsOpenOnTheDateThePlayerLooksAt() {
        openFrame();
        const QDate today = QDate::currentDate();
        main->toolButton(QStringLiteral("入力"))->trigger();
        QCOMPARE(requests.back().date, QDate(2004, 5, 1));
        monthly()->setYearMonth(QString::number(today.year()), QString::number(today.month()));
        main->menuItem(QStringLiteral("mnuInp"))->trigger();
        QCOMPARE(requests.back().date, today);

        // The form shows the date it is given, with its weekday.
        monthly()->setEntryOpener(entryFormOpener(*ctx, *monthly()));
        EntryForm form(*ctx, *monthly());
        form.prepareNew(QDate(2004, 2, 29));
        QCOMPARE(child<QLineEdit>(&form, "txtNen")->text() + "/" + child<QLineEdit>(&form, "txtTuki")->text() + "/" +
                     child<QLineEdit>(&form, "txtHi")->text(),
                 QStringLiteral("2004/2/29"));
        QCOMPARE(child<QComboBox>(&form, "cboYoubi")->currentText(), QStringLiteral("日"));
    }

    void sameAsLastTimeAndRecentNamesFirst() {
        openFrame();
        const std::string hallsBefore = test::fileBytes(tmp->path() / "Data" / "太郎" / "holl.dat");
        EntryForm form(*ctx, *monthly());
        form.prepareNew(QDate(2004, 5, 30));
        // The latest record by date is 2004/06/02 at ホールA: recent halls newest first, then the stored list.
        QCOMPARE(items(child<QComboBox>(&form, "cboHoll")),
                 (QStringList{"ホールA", "ホールC", "ホールB", "--", "駅前", "ホールB"}));
        child<QPushButton>(&form, "cmdLast")->click();
        QCOMPARE(child<QComboBox>(&form, "cboHoll")->currentText(), QStringLiteral("ホールA"));
        QCOMPARE(child<QComboBox>(&form, "cboK_type")->currentText(), QStringLiteral("スロット"));
        QCOMPARE(child<QComboBox>(&form, "cboKisyu")->currentText(), QStringLiteral("機種X"));
        QCOMPARE(child<QComboBox>(&form, "cboK_no")->currentText(), QStringLiteral("12"));
        QStringList times;
        for (const char* box : {"txtZ1_1", "txtZ1_2", "txtZ2_1", "txtZ2_2"})
            times << child<QLineEdit>(&form, box)->text();
        QCOMPARE(times, (QStringList{"9", "30", "17", "00"}));
        // The machine box of the chosen type lists that type's recent names first.
        QCOMPARE(items(child<QComboBox>(&form, "cboKisyu")), (QStringList{"機種X", "北斗", "--", "吉宗"}));
        // The date, the money boxes and the comment are not taken over.
        QCOMPARE(child<QLineEdit>(&form, "txtHi")->text(), QStringLiteral("30"));
        QCOMPARE(child<QLineEdit>(&form, "txtTousi")->text(), QStringLiteral("15000"));
        QVERIFY(child<QPlainTextEdit>(&form, "txtCome")->toPlainText().isEmpty());
        // The stored list keeps its bytes; an edit form has no such button.
        QCOMPARE(test::fileBytes(tmp->path() / "Data" / "太郎" / "holl.dat"), hallsBefore);
        EntryForm edit(*ctx, *monthly());
        edit.prepareEdit(1, 1);
        QVERIFY(child<QPushButton>(&edit, "cmdLast")->isHidden());
    }

    void aSaveRefreshesTheCalendarAndAnUnknownNameStaysEmpty() {
        openFrame();
        // The latest record names no hall ("（不明）"): the box stays empty, so a save adds no hall.
        RecordStore store(tmp->path());
        DailyRecord unknownHall = test::recordOn("2004/07/01");
        unknownHall.Holl = std::string(kUnknownName);
        test::saveRecord(store, "太郎", unknownHall);
        const std::string hallsBefore = test::fileBytes(tmp->path() / "Data" / "太郎" / "holl.dat");
        EntryForm form(*ctx, *monthly());
        form.prepareNew(QDate(2004, 5, 2));
        child<QPushButton>(&form, "cmdLast")->click();
        QVERIFY(child<QComboBox>(&form, "cboHoll")->currentText().isEmpty());
        child<QLineEdit>(&form, "txtTousi")->setText(QStringLiteral("1000"));
        child<QLineEdit>(&form, "txtKaisyu")->setText(QStringLiteral("3000"));
        form.saveNew();
        QCOMPARE(cellText(2), QStringLiteral("2:2,000"));
        QCOMPARE(test::fileBytes(tmp->path() / "Data" / "太郎" / "holl.dat"), hallsBefore);
    }

    void aDamagedYearShowsTheMonthlyNotice() {
        test::putBytes(tmp->path() / "Data" / "太郎" / "s2003.sdb", "\"2003/05/01\",\"2003\"\r\n");
        openFrame();
        monthly()->setYearMonth(QStringLiteral("2003"), QStringLiteral("05"));
        auto* notice = child<QLabel>(calendar(), "lblLoadProblem");
        QVERIFY(!monthly()->loadProblem().isEmpty());
        QCOMPARE(notice->text(), monthly()->loadProblem());
        QVERIFY(notice->isVisible());
        QVERIFY(!calendar()->grid()->isVisible());
        monthly()->setYearMonth(QStringLiteral("2004"), QStringLiteral("05"));
        QVERIFY(!notice->isVisible());
        QVERIFY(calendar()->grid()->isVisible());
    }

    void keepsItsLayoutInTwips() {
        openFrame();
        QMdiSubWindow* sub = main->subWindowOf(calendar());
        sub->setGeometry(30, 40, 420, 380);
        sub->close();
        QTRY_VERIFY(!calendar());
        SettingsFile file(tmp->path() / "tmrec.ini");
        QCOMPARE(qs(file.read("calendar", "frmCalendar.Left")).toDouble(), pixelsToTwipsX(30));
        QCOMPARE(qs(file.read("calendar", "frmCalendar.Width")).toDouble(), pixelsToTwipsX(420));
        QCOMPARE(qs(file.read("calendar", "frmCalendar.WindowState")), QStringLiteral("0"));
        main->menuItem(QStringLiteral("mnuCalendar"))->trigger();
        QCOMPARE(main->subWindowOf(calendar())->geometry(), QRect(30, 40, 420, 380));
    }
};

QTEST_MAIN(CalendarWindowTest)
#include "calendar_window_test.moc"
