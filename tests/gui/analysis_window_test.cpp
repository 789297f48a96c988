// The analysis window in the real frame and on its own: opening from the menu
// and the toolbar, the grid of every tab against tamalog-cli analysis, heading
// clicks, the type watcher, the period check box, a damaged YearFile, the
// resize rule and the layout kept in section "db".
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>
#include <map>
#include <memory>
#include <sstream>

#include "analysis/analysis_command.h"
#include "analysis/analysis_window.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "storage/record_store.h"
#include "ui/app_context.h"
#include "ui/eliding_delegate.h"
#include "ui/messages.h"
#include "../support/frame_fixture.h"

using namespace tama;
using namespace tama::ui;

namespace {

using test::u;

DailyRecord rec(const std::string& date, const char* youbi, const char* syusi, const char* hall, const char* type,
                const char* machine, const char* number = "12") {
    DailyRecord r = test::recordOn(date);
    r.Youbi = youbi;
    r.Syusi = syusi;
    r.Holl = hall;
    r.K_type = type;
    r.Kisyu = machine;
    r.K_no = number;
    return r;
}

void writeYear(const fs::path& user, const std::string& year, const std::vector<DailyRecord>& rs) {
    const fs::path path = user / ("s" + year + ".sdb");
    test::putBytes(path, encodeYearFile(rs, path));
}

// What the grid shows, as tamalog-cli analysis prints it: headings, then rows.
std::string gridText(QTableView* grid) {
    const QAbstractItemModel* m = grid->model();
    std::string out;
    for (int c = 0; c < m->columnCount(); ++c) out += (c ? "\t" : "") + ss(m->headerData(c, Qt::Horizontal).toString());
    out += "\n";
    for (int r = 0; r < m->rowCount(); ++r) {
        for (int c = 0; c < m->columnCount(); ++c) out += (c ? "\t" : "") + ss(m->index(r, c).data().toString());
        out += "\n";
    }
    return out;
}

QStringList column(QTableView* grid, int c) {
    QStringList out;
    for (int r = 0; r < grid->model()->rowCount(); ++r) out << grid->model()->index(r, c).data().toString();
    return out;
}

void clickHeading(QTableView* grid, int column) {
    // Two clicks within the double-click time would reach the header as a double click.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QHeaderView* h = grid->horizontalHeader();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                      QPoint(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2));
}

QStringList items(QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
    return out;
}

}  // namespace

class AnalysisWindowTest : public QObject, protected test::GuiFixture {
    Q_OBJECT

    fs::path taro;

    AnalysisOpening opening() const {
        AnalysisOpening o;
        o.users = {u("太郎"), u("花子")};
        o.user = u("太郎");
        o.halls = {u("全ﾎｰﾙ対象"), u("駅前ホール"), u("港ホール")};
        o.hall = u("全ﾎｰﾙ対象");
        o.machines = {u("全機種対象"), u("海物語"), u("北斗")};
        o.machine = u("全機種対象");
        o.today = QDate(2004, 2, 20);
        return o;
    }

private slots:
    void init() {
        startFolder();
        taro = tmp->makeUser("太郎");
        tmp->makeUser("花子");
        writeYear(taro, "2003",
                  {rec("2003/05/01", "木", "2,000", "駅前ホール", "ＣＲ機", "海物語"),
                   rec("2003/05/01", "木", "-500", "駅前ホール", "ＣＲ機", "海物語", "07"),
                   rec("2003/05/04", "日", "-3,000", "港ホール", "スロット", "北斗"),
                   rec("2003/06/01", "日", "1,000", "港ホール", "スロット", "北斗", "?")});
        writeYear(taro, "2004",
                  {rec("2004/01/05", "月", "4,500", "駅前ホール", "ＣＲ機", "海物語"),
                   rec("2004/02/21", "土", "-100", "駅前ホール", "ＣＲ機", "海物語")});
        test::putBytes(taro / "kisyu.dat", test::sjis("\"ＣＲ機\",\"海物語\"\n\"スロット\",\"北斗\"\n"
                                                      "\"スロット\",\"吉宗\"\n"));
        openContext(16000, 11000);
    }

    void cleanup() { finish(); }

