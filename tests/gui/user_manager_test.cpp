// The user manager driven through its buttons and list: adding (also in
// first-run mode), renaming and deleting users, the messages and button states,
// and names that would leave the Data folder.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "masters/user_manager.h"
#include "ui/app_context.h"
#include "ui/messages.h"
#include "../support/gui_fixture.h"

using namespace tama;
using namespace tama::ui;

namespace {

QStringList listed(const UserManager& dlg) {
    QStringList out;
    for (int k = 0; k < dlg.lst1()->count(); ++k) out << dlg.lst1()->item(k)->text();
    return out;
}

void select(UserManager& dlg, const QString& name) {
    const auto items = dlg.lst1()->findItems(name, Qt::MatchExactly);
    QVERIFY(!items.isEmpty());
    dlg.lst1()->setCurrentItem(items.first());
}

fs::path u8(const char* s) { return fs::path(s); }

}  // namespace

class UserManagerTest : public QObject, protected test::GuiFixture {
    Q_OBJECT

    int refreshes = 0;

    std::unique_ptr<UserManager> open() {
        auto dlg = std::make_unique<UserManager>(*ctx, [this] { ++refreshes; });
        dlg->show();
        return dlg;
    }
    fs::path data() const { return tmp->path() / "Data"; }

private slots:
    void init() {
        startFolder();
        tmp->makeUser("dummy");
        fs::remove(data() / "dummy");
        openContext();
        refreshes = 0;
    }
    void cleanup() { finish(); }

    void emptyDataDisablesEveryButtonButAdd() {
        auto dlg = open();
        QCOMPARE(dlg->windowTitle(), QStringLiteral("利用者名登録"));
        QCOMPARE(dlg->lst1()->count(), 0);
        QVERIFY(!dlg->cmdDel()->isEnabled());
        QVERIFY(!dlg->cmdUpd()->isEnabled());
        QVERIFY(!dlg->cmdCan()->isEnabled());
        QVERIFY(dlg->cmdTou()->isEnabled());
    }

    void firstRunAddClosesTheDialogWithAnEmptyFolder() {
        ctx->setFirstRun(true);
        auto dlg = open();
        dlg->setFirstRun(true);
        QCOMPARE(dlg->lblMsg()->text(), QStringLiteral("利用者名を、適当に登録して下さい。（後で、修正可能）"));
        QVERIFY(!dlg->cmdCan()->isEnabled());
        QSignalSpy usersChanged(ctx.get(), &AppContext::usersChanged);
        QSignalSpy added(dlg.get(), &UserManager::userAdded);

        // Escape does not leave first-run mode (the cancel button is off).
        QTest::keyClick(dlg.get(), Qt::Key_Escape);
        QVERIFY(dlg->isVisible());

        dlg->txtUser()->setText(QStringLiteral("山田"));
        QTest::mouseClick(dlg->cmdTou(), Qt::LeftButton);

        QVERIFY(!dlg->isVisible());
        QCOMPARE(dlg->result(), int(QDialog::Accepted));
        QCOMPARE(dlg->addedUser(), QStringLiteral("山田"));
        QCOMPARE(added.count(), 1);
        QCOMPARE(usersChanged.count(), 1);
        QCOMPARE(refreshes, 1);
        QVERIFY(fs::is_directory(data() / u8("山田")));
        QVERIFY(fs::is_empty(data() / u8("山田")));
        QVERIFY(answerer.asked.empty());
    }

