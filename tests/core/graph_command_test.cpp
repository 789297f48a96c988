#include <gtest/gtest.h>

#include <sstream>

#include "graphs/graph_command.h"
#include "storage/record_store.h"
#include "test_support.h"

namespace tama {
namespace {

using test::TempFolder;

const char* kMay2004 =
    "\"2004/05/01\",\"2004\",\"05\",\"01\",\"土\",\"駅前\",\"10\",\"00\",\"18\",\"00\",\"8.0\",\"15000\",\"30000\","
    "\"1,875\",\"15,000\",\"12\",\"ＣＲ機\",\"海物語\",\"\",\"1\",\"\",\"\",\"\",\"\"\n"
    "\"2004/05/01\",\"2004\",\"05\",\"01\",\"土\",\"駅前\",\"18\",\"00\",\"20\",\"00\",\"2.0\",\"10000\",\"2655\","
    "\"-3,673\",\"-7,345\",\"3\",\"ＣＲ機\",\"北斗\",\"\",\"2\",\"\",\"\",\"\",\"\"\n"
    "\"2004/05/03\",\"2004\",\"05\",\"03\",\"月\",\"港\",\"10\",\"00\",\"12\",\"00\",\"2.0\",\"20000\",\"\","
    "\"-10,000\",\"-20,000\",\"?\",\"ＣＲ機\",\"海物語\",\"\",\"1\",\"\",\"\",\"\",\"\"\n";

class GraphCommand : public ::testing::Test {
protected:
    TempFolder tmp;
    fs::path user = tmp.makeUser("太郎");

    void SetUp() override {
        test::putBytes(user / "s2004.sdb", test::sjis(kMay2004));
        RecordStore store(tmp.path());
        test::saveYearTotal(store, "太郎", "2004");
    }

    int run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        return runGraphCommand(args, out, err);
    }

    std::ostringstream out, err;
};

TEST_F(GraphCommand, PrintsCaptionTitlesAndPointsWithTheUsersTitleOptions) {
    // chkG1 on (title in the plot), chkG2 off (no X-axis title), chkG3 default on.
    test::putBytes(tmp.path() / "tmrec.ini", test::sjis("[Option]\nchkG1.Value=1\nchkG2.Value=0\n"));
    ASSERT_EQ(run({tmp.path().string(), "太郎", "2004", "5", "日間ﾃﾞｰﾀ", "収支", "--cumulative"}), 0) << err.str();
    EXPECT_EQ(out.str(),
              "日間収支グラフ （2004年05月度）\n"
              "title\t日間収支グラフ （2004年05月度）\n"
              "x\t\n"
              "y\t収 支 額 ⌒円ー\n"
              "01\t7655\n"
              "03\t-12345\n");

    ASSERT_EQ(run({tmp.path().string(), "太郎", "2004", "05", "年間ﾃﾞｰﾀ", "曜日別", "--machine", "海物語"}), 0);
    EXPECT_EQ(out.str(),
              "年間曜日別グラフ （2004年度）\n"
              "title\t\n"
              "x\t曜    日\n"
              "y\t収 支 額 ⌒円ー\n"
              "月\t-20000\n火\t0\n水\t0\n木\t0\n金\t0\n土\t15000\n日\t0\n");

    ASSERT_EQ(run({tmp.path().string(), "太郎", "2004", "06", "月間ﾃﾞｰﾀ", "収支", "--hall", "港"}), 0);
    EXPECT_EQ(out.str(),
              "月間収支グラフ （2004年度）\n"
              "title\t月間収支グラフ （2004年度）\n"
              "x\t\n"
              "y\t収 支 額 ⌒円ー\n"
              "05\t-20000\n");
}

TEST_F(GraphCommand, NoDataAndWrongArgumentsAreToldApart) {
    ASSERT_EQ(run({tmp.path().string(), "太郎", "2004", "06", "日間ﾃﾞｰﾀ", "収支"}), 0);
    EXPECT_EQ(out.str(), "日間収支グラフ （2004年06月度）\ntitle\t該当するデータはありません\nx\t\ny\t\n");

    EXPECT_EQ(run({tmp.path().string(), "太郎", "2004", "13", "日間ﾃﾞｰﾀ", "収支"}), 2);
    EXPECT_NE(err.str().find("月は"), std::string::npos);
    EXPECT_EQ(run({tmp.path().string(), "太郎", "2004", "05", "週間ﾃﾞｰﾀ", "収支"}), 2);
    EXPECT_EQ(run({tmp.path().string(), "花子", "2004", "05", "日間ﾃﾞｰﾀ", "収支"}), 2);
    EXPECT_NE(err.str().find("花子"), std::string::npos);
    EXPECT_EQ(run({tmp.path().string(), "太郎", "2004", "05", "日間ﾃﾞｰﾀ", "収支", "--hall"}), 2);
    EXPECT_EQ(run({tmp.path().string(), "太郎", "2004", "05", "日間ﾃﾞｰﾀ"}), 2);
    EXPECT_TRUE(out.str().empty());
}

}  // namespace
}  // namespace tama