    void opensFromTheMenuAndTheToolbarAsOneChildOfTheFrame() {
        const QString store = test::writeFrameStore(tmp->path(), 1100, 760, false);
        auto main = std::make_unique<MainWindow>(*ctx, store);
        installGraphWindow(*ctx, *main);
        QVERIFY(main->start());
        QAction* serch = main->menuItem(QStringLiteral("mnuSerch"));
        QVERIFY(serch->isEnabled());
        QVERIFY(main->toolButton(u("分析"))->isEnabled());
        serch->trigger();
        auto* db = main->findChild<AnalysisWindow*>();
        QVERIFY(db);
        QCOMPARE(db->windowTitle(), u("データ分析"));
        QVERIFY(main->subWindowOf(db));
        QCOMPARE(main->mdiArea()->activeSubWindow(), main->subWindowOf(db));
        main->toolButton(u("分析"))->trigger();
        QCOMPARE(main->findChildren<AnalysisWindow*>().size(), 1);
        QCOMPARE(main->mdiArea()->subWindowList().size(), 3);

        // The default: this year from 1 January to today, every filter off, the daily list.
        const QDate today = QDate::currentDate();
        QCOMPARE(db->periodBox(0)->currentText() + db->periodBox(1)->currentText() + db->periodBox(2)->currentText(),
                 QString::number(today.year()) + u("0101"));
        QCOMPARE(db->periodBox(4)->currentText(), today.toString(QStringLiteral("MM")));
        QCOMPARE(db->periodBox(5)->currentText(), today.toString(QStringLiteral("dd")));
        QVERIFY(!db->Check2()->isChecked());
        QVERIFY(db->periodBox(3)->isEnabled());
        QCOMPARE(db->cboUser()->currentText(), u("太郎"));
        QCOMPARE(db->cboHoll()->currentText(), u("全ﾎｰﾙ対象"));
        QCOMPARE(db->cboNo()->currentText(), u("全番号対象"));
        QCOMPARE(db->cboK_type()->currentText(), u("全ﾀｲﾌﾟ対象"));
        QCOMPARE(items(db->cboK_type()).size(), 8);
        QCOMPARE(items(db->periodBox(0)).first() + items(db->periodBox(0)).last(), u("19952099"));
        QCOMPARE(db->currentTab(), 0);
        QCOMPARE(db->lblDbno()->text(), u("該当データ件数  0 件  /  総データ件数  6 件"));
        QVERIFY(db->cmdExcel()->isEnabled());  // the frame plugs in the analysis export
        for (const char* name :
             {"Label6", "cboUser",  "Label2", "cboNen1",  "cboTuki1",  "cboHi1", "cboNen2", "cboTuki2",
              "cboHi2", "Check2",   "Label7", "cboHoll",  "Label11",   "cboNo",  "Label9",  "cboK_type",
              "Label8", "cboKisyu", "cmdKen", "cmdExcel", "cmdCancel", "stb1",   "mfgDat1", "lblDbno"})
            QVERIFY2(db->findChild<QWidget*>(QLatin1String(name)), name);

        // Closing the frame closes the window, which writes its layout.
        main->close();
        QVERIFY(ctx->readSettingNumber(QStringLiteral("db"), QStringLiteral("frmdb.Width")).has_value());
        QCOMPARE(ctx->readSetting(QStringLiteral("db"), QStringLiteral("mfgDat1.ColWidth(2)")), QStringLiteral("1600"));
    }