    // Names too long for a folder are refused up front, in Japanese, for an add and
    // a rename; the limit is counted in CP932 bytes (two for a full-width character).
    void overLongNamesAreRefusedBeforeAnyFolderIsMade() {
        auto dlg = open();
        const QString fits32 = QString(32, QChar(0x5c71));                         // 32 x "山": 64 bytes
        const QString mixed = QString(31, QChar(0x5c71)) + QStringLiteral("ab");   // 64 bytes
        const QString tooLong = QString(32, QChar(0x5c71)) + QStringLiteral("a");  // 65 bytes
        const QString ninety = QString(90, QLatin1Char('x'));
        for (const QString& name : {tooLong, ninety}) {
            dlg->txtUser()->setText(name);
            dlg->addUser();
            QCOMPARE(answerer.asked.size(), size_t{1});
            QCOMPARE(answerer.asked[0].text,
                     QStringLiteral("利用者名が長すぎます。全角32文字（半角64文字）以内にして下さい。"));
            QCOMPARE(answerer.asked[0].title, QStringLiteral("利用者名登録"));
            answerer.asked.clear();
            QVERIFY(fs::is_empty(data()));
        }
        for (const QString& name : {fits32, mixed}) {
            dlg->txtUser()->setText(name);
            dlg->addUser();
            QCOMPARE(dlg->lblMsg()->text(), QStringLiteral("利用者名を登録しました。"));
        }
        QVERIFY(answerer.asked.empty());
        // A rename to a name too long: the same refusal, the folder keeps its name.
        select(*dlg, mixed);
        dlg->txtUser()->setText(ninety);
        dlg->renameUser();
        QCOMPARE(answerer.asked.size(), size_t{1});
        QVERIFY(answerer.asked[0].text.startsWith(QStringLiteral("利用者名が長すぎます。")));
        QCOMPARE(listed(*dlg).size(), 2);
        QVERIFY(listed(*dlg).contains(mixed));
    }

    void addingAnExistingNameChangesNothing() {
        auto dlg = open();
        dlg->txtUser()->setText(QStringLiteral("山田"));
        dlg->addUser();
        QCOMPARE(dlg->lblMsg()->text(), QStringLiteral("利用者名を登録しました。"));
        QVERIFY(dlg->txtUser()->text().isEmpty());
        QVERIFY(dlg->cmdCan()->isEnabled());
        QVERIFY(dlg->isVisible());  // normal mode stays open

        dlg->txtUser()->setText(QStringLiteral("山田"));
        dlg->addUser();
        QCOMPARE(dlg->lblMsg()->text(), QStringLiteral("利用者名は、既に登録済みです。"));
        QCOMPARE(listed(*dlg), QStringList{QStringLiteral("山田")});

        // Another letter case names the same folder.
        dlg->txtUser()->setText(QStringLiteral("Taro"));
        dlg->addUser();
        dlg->txtUser()->setText(QStringLiteral("TARO"));
        dlg->addUser();
        QCOMPARE(dlg->lblMsg()->text(), QStringLiteral("利用者名は、既に登録済みです。"));
        QCOMPARE(listed(*dlg), (QStringList{QStringLiteral("Taro"), QStringLiteral("山田")}));

        // An empty name addresses Data itself, which exists.
        dlg->txtUser()->clear();
        dlg->addUser();
        QCOMPARE(dlg->lblMsg()->text(), QStringLiteral("利用者名は、既に登録済みです。"));
        QCOMPARE(refreshes, 2);
        QVERIFY(answerer.asked.empty());
    }

