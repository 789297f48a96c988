// The monthly window driven by typing and clicking: year and month boxes,
// spin buttons, reload points, the grid and summary it shows, heading sorts,
// row clicks, a damaged year file, and its layout in the settings file.
#include <QAbstractItemModelTester>
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>
#include <memory>

#include "entry/entry_form.h"
#include "entry/entry_save.h"
#include "monthly/monthly_window.h"
#include "shell/entry_opener.h"
#include "ui/eliding_delegate.h"
#include "ui/app_context.h"
#include "ui/messages.h"
#include "storage/data_folders.h"
#include "storage/record_store.h"
#include "storage/save_batch.h"
#include "storage/settings_file.h"
#include "../support/gui_fixture.h"

using namespace tama;
using namespace tama::ui;

namespace {

std::string line(const std::string& date, const std::string& dayFirst, const std::string& syusi,
                 const std::string& hours = "8.0", const std::string& hall = "ホールA") {
    const std::string y = date.substr(0, 4), m = date.substr(5, 2), d = date.substr(8, 2);
    const std::string f[24] = {date,     y,       m,     d,        "土",    hall,    "10",  "00",
                               "18",     "00",    hours, "15000",  "30000", "1,875", syusi, "12",
                               "ＣＲ機", "機種X", "",    dayFirst, "",      "",      "",    ""};
    std::string out;
    for (int i = 0; i < 24; ++i) out += (i ? ",\"" : "\"") + f[i] + "\"";
    return out + "\n";
}

QString cell(QTableView* grid, int row, int column) { return grid->model()->index(row, column).data().toString(); }

QStringList columnTexts(QTableView* grid, int column) {
    QStringList out;
    for (int r = 0; r < grid->model()->rowCount(); ++r) out << cell(grid, r, column);
    return out;
}

void clickHeading(QTableView* grid, int column) {
    QHeaderView* h = grid->horizontalHeader();
    QPoint p(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, p);
}

void clickCell(QTableView* grid, int row, int column) {
    QRect r = grid->visualRect(grid->model()->index(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
}

}  // namespace

class MonthlyWindowTest : public QObject, protected test::GuiFixture {
    Q_OBJECT


    std::unique_ptr<MonthlyWindow> openWindow() {
        auto w = std::make_unique<MonthlyWindow>(*ctx);
        w->setEntryOpener(entryFormOpener(*ctx, *w));
        w->resize(700, 500);
        w->show();
        return w;
    }

private slots:
    void init() {
        startFolder();
        fs::path taro = tmp->makeUser("太郎");
        fs::path hanako = tmp->makeUser("花子");
        test::putBytes(
            taro / "s2004.sdb",
            test::sjis(line("2004/05/01", "1", "15,000", "7.5") + line("2004/05/01", "2", "-3,500", "2.0") +
                       line("2004/05/03", "1", "-2,000", "4.5", "ホールB") + line("2004/06/02", "1", "900")));
        test::putBytes(hanako / "s2004.sdb", test::sjis(line("2004/05/10", "1", "500")));
        openContext(12000, 9000);
    }

    void cleanup() { finish(); }

    void controlsCarryTheirNames() {
        auto w = openWindow();
        for (const char* name :
             {"cboUser", "txtNen", "updNen", "txtTuki", "updTuki", "cmdDay", "mfgDat", "fraInfo", "lblDay", "lblWin",
              "lblAvr", "lblTim", "lblMax", "lblH_tim", "lblH_zikyu", "lblH_nikyu", "lblSyusi"})
            QVERIFY2(w->findChild<QWidget*>(name), name);
        QCOMPARE(w->cboUser()->count(), 2);
        QCOMPARE(w->txtNen()->text(), QString::number(QDate::currentDate().year()));
        QCOMPARE(w->txtTuki()->text(), QDate::currentDate().toString(QStringLiteral("MM")));
    }

    void monthBoxPadsAndYearBoxEmptiesOnLetters() {
        auto w = openWindow();
        w->txtTuki()->clear();
        QTest::keyClicks(w->txtTuki(), "7");
        QCOMPARE(w->txtTuki()->text(), QStringLiteral("07"));
        // Two-digit months typed digit by digit: "1" is padded to "01", the "2" makes 12.
        w->txtNen()->setText(QStringLiteral("2004"));
        for (const char* month : {"10", "11", "12"}) {
            w->txtTuki()->clear();
            QTest::keyClicks(w->txtTuki(), month);
            QCOMPARE(w->txtTuki()->text(), QString::fromLatin1(month));
        }
        QCOMPARE(w->windowTitle(), QStringLiteral("日間収支データ一覧  (2004年12月度)"));
        w->txtTuki()->setText(QStringLiteral("1x"));
        QCOMPARE(w->txtTuki()->text(), QString());

        w->txtNen()->clear();
        QTest::keyClicks(w->txtNen(), "20a");
        QCOMPARE(w->txtNen()->text(), QString());
        w->txtNen()->setText(QStringLiteral("20a4"));
        QCOMPARE(w->txtNen()->text(), QString());

        w->setYearMonth(QStringLiteral("2004"), QStringLiteral("5"));
        QCOMPARE(w->windowTitle(), QStringLiteral("日間収支データ一覧  (2004年05月度)"));
    }

    void spinButtonsStepAndWrap() {
        auto w = openWindow();
        w->setYearMonth(QStringLiteral("2004"), QStringLiteral("12"));
        QSignalSpy reloads(w.get(), &MonthlyWindow::reloaded);
        auto* updTuki = w->findChild<QWidget*>("updTuki");
        auto* up = updTuki->findChild<QToolButton*>("up");
        auto* down = updTuki->findChild<QToolButton*>("down");

        QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(w->txtTuki()->text(), QStringLiteral("01"));
        QCOMPARE(w->txtNen()->text(), QStringLiteral("2005"));
        QCOMPARE(reloads.count(), 1);  // month and year change together: one reload
        QTest::mouseClick(down, Qt::LeftButton);
        QCOMPARE(w->txtTuki()->text(), QStringLiteral("12"));
        QCOMPARE(w->txtNen()->text(), QStringLiteral("2004"));
        QCOMPARE(reloads.count(), 2);
        QTest::mouseClick(down, Qt::LeftButton);
        QCOMPARE(w->txtTuki()->text(), QStringLiteral("11"));
        QCOMPARE(w->txtNen()->text(), QStringLiteral("2004"));

        auto* updNen = w->findChild<QWidget*>("updNen");
        QTest::mouseClick(updNen->findChild<QToolButton*>("up"), Qt::LeftButton);
        QCOMPARE(w->txtNen()->text(), QStringLiteral("2005"));
        w->txtNen()->setText(QStringLiteral("2099"));
        QTest::mouseClick(updNen->findChild<QToolButton*>("up"), Qt::LeftButton);
        QCOMPARE(w->txtNen()->text(), QStringLiteral("2099"));  // the year spin button stops at its end
    }

    void reloadsOnlyWhenTheSelectionChanges() {
        auto w = openWindow();
        w->setYearMonth(QStringLiteral("2004"), QStringLiteral("05"));
        QSignalSpy reloads(w.get(), &MonthlyWindow::reloaded);
        QSignalSpy users(w.get(), &MonthlyWindow::userChanged);
        auto* grid = w->findChild<QTableView*>("mfgDat");

        w->txtTuki()->setText(QStringLiteral("06"));
        QCOMPARE(reloads.count(), 1);
        QCOMPARE(cell(grid, 0, 0), QStringLiteral("2004/06/02"));
        w->txtTuki()->setText(QStringLiteral("05"));
        QCOMPARE(reloads.count(), 2);
        QCOMPARE(grid->model()->rowCount(), 3);

        // The loaded year typed again, and a year beyond the flags' range, do not reload.
        w->txtNen()->setText(QStringLiteral("200"));
        w->txtNen()->setText(QStringLiteral("2004"));
        w->txtNen()->setText(QStringLiteral("2100"));
        QCOMPARE(reloads.count(), 2);
        w->txtNen()->setText(QStringLiteral("2003"));
        QCOMPARE(reloads.count(), 3);
        QCOMPARE(grid->model()->rowCount(), 1);  // no s2003.sdb: the empty month
        w->txtNen()->setText(QStringLiteral("2004"));
        QCOMPARE(reloads.count(), 4);

        // Another user reloads the same year and month.
        w->cboUser()->setCurrentText(QStringLiteral("花子"));
        QCOMPARE(reloads.count(), 5);
        QCOMPARE(users.count(), 1);
        QCOMPARE(users.at(0).at(0).toString(), QStringLiteral("花子"));
        QCOMPARE(columnTexts(grid, 0), QStringList{QStringLiteral("2004/05/10")});
        QCOMPARE(w->yearRecordList().user, std::string("花子"));

        // refresh keeps the selected user and does not reload.
        w->refresh();
        QCOMPARE(w->cboUser()->currentText(), QStringLiteral("花子"));
        QCOMPARE(reloads.count(), 5);
    }

    void gridAndSummaryShowTheMonth() {
        auto w = openWindow();
        w->setYearMonth(QStringLiteral("2004"), QStringLiteral("05"));
        auto* grid = w->findChild<QTableView*>("mfgDat");
        QAbstractItemModelTester tester(grid->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModel* m = grid->model();

        QCOMPARE(m->columnCount(), 7);
        QCOMPARE(m->headerData(6, Qt::Horizontal).toString(), QStringLiteral("収支金額"));
        QCOMPARE(columnTexts(grid, 6), (QStringList{"15,000", "-3,500", "-2,000"}));
        QCOMPARE(cell(grid, 2, 2), QStringLiteral("ホールB"));
        QCOMPARE(m->index(1, 6).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
        QCOMPARE(m->index(0, 6).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(0, 0, 0));
        QCOMPARE(m->index(0, 3).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(255, 255, 255));
        QCOMPARE(m->index(1, 3).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(245, 255, 255));
        auto align = [&](int r, int c) {
            return Qt::Alignment(m->index(r, c).data(Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask;
        };
        QCOMPARE(align(0, 0), Qt::AlignHCenter);
        QCOMPARE(align(0, 2), Qt::AlignLeft);
        QCOMPARE(align(0, 6), Qt::AlignRight);

        auto label = [&](const char* name) { return w->findChild<QLabel*>(name); };
        QCOMPARE(label("lblDay")->text(), QStringLiteral("2 日 "));
        QCOMPARE(label("lblWin")->text(), QStringLiteral("1 日 "));
        QCOMPARE(label("lblAvr")->text(), QStringLiteral("0.500 "));
        QCOMPARE(label("lblTim")->text(), QStringLiteral("14.0 時間 "));
        QCOMPARE(label("lblMax")->text(), QStringLiteral("15,000 円 "));
        QCOMPARE(label("lblSyusi")->text(), QStringLiteral("9,500 円 "));
        QCOMPARE(label("lblSyusi")->palette().color(QPalette::WindowText), QColor(0, 0, 0));
        QCOMPARE(w->monthCount(), 3);
        QCOMPARE(w->monthFirst(), 1);

        // A losing month turns the balance red; an empty month empties every label.
        test::putBytes(tmp->path() / "Data" / "太郎" / "s2004.sdb",
                       test::sjis(line("2004/05/01", "1", "1,500", "2.0") + line("2004/05/02", "1", "-2,000", "2.0")));
        w->reloadYear();
        w->refillList();
        QCOMPARE(label("lblSyusi")->text(), QStringLiteral("-500 円 "));
        QCOMPARE(label("lblSyusi")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        w->txtTuki()->setText(QStringLiteral("08"));
        QCOMPARE(m->rowCount(), 1);
        for (const char* name :
             {"lblDay", "lblWin", "lblAvr", "lblTim", "lblMax", "lblH_tim", "lblH_zikyu", "lblH_nikyu", "lblSyusi"})
            QCOMPARE(label(name)->text(), QString());
        QCOMPARE(w->monthCount(), 0);
    }

    void headingClicksSortDescendingFirst() {
        auto w = openWindow();
        w->setYearMonth(QStringLiteral("2004"), QStringLiteral("05"));
        auto* grid = w->findChild<QTableView*>("mfgDat");
        QSignalSpy reloads(w.get(), &MonthlyWindow::reloaded);
        clickHeading(grid, 6);
        QCOMPARE(columnTexts(grid, 6), (QStringList{"15,000", "-2,000", "-3,500"}));
        QCOMPARE(grid->model()->index(2, 6).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
        clickHeading(grid, 5);  // shared flag: the next click sorts ascending
        QCOMPARE(columnTexts(grid, 5), (QStringList{"2.0", "4.5", "7.5"}));
        clickHeading(grid, 0);
        QCOMPARE(columnTexts(grid, 0), (QStringList{"2004/05/03", "2004/05/01", "2004/05/01"}));
        QCOMPARE(reloads.count(), 0);

        // A reload brings back date order and keeps the flag.
        w->txtTuki()->setText(QStringLiteral("06"));
        w->txtTuki()->setText(QStringLiteral("05"));
        QCOMPARE(columnTexts(grid, 6), (QStringList{"15,000", "-3,500", "-2,000"}));
        clickHeading(grid, 6);
        QCOMPARE(columnTexts(grid, 6), (QStringList{"-3,500", "-2,000", "15,000"}));
    }

    void rowClickOpensTheClickedRecord() {
        auto w = openWindow();
        w->setYearMonth(QStringLiteral("2004"), QStringLiteral("05"));
        std::vector<MonthlyWindow::EntryRequest> opened;
        w->setEntryOpener([&](const MonthlyWindow::EntryRequest& r) { opened.push_back(r); });
        auto* grid = w->findChild<QTableView*>("mfgDat");

        // Each of the two rows of 1 May opens its own record.
        clickCell(grid, 0, 3);
        QCOMPARE(opened.size(), size_t(1));
        QVERIFY(opened[0].edit);
        QCOMPARE(opened[0].recordIndex, 1);
        QCOMPARE(opened[0].rowInMonth, 1);
        QCOMPARE(w->currentRow(), 1);
        clickCell(grid, 1, 3);
        QCOMPARE(opened.back().recordIndex, 2);
        QCOMPARE(opened.back().rowInMonth, 2);
        opened.erase(opened.begin());

        clickCell(grid, 2, 0);
        QCOMPARE(opened.back().recordIndex, 3);
        w->editSelected();  // the menu command opens the current row again
        QCOMPARE(opened.size(), size_t(3));
        QCOMPARE(opened.back().recordIndex, 3);

        QTest::mouseClick(w->findChild<QWidget*>("cmdDay"), Qt::LeftButton);
        QCOMPARE(opened.size(), size_t(4));
        QVERIFY(!opened.back().edit);

        // The empty row of an empty month has no record to edit.
        w->txtTuki()->setText(QStringLiteral("09"));
        clickCell(grid, 0, 0);
        QCOMPARE(opened.size(), size_t(4));
    }

    void rowClickOpensTheEntryFormAndItsUpdateRefillsTheGrid() {
        auto w = openWindow();
        w->setYearMonth(QStringLiteral("2004"), QStringLiteral("05"));
        auto* grid = w->findChild<QTableView*>("mfgDat");
        QSignalSpy reloads(w.get(), &MonthlyWindow::reloaded);
        QString title, ken, syusi;
        bool touEnabled = true;
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!form) return;
            title = form->windowTitle();
            if (auto* l = form->findChild<QLabel*>("lblKen")) ken = l->text();
            if (auto* e = form->findChild<QLineEdit*>("txtSyusi")) syusi = e->text();
            if (auto* b = form->findChild<QWidget*>("cmdTou")) touEnabled = b->isEnabled();
            if (auto* hall = form->findChild<QComboBox*>("cboHoll")) hall->setCurrentText(QStringLiteral("ホールZ"));
            if (auto* upd = form->findChild<QAbstractButton*>("cmdUpd")) upd->click();
            form->reject();
        });
        clickCell(grid, 1, 3);
        QCOMPARE(title, QStringLiteral("日間収支データ編集"));
        QCOMPARE(ken, QStringLiteral("(2 / 3)"));
        QCOMPARE(syusi, QStringLiteral("-3,500"));
        QVERIFY(!touEnabled);
        // The form's update rewrote record 2 and refreshed this window through reloadYear / refillList.
        QVERIFY(reloads.count() >= 1);
        QCOMPARE(cell(grid, 1, 2), QStringLiteral("ホールZ"));
        QCOMPARE(w->yearRecordList().record(2).Holl, std::string("ホールZ"));
    }

    // Another program saving into the shown user's folder (tamalog-cli add, a
    // restore) shows at once, without touching the window.
    void anotherWritersSaveAndARestoreShowAtOnce() {
        auto w = openWindow();
        w->setYearMonth(QStringLiteral("2004"), QStringLiteral("5"));
        auto* grid = w->findChild<QTableView*>("mfgDat");
        QCOMPARE(grid->model()->rowCount(), 3);
        QSignalSpy changed(ctx.get(), &AppContext::recordsChanged);

        RecordStore other(tmp->path());
        DailyRecord r = test::recordOn("2004/05/20");
        test::saveRecord(other, "太郎", r);
        QTRY_COMPARE(grid->model()->rowCount(), 4);
        QVERIFY(changed.count() >= 1);

        YearRecordList list = other.loadYear("太郎", "2004");
        QCOMPARE(list.record(4).DateKey, std::string("2004/05/20"));  // in date order, before 06/02
        deleteRecord(other, list, 4);
        QTRY_COMPARE(grid->model()->rowCount(), 3);
        auto versions = listBackups(tmp->path(), "太郎");
        QVERIFY(!versions.empty());
        QCOMPARE(versions.front().lines, 5);
        restoreBackup(tmp->path(), "太郎", versions.front().id);
        QTRY_COMPARE(grid->model()->rowCount(), 4);
        QCOMPARE(cell(grid, 3, 0).left(2), QStringLiteral("20"));
    }

    void theEntryFormStepsThroughTheRowsInTheOrderShown() {
        auto w = openWindow();
        w->setYearMonth(QStringLiteral("2004"), QStringLiteral("05"));
        auto* grid = w->findChild<QTableView*>("mfgDat");
        clickHeading(grid, 6);  // 15,000 / -2,000 / -3,500: records 1, 3, 2
        QStringList shown;
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<EntryForm*>(QApplication::activeModalWidget());
            if (!form) return;
            auto* ken = form->findChild<QLabel*>("lblKen");
            auto* scl1 = form->findChild<QScrollBar*>("scl1");
            shown << ken->text() << QString::number(form->curIndex());
            for (int v : {3, 1}) {
                scl1->setValue(v);
                shown << ken->text() << QString::number(form->curIndex());
            }
            form->reject();
        });
        clickCell(grid, 1, 0);
        QCOMPARE(shown, (QStringList{"(2 / 3)", "3", "(3 / 3)", "2", "(1 / 3)", "1"}));
    }

    void cutTextsKeepTheirSignAndShowWholeAsATooltip() {
        const std::string longHall = "駅前グランドパチンコパーラー本館新台入替記念ホール";
        test::putBytes(tmp->path() / "Data" / "太郎" / "s2004.sdb",
                       test::sjis(line("2004/07/01", "1", "-1,234,567", "-20.0", longHall) +
                                  line("2004/07/02", "1", "800", "8.0")));
        auto w = openWindow();
        w->setYearMonth(QStringLiteral("2004"), QStringLiteral("07"));
        auto* grid = w->findChild<QTableView*>("mfgDat");
        QVERIFY(!grid->wordWrap());
        auto* cells = qobject_cast<ElidingDelegate*>(grid->itemDelegate());
        QVERIFY(cells);
        auto shown = [&](int row, int column) { return cells->shownText(grid, grid->model()->index(row, column)); };
        // Too long for their columns: cut with "…", the minus sign kept.
        for (int column : {5, 6}) {
            grid->setColumnWidth(column, 28);
            QVERIFY2(shown(0, column).startsWith(u'-') && shown(0, column).endsWith(u'…'),
                     qPrintable(shown(0, column)));
        }
        QVERIFY(shown(0, 2).endsWith(u'…'));
        // A date a little wider than its default column is drawn narrower, whole.
        QCOMPARE(shown(0, 0), QStringLiteral("2004/07/01"));
        grid->setColumnWidth(0, 40);
        QVERIFY2(shown(0, 0).startsWith(u'…') && shown(0, 0).endsWith(QStringLiteral("01")), qPrintable(shown(0, 0)));

        // The whole text as a tooltip on a cut cell, none on a whole one.
        auto tooltipAt = [&](int row, int column) {
            const QPoint at = grid->visualRect(grid->model()->index(row, column)).center();
            QHelpEvent help(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
            QApplication::sendEvent(grid->viewport(), &help);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        QCOMPARE(tooltipAt(0, 2), QString::fromStdString(longHall));
        QCOMPARE(tooltipAt(0, 6), QStringLiteral("-1,234,567"));
        grid->setColumnWidth(6, 120);
        QCOMPARE(shown(1, 6), QStringLiteral("800"));  // fits: whole
        tooltipAt(1, 6);
        QTRY_VERIFY(!QToolTip::isVisible());

        // The user box's list is not stretched by a long name.
        fs::create_directories(tmp->path() / "Data" / fs::path(longHall + longHall + longHall));
        w->refresh();
        w->cboUser()->showPopup();
        QWidget* popup = w->cboUser()->view()->window();
        QTRY_VERIFY(popup->isVisible());
        QVERIFY2(popup->width() <= std::max(w->cboUser()->width(), twipsToPixelsX(5400)),
                 qPrintable(QString::number(popup->width())));
        w->cboUser()->hidePopup();
    }

    void damagedYearFileIsReportedAndLeftAlone() {
        const fs::path file = tmp->path() / "Data" / "太郎" / "s2003.sdb";
        const std::string bytes = test::sjis(line("2003/05/01", "1", "100") + "\"2003/05/02\",\"2003\"\n");
        test::putBytes(file, bytes);
        auto w = openWindow();
        w->setYearMonth(QStringLiteral("2004"), QStringLiteral("05"));
        answerer.asked.clear();
        w->txtNen()->setText(QStringLiteral("2003"));
        QCOMPARE(answerer.asked.size(), size_t(1));
        QCOMPARE(answerer.asked[0].title, QStringLiteral("ｴﾗｰ発生"));
        QVERIFY2(answerer.asked[0].text.contains(QStringLiteral("s2003.sdb")), qPrintable(answerer.asked[0].text));
        QVERIFY2(answerer.asked[0].text.contains(QStringLiteral("2行目")), qPrintable(answerer.asked[0].text));
        auto* grid = w->findChild<QTableView*>("mfgDat");
        QCOMPARE(grid->model()->rowCount(), 1);
        QCOMPARE(w->yearRecordList().count(), 0);
        // In place of the empty summary, in red: which file and line, and that nothing was changed.
        auto* notice = w->findChild<QLabel*>("lblLoadProblem");
        QVERIFY(notice && notice->isVisible());
        QVERIFY(!w->findChild<QWidget*>("fraInfo")->isVisible());
        for (const QString& part : {QStringLiteral("s2003.sdb"), QStringLiteral("2行目"), QStringLiteral("何も変更")})
            QVERIFY2(notice->text().contains(part), qPrintable(notice->text()));
        QCOMPARE(notice->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QCOMPARE(w->loadProblem(), notice->text());
        // Another month of the same damaged year does not repeat the box but keeps the notice.
        w->txtTuki()->setText(QStringLiteral("06"));
        QCOMPARE(answerer.asked.size(), size_t(1));
        QVERIFY(notice->isVisible());
        w->txtNen()->setText(QStringLiteral("2004"));
        QVERIFY(!notice->isVisible());
        QVERIFY(w->findChild<QWidget*>("fraInfo")->isVisible());
        QCOMPARE(cell(grid, 0, 0), QStringLiteral("2004/06/02"));
        QCOMPARE(test::fileBytes(file), bytes);
    }

    void defaultLayoutAndItsKeysOnClose() {
        QMdiArea area;
        area.resize(1000, 800);
        area.show();
        auto* w = new MonthlyWindow(*ctx);
        QMdiSubWindow* sub = area.addSubWindow(w);
        sub->show();
        QCOMPARE(sub->geometry(), QRect(0, 0, twipsToPixelsX(6000), twipsToPixelsY(8650)));
        auto* grid = w->findChild<QTableView*>("mfgDat");
        const int widths[] = {1100, 460, 1600, 2000, 460, 460, 900};
        for (int c = 0; c < 7; ++c) QCOMPARE(grid->columnWidth(c), twipsToPixelsX(widths[c]));
        // Form_Resize: the grid 100 twips in, 600 down.
        QCOMPARE(grid->geometry().topLeft(), QPoint(twipsToPixelsX(100), twipsToPixelsY(600)));

        // The child window's caption follows the selection.
        w->setYearMonth(QStringLiteral("2004"), QStringLiteral("5"));
        QCOMPARE(sub->windowTitle(), QStringLiteral("日間収支データ一覧  (2004年05月度)"));

        w->cboUser()->setCurrentText(QStringLiteral("花子"));
        sub->close();
        SettingsFile settings(settingsFilePath(tmp->path()));
        auto key = [&](const char* k) { return settings.read("monthly", k); };
        QCOMPARE(key("frmMonthly.WindowState"), std::string("0"));
        QCOMPARE(key("frmMonthly.Top"), std::string("0"));
        QCOMPARE(key("frmMonthly.Left"), std::string("0"));
        QCOMPARE(key("frmMonthly.Width"), std::string("6000"));
        QCOMPARE(key("frmMonthly.Height"), std::string("8650"));
        QCOMPARE(key("cboUser.Text"), std::string("花子"));
        for (int c = 0; c < 7; ++c)
            QCOMPARE(key(("mfgDat.ColWidth(" + std::to_string(c) + ")").c_str()), std::to_string(widths[c]));
    }

    void storedLayoutIsRestored() {
        SettingsFile settings(settingsFilePath(tmp->path()));
        settings.write("monthly", "frmMonthly.WindowState", "2");
        settings.write("monthly", "frmMonthly.Top", "300");
        settings.write("monthly", "frmMonthly.Left", "450");
        settings.write("monthly", "frmMonthly.Width", "7505");
        settings.write("monthly", "frmMonthly.Height", "abc");  // not a number: the default
        settings.write("monthly", "cboUser.Text", "花子");
        settings.write("monthly", "mfgDat.ColWidth(2)", "3000");
        QMdiArea area;
        area.resize(1000, 800);
        area.show();
        auto* w = new MonthlyWindow(*ctx);
        QCOMPARE(w->cboUser()->currentText(), QStringLiteral("花子"));
        QMdiSubWindow* sub = area.addSubWindow(w);
        sub->show();
        QVERIFY(sub->isMaximized());
        QCOMPARE(w->findChild<QTableView*>("mfgDat")->columnWidth(2), twipsToPixelsX(3000));
        sub->close();
        QCOMPARE(settings.read("monthly", "frmMonthly.WindowState"), std::string("2"));
        // The geometry it returns to when restored, in the twips it was read in.
        QCOMPARE(settings.read("monthly", "frmMonthly.Left"), std::string("450"));
        QCOMPARE(settings.read("monthly", "frmMonthly.Width"), std::string("7505"));
        QCOMPARE(settings.read("monthly", "frmMonthly.Height"), std::string("8650"));
        QCOMPARE(settings.read("monthly", "mfgDat.ColWidth(2)"), std::string("3000"));
    }
};

QTEST_MAIN(MonthlyWindowTest)
#include "monthly_window_test.moc"