    // The display options colour every N rows (or groups) of every tab, and a
    // change through the options dialog recolours the open grid; the fixed first
    // column keeps the heading colour.
    void rowColouringFollowsTheOptions() {
        AnalysisWindow db(*ctx, opening());
        db.show();
        db.Check2()->click();
        db.cmdKen()->click();
        auto background = [&](int row, int column) {
            return db.mfgDat1()->model()->index(row, column).data(Qt::BackgroundRole).value<QBrush>().color();
        };
        const QColor white(255, 255, 255), tint(245, 255, 255), heading(224, 224, 224);
        QCOMPARE(db.mfgDat1()->model()->rowCount(), 6);
        // Newest first: rows show records 6, 5, 4, 3 and then the two of 2003/05/01;
        // each row keeps the shade of its record's position (even: shaded).
        QCOMPARE(background(0, 3), tint);
        QCOMPARE(background(1, 3), white);
        QCOMPARE(background(1, 0), heading);

        OptionSet o = ctx->options();
        o.lblLineCaption = "2";
        o.cmdDatBackColor = "255";  // red, stored as 0x00BBGGRR
        ctx->setOptions(o);
        const QColor red(255, 0, 0);
        const std::vector<QColor> expected = {white, white, red, red, white, white};
        for (int r = 0; r < 6; ++r) QCOMPARE(background(r, 3), expected[static_cast<size_t>(r)]);
        // The monthly table: four months, banded by two.
        db.stb1()->setCurrentIndex(1);
        auto shades = [&] {
            std::map<QRgb, int> n;
            for (int r = 0; r < db.mfgDat1()->model()->rowCount(); ++r) ++n[background(r, 2).rgb()];
            return n;
        };
        QCOMPARE(shades(), (std::map<QRgb, int>{{white.rgb(), 2}, {red.rgb(), 2}}));

        o.chkDat1Value = "0";
        ctx->setOptions(o);
        QCOMPARE(shades(), (std::map<QRgb, int>{{white.rgb(), 4}}));
    }

    // A frame destroyed while its analysis window is open (a failed test, or the
    // program ending without the close step) takes its children down first.
    void frameDestroyedWithTheAnalysisWindowOpen() {
        auto main = std::make_unique<MainWindow>(*ctx, QString::fromStdString((tmp->path() / "store.ini").string()));
        installGraphWindow(*ctx, *main);
        QVERIFY(main->start());
        main->menuItem(QStringLiteral("mnuSerch"))->trigger();
        QVERIFY(main->findChild<AnalysisWindow*>());
        main.reset();
    }