    void namesThatLeaveDataAreRefused() {
        fs::create_directories(data() / "taro");
        test::putBytes(tmp->path() / "keep.txt", "outside");
        auto dlg = open();
        for (const QString& bad : {QStringLiteral(".."), QStringLiteral("a/b"), QStringLiteral("."),
                                   QStringLiteral("x\\y"), QStringLiteral("tab\there")}) {
            answerer.asked.clear();
            dlg->txtUser()->setText(bad);
            dlg->addUser();
            QCOMPARE(answerer.asked.size(), size_t(1));
            QCOMPARE(answerer.asked[0].title, QStringLiteral("利用者名登録"));
            QVERIFY(!answerer.asked[0].text.isEmpty());
        }
        QVERIFY(!fs::exists(data() / "a"));
        QVERIFY(!fs::exists(tmp->path() / "b"));

        // Rename to a bad name, or to nothing.
        select(*dlg, QStringLiteral("taro"));
        for (const QString& bad : {QStringLiteral(".."), QStringLiteral("a/b"), QString()}) {
            answerer.asked.clear();
            dlg->txtUser()->setText(bad);
            dlg->renameUser();
            QCOMPARE(answerer.asked.size(), size_t(1));
            QCOMPARE(answerer.asked[0].title, QStringLiteral("利用者名登録"));
        }
        QVERIFY(fs::is_directory(data() / "taro"));

        // Delete of "..", "a/b" or an empty name asks nothing and deletes nothing.
        for (const QString& bad : {QStringLiteral(".."), QStringLiteral("a/b"), QString()}) {
            answerer.asked.clear();
            dlg->txtUser()->setText(bad);
            dlg->deleteUser();
            QCOMPARE(answerer.asked.size(), size_t(1));
            QCOMPARE(answerer.asked[0].title, QStringLiteral("利用者名登録"));
            QCOMPARE(int(answerer.asked[0].buttons), int(Buttons::Ok));
        }
        QVERIFY(fs::is_directory(data()));
        QVERIFY(fs::is_directory(data() / "taro"));
        QCOMPARE(test::fileBytes(tmp->path() / "keep.txt"), std::string("outside"));
        QCOMPARE(refreshes, 0);
    }

    void renameMovesTheFilesWithTheFolder() {
        fs::path yamada = data() / u8("山田");
        fs::create_directories(yamada);
        test::putBytes(yamada / "s2003.sdb", "a");
        test::putBytes(yamada / "Year.txt", "b");
        auto dlg = open();
        QSignalSpy usersChanged(ctx.get(), &AppContext::usersChanged);
        QVERIFY(!dlg->cmdUpd()->isEnabled());
        select(*dlg, QStringLiteral("山田"));
        QCOMPARE(dlg->txtUser()->text(), QStringLiteral("山田"));
        QVERIFY(dlg->cmdUpd()->isEnabled());
        QVERIFY(dlg->cmdDel()->isEnabled());

        dlg->txtUser()->setText(QStringLiteral("田中"));
        QTest::mouseClick(dlg->cmdUpd(), Qt::LeftButton);

        QCOMPARE(dlg->lblMsg()->text(), QStringLiteral("利用者名を変更しました。"));
        QCOMPARE(listed(*dlg), QStringList{QStringLiteral("田中")});
        QVERIFY(dlg->txtUser()->text().isEmpty());
        QVERIFY(!fs::exists(yamada));
        QCOMPARE(test::fileBytes(data() / u8("田中") / "s2003.sdb"), std::string("a"));
        QCOMPARE(test::fileBytes(data() / u8("田中") / "Year.txt"), std::string("b"));
        QCOMPARE(refreshes, 1);
        QCOMPARE(usersChanged.count(), 1);
        // Nothing is selected any more, so neither command can address Data itself.
        QVERIFY(!dlg->cmdUpd()->isEnabled());
        QVERIFY(!dlg->cmdDel()->isEnabled());
    }

    void renamingOntoAnExistingNameIsAnErrorAndChangesNothing() {
        fs::create_directories(data() / u8("山田"));
        test::putBytes(data() / u8("山田") / "s2003.sdb", "yamada");
        fs::create_directories(data() / u8("田中"));
        auto dlg = open();
        select(*dlg, QStringLiteral("山田"));
        dlg->txtUser()->setText(QStringLiteral("田中"));
        dlg->renameUser();

        QCOMPARE(answerer.asked.size(), size_t(1));
        const MessageRequest& r = answerer.asked[0];
        QCOMPARE(r.title, QStringLiteral("ｴﾗｰ発生"));
        QCOMPARE(int(r.icon), int(Icon::Exclamation));
        QVERIFY(r.text.startsWith(QStringLiteral("ｴﾗｰ番号 ： 58\r\rﾒｯｾｰｼﾞ   ： ")));
        QVERIFY(r.text.endsWith(QStringLiteral("\r\r")));  // the short form: no request to report
        QVERIFY(!r.text.contains(QStringLiteral("作者")));
        QCOMPARE(test::fileBytes(data() / u8("山田") / "s2003.sdb"), std::string("yamada"));
        QVERIFY(fs::is_empty(data() / u8("田中")));
        QCOMPARE(refreshes, 0);
        QVERIFY(dlg->lblMsg()->text().isEmpty());
    }

