// The monthly budget as a user meets it: the options dialog's page "予算" and
// what it writes, the summary's "予算残り" with its colour, and the one notice
// of a save that takes the month past the budget (the record is saved).
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>
#include <memory>

#include "../support/gui_fixture.h"
#include "entry/entry_form.h"
#include "monthly/monthly_window.h"
#include "options/options_dialog.h"
#include "storage/record_store.h"
#include "ui/app_context.h"
#include "ui/messages.h"

using namespace tama;
using namespace tama::ui;

namespace {

using test::u;

DailyRecord visit(const std::string& date, const char* syusi) {
    DailyRecord r = test::recordOn(date);
    r.Syusi = syusi;
    return r;
}

void retype(QLineEdit* e, const QString& text) {
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    QTest::keyClicks(e, text);
}

}  // namespace

class BudgetWindowTest : public QObject, protected test::GuiFixture {
    Q_OBJECT


    fs::path ini() const { return tmp->path() / "tmrec.ini"; }

    // The monthly window on 太郎, May 2024: two losses of 16,000 (-32,000).
    std::unique_ptr<MonthlyWindow> openMonthly() {
        auto m = std::make_unique<MonthlyWindow>(*ctx);
        m->cboUser()->setCurrentText(u("太郎"));
        m->setYearMonth(u("2024"), u("05"));
        m->show();
        return m;
    }
    QLabel* remainder(MonthlyWindow& m) { return m.findChild<QLabel*>(QStringLiteral("lblYosan")); }

private slots:
    void init() {
        startFolder();
        const fs::path taro = tmp->makeUser("太郎");
        const fs::path year = taro / "s2024.sdb";
        test::putBytes(year, encodeYearFile({visit("2024/04/30", "-90,000"), visit("2024/05/01", "-16,000"),
                                             visit("2024/05/02", "-16,000")},
                                            year));
        openContext();
    }
    void cleanup() { finish(); }

    void theOptionsPageStoresTheBudgetAndRefusesWhatIsNoAmount() {
        {
            OptionsDialog dlg(*ctx);
            auto* tabs = dlg.findChild<QTabWidget*>(QStringLiteral("stb1"));
            QCOMPARE(tabs->tabText(tabs->count() - 1), u("予算"));
            QVERIFY(dlg.findChild<QLabel*>(QStringLiteral("Label5"))->text() == u("月間予算（負け額の上限）"));
            QCOMPARE(dlg.txtYosan()->text(), QString());  // off
            retype(dlg.txtYosan(), u("-5,000"));
            QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("cmdOk")), Qt::LeftButton);
            QCOMPARE(answerer.asked.size(), size_t(1));
            QCOMPARE(answerer.asked[0].text, u("月間予算は 0 以上の整数（円）で入力して下さい。"));
            QCOMPARE(dlg.result(), 0);  // still open on the box
            QCOMPARE(tabs->currentIndex(), tabs->count() - 1);
            QVERIFY(!fs::exists(ini()));

            QSignalSpy changed(ctx.get(), &AppContext::budgetChanged);
            retype(dlg.txtYosan(), u("50,000"));
            QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("cmdUpd")), Qt::LeftButton);
            QCOMPARE(ctx->monthlyBudget(), std::optional<std::int64_t>(50000));  // Apply: for this run ...
            QCOMPARE(changed.count(), 1);
            QVERIFY(!fs::exists(ini()));  // ... and nothing written
            QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("cmdDefult")), Qt::LeftButton);
            QCOMPARE(dlg.txtYosan()->text(), u("50,000"));  // Defaults are the display options only
            QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("cmdOk")), Qt::LeftButton);
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        }
        QVERIFY(test::fileText(ini()).find("txtYosan.Text=50000\n") != std::string::npos);
        AppContext next(tmp->path());
        next.loadOptions();
        QCOMPARE(next.monthlyBudget(), std::optional<std::int64_t>(50000));

        // Emptied again: off, and the key says so.
        OptionsDialog dlg(next);
        QCOMPARE(dlg.txtYosan()->text(), u("50,000"));
        retype(dlg.txtYosan(), u("0"));
        QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("cmdOk")), Qt::LeftButton);
        QCOMPARE(next.monthlyBudget(), std::nullopt);
        QVERIFY(test::fileText(ini()).find("txtYosan.Text=\n") != std::string::npos);
    }

    void theSummaryShowsWhatIsLeftRedBelowZero() {
        auto monthly = openMonthly();
        QLabel* left = remainder(*monthly);
        QVERIFY(left);
        QVERIFY(left->isHidden());  // no budget: no line
        struct Case {
            std::int64_t budget;
            const char* text;
            QColor colour;
        } cases[] = {
            {50000, "18,000 円 ", QColor(0, 0, 0)},
            {32000, "0 円 ", QColor(0, 0, 0)},
            {30000, "-2,000 円 ", QColor(255, 0, 0)},
        };
        for (const auto& c : cases) {
            ctx->setMonthlyBudget(c.budget);
            QVERIFY(left->isVisible());
            QCOMPARE(left->text(), u(c.text));
            QCOMPARE(left->palette().color(QPalette::WindowText), c.colour);
        }
        // Another month is measured against its own balance.
        monthly->setYearMonth(u("2024"), u("04"));
        QCOMPARE(left->text(), u("-60,000 円 "));
        monthly->setYearMonth(u("2024"), u("06"));  // nothing played: the whole budget
        QCOMPARE(left->text(), u("30,000 円 "));
        ctx->setMonthlyBudget(std::nullopt);
        QVERIFY(left->isHidden());
    }

    void aSaveThatTakesTheMonthPastTheBudgetBringsOneNotice() {
        ctx->setMonthlyBudget(40000);
        auto monthly = openMonthly();
        EntryForm form(*ctx, *monthly);
        form.prepareNew();
        form.show();
        auto* nen = form.findChild<QLineEdit*>(QStringLiteral("txtNen"));
        auto* tuki = form.findChild<QLineEdit*>(QStringLiteral("txtTuki"));
        auto* hi = form.findChild<QLineEdit*>(QStringLiteral("txtHi"));
        auto* kaisyu = form.findChild<QLineEdit*>(QStringLiteral("txtKaisyu"));
        auto* save = form.findChild<QPushButton*>(QStringLiteral("cmdTou"));
        retype(nen, u("2024"));
        retype(tuki, u("5"));
        retype(hi, u("3"));
        retype(kaisyu, u("5000"));  // 15,000 in: -10,000, the month at -42,000
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(answerer.asked.size(), size_t(1));
        QCOMPARE(answerer.asked[0].text, u("今月の予算を超えました（-2,000 円）"));
        QCOMPARE(ctx->store().loadYear("太郎", "2024").count(), 4);  // saved all the same
        QCOMPARE(remainder(*monthly)->text(), u("-2,000 円 "));

        retype(hi, u("4"));
        QTest::mouseClick(save, Qt::LeftButton);  // past it already: no second notice
        QCOMPARE(answerer.asked.size(), size_t(1));
        QCOMPARE(ctx->store().loadYear("太郎", "2024").count(), 5);
    }
};

QTEST_MAIN(BudgetWindowTest)
#include "budget_window_test.moc"
