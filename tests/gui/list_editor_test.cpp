// The hall and machine list editors driven through their boxes and buttons:
// adds with the duplicate refusal (also across machine types and in the stored
// form of the name), deletes at any list length, damaged-file error reports, names
// the file could not hold, and the graph window's boxes refilled after changes.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "masters/list_editor.h"
#include "ui/app_context.h"
#include "ui/messages.h"
#include "../support/gui_fixture.h"

using namespace tama;
using namespace tama::ui;

namespace {
QStringList listed(const ListEditor& dlg) {
    QStringList out;
    for (int k = 0; k < dlg.lst1()->count(); ++k) out << dlg.lst1()->item(k)->text();
    return out;
}
}  // namespace

class ListEditorTest : public QObject, protected test::GuiFixture {
    Q_OBJECT

    fs::path user;

    fs::path holl() const { return user / "holl.dat"; }
    fs::path kisyu() const { return user / "kisyu.dat"; }
    void add(ListEditor& dlg, const QString& name) {
        dlg.nameBox()->setText(name);
        QTest::mouseClick(dlg.cmdNew(), Qt::LeftButton);
    }

private slots:
    void init() {
        startFolder();
        user = tmp->makeUser("太郎");
        openContext();
    }
    void cleanup() { finish(); }

    void hallAddDuplicateAndDelete() {
        QSignalSpy refills(ctx.get(), &AppContext::listsChanged);
        HallListEditor dlg(*ctx, QStringLiteral("太郎"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("ホールリスト編集"));
        QCOMPARE(dlg.txtHoll()->objectName(), QStringLiteral("txtHoll"));
        QVERIFY(!dlg.cmdDel()->isEnabled());
        QCOMPARE(refills.count(), 1);  // the load refreshes the graph window's boxes

        add(dlg, QString());  // empty name: no file is made
        QVERIFY(!fs::exists(holl()));
        add(dlg, QStringLiteral("駅前ホール"));
        add(dlg, QStringLiteral("新台〜館"));
        QCOMPARE(listed(dlg), (QStringList{QStringLiteral("駅前ホール"), QStringLiteral("新台～館")}));
        QVERIFY(dlg.txtHoll()->text().isEmpty());
        const std::string before = test::fileBytes(holl());
        QCOMPARE(before, test::sjis("\"駅前ホール\",\"1\"\n\"新台～館\",\"1\"\n"));

        // The same name again, also typed with the other wave dash: refused, file unchanged.
        for (const QString& again : {QStringLiteral("駅前ホール"), QStringLiteral("新台～館")}) {
            answerer.asked.clear();
            add(dlg, again);
            QCOMPARE(answerer.asked.size(), size_t{1});
            QCOMPARE(answerer.asked[0].text, QStringLiteral("ホール名は、既に登録済みです。"));
            QCOMPARE(answerer.asked[0].title, QStringLiteral("登録ｴﾗｰ"));
            QCOMPARE(test::fileBytes(holl()), before);
        }

        dlg.lst1()->setCurrentRow(1);
        QTest::mouseClick(dlg.lst1()->viewport(), Qt::LeftButton, {},
                          dlg.lst1()->visualItemRect(dlg.lst1()->item(1)).center());
        QCOMPARE(dlg.txtHoll()->text(), QStringLiteral("新台～館"));
        QVERIFY(dlg.cmdDel()->isEnabled());
        QTest::mouseClick(dlg.cmdDel(), Qt::LeftButton);
        dlg.txtHoll()->setText(QStringLiteral("駅前ホール"));
        QTest::mouseClick(dlg.cmdDel(), Qt::LeftButton);
        QCOMPARE(dlg.lst1()->count(), 0);
        QVERIFY(fs::exists(holl()));
        QCOMPARE(test::fileBytes(holl()), std::string());
        QVERIFY(!dlg.cmdDel()->isEnabled());
        QVERIFY(refills.count() >= 6);
    }

    void namesTheFileCannotHoldAreRefused_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("quote") << QStringLiteral("A\"B") << QStringLiteral("機種名に「\"」は使えません。");
        QTest::newRow("line break") << QStringLiteral("A\nB") << QStringLiteral("機種名に改行は使えません。");
        QTest::newRow("outside CP932") << QStringLiteral("😀台")
                                       << QStringLiteral("機種名に保存できない文字が含まれています。");
    }
    void namesTheFileCannotHoldAreRefused() {
        QFETCH(QString, name);
        QFETCH(QString, message);
        MachineListEditor dlg(*ctx, QStringLiteral("太郎"));
        add(dlg, name);
        QCOMPARE(answerer.asked.size(), size_t{1});
        QCOMPARE(answerer.asked[0].text, message);
        QCOMPARE(answerer.asked[0].title, QStringLiteral("入力ｴﾗｰ発生"));
        QVERIFY(!fs::exists(kisyu()));
    }

