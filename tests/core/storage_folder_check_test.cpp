// The program folder check as data: each problem with its file relative to the
// program folder, its line (0 for the file as a whole) and its text, the counts
// of what was read, and each problem as the one line `tamalog-cli check` prints.
// (The command's whole output is checked in cli_test.)
#include <gtest/gtest.h>

#include "storage/folder_check.h"
#include "storage/record_store.h"
#include "test_support.h"

namespace tama {
namespace {

using test::putBytes;
using test::sjis;
using test::TempFolder;

std::vector<std::string> lines(const FolderCheck& found) {
    std::vector<std::string> out;
    for (const auto& p : found.problems) out.push_back(problemLine(p));
    return out;
}

TEST(FolderCheckTest, ProblemsComeBackWithFileLineAndText) {
    TempFolder tmp;
    const fs::path user = tmp.makeUser("太郎");
    RecordStore store(tmp.path());
    test::saveRecord(store, "太郎", test::recordOn("2003/05/01"));
    test::saveRecord(store, "太郎", test::recordOn("2003/05/01"));

    FolderCheck sound = checkProgramFolder(tmp.path());
    EXPECT_TRUE(sound.problems.empty()) << testing::PrintToString(lines(sound));
    EXPECT_EQ(sound.users, 1);
    EXPECT_EQ(sound.yearFiles, 1);
    EXPECT_EQ(sound.records, 2);

    // A list line of the wrong shape, a total that disagrees, and a user folder
    // whose name holds a line end and a byte that is no UTF-8.
    putBytes(user / "holl.dat", sjis("\"駅前\",\"1\"\n\"裏\"\n"));
    putBytes(user / "Year.txt", "\"2003\",1\r\n");
    fs::create_directories(tmp.path() / "Data" / "a\nb\xff");
    const FolderCheck found = checkProgramFolder(tmp.path());
    ASSERT_EQ(found.problems.size(), 3u) << testing::PrintToString(lines(found));
    EXPECT_EQ(found.problems[0].file, "Data/a\nb\xff");
    EXPECT_EQ(found.problems[0].line, 0);
    EXPECT_EQ(found.problems[1].file, "Data/太郎/Year.txt");
    EXPECT_EQ(found.problems[1].line, 1);
    EXPECT_EQ(found.problems[2].file, "Data/太郎/holl.dat");
    EXPECT_EQ(found.problems[2].line, 2);
    EXPECT_EQ(found.users, 2);
    EXPECT_EQ(found.yearFiles, 1);
    EXPECT_EQ(found.records, 2);
    // One printed line each: ":line" only where there is one, names escaped.
    EXPECT_EQ(lines(found), (std::vector<std::string>{
                                "Data/a\\nb\\xFF: 利用者名として使えない名前です: " + userNameProblem("a\nb\xff"),
                                "Data/太郎/Year.txt:1: 2003 年の合計 1 が 30000 と違います（s2003.sdb の収支の合計）",
                                "Data/太郎/holl.dat:2: 「\"ホール名\",\"1\"」の形ではありません",
                            }));
}

}  // namespace
}  // namespace tama
