// The entry form driven as a user drives it: typing into boxes, clicking
// buttons and answering message boxes, checked by what it shows and by the
// bytes it writes into a temporary program folder.
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QProcess>
#include <QtTest>

#include "../support/gui_fixture.h"
#include "entry/entry_form.h"
#include "entry/entry_model.h"
#include "entry/monthly_link.h"
#include "ui/app_context.h"
#include "ui/messages.h"
#include "ui/spin_button.h"
#include "storage/record_store.h"

using namespace tama;
using namespace tama::ui;
using tama::test::TempFolder;

namespace {

const std::string kUser = "太郎";

// The monthly window as the entry form sees it: the user's year loaded through
// the record store, with the selected month's first index and count.
class FakeMonthly : public MonthlyLink {
public:
    FakeMonthly(RecordStore& store, QString year, QString month) : store_(store), year_(year), month_(month) {
        reloadYear();
        refillList();
    }
    QString currentUser() const override { return QString::fromStdString(kUser); }
    QString selectedYear() const override { return year_; }
    QString selectedMonth() const override { return month_; }
    YearRecordList& yearRecordList() override { return list_; }
    int monthFirst() const override { return first_; }
    int monthCount() const override { return count_; }
    int currentRow() const override { return row_; }
    void reloadYear() override {
        ++getSyusiCalls;
        list_ = store_.loadYear(kUser, year_.toStdString());
    }
    void refillList() override {
        ++prtMfgCalls;
        count_ = 0;
        for (int i = 1; i <= list_.count(); ++i) {
            if (list_.record(i).Tuki != month_.toStdString()) continue;
            if (count_++ == 0) first_ = i;
        }
    }
    int row_ = 1;
    int getSyusiCalls = 0;
    int prtMfgCalls = 0;

private:
    RecordStore& store_;
    QString year_, month_;
    YearRecordList list_;
    int first_ = 0, count_ = 0;
};

DailyRecord makeRecord(const std::string& date, const std::string& youbi, const std::string& syusi,
                       const std::string& dayFirst, const std::string& come = "") {
    DailyRecord r = test::recordOn(date);
    r.Youbi = youbi;
    r.Syusi = syusi;
    r.Kisyu = "機種Ａ";
    r.Come = come;
    r.DayFirst = dayFirst;
    return r;
}

using test::child;

using test::u;

using test::typeText;

// Replaces a text box's content the way a user does: select all, type.
void retype(QLineEdit* e, const QString& text) {
    e->selectAll();
    if (text.isEmpty()) QTest::keyClick(e, Qt::Key_Delete);
    else typeText(e, text);
}

}  // namespace

class EntryFormTest : public QObject, protected test::GuiFixture {
    Q_OBJECT

private:
    std::unique_ptr<FakeMonthly> monthly;
    std::unique_ptr<EntryForm> form;

