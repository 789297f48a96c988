// The hall and machine lists: what a saved record adds to the common and the
// user's lists, the editors' adds and deletes with their limits, and the bytes
// of the files.
#include <gtest/gtest.h>

#include "storage/master_lists.h"
#include "shared/file_io.h"
#include "test_support.h"

namespace tama {
namespace {

using test::dataFile;
using test::fileBytes;
using test::putBytes;
using test::sjis;
using test::TempFolder;

class MasterListsTest : public ::testing::Test {
protected:
    TempFolder tmp;
    fs::path userDir = tmp.makeUser("太郎");
    fs::path cbo = tmp.path() / "CboData";
    MasterLists lists{tmp.path()};
    const std::string user = "太郎";
};

TEST_F(MasterListsTest, SavedRecordAddsANewHallToBothListsOnce) {
    lists.addToHallList(user, "駅前ホール");
    lists.addToHallList(user, "ソフィア表町");
    lists.addToHallList(user, "駅前ホール");
    const std::string expected = sjis("\"駅前ホール\",\"1\"\n\"ソフィア表町\",\"1\"\n");
    EXPECT_EQ(fileBytes(cbo / "holl.dat"), expected);
    EXPECT_EQ(fileBytes(userDir / "holl.dat"), expected);

    // A hall known to the common list but new to this user goes to the user's list only.
    fs::path hanako = tmp.makeUser("花子");
    lists.addToHallList("花子", "ソフィア表町");
    EXPECT_EQ(fileBytes(cbo / "holl.dat"), expected);
    EXPECT_EQ(fileBytes(hanako / "holl.dat"), sjis("\"ソフィア表町\",\"1\"\n"));
}

TEST_F(MasterListsTest, KnownMachineUnderAnotherTypeAddsASecondLine) {
    lists.addToMachineList(user, "ＣＲ機", "海物語");
    lists.addToMachineList(user, "時短機", "海物語");
    lists.addToMachineList(user, "ＣＲ機", "海物語");
    const std::string expected = sjis("\"ＣＲ機\",\"海物語\"\n\"時短機\",\"海物語\"\n");
    EXPECT_EQ(fileBytes(cbo / "Kisyu.dat"), expected);
    EXPECT_EQ(fileBytes(userDir / "kisyu.dat"), expected);
}

TEST_F(MasterListsTest, EmptyNamesAddNothingEvenWhenTheListsAreMissing) {
    lists.addToHallList(user, "");
    lists.addToMachineList(user, "ＣＲ機", "");
    EXPECT_EQ(lists.addHall(user, ""), AddResult::EmptyName);
    EXPECT_EQ(lists.addMachine(user, "ＣＲ機", ""), AddResult::EmptyName);
    EXPECT_TRUE(fs::is_empty(cbo));
    EXPECT_TRUE(fs::is_empty(userDir));
    EXPECT_TRUE(lists.loadHallNames(user).empty());
    EXPECT_TRUE(lists.loadMachineNames(user, "ＣＲ機").empty());
    EXPECT_TRUE(lists.loadAllMachineNames(user).empty());
}

TEST_F(MasterListsTest, ListsAreFoundWithoutRegardToCase) {
    putBytes(userDir / "Holl.dat", sjis("\"駅前ホール\",\"1\"\n"));
    putBytes(cbo / "kisyu.dat", sjis("\"ＣＲ機\",\"海物語\"\n"));
    lists.addToHallList(user, "新台館");
    lists.addToMachineList(user, "ＣＲ機", "海物語");
    EXPECT_FALSE(fs::exists(userDir / "holl.dat"));
    EXPECT_EQ(fileBytes(userDir / "Holl.dat"), sjis("\"駅前ホール\",\"1\"\n\"新台館\",\"1\"\n"));
    EXPECT_FALSE(fs::exists(cbo / "Kisyu.dat"));
    EXPECT_EQ(lists.loadHallNames(user), (std::vector<std::string>{"駅前ホール", "新台館"}));
}

TEST_F(MasterListsTest, AddingToAListWithoutAFinalLineEndKeepsItReadable) {
    putBytes(userDir / "holl.dat", sjis("\"駅前ホール\",\"1\"\r"));  // cut between CR and LF
    EXPECT_EQ(lists.addHall(user, "新台館"), AddResult::Added);
    putBytes(userDir / "kisyu.dat", sjis("\"ＣＲ機\",\"海物語\""));  // no line end at all
    lists.addToMachineList(user, "スロット", "北斗");
    EXPECT_EQ(fileBytes(userDir / "holl.dat"), sjis("\"駅前ホール\",\"1\"\n\"新台館\",\"1\"\n"));
    EXPECT_EQ(fileBytes(userDir / "kisyu.dat"), sjis("\"ＣＲ機\",\"海物語\"\n\"スロット\",\"北斗\"\n"));
}

TEST_F(MasterListsTest, ReadsRealListsInFileOrder) {
    putBytes(userDir / "holl.dat", fileBytes(dataFile("holl.dat")));
    putBytes(userDir / "kisyu.dat", fileBytes(dataFile("kisyu.dat")));
    EXPECT_EQ(lists.loadHallNames(user), (std::vector<std::string>{"駅前ホール", "ソフィア表町", "パーラー～ミナミ"}));
    EXPECT_EQ(lists.loadMachineNames(user, "ＣＲ機"), (std::vector<std::string>{"機種Ａ", "海物語"}));
    EXPECT_EQ(lists.loadMachineNames(user, "ｽﾛｯﾄ"), std::vector<std::string>{});  // exact text only
    EXPECT_EQ(lists.loadAllMachineNames(user), (std::vector<std::string>{"機種Ａ", "北斗", "海物語", "海物語"}));
}

TEST_F(MasterListsTest, EditorAddRefusesNamesAlreadyListed) {
    EXPECT_EQ(lists.addHall(user, "駅前ホール"), AddResult::Added);
    EXPECT_EQ(lists.addHall(user, "駅前ホール"), AddResult::Exists);
    EXPECT_EQ(lists.addHall(user, "駅前ﾎｰﾙ"), AddResult::Added);  // width matters
    EXPECT_EQ(lists.addMachine(user, "ＣＲ機", "海物語"), AddResult::Added);
    EXPECT_EQ(lists.addMachine(user, "スロット", "海物語"), AddResult::Exists);  // under any type
    EXPECT_EQ(fileBytes(userDir / "kisyu.dat"), sjis("\"ＣＲ機\",\"海物語\"\n"));
    EXPECT_FALSE(fs::exists(cbo / "holl.dat"));  // the editors write the user's lists only
}

TEST_F(MasterListsTest, DeleteRemovesEveryLineOfTheName) {
    putBytes(userDir / "kisyu.dat", fileBytes(dataFile("kisyu.dat")));
    lists.deleteMachine(user, "海物語");
    EXPECT_EQ(fileBytes(userDir / "kisyu.dat"), sjis("\"ＣＲ機\",\"機種Ａ\"\n\"スロット\",\"北斗\"\n"));
    putBytes(userDir / "holl.dat", fileBytes(dataFile("holl.dat")));
    lists.deleteHall(user, "ソフィア表町");
    EXPECT_EQ(fileBytes(userDir / "holl.dat"), sjis("\"駅前ホール\",\"1\"\n\"パーラー～ミナミ\",\"1\"\n"));

    // Deleting from a list that does not exist leaves it missing.
    fs::remove(userDir / "holl.dat");
    lists.deleteHall(user, "x");
    EXPECT_FALSE(fs::exists(userDir / "holl.dat"));
}

TEST_F(MasterListsTest, DeleteWorksOnListsOfAnyLength) {
    auto halls = [](int n) {
        std::string s;
        for (int i = 1; i <= n; ++i) s += "\"hall" + std::to_string(i) + "\",\"1\"\r\n";
        return s;
    };
    // Lists grown past the sizes old editors held (50 halls, 200 machines) still lose names.
    for (int n : {2, 51, 52, 1000}) {
        putBytes(userDir / "holl.dat", halls(n));
        lists.deleteHall(user, "hall" + std::to_string(n));
        EXPECT_EQ(fileBytes(userDir / "holl.dat"), halls(n - 1)) << n;
    }

    auto machines = [](int n) {
        std::string s;
        for (int i = 1; i <= n; ++i) s += sjis("\"ＣＲ機\",\"m" + std::to_string(i) + "\"\n");
        return s;
    };
    for (int n : {201, 202, 5000}) {
        putBytes(userDir / "kisyu.dat", machines(n));
        lists.deleteMachine(user, "m" + std::to_string(n));
        EXPECT_EQ(fileBytes(userDir / "kisyu.dat"), machines(n - 1)) << n;
    }
}

TEST_F(MasterListsTest, DamagedListsAndUnwritableNamesAreRefusedWithoutWriting) {
    const std::string damaged = sjis("\"駅前ホール\",\"1\"\n\"no quotes,1\n");
    putBytes(userDir / "holl.dat", damaged);
    try {
        lists.loadHallNames(user);
        FAIL() << "damaged list was read";
    } catch (const FileError& e) {
        EXPECT_EQ(e.line(), 2);
    }
    EXPECT_THROW(lists.addHall(user, "新台館"), FileError);
    EXPECT_THROW(lists.deleteHall(user, "駅前ホール"), FileError);
    EXPECT_EQ(fileBytes(userDir / "holl.dat"), damaged);

    putBytes(userDir / "kisyu.dat", "\"\x82\x22\",\"x\"\r\n");  // not CP932
    EXPECT_THROW(lists.loadMachines(user), FileError);
    EXPECT_THROW(lists.addToMachineList(user, "ＣＲ機", "海"), FileError);
    EXPECT_EQ(fileBytes(userDir / "kisyu.dat"), "\"\x82\x22\",\"x\"\r\n");
    EXPECT_FALSE(fs::exists(cbo / "Kisyu.dat"));  // not added to the common list alone
    fs::remove(userDir / "kisyu.dat");

    // A CR inside a line: read as damage, not as a name the writer could not write back.
    putBytes(userDir / "kisyu.dat", "\"a\rb\",\"x\"\r\n");
    EXPECT_THROW(lists.loadMachines(user), FileError);
    fs::remove(userDir / "kisyu.dat");

    for (const char* name : {"say \"hi\"", "two\r\nlines", "€"}) {
        SCOPED_TRACE(name);
        EXPECT_THROW(lists.addToHallList(user, name), FileError);
        EXPECT_THROW(lists.addMachine(user, "ＣＲ機", name), FileError);
    }
    EXPECT_FALSE(fs::exists(cbo / "holl.dat"));
}

TEST(MachineCatalogTest, EachTypeNamesItsCatalogFile) {
    TempFolder tmp;
    fs::create_directory(tmp.path() / "Kisyudat");
    EXPECT_EQ(machineCatalogPath(tmp.path(), "スロット"), tmp.path() / "Kisyudat" / "surotto.kdb");
    EXPECT_EQ(machineCatalogPath(tmp.path(), "一般電役"), tmp.path() / "Kisyudat" / "denyaku.kdb");
    EXPECT_EQ(machineCatalogPath(tmp.path(), "ｽﾛｯﾄ"), fs::path());
}

}  // namespace
}  // namespace tama