    void deleteRemovesTheUsersFilesAndFolder() {
        fs::path yamada = data() / u8("山田");
        for (const char* f : {"s2001.sdb", "s2002.sdb", "s2003.sdb"}) test::putBytes(yamada / f, "x");
        fs::create_directories(data() / "other");
        test::putBytes(data() / "other" / "s2003.sdb", "keep");
        auto dlg = open();
        QSignalSpy usersChanged(ctx.get(), &AppContext::usersChanged);
        select(*dlg, QStringLiteral("山田"));
        dlg->deleteUser();

        QCOMPARE(answerer.asked.size(), size_t(1));
        const MessageRequest& q = answerer.asked[0];
        QCOMPARE(q.title, QStringLiteral("利用者名及び関連データの削除"));
        QCOMPARE(q.text, QStringLiteral("利用者名を削除すると、関連する各種データも全て削除されます。\r\r"
                                        "この利用者名を削除していいですか？"));
        QCOMPARE(int(q.buttons), int(Buttons::YesNo));
        QVERIFY(!fs::exists(yamada));
        QCOMPARE(dlg->lblMsg()->text(), QStringLiteral("利用者名とそのデータを削除しました。"));
        QCOMPARE(listed(*dlg), QStringList{QStringLiteral("other")});
        QCOMPARE(test::fileBytes(data() / "other" / "s2003.sdb"), std::string("keep"));
        QCOMPARE(refreshes, 1);
        QCOMPARE(usersChanged.count(), 1);
        QVERIFY(dlg->cmdCan()->isEnabled());
        QVERIFY(fs::is_directory(data()));
    }

    void answeringNoOnlyEnablesCancel() {
        fs::path yamada = data() / u8("山田");
        test::putBytes(yamada / "s2003.sdb", "x");
        auto dlg = open();
        dlg->setFirstRun(true);  // cancel off
        select(*dlg, QStringLiteral("山田"));
        answerer.answers = {Answer::No};
        dlg->deleteUser();
        QVERIFY(fs::exists(yamada / "s2003.sdb"));
        QVERIFY(dlg->cmdCan()->isEnabled());
        QCOMPARE(refreshes, 0);
    }

    void aFolderWithASubFolderIsLeftWhole() {
        fs::path yamada = data() / u8("山田");
        test::putBytes(yamada / "s2003.sdb", "x");
        fs::create_directories(yamada / "old");
        auto dlg = open();
        select(*dlg, QStringLiteral("山田"));
        dlg->deleteUser();
        QCOMPARE(answerer.asked.size(), size_t(2));
        QCOMPARE(answerer.asked[1].title, QStringLiteral("ｴﾗｰ発生"));
        QVERIFY(answerer.asked[1].text.contains(QStringLiteral("old")));
        QVERIFY(fs::exists(yamada / "s2003.sdb"));  // not half emptied
        QVERIFY(dlg->lblMsg()->text().isEmpty());
        QCOMPARE(refreshes, 0);
    }

    void deletingALinkedUserNeverTouchesWhatItPointsTo() {
        test::putBytes(tmp->path() / "elsewhere" / "s2003.sdb", "precious");
        fs::create_directory_symlink(tmp->path() / "elsewhere", data() / "link");
        auto dlg = open();
        select(*dlg, QStringLiteral("link"));
        dlg->deleteUser();
        QVERIFY(!fs::exists(fs::symlink_status(data() / "link")));
        QCOMPARE(test::fileBytes(tmp->path() / "elsewhere" / "s2003.sdb"), std::string("precious"));
    }
};

QTEST_MAIN(UserManagerTest)
#include "user_manager_test.moc"