    void everyTabShowsWhatTheCommandPrints() {
        AnalysisWindow db(*ctx, opening());
        db.show();
        QAbstractItemModelTester tester(db.mfgDat1()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        struct Case {
            const char* name;
            std::function<void()> set;
            std::vector<std::string> args;
        };
        const std::vector<Case> cases = {
            {"opening default", [] {}, {}},
            {"all periods", [&] { db.Check2()->click(); }, {"--all-period"}},
            {"period and hall",
             [&] {
                 db.Check2()->click();
                 db.cboHoll()->setCurrentText(u("駅前ホール"));
                 db.periodBox(0)->setEditText(u("2003"));
                 db.periodBox(3)->setEditText(u("2003"));
                 db.periodBox(4)->setEditText(u("12"));
                 db.periodBox(5)->setEditText(u("31"));
             },
             {"--from", "2003/01/01", "--to", "2003/12/31", "--hall", "駅前ホール"}},
            {"number typed",
             [&] {
                 db.cboHoll()->setCurrentText(u("全ﾎｰﾙ対象"));
                 db.Check2()->click();
                 db.cboNo()->setEditText(u("12"));
             },
             {"--all-period", "--number", "12"}},
        };
        for (const Case& k : cases) {
            k.set();
            QTest::mouseClick(db.cmdKen(), Qt::LeftButton);
            for (int tab = 0; tab < kAnalysisTabCount; ++tab) {
                // A tab change fills the grid with one model reset.
                QSignalSpy resets(db.mfgDat1()->model(), &QAbstractItemModel::modelReset);
                const bool change = db.currentTab() != tab;
                db.stb1()->setCurrentIndex(tab);
                QCOMPARE(resets.size(), change ? 1 : 0);
                std::vector<std::string> args = {tmp->path().string(), "太郎"};
                args.insert(args.end(), k.args.begin(), k.args.end());
                args.insert(args.end(), {"--table", std::to_string(tab)});
                std::ostringstream out, err;
                QCOMPARE(runAnalysisCommand(args, out, err, defaultPeriod(2004, 2, 20)), 0);
                const std::string shownText = ss(db.lblDbno()->text()) + "\n" + gridText(db.mfgDat1());
                QVERIFY2(shownText == out.str(),
                         (std::string(k.name) + " tab " + std::to_string(tab) + "\n" + shownText + "---\n" + out.str())
                             .c_str());
            }
            db.stb1()->setCurrentIndex(0);
        }
        QVERIFY(answerer.asked.empty());
    }

    void headingClicksShareOneDirectionAcrossTabs() {
        AnalysisWindow db(*ctx, opening());
        db.resize(900, 600);
        db.show();
        db.Check2()->click();
        db.cmdKen()->click();
        QTableView* grid = db.mfgDat1();
        QCOMPARE(column(grid, 0).first(), u("2004/02/21"));  // newest first after a search
        clickHeading(grid, 0);                               // descending
        QCOMPARE(column(grid, 0).first(), u("2004/02/21"));
        clickHeading(grid, 0);  // ascending
        QCOMPARE(column(grid, 0).first(), u("2003/05/01"));
        clickHeading(grid, 10);  // descending, as numbers
        QCOMPARE(column(grid, 10),
                 (QStringList{u("4,500"), u("2,000"), u("1,000"), u("-100"), u("-500"), u("-3,000")}));
        db.stb1()->setCurrentIndex(1);
        QCOMPARE(column(grid, 0), (QStringList{u("2004/02"), u("2004/01"), u("2003/06"), u("2003/05")}));
        clickHeading(grid, 0);  // the flag survives the tab change: ascending
        QCOMPARE(column(grid, 0), (QStringList{u("2003/05"), u("2003/06"), u("2004/01"), u("2004/02")}));
        // Cell colours follow their rows: 2003/05 (-1,500 in total) is red wherever it goes.
        QCOMPARE(grid->model()->index(0, 7).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
        QCOMPARE(grid->model()->index(0, 7).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(255, 255, 255));
    }

    // The period is read as the dates meant and shown padded after 条件検索; a day
    // box takes "1" as 1; a bound that is no date gets a message and no search.
    void periodIsReadAsDatesAndNonDatesAreRefused() {
        AnalysisWindow db(*ctx, opening());
        db.show();
        auto setPeriod = [&](const QStringList& six) {
            for (int i = 0; i < 6; ++i) db.periodBox(i)->setEditText(six[i]);
        };
        auto shownPeriod = [&] {
            QStringList out;
            for (int i = 0; i < 6; ++i) out << db.periodBox(i)->currentText();
            return out.join(QLatin1Char(' '));
        };
        QComboBox* day = db.periodBox(2);
        day->lineEdit()->clear();
        QTest::keyClicks(day->lineEdit(), QStringLiteral("1"));
        QCOMPARE(day->currentText(), QStringLiteral("1"));  // not completed to "10"

        setPeriod({u("2003"), u("5"), u("1"), u("2003"), u("5"), u("31")});
        db.cmdKen()->click();
        QCOMPARE(db.lblDbno()->text(), u("該当データ件数  3 件  /  総データ件数  6 件"));
        QCOMPARE(shownPeriod(), u("2003 05 01 2003 05 31"));
        // An end of 2003/1/5 ends before May, whatever the texts compare as.
        setPeriod({u("2003"), u("1"), u("1"), u("２００３"), u("1"), u("5")});
        db.cmdKen()->click();
        QCOMPARE(db.lblDbno()->text(), u("該当データ件数  0 件  /  総データ件数  6 件"));
        QCOMPARE(shownPeriod(), u("2003 01 01 2003 01 05"));

        db.Check2()->click();  // every period: 6 records shown
        db.cmdKen()->click();
        db.Check2()->click();
        const auto before = db.matchedRecords();
        const QString label = db.lblDbno()->text();
        struct Bad {
            QStringList six;
            const char* message;
        };
        const std::vector<Bad> bad = {
            {{u("2003"), u("13"), u("1"), u("2003"), u("12"), u("31")},
             "期間の開始「2003/13/1」は日付ではありません。"},
            {{u("2003"), u("5"), u("1"), u("2003"), u("5"), u("")}, "期間の終了「2003/5/」は日付ではありません。"},
            {{u("abc"), u("1"), u("1"), u("2003"), u("5"), u("1")}, "期間の開始「abc/1/1」は日付ではありません。"},
        };
        for (const Bad& b : bad) {
            answerer.asked.clear();
            setPeriod(b.six);
            db.cmdKen()->click();
            QCOMPARE(answerer.asked.size(), size_t{1});
            QCOMPARE(answerer.asked[0].title, u("入力ｴﾗｰ発生"));
            QVERIFY2(answerer.asked[0].text.startsWith(u(b.message)), qPrintable(answerer.asked[0].text));
            QCOMPARE(db.matchedRecords(), before);  // no search ran
            QCOMPARE(db.lblDbno()->text(), label);
            QCOMPARE(db.periodBox(0)->currentText() + db.periodBox(1)->currentText(),
                     b.six[0] + b.six[1]);  // left as typed
        }
    }

    // An empty hall, number or machine box selects all, as its pseudo entry does.
    void emptySelectorsSelectAll() {
        AnalysisWindow db(*ctx, opening());
        db.show();
        db.Check2()->click();
        db.cboNo()->setEditText(QString());
        db.cboKisyu()->setEditText(QString());
        db.cmdKen()->click();
        QCOMPARE(db.lblDbno()->text(), u("該当データ件数  6 件  /  総データ件数  6 件"));
    }

    void typeBoxRefillsTheMachinesAndCheck2TogglesThePeriod() {
        AnalysisWindow db(*ctx, opening());
        db.show();
        QCOMPARE(items(db.cboKisyu()), (QStringList{u("全機種対象"), u("海物語"), u("北斗"), u("吉宗")}));
        db.cboKisyu()->setEditText(u("北斗"));
        db.cboK_type()->setCurrentText(u("スロット"));
        QCOMPARE(items(db.cboKisyu()), (QStringList{u("全機種対象"), u("北斗"), u("吉宗")}));
        QCOMPARE(db.cboKisyu()->currentText(), u("北斗"));
        db.cboK_type()->setCurrentText(u("全ﾀｲﾌﾟ対象"));
        QCOMPARE(items(db.cboKisyu()).size(), 4);

        QTest::mouseClick(db.Check2(), Qt::LeftButton);
        QVERIFY(db.Check2()->isChecked());
        for (int i = 0; i < 6; ++i) QVERIFY(!db.periodBox(i)->isEnabled());
        QTest::mouseClick(db.Check2(), Qt::LeftButton);
        for (int i = 0; i < 6; ++i) QVERIFY(db.periodBox(i)->isEnabled());
    }

    void aDamagedYearFileIsReportedOnceAndLeftOut() {
        test::putBytes(taro / "s2002.sdb", test::sjis("\"2002/01/01\",\"x\"\n"));
        QSignalSpy status(ctx.get(), &AppContext::statusMessage);
        AnalysisOpening o = opening();
        AnalysisWindow db(*ctx, o);
        QCOMPARE(answerer.asked.size(), size_t(1));
        QCOMPARE(answerer.asked[0].title, u("ｴﾗｰ発生"));
        QVERIFY2(answerer.asked[0].text.contains(u("s2002.sdb")), qPrintable(answerer.asked[0].text));
        QCOMPARE(status.size(), 1);
        QVERIFY(status.at(0).at(0).toString().contains(u("s2002.sdb")));
        db.Check2()->click();
        db.cmdKen()->click();
        QCOMPARE(answerer.asked.size(), size_t(2));  // once per search
        QCOMPARE(db.lblDbno()->text(), u("該当データ件数  6 件  /  総データ件数  6 件"));
        QCOMPARE(ctx->readSetting(QStringLiteral("db"), QStringLiteral("frmdb.Top")), QString());  // nothing written
    }

    void everyFigureShowsWholeAndTheGridScrollsSideways() {
        // Ten years of losing days: eight-digit sums and four-digit day counts,
        // wider than the columns' given widths.
        std::map<std::string, std::vector<DailyRecord>> years;
        QDate day(1996, 1, 1);
        for (int k = 0; k < 3650; k += 3, day = day.addDays(3)) {
            DailyRecord r = test::recordOn(ss(day.toString(QStringLiteral("yyyy/MM/dd"))));
            r.Youbi = "月";
            r.Tousi = "99,000";
            r.Kaisyu = "1,000";
            r.Syusi = "-98,000";
            r.Zikyu = "-12,250";
            years[r.Nen].push_back(r);
        }
        for (const auto& [year, rs] : years) writeYear(taro, year, rs);
        AnalysisWindow db(*ctx, opening());
        db.show();
        db.Check2()->click();
        db.cmdKen()->click();
        QTableView* grid = db.mfgDat1();
        for (int tab = 0; tab < db.stb1()->count(); ++tab) {
            db.stb1()->setCurrentIndex(tab);
            auto* cells = qobject_cast<ElidingDelegate*>(grid->itemDelegate());
            QVERIFY(cells);
            const QAbstractItemModel* m = grid->model();
            const QFontMetrics heading(grid->horizontalHeader()->font());
            for (int c = 0; c < m->columnCount(); ++c) {
                const QString h = m->headerData(c, Qt::Horizontal).toString();
                QVERIFY2(heading.horizontalAdvance(h) <= grid->columnWidth(c),
                         qPrintable(QStringLiteral("tab %1 heading %2").arg(tab).arg(h)));
                // Names may be cut (their tooltip shows them); figures never.
                if (db.currentTable().columns()[static_cast<size_t>(c)].cellAlign == CellAlign::Left) continue;
                for (int r = 0; r < std::min(m->rowCount(), 400); ++r) {
                    const QModelIndex i = m->index(r, c);
                    QVERIFY2(cells->shownText(grid, i) == i.data().toString(),
                             qPrintable(QStringLiteral("tab %1 column %2 row %3: %4 shown as %5")
                                            .arg(tab)
                                            .arg(h)
                                            .arg(r)
                                            .arg(i.data().toString(), cells->shownText(grid, i))));
                }
            }
            // The given widths stay the least.
            for (int c = 0; c < m->columnCount(); ++c)
                QVERIFY(grid->columnWidth(c) >=
                        twipsToPixelsX(db.currentTable().columns()[static_cast<size_t>(c)].widthTwips));
        }
        // The daily list is wider than the window: the last column, 収支金額, is
        // reached by scrolling.
        db.stb1()->setCurrentIndex(0);
        QTRY_VERIFY(grid->horizontalScrollBar()->maximum() > 0);
        const QModelIndex balance = grid->model()->index(0, grid->model()->columnCount() - 1);
        grid->scrollTo(balance);
        QVERIFY(grid->viewport()->rect().contains(grid->visualRect(balance)));
    }

    void layoutIsKeptAcrossARestartAndTooSmallSnapsBack() {
        QMdiArea area;
        area.resize(1200, 800);
        area.show();
        auto open = [&] {
            auto* db = new AnalysisWindow(*ctx, opening());
            QMdiSubWindow* sub = area.addSubWindow(db);
            sub->setAttribute(Qt::WA_DeleteOnClose);
            sub->show();
            return sub;
        };
        QMdiSubWindow* sub = open();
        QCOMPARE(sub->size(), QSize(twipsToPixelsX(11160), twipsToPixelsY(7980)));
        sub->setGeometry(30, 40, 900, 640);
        auto* db = static_cast<AnalysisWindow*>(sub->widget());
        db->mfgDat1()->setColumnWidth(3, 120);
        const int wide = db->cmdKen()->x();
        sub->close();
        QCOMPARE(ctx->readSetting(QStringLiteral("db"), QStringLiteral("frmdb.Left")),
                 QString::number(std::lround(pixelsToTwipsX(30))));
        QCOMPARE(ctx->readSetting(QStringLiteral("db"), QStringLiteral("mfgDat1.ColWidth(3)")),
                 QString::number(std::lround(pixelsToTwipsX(120))));

        sub = open();
        QCOMPARE(sub->geometry(), QRect(30, 40, 900, 640));
        db = static_cast<AnalysisWindow*>(sub->widget());
        QCOMPARE(db->cmdKen()->x(), wide);  // the buttons keep to the right edge
        sub->resize(400, 300);
        QTRY_COMPARE(sub->size(), QSize(twipsToPixelsX(11160), twipsToPixelsY(7980)));
        QTest::mouseClick(db->cmdCancel(), Qt::LeftButton);
        QTRY_VERIFY(area.subWindowList().isEmpty());
    }
};

QTEST_MAIN(AnalysisWindowTest)
#include "analysis_window_test.moc"