    fs::path yearFile(const char* year = "2003") const {
        return tmp->path() / "Data" / kUser / (std::string("s") + year + ".sdb");
    }
    void writeYear(const std::vector<DailyRecord>& records, const char* year = "2003") {
        tama::test::putBytes(yearFile(year), encodeYearFile(records, yearFile(year)));
    }
    void open(const char* year, const char* month) {
        monthly = std::make_unique<FakeMonthly>(ctx->store(), u(year), u(month));
        form = std::make_unique<EntryForm>(*ctx, *monthly);
    }
    void showActive() {
        form->show();
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    // Types the date of a new record into the date boxes.
    void typeDate(const char* nen, const char* tuki, const char* hi) {
        retype(child<QLineEdit>(form.get(), "txtNen"), u(nen));
        retype(child<QLineEdit>(form.get(), "txtTuki"), u(tuki));
        retype(child<QLineEdit>(form.get(), "txtHi"), u(hi));
    }
    QString text(const char* name) {
        QWidget* w = child<QWidget>(form.get(), name);
        if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
        if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
        if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
        if (auto* t = qobject_cast<QPlainTextEdit*>(w)) return t->toPlainText();
        return {};
    }
    QColor textColour(const char* name) { return child<QLineEdit>(form.get(), name)->palette().color(QPalette::Text); }
    void click(const char* name) { QTest::mouseClick(child<QPushButton>(form.get(), name), Qt::LeftButton); }

private slots:
    void init() {
        startFolder();
        tmp->makeUser(kUser);
        openContext();
    }
    void cleanup() {
        form.reset();
        monthly.reset();
        finish();
    }

    void newModeShowsEveryControlWithItsStartValues() {
        open("2003", "05");
        form->prepareNew();
        QCOMPARE(form->windowTitle(), u("日間収支データ入力"));
        QVERIFY(!child<QPushButton>(form.get(), "cmdDel")->isEnabled());
        QVERIFY(!child<QPushButton>(form.get(), "cmdUpd")->isEnabled());
        QVERIFY(child<QPushButton>(form.get(), "cmdTou")->isEnabled());
        for (const char* hidden : {"scl1", "lbl01", "lblKen"}) QVERIFY(child<QWidget>(form.get(), hidden)->isHidden());

        const QDate today = QDate::currentDate();
        QCOMPARE(text("txtNen"), QString::number(today.year()));
        QCOMPARE(text("txtTuki"), QString::number(today.month()));
        QCOMPARE(text("txtHi"), QString::number(today.day()));
        const char* days[] = {"月", "火", "水", "木", "金", "土", "日"};
        QCOMPARE(text("cboYoubi"), u(days[today.dayOfWeek() - 1]));
        QCOMPARE(text("txtZ1_1"), u("10"));
        QCOMPARE(text("txtZ1_2"), u("00"));
        QCOMPARE(text("txtZ2_1"), u("18"));
        QCOMPARE(text("txtZ2_2"), u("00"));
        QCOMPARE(text("txtTousi"), u("15000"));
        QCOMPARE(text("txtKaisyu"), u("30000"));
        // The figures are there from the start, as after the first timer tick.
        QCOMPARE(text("lblT_tim"), u("8.0"));
        QCOMPARE(text("txtSyusi"), u("15,000"));
        QCOMPARE(text("txtZikyu"), u("1,875"));
        QCOMPARE(textColour("txtSyusi"), QColor(0, 0, 0));
        QCOMPARE(text("cboK_no"), QString());
        QCOMPARE(text("cboHoll"), QString());
        QCOMPARE(text("txtCome"), QString());

        auto* kno = child<QComboBox>(form.get(), "cboK_no");
        QCOMPARE(kno->count(), 1500);
        QCOMPARE(kno->itemText(0), u(" 1 "));
        QCOMPARE(kno->itemText(1499), u(" 1500 "));
        QStringList types;
        auto* type = child<QComboBox>(form.get(), "cboK_type");
        for (int i = 0; i < type->count(); ++i) types << type->itemText(i);
        QCOMPARE(types, QStringList({u("ＣＲ機"), u("時短機"), u("権利物"), u("一般電役"), u("ハネモノ"), u("スロット"),
                                     u("その他")}));
        QCOMPARE(type->currentText(), u("ＣＲ機"));
        QVERIFY(!type->isEditable());
        QVERIFY(!child<QComboBox>(form.get(), "cboYoubi")->isEditable());
        QCOMPARE(child<QComboBox>(form.get(), "cboYoubi")->count(), 7);

        // Spin buttons: start, min, step, max; the year reaches 2099.
        struct Spin {
            const char* name;
            const char* buddy;
            int start, min, step, max;
        };
        const Spin spins[] = {
            {"UpDown5", "txtNen", 1995, 0, 1, 2099},
            {"UpDown6", "txtTuki", 1, 0, 1, 12},
            {"UpDown7", "txtHi", 1, 0, 1, 31},
            {"UpDown3", "txtZ1_1", 9, 0, 1, 24},
            {"UpDown4", "txtZ1_2", 0, 0, 30, 30},
            {"UpDown1", "txtZ2_1", 9, 0, 1, 24},
            {"UpDown2", "txtZ2_2", 0, 0, 30, 30},
            {"UpDown8", "txtTousi", 10000, 0, 500, 80000},
            {"UpDown9", "txtKaisyu", 20000, 0, 500, 300000},
        };
        for (const Spin& s : spins) {
            auto* sp = child<SpinButton>(form.get(), s.name);
            QCOMPARE(sp->buddy()->objectName(), QString::fromLatin1(s.buddy));
            QCOMPARE(sp->value(), s.start);
            QCOMPARE(sp->minimum(), s.min);
            QCOMPARE(sp->singleStep(), s.step);
            QCOMPARE(sp->maximum(), s.max);
        }

        // Captions, as the user reads them.
        QStringList labels;
        for (QLabel* l : form->findChildren<QLabel*>()) labels << l->text();
        for (const char* caption :
             {"日付", " 年", " 月", " 日", "ホール名", "遊技時間", " ：", " ～", "時間", "台番号", "機種タイプ",
              "機種名", "投資金額", "回収金額", "時給", "収支金額", "円", " コメント （50文字以内）", " 前   　   次"})
            QVERIFY2(labels.contains(u(caption)), caption);
        QCOMPARE(child<QLabel>(form.get(), "lbl1")->text(), u("時間"));
        QCOMPARE(child<QGroupBox>(form.get(), "Frame1")->title(), u("機種情報"));
        QCOMPARE(child<QGroupBox>(form.get(), "Frame2")->title(), u("収支情報"));
        auto* tab = child<QTabWidget>(form.get(), "sst1");
        QCOMPARE(tab->count(), 1);
        QCOMPARE(tab->tabText(0), u("日間収支データ"));
        QCOMPARE(child<QPushButton>(form.get(), "cmdKeisan1")->toolTip(), u("時給手動計算"));
        QCOMPARE(child<QPushButton>(form.get(), "cmdKeisan2")->toolTip(), u("合計時間手動計算"));
        QCOMPARE(child<QPushButton>(form.get(), "cmdTou")->text(), u("登録"));
        QCOMPARE(child<QPushButton>(form.get(), "cmdUpd")->text(), u("修正"));
        QCOMPARE(child<QPushButton>(form.get(), "cmdDel")->text(), u("削除"));
        QCOMPARE(child<QPushButton>(form.get(), "cmdCancel")->text(), u("キャンセル"));
        QVERIFY(answerer.asked.empty());
    }

    void figuresFollowTheTyping() {
        open("2003", "05");
        form->prepareNew();
        auto* tousi = child<QLineEdit>(form.get(), "txtTousi");
        auto* kaisyu = child<QLineEdit>(form.get(), "txtKaisyu");
        retype(tousi, u("30000"));
        retype(kaisyu, u("12000"));
        retype(child<QLineEdit>(form.get(), "txtZ2_1"), u("17"));
        QCOMPARE(text("lblT_tim"), u("7.0"));
        QCOMPARE(text("txtSyusi"), u("-18,000"));
        QCOMPARE(text("txtZikyu"), u("-2,571"));
        QCOMPARE(textColour("txtSyusi"), QColor(255, 0, 0));
        QCOMPARE(textColour("txtZikyu"), QColor(255, 0, 0));

        // A letter is refused at the key: the box keeps its digits, a beep and the
        // message line say why, and the figures stay those of the box.
        QSignalSpy said(ctx.get(), &AppContext::statusMessage);
        tousi->clear();
        QCOMPARE(text("txtSyusi"), u("12,000"));  // an empty amount counts 0, as a save counts it
        QTest::keyClicks(tousi, u("12a"));
        QCOMPARE(tousi->text(), u("12"));
        QVERIFY(!said.isEmpty());
        QCOMPARE(said.last().at(0).toString(), u("投資金額に「a」は入力できません。数字だけを入力して下さい。"));
        QCOMPARE(text("txtSyusi"), u("11,988"));
        // Full-width digits from an input method and grouping commas, typed or pasted.
        retype(kaisyu, u("１２，５００"));
        QCOMPARE(kaisyu->text(), u("12500"));
        QCOMPARE(text("txtSyusi"), u("12,488"));
        kaisyu->selectAll();
        kaisyu->insert(u("30,000"));  // what a paste inserts
        QCOMPARE(kaisyu->text(), u("30000"));
        QCOMPARE(text("txtSyusi"), u("29,988"));
        kaisyu->selectAll();
        kaisyu->insert(u("3万"));
        QCOMPARE(kaisyu->text(), u("30000"));  // refused whole: never silently emptied
        QCOMPARE(said.last().at(0).toString(), u("回収金額に「万」は入力できません。数字だけを入力して下さい。"));
        QCOMPARE(text("txtSyusi"), u("29,988"));
        retype(kaisyu, u("12000"));
        tousi->clear();
        QTest::keyClicks(tousi, u("5000"));
        QCOMPARE(text("txtSyusi"), u("7,000"));
        QCOMPARE(text("txtZikyu"), u("1,000"));
        QCOMPARE(textColour("txtSyusi"), QColor(0, 0, 0));

        // Half hours: a minute typed as "0" shows "00"; 30 minutes add half an hour.
        auto* z22 = child<QLineEdit>(form.get(), "txtZ2_2");
        z22->clear();
        QTest::keyClicks(z22, u("0"));
        QCOMPARE(z22->text(), u("00"));
        // Typing the whole minute after the added "0" gives that minute.
        for (const char* minute : {"00", "30"}) {
            z22->clear();
            QTest::keyClicks(z22, u(minute));
            QCOMPARE(z22->text(), u(minute));
        }
        retype(z22, u("0"));
        child<SpinButton>(form.get(), "UpDown2")->stepUp();
        QCOMPARE(z22->text(), u("30"));
        QCOMPARE(text("lblT_tim"), u("7.5"));
        child<SpinButton>(form.get(), "UpDown2")->stepUp();  // already at the top
        QCOMPARE(z22->text(), u("30"));

        // Play time 0.0: the rate is not recomputed, and the manual rate does nothing.
        retype(child<QLineEdit>(form.get(), "txtZ2_1"), u("10"));
        retype(z22, u("0"));
        QCOMPARE(z22->text(), u("00"));
        QCOMPARE(text("lblT_tim"), u("0.0"));
        const QString rate = text("txtZikyu");
        retype(kaisyu, u("9000"));
        QCOMPARE(text("txtSyusi"), u("4,000"));
        QCOMPARE(text("txtZikyu"), rate);
        click("cmdKeisan1");
        QCOMPARE(text("txtZikyu"), rate);
        // With time again, the manual rate divides the balance box by it.
        retype(child<QLineEdit>(form.get(), "txtZ2_1"), u("12"));
        retype(child<QLineEdit>(form.get(), "txtSyusi"), u("-3,000"));
        click("cmdKeisan1");
        QCOMPARE(text("txtZikyu"), u("-1,500"));
        QCOMPARE(textColour("txtZikyu"), QColor(255, 0, 0));

        // The year spin button steps the typed year and stops at 2099.
        auto* nen = child<QLineEdit>(form.get(), "txtNen");
        retype(nen, u("2098"));
        child<SpinButton>(form.get(), "UpDown5")->stepUp();
        QCOMPARE(nen->text(), u("2099"));
        child<SpinButton>(form.get(), "UpDown5")->stepUp();
        QCOMPARE(nen->text(), u("2099"));
        // Date typing sets the weekday.
        typeDate("2003", "5", "4");
        QCOMPARE(text("cboYoubi"), u("日"));
    }

    void saveWritesTheRecordAndTheLists() {
        open("2003", "05");
        form->prepareNew();
        showActive();
        QSignalSpy records(ctx.get(), &AppContext::recordsChanged);
        QSignalSpy lists(ctx.get(), &AppContext::listsChanged);
        typeDate("2003", "5", "1");
        QTest::keyClicks(child<QComboBox>(form.get(), "cboK_no"), u("12"));
        click("cmdTou");
        QVERIFY(answerer.asked.empty());
        const std::string first =
            "\"2003/05/01\",\"2003\",\"05\",\"01\",\"木\",\"（不明）\",\"10\",\"00\",\"18\",\"00\",\"8.0\",\"15000\","
            "\"30000\",\"1,875\",\"15,000\",\"12\",\"ＣＲ機\",\"（不明）\",\"\",\"1\",\"\",\"\",\"\",\"\"\n";
        QCOMPARE(tama::test::fileBytes(yearFile()), tama::test::sjis(first));
        // An empty hall and machine add nothing to any list.
        QVERIFY(!fs::exists(ctx->lists().userHallFile(kUser)));
        QVERIFY(!fs::exists(ctx->lists().commonHallFile()));
        QVERIFY(!fs::exists(ctx->lists().userMachineFile(kUser)));
        QCOMPARE(tama::test::fileBytes(tmp->path() / "Data" / kUser / "Year.txt"),
                 tama::test::sjis("\"2003\",15000\n"));
        QCOMPARE(records.count(), 1);
        QCOMPARE(lists.count(), 1);
        QCOMPARE(monthly->monthCount(), 1);
        QVERIFY(child<QLineEdit>(form.get(), "txtNen")->hasFocus());
        // The boxes keep their values for the next entry.
        QCOMPARE(text("txtHi"), u("1"));
        QCOMPARE(text("txtZ1_1"), u("10"));

        // A second record of the same date, with a new hall and machine.
        child<QComboBox>(form.get(), "cboHoll")->setEditText(u("駅前ホール"));
        typeText(child<QComboBox>(form.get(), "cboKisyu"), u("機種Ａ"));
        retype(child<QLineEdit>(form.get(), "txtKaisyu"), u("5000"));
        click("cmdTou");
        QVERIFY(answerer.asked.empty());
        const auto saved = ctx->store().loadYear(kUser, "2003");
        QCOMPARE(saved.count(), 2);
        QCOMPARE(saved.record(2).DayFirst, std::string("2"));
        QCOMPARE(saved.record(2).Holl, std::string("駅前ホール"));
        QCOMPARE(saved.record(2).Syusi, std::string("-10,000"));
        QCOMPARE(tama::test::fileBytes(ctx->lists().userHallFile(kUser)), tama::test::sjis("\"駅前ホール\",\"1\"\n"));
        QCOMPARE(tama::test::fileBytes(ctx->lists().commonHallFile()), tama::test::sjis("\"駅前ホール\",\"1\"\n"));
        QCOMPARE(tama::test::fileBytes(ctx->lists().userMachineFile(kUser)),
                 tama::test::sjis("\"ＣＲ機\",\"機種Ａ\"\n"));
        // The boxes' lists now offer the new names.
        QCOMPARE(child<QComboBox>(form.get(), "cboHoll")->findText(u("駅前ホール")), 0);
        QCOMPARE(child<QComboBox>(form.get(), "cboKisyu")->findText(u("機種Ａ")), 0);
        QCOMPARE(tama::test::fileBytes(tmp->path() / "Data" / kUser / "Year.txt"), tama::test::sjis("\"2003\",5000\n"));

        // A record of another month reloads the year but not the month's grid.
        const int grids = monthly->prtMfgCalls;
        const int loads = monthly->getSyusiCalls;
        typeDate("2003", "6", "2");
        click("cmdTou");
        QCOMPARE(monthly->prtMfgCalls, grids);
        QVERIFY(monthly->getSyusiCalls > loads);
        QCOMPARE(tama::test::fileBytes(tmp->path() / "Data" / kUser / "Year.txt"),
                 tama::test::sjis("\"2003\",-5000\n"));
        QCOMPARE(records.count(), 3);
    }

    // tamalog-cli add types like the form: the same typing gives the same bytes,
    // also where the form's opening recalculation and its recalculation after
    // every key leave figures behind (an emptied money box counts 0; an end hour
    // that makes the play time zero keeps the rate computed before), and where
    // money is typed full-width or with separators.
    void cliAddStoresWhatTheFormStoresForTheSameTyping() {
        const std::vector<std::vector<std::pair<const char*, const char*>>> typings = {
            {{"txtTousi", ""}},
            {{"txtTousi", "１５，０００"}, {"txtKaisyu", "30,000"}, {"cboK_no", "１２"}},
            {{"txtTousi", "20000"}, {"txtZ2_1", "10"}},
            {{"txtZ2_1", "9"}, {"txtKaisyu", "4000"}, {"cboHoll", "駅前〜本店"}},
        };
        const fs::path cli = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin" / "tamalog-cli";
        QVERIFY2(fs::exists(cli), "build tamalog-cli first");
        for (const auto& typing : typings) {
            init();
            open("2003", "05");
            form->prepareNew();
            showActive();
            typeDate("2003", "5", "1");
            QStringList args = {QStringLiteral("add"),
                                QString::fromStdString(tmp->path().string() + "/cli"),
                                QString::fromStdString(kUser),
                                "txtNen=2003",
                                "txtTuki=5",
                                "txtHi=1"};
            for (const auto& [box, value] : typing) {
                if (std::string_view(box) == "cboHoll" || std::string_view(box) == "cboK_no")
                    typeText(child<QComboBox>(form.get(), box), u(value));
                else retype(child<QLineEdit>(form.get(), box), u(value));
                args << u(box) + "=" + u(value);
            }
            click("cmdTou");
            QVERIFY(answerer.asked.empty());
            TempFolder other;
            fs::rename(other.path(), tmp->path() / "cli");  // a second program folder
            fs::create_directories(tmp->path() / "cli" / "Data" / kUser);
            QProcess run;
            run.start(QString::fromStdString(cli.string()), args);
            QVERIFY(run.waitForFinished(10000));
            QCOMPARE(run.exitCode(), 0);
            QCOMPARE(QString::fromStdString(tama::test::fileText(tmp->path() / "cli" / "Data" / kUser / "s2003.sdb")),
                     QString::fromStdString(tama::test::fileText(yearFile())));
            fs::rename(tmp->path() / "cli", other.path());
            cleanup();
        }
        init();
    }

    void refusedSavesWriteNothing() {
        open("2003", "05");
        form->prepareNew();
        showActive();
        typeDate("2003", "5", "1");
        auto* come = child<QPlainTextEdit>(form.get(), "txtCome");
        typeText(come, QString(51, QChar(0x3042)));  // 51 × "あ"
        click("cmdTou");
        QCOMPARE(int(answerer.asked.size()), 1);
        QCOMPARE(answerer.asked[0].text, u("コメントの文字数を50文字以内にして下さい。"));
        QCOMPARE(answerer.asked[0].title, u("ｴﾗｰ発生"));
        QCOMPARE(answerer.asked[0].icon, Icon::Exclamation);
        QVERIFY(come->hasFocus());
        QVERIFY(!fs::exists(yearFile()));

        // 50 characters are accepted; a start minute of 15 is not.
        QTest::keyClick(come, Qt::Key_Backspace);
        auto* z12 = child<QLineEdit>(form.get(), "txtZ1_2");
        retype(z12, u("15"));
        child<QPushButton>(form.get(), "cmdCancel")->setFocus();
        click("cmdTou");
        QCOMPARE(int(answerer.asked.size()), 2);
        QCOMPARE(answerer.asked[1].text, u("遊技時間の指定は、30分単位（00分又は30分）で入力して下さい。"));
        QCOMPARE(answerer.asked[1].title, u("入力ｴﾗｰ発生"));
        QVERIFY(z12->hasFocus());
        QVERIFY(!fs::exists(yearFile()));

        retype(z12, u("30"));
        click("cmdTou");
        QCOMPARE(int(answerer.asked.size()), 2);
        const auto saved = ctx->store().loadYear(kUser, "2003");
        QCOMPARE(saved.count(), 1);
        QCOMPARE(QString::fromStdString(saved.record(1).Come), QString(50, QChar(0x3042)));
        QCOMPARE(saved.record(1).T_tim, std::string("7.5"));
    }

    // A user folder gone (removed outside the program) is a refusal naming the
    // user, not an error report asking to contact the author.
    void aMissingUserFolderIsRefusedNamingTheUser() {
        fs::remove_all(tmp->path() / "Data" / kUser);
        open("2003", "05");
        form->prepareNew();
        QSignalSpy lists(ctx.get(), &AppContext::listsChanged);
        typeDate("2003", "5", "1");
        click("cmdTou");
        QCOMPARE(int(answerer.asked.size()), 1);
        QCOMPARE(answerer.asked[0].title, u("入力ｴﾗｰ発生"));
        QVERIFY(!answerer.asked[0].text.contains(u("作者")));
        QVERIFY2(answerer.asked[0].text.contains(u("利用者「") + QString::fromStdString(kUser) +
                                                 u("」のフォルダーがありません")),
                 qPrintable(answerer.asked[0].text));
        QVERIFY(!fs::exists(tmp->path() / "Data" / kUser));
        QCOMPARE(lists.count(), 0);
    }

    void editModeNavigatesUpdatesAndKeepsTheDate() {
        writeYear({makeRecord("2003/04/30", "水", "15,000", "1"), makeRecord("2003/05/01", "木", "1,000", "1", "一"),
                   makeRecord("2003/05/01", "木", "-2,000", "2", "二"),
                   makeRecord("2003/05/03", "土", "3,000", "1", "三")});
        open("2003", "05");
        QCOMPARE(monthly->monthFirst(), 2);
        QCOMPARE(monthly->monthCount(), 3);
        form->prepareEdit(3, 2);
        QCOMPARE(form->windowTitle(), u("日間収支データ編集"));
        QCOMPARE(form->curIndex(), 3);
        QCOMPARE(text("lblKen"), u("(2 / 3)"));
        QCOMPARE(text("txtCome"), u("二"));
        // The stored figures are shown as they are until a money or time box changes.
        QCOMPARE(text("txtSyusi"), u("-2,000"));
        QCOMPARE(textColour("txtSyusi"), QColor(255, 0, 0));
        for (const char* off : {"txtNen", "txtTuki", "txtHi", "cboYoubi", "UpDown5", "UpDown6", "UpDown7", "cmdTou"})
            QVERIFY2(!child<QWidget>(form.get(), off)->isEnabled(), off);
        QVERIFY(child<QPushButton>(form.get(), "cmdUpd")->isEnabled());
        QVERIFY(child<QPushButton>(form.get(), "cmdDel")->isEnabled());
        QVERIFY(!child<QWidget>(form.get(), "scl1")->isHidden());
        auto* scl1 = child<QScrollBar>(form.get(), "scl1");
        QCOMPARE(scl1->minimum(), 1);
        QCOMPARE(scl1->maximum(), 3);

        // Navigation shows the next record and recomputes its figures.
        scl1->setValue(3);
        QCOMPARE(text("lblKen"), u("(3 / 3)"));
        QCOMPARE(form->curIndex(), 4);
        QCOMPARE(text("txtHi"), u("03"));
        QCOMPARE(text("txtCome"), u("三"));
        QCOMPARE(text("txtSyusi"), u("15,000"));
        scl1->setValue(2);
        QCOMPARE(text("txtSyusi"), u("15,000"));

        // An update rewrites that record only; its DayFirst stays "2", the order stays.
        QSignalSpy records(ctx.get(), &AppContext::recordsChanged);
        retype(child<QLineEdit>(form.get(), "txtKaisyu"), u("10000"));
        QCOMPARE(text("txtSyusi"), u("-5,000"));
        child<QPlainTextEdit>(form.get(), "txtCome")->setPlainText(u("直した"));
        click("cmdUpd");
        QVERIFY(answerer.asked.empty());
        const auto saved = ctx->store().loadYear(kUser, "2003");
        QCOMPARE(saved.count(), 4);
        QCOMPARE(saved.record(3).Syusi, std::string("-5,000"));
        QCOMPARE(saved.record(3).Zikyu, std::string("-625"));
        QCOMPARE(saved.record(3).Come, std::string("直した"));
        QCOMPARE(saved.record(3).DayFirst, std::string("2"));
        QCOMPARE(saved.record(2).Come, std::string("一"));
        QCOMPARE(saved.record(4).Come, std::string("三"));
        QCOMPARE(records.count(), 1);
        QCOMPARE(tama::test::fileBytes(tmp->path() / "Data" / kUser / "Year.txt"),
                 tama::test::sjis("\"2003\",14000\n"));
        QVERIFY(monthly->prtMfgCalls >= 2);
    }

    void savedFiguresAreThoseOfTheSavedAmounts() {
        // New mode: the money box emptied counts 0 when saved, and a letter typed
        // into it afterwards changes nothing.
        open("2003", "05");
        form->prepareNew();
        typeDate("2003", "5", "1");
        auto* tousi = child<QLineEdit>(form.get(), "txtTousi");
        tousi->clear();
        QTest::keyClicks(tousi, u("a"));
        QCOMPARE(text("txtSyusi"), u("30,000"));  // shown before the save as it will be saved
        click("cmdTou");
        QVERIFY(answerer.asked.empty());
        auto saved = ctx->store().loadYear(kUser, "2003");
        QCOMPARE(saved.count(), 1);
        QCOMPARE(saved.record(1).Tousi, std::string());
        QCOMPARE(saved.record(1).Syusi, std::string("30,000"));
        QCOMPARE(saved.record(1).Zikyu, std::string("3,750"));
        QCOMPARE(text("txtSyusi"), u("30,000"));  // the form shows what was saved

        // Edit mode: untouched boxes keep the stored figures; an emptied amount recomputes.
        DailyRecord odd = makeRecord("2003/05/02", "金", "99,999", "1");
        odd.Zikyu = "7";
        writeYear({odd});
        open("2003", "05");
        form->prepareEdit(1, 1);
        click("cmdUpd");
        QCOMPARE(ctx->store().loadYear(kUser, "2003").record(1).Syusi, std::string("99,999"));
        retype(child<QLineEdit>(form.get(), "txtKaisyu"), QString());
        click("cmdUpd");
        QVERIFY(answerer.asked.empty());
        saved = ctx->store().loadYear(kUser, "2003");
        QCOMPARE(saved.record(1).Kaisyu, std::string());
        QCOMPARE(saved.record(1).Syusi, std::string("-15,000"));
        QCOMPARE(saved.record(1).Zikyu, std::string("-1,875"));
    }

    // A very long hall or machine name, listed or typed, leaves the form at its
    // size; only the drop-down list may be wide.
    void longNamesDoNotWidenTheForm() {
        open("2003", "05");
        form->prepareNew();
        showActive();
        const QSize plain = form->size();
        form.reset();
        const std::string longName = [] {
            std::string s;
            for (int k = 0; k < 65; ++k) s += "長";
            return s;
        }();
        tama::test::putBytes(ctx->lists().userHallFile(kUser), tama::test::sjis("\"" + longName + "\",\"1\"\n"));
        tama::test::putBytes(ctx->lists().userMachineFile(kUser),
                             tama::test::sjis("\"ＣＲ機\",\"" + longName + "\"\n"));
        open("2003", "05");
        form->prepareNew();
        showActive();
        QCOMPARE(child<QComboBox>(form.get(), "cboHoll")->itemText(0), QString::fromStdString(longName));
        QCOMPARE(child<QComboBox>(form.get(), "cboKisyu")->count(), 1);
        QCOMPARE(form->size(), plain);
        typeText(child<QComboBox>(form.get(), "cboHoll"), QString::fromStdString(longName));
        typeText(child<QComboBox>(form.get(), "cboKisyu"), QString::fromStdString(longName));
        QApplication::processEvents();
        QCOMPARE(form->size(), plain);
    }

    void theMessageLineSaysWhatWasDone() {
        open("2003", "05");
        form->prepareNew();
        QSignalSpy said(ctx.get(), &AppContext::statusMessage);
        typeDate("2003", "5", "1");
        child<QComboBox>(form.get(), "cboHoll")->setEditText(u("駅前ホール"));
        click("cmdTou");
        QCOMPARE(said.count(), 1);
        QCOMPARE(said.last().at(0).toString(), u("2003/05/01 駅前ホール を登録しました。"));

        open("2003", "05");
        form->prepareEdit(1, 1);
        said.clear();
        click("cmdUpd");
        QCOMPARE(said.last().at(0).toString(), u("2003/05/01 駅前ホール を修正しました。"));
        click("cmdDel");  // the recording answerer says yes
        QCOMPARE(said.last().at(0).toString(), u("2003/05/01 駅前ホール を削除しました。"));
        QVERIFY(ctx->store().loadYear(kUser, "2003").records.empty());
    }

    void anUpdateKeepsAMissingMachineNumberMissing() {
        DailyRecord r = makeRecord("2003/05/01", "木", "15,000", "1");
        r.K_no = "?";
        writeYear({r});
        open("2003", "05");
        form->prepareEdit(1, 1);
        QCOMPARE(text("cboK_no"), QString());
        click("cmdUpd");
        QVERIFY(answerer.asked.empty());
        QCOMPARE(ctx->store().loadYear(kUser, "2003").record(1), r);
    }

    void deletingTheOnlyRecordOfTheMonthEndsNavigation() {
        writeYear({makeRecord("2003/04/30", "水", "15,000", "1"), makeRecord("2003/05/01", "木", "1,000", "1")});
        open("2003", "05");
        form->prepareEdit(2, 1);
        QCOMPARE(text("lblKen"), u("(1 / 1)"));
        QSignalSpy records(ctx.get(), &AppContext::recordsChanged);

        // "No" leaves everything as it was.
        answerer.answers = {Answer::No};
        click("cmdDel");
        QCOMPARE(int(answerer.asked.size()), 1);
        QCOMPARE(answerer.asked[0].text, u("この日間収支データを削除していいですか？"));
        QCOMPARE(answerer.asked[0].title, u("日間収支データの削除"));
        QCOMPARE(answerer.asked[0].buttons, Buttons::YesNo);
        QCOMPARE(answerer.asked[0].icon, Icon::Exclamation);
        QCOMPARE(ctx->store().loadYear(kUser, "2003").count(), 2);
        QCOMPARE(records.count(), 0);

        click("cmdDel");  // answered Yes
        QCOMPARE(int(answerer.asked.size()), 2);
        const auto left = ctx->store().loadYear(kUser, "2003");
        QCOMPARE(left.count(), 1);
        QCOMPARE(left.record(1).DateKey, std::string("2003/04/30"));
        QCOMPARE(text("lblKen"), u("(0 / 0)"));
        QVERIFY(!child<QWidget>(form.get(), "scl1")->isEnabled());
        QVERIFY(!child<QWidget>(form.get(), "cmdDel")->isEnabled());
        QVERIFY(!child<QWidget>(form.get(), "cmdUpd")->isEnabled());
        QCOMPARE(form->curIndex(), 0);
        QCOMPARE(records.count(), 1);
        QCOMPARE(tama::test::fileBytes(tmp->path() / "Data" / kUser / "Year.txt"),
                 tama::test::sjis("\"2003\",15000\n"));
    }

    void deletingShowsTheRecordAtTheGridRowAfterwards() {
        writeYear({makeRecord("2003/05/01", "木", "1,000", "1", "一"),
                   makeRecord("2003/05/01", "木", "-2,000", "2", "二"),
                   makeRecord("2003/05/03", "土", "3,000", "1", "三")});
        open("2003", "05");
        form->prepareEdit(1, 1);
        monthly->row_ = 1;
        click("cmdDel");
        const auto left = ctx->store().loadYear(kUser, "2003");
        QCOMPARE(left.count(), 2);
        // The later record of the same date becomes the day's first.
        QCOMPARE(left.record(1).Come, std::string("二"));
        QCOMPARE(left.record(1).DayFirst, std::string("1"));
        QCOMPARE(text("lblKen"), u("(1 / 2)"));
        QCOMPARE(text("txtCome"), u("二"));
        QCOMPARE(form->curIndex(), 1);
    }

    void aFileChangedElsewhereIsNeverWrittenOver() {
        writeYear(
            {makeRecord("2003/05/01", "木", "1,000", "1", "一"), makeRecord("2003/05/03", "土", "3,000", "1", "三")});
        open("2003", "05");
        form->prepareEdit(2, 2);
        // Another program puts a record in front while the form is open.
        writeYear({makeRecord("2003/05/01", "木", "500", "1", "外"), makeRecord("2003/05/01", "木", "1,000", "2", "一"),
                   makeRecord("2003/05/03", "土", "3,000", "1", "三")});
        const std::string outside = tama::test::fileBytes(yearFile());
        QSignalSpy records(ctx.get(), &AppContext::recordsChanged);
        click("cmdDel");
        QCOMPARE(int(answerer.asked.size()), 2);  // the question, then the error
        QCOMPARE(answerer.asked[1].title, u("ｴﾗｰ発生"));
        QVERIFY2(answerer.asked[1].text.contains(u("s2003.sdb")), qPrintable(answerer.asked[1].text));
        QVERIFY(answerer.asked[1].text.contains(u("上記のｴﾗｰ番号とﾒｯｾｰｼﾞを作者まで連絡して下さい。")));
        QCOMPARE(tama::test::fileBytes(yearFile()), outside);
        // The form now shows the list as the file holds it.
        QCOMPARE(text("lblKen"), u("(2 / 3)"));
        QCOMPARE(text("txtCome"), u("一"));
        QCOMPARE(records.count(), 1);

        // An update is refused the same way after another outside change.
        writeYear({makeRecord("2003/05/03", "土", "3,000", "1", "三")});
        retype(child<QLineEdit>(form.get(), "txtKaisyu"), u("100"));
        click("cmdUpd");
        QCOMPARE(int(answerer.asked.size()), 3);
        QCOMPARE(answerer.asked[2].title, u("ｴﾗｰ発生"));
        QCOMPARE(ctx->store().loadYear(kUser, "2003").count(), 1);
        QCOMPARE(ctx->store().loadYear(kUser, "2003").record(1).Kaisyu, std::string("30000"));
        QCOMPARE(text("lblKen"), u("(1 / 1)"));
        QCOMPARE(text("txtCome"), u("三"));
    }

    void aTypeChangeRefillsTheMachinesAndKeepsTheText() {
        tama::test::putBytes(
            ctx->lists().userMachineFile(kUser),
            tama::test::sjis("\"ＣＲ機\",\"機種Ａ\"\n\"スロット\",\"スロＢ\"\n\"スロット\",\"スロＣ\"\n"));
        tama::test::putBytes(ctx->lists().userHallFile(kUser), tama::test::sjis("\"駅前ホール\",\"1\"\n"));
        open("2003", "05");
        form->prepareNew();
        auto* kisyu = child<QComboBox>(form.get(), "cboKisyu");
        QCOMPARE(kisyu->count(), 1);
        QCOMPARE(kisyu->itemText(0), u("機種Ａ"));
        QCOMPARE(child<QComboBox>(form.get(), "cboHoll")->count(), 1);
        typeText(kisyu, u("新台"));
        child<QComboBox>(form.get(), "cboK_type")->setCurrentText(u("スロット"));
        QCOMPARE(kisyu->count(), 2);
        QCOMPARE(kisyu->itemText(0), u("スロＢ"));
        QCOMPARE(kisyu->itemText(1), u("スロＣ"));
        QCOMPARE(kisyu->currentText(), u("新台"));
        QCOMPARE(QString::fromStdString(form->model().text(Box::cboKisyu)), u("新台"));

        // A machine number picked from the list keeps its spaces in the box and is stored as a number.
        auto* kno = child<QComboBox>(form.get(), "cboK_no");
        kno->setCurrentIndex(11);
        QCOMPARE(kno->currentText(), u(" 12 "));
        // Typed, a letter is refused (the box keeps its digits); full-width digits are taken.
        kno->lineEdit()->clear();
        QTest::keyClicks(kno, u("7x"));
        QCOMPARE(kno->currentText(), u("7"));
        typeText(kno, u("８"));
        QCOMPARE(kno->currentText(), u("78"));
        QCOMPARE(QString::fromStdString(form->model().text(Box::cboK_no)), u("78"));
        kno->setCurrentIndex(13);
        typeDate("2003", "5", "1");
        click("cmdTou");
        const auto saved = ctx->store().loadYear(kUser, "2003");
        QCOMPARE(saved.record(1).K_no, std::string("14"));
        QCOMPARE(saved.record(1).K_type, std::string("スロット"));
        QCOMPARE(saved.record(1).Kisyu, std::string("新台"));
        QCOMPARE(tama::test::fileBytes(ctx->lists().userMachineFile(kUser)),
                 tama::test::sjis("\"ＣＲ機\",\"機種Ａ\"\n\"スロット\",\"スロＢ\"\n\"スロット\",\"スロＣ\"\n"
                                  "\"スロット\",\"新台\"\n"));
    }
};

QTEST_MAIN(EntryFormTest)
#include "entry_form_test.moc"
