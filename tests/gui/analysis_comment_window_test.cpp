// The analysis window's "ｺﾒﾝﾄ" box: its place on the machine row within the
// window's least size, the search by comment alone and with the other
// selectors, and the workbook's condition line naming it.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "../support/gui_fixture.h"
#include "analysis/analysis_window.h"
#include "export/analysis_export.h"
#include "storage/record_store.h"
#include "ui/app_context.h"
#include "ui/messages.h"

using namespace tama;
using namespace tama::ui;

namespace {

using test::u;

DailyRecord rec(const std::string& date, const char* hall, const char* come) {
    DailyRecord r = test::recordOn(date);
    r.Holl = hall;
    r.Come = come;
    return r;
}

// Types key by key; characters beyond ASCII arrive with their text, as an input method delivers them.
void typeText(QWidget* w, const QString& text) {
    for (QChar c : text) QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QStringList dates(const AnalysisWindow& db) {
    QStringList out;
    for (const auto& r : db.matchedRecords()->records) out << QString::fromStdString(r.date);
    return out;
}

}  // namespace

class AnalysisCommentWindowTest : public QObject, protected test::GuiFixture {
    Q_OBJECT


    AnalysisOpening opening() const {
        AnalysisOpening o;
        o.users = {u("太郎")};
        o.user = u("太郎");
        o.halls = {u("全ﾎｰﾙ対象"), u("駅前ホール"), u("港ホール")};
        o.machines = {u("全機種対象")};
        o.today = QDate(2003, 12, 31);
        return o;
    }

private slots:
    void init() {
        startFolder();
        const fs::path taro = tmp->makeUser("太郎");
        const fs::path path = taro / "s2003.sdb";
        test::putBytes(
            path, encodeYearFile({rec("2003/05/01", "駅前ホール", "朝一から爆発"),
                                  rec("2003/05/02", "港ホール", "爆発～のち沈没"), rec("2003/05/03", "港ホール", "")},
                                 path));
        openContext();
    }
    void cleanup() { finish(); }

    void theBoxStandsOnTheMachineRowWithinTheLeastSize() {
        AnalysisWindow db(*ctx, opening());
        db.show();
        QLineEdit* box = db.txtCome();
        QVERIFY(box);
        auto* caption = db.findChild<QLabel*>(QStringLiteral("Label12"));
        QCOMPARE(caption->text(), u("ｺﾒﾝﾄ"));
        QCOMPARE(box->text(), QString());
        const QRect machine = db.cboKisyu()->geometry();
        QCOMPARE(box->geometry().top(), machine.top());                     // the row of 機種名
        QVERIFY(caption->geometry().left() > machine.right());              // right of it ...
        QVERIFY(box->geometry().right() < db.cmdKen()->geometry().left());  // ... and left of the buttons
        QCOMPARE(db.width(), twipsToPixelsX(11160));                        // at the window's least width
        QCOMPARE(dates(db), (QStringList{u("2003/05/01"), u("2003/05/02"), u("2003/05/03")}));
    }

    // The matching rules themselves are the core search's (analysis_comment_test).
    void searchesByCommentAloneAndWithTheOtherSelectors() {
        AnalysisWindow db(*ctx, opening());
        db.show();
        db.txtCome()->setText(u("爆発"));
        QTest::mouseClick(db.cmdKen(), Qt::LeftButton);
        QCOMPARE(dates(db), (QStringList{u("2003/05/01"), u("2003/05/02")}));
        db.cboHoll()->setCurrentText(u("港ホール"));
        QTest::mouseClick(db.cmdKen(), Qt::LeftButton);
        QCOMPARE(dates(db), QStringList{u("2003/05/02")});
        // Enter in the box searches too; the workbook's condition line names the text.
        db.cboHoll()->setCurrentText(u("全ﾎｰﾙ対象"));
        db.txtCome()->clear();
        typeText(db.txtCome(), u("〜のち"));
        QTest::keyClick(db.txtCome(), Qt::Key_Return);
        QCOMPARE(dates(db), QStringList{u("2003/05/02")});
        QVERIFY(db.lblDbno()->text().startsWith(u("該当データ件数  1 件")));
        QVERIFY(QString::fromStdString(conditionLine(db.criteria())).endsWith(u("　機種名：全機種　ｺﾒﾝﾄ：〜のち ]")));
    }
};

QTEST_MAIN(AnalysisCommentWindowTest)
#include "analysis_comment_window_test.moc"
