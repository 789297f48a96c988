// The comment condition of the analysis search: containment in the stored form,
// alone and with the other selectors, on the command line and in the workbook's
// condition line.
#include <gtest/gtest.h>

#include "analysis/analysis_command.h"
#include "export/analysis_export.h"
#include "storage/record_store.h"
#include "test_support.h"

namespace tama {
namespace {

DailyRecord commented(std::string_view date, std::string_view hall, std::string_view come) {
    DailyRecord r = test::recordOn(date);
    r.Holl = hall;
    r.Come = come;
    return r;
}

class CommentSearch : public ::testing::Test {
protected:
    void SetUp() override {
        tmp.makeUser("太郎");
        const fs::path path = tmp.path() / "Data" / "太郎" / "s2024.sdb";
        test::putBytes(
            path, encodeYearFile({commented("2024/05/01", "駅前", "朝から並んで爆発"),
                                  commented("2024/05/02", "港", "爆発なし、12時～18時"),
                                  commented("2024/05/03", "駅前", ""), commented("2024/05/04", "港", "Ｖ確～連チャン")},
                                 path));
    }
    std::vector<std::string> datesFor(SearchCriteria c) {
        c.user = "太郎";
        c.allPeriod = true;
        std::vector<std::string> out;
        for (const auto& r : loadRecords(tmp.path(), c).records) out.push_back(r.date);
        return out;
    }
    test::TempFolder tmp;
};

TEST_F(CommentSearch, ContainsTheTextInItsStoredForm) {
    struct Case {
        const char* comment;
        std::vector<std::string> dates;
    } cases[] = {
        {"", {"2024/05/01", "2024/05/02", "2024/05/03", "2024/05/04"}},  // empty: every record, "" comments too
        {"爆発", {"2024/05/01", "2024/05/02"}},                          // anywhere in the comment
        {"朝から並んで爆発", {"2024/05/01"}},                            // the whole comment
        {"爆発する", {}},                                                // longer than any comment
        {"〜", {"2024/05/02", "2024/05/04"}},                            // WAVE DASH is stored as FULLWIDTH TILDE
        {"～連", {"2024/05/04"}},
        {"ｖ確", {}},  // no folding of width or case
    };
    for (const auto& c : cases) {
        SearchCriteria s;
        s.comment = c.comment;
        EXPECT_EQ(datesFor(s), c.dates) << c.comment;
    }
}

TEST_F(CommentSearch, CombinesWithThePeriod) {
    SearchCriteria s;
    s.user = "太郎";
    s.comment = "爆発";
    s.from = "2024/05/02";
    s.to = "2024/05/31";
    const MatchedRecords m = loadRecords(tmp.path(), s);
    ASSERT_EQ(m.n(), 1);
    EXPECT_EQ(m.records[0].date, "2024/05/02");
    EXPECT_EQ(m.totalLines, 4);  // every line is still counted
}

TEST(CommentArguments, CommandLineAndConditionLine) {
    test::TempFolder tmp;
    tmp.makeUser("太郎");
    const std::string folder = tmp.path().string();
    const DefaultPeriod opening{"2024/01/01", "2024/12/31"};
    const auto parsed = parseAnalysisArguments({folder, "太郎", "--comment", "爆発", "--hall", "港"}, opening);
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.criteria.comment, "爆発");
    EXPECT_EQ(parsed.criteria.hall, "港");
    EXPECT_NE(parseAnalysisArguments({folder, "太郎", "--comment"}, opening).error, "");  // the value is missing

    SearchCriteria c = parsed.criteria;
    EXPECT_EQ(conditionLine(c),
              "分析条件 [ 期間：2024/01/01～2024/12/31　ﾎｰﾙ名：港　台番号：全番号　機種ﾀｲﾌﾟ：全ﾀｲﾌﾟ"
              "　機種名：全機種　ｺﾒﾝﾄ：爆発 ]");
    c.comment.clear();  // not used: the line stays as it always was
    EXPECT_EQ(conditionLine(c),
              "分析条件 [ 期間：2024/01/01～2024/12/31　ﾎｰﾙ名：港　台番号：全番号　機種ﾀｲﾌﾟ：全ﾀｲﾌﾟ"
              "　機種名：全機種 ]");
}

}  // namespace
}  // namespace tama