    void machineTypesAndDuplicatesAcrossTypes() {
        MachineListEditor dlg(*ctx, QStringLiteral("太郎"));
        QStringList types;
        for (int k = 0; k < dlg.cboK_type()->count(); ++k) types << dlg.cboK_type()->itemText(k);
        QCOMPARE(types, (QStringList{"ＣＲ機", "時短機", "権利物", "一般電役", "ハネモノ", "その他", "スロット"}));
        QCOMPARE(dlg.cboK_type()->currentText(), QStringLiteral("ＣＲ機"));

        dlg.cboK_type()->setCurrentText(QStringLiteral("スロット"));
        add(dlg, QStringLiteral("北斗"));
        QCOMPARE(listed(dlg), QStringList{QStringLiteral("北斗")});
        dlg.txtKisyu()->setText(QStringLiteral("typed"));
        dlg.cboK_type()->setCurrentText(QStringLiteral("ＣＲ機"));  // switching refills and empties the box
        QCOMPARE(listed(dlg), QStringList{});
        QVERIFY(dlg.txtKisyu()->text().isEmpty());
        add(dlg, QStringLiteral("北斗"));  // listed under スロット: refused under ＣＲ機 too
        QCOMPARE(answerer.asked.size(), size_t{1});
        QCOMPARE(answerer.asked[0].text, QStringLiteral("機種名は、既に登録済みです。"));
        add(dlg, QStringLiteral("海物語"));
        // The shown type has a name, the file two lines; the delete still removes
        // a name listed only under another type.
        test::putBytes(kisyu(), test::sjis("\"スロット\",\"北斗\"\n\"ＣＲ機\",\"海物語\"\n\"時短機\",\"北斗\"\n"));
        dlg.loadMachines();
        dlg.lst1()->setCurrentRow(0);
        dlg.entrySelected();
        dlg.txtKisyu()->setText(QStringLiteral("北斗"));
        QTest::mouseClick(dlg.cmdDel(), Qt::LeftButton);
        QCOMPARE(test::fileBytes(kisyu()), test::sjis("\"ＣＲ機\",\"海物語\"\n"));
        dlg.txtKisyu()->setText(QStringLiteral("海物語"));
        QTest::mouseClick(dlg.cmdDel(), Qt::LeftButton);
        QVERIFY(!dlg.cmdDel()->isEnabled());
    }

    void cmdDelFollowsTheWholeMachineFile() {
        test::putBytes(kisyu(), test::sjis("\"スロット\",\"北斗\"\n"));
        MachineListEditor dlg(*ctx, QStringLiteral("太郎"));
        QCOMPARE(dlg.lst1()->count(), 0);  // ＣＲ機 shows nothing
        QCOMPARE(dlg.linesRead(), 1);
        dlg.txtKisyu()->setText(QStringLiteral("北斗"));
        dlg.cmdDel()->setEnabled(true);
        dlg.loadMachines();
        QVERIFY(dlg.cmdDel()->isEnabled());  // the file has a line, though not of this type
    }

    // A list grown past the sizes old editors held (50 halls, 200 machines) still loses a name.
    void deleteFromALongList_data() {
        QTest::addColumn<bool>("halls");
        QTest::newRow("52 halls") << true;
        QTest::newRow("202 machines") << false;
    }
    void deleteFromALongList() {
        QFETCH(bool, halls);
        auto listText = [&](int from, int n) {
            std::string text;
            for (int k = from; k < n; ++k)
                text += halls ? "\"H" + std::to_string(k) + "\",\"1\"\n"
                              : "\"ＣＲ機\",\"M" + std::to_string(k) + "\"\n";
            return test::sjis(text);
        };
        const int n = halls ? 52 : 202;
        const fs::path file = halls ? holl() : kisyu();
        test::putBytes(file, listText(0, n));
        std::unique_ptr<ListEditor> dlg;
        if (halls) dlg = std::make_unique<HallListEditor>(*ctx, QStringLiteral("太郎"));
        else dlg = std::make_unique<MachineListEditor>(*ctx, QStringLiteral("太郎"));
        dlg->lst1()->setCurrentRow(0);
        dlg->entrySelected();
        QCOMPARE(dlg->nameBox()->text(), halls ? QStringLiteral("H0") : QStringLiteral("M0"));
        QTest::mouseClick(dlg->cmdDel(), Qt::LeftButton);
        QCOMPARE(answerer.asked.size(), size_t{0});
        QCOMPARE(test::fileBytes(file), listText(1, n));
        QCOMPARE(dlg->lst1()->count(), n - 1);
    }

    void damagedFileIsNamedAndLeftAlone() {
        const std::string bytes = test::sjis("\"駅前ホール\",\"1\"\n駅前\n");
        test::putBytes(holl(), bytes);
        HallListEditor dlg(*ctx, QStringLiteral("太郎"));
        QCOMPARE(answerer.asked.size(), size_t{1});
        QVERIFY(answerer.asked[0].text.contains(QStringLiteral("holl.dat")));
        QVERIFY(answerer.asked[0].text.contains(QStringLiteral("2")));
        add(dlg, QStringLiteral("新しいホール"));
        QVERIFY(!dlg.cmdDel()->isEnabled());  // nothing listed to pick
        dlg.txtHoll()->setText(QStringLiteral("駅前ホール"));
        dlg.deleteName();
        QCOMPARE(answerer.asked.size(), size_t{3});
        QCOMPARE(test::fileBytes(holl()), bytes);
    }
};

QTEST_MAIN(ListEditorTest)
#include "list_editor_test.moc"
