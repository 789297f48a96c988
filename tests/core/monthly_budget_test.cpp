// The monthly budget: the text the options dialog takes, the figure the
// summary shows, the notice of a save that takes the month past the budget,
// and the month balances the save reports for it.
#include <gtest/gtest.h>

#include "entry/entry_save.h"
#include "monthly/month_summary.h"
#include "options/monthly_budget.h"
#include "storage/record_store.h"
#include "test_support.h"

namespace tama {
namespace {

TEST(MonthlyBudget, TextsTakenAndRefused) {
    struct Case {
        const char* text;
        bool valid;
        std::optional<std::int64_t> yen;
    } cases[] = {
        {"", true, std::nullopt},     {"   ", true, std::nullopt}, {"0", true, std::nullopt},
        {"50000", true, 50000},       {" 50,000 ", true, 50000},   {"999999999999", true, 999999999999},
        {"1000000000000", false, {}}, {"-5000", false, {}},        {"500.5", false, {}},
        {"5万", false, {}},           {"abc", false, {}},
    };
    for (const auto& c : cases) {
        const BudgetText b = readBudgetText(c.text);
        EXPECT_EQ(b.valid, c.valid) << c.text;
        EXPECT_EQ(b.yen, c.yen) << c.text;
    }
}

TEST(MonthlyBudget, KeptInSectionOptionAndReadBack) {
    test::TempFolder tmp;
    SettingsFile settings(tmp.path() / "tmrec.ini");
    EXPECT_EQ(readMonthlyBudget(settings), std::nullopt);  // no file: off
    settings.write("Option", "txtYosan.Text", budgetStoredText(50000));
    EXPECT_EQ(test::fileText(settings.path()), "[Option]\ntxtYosan.Text=50000\n");
    EXPECT_EQ(readMonthlyBudget(settings), 50000);
    settings.write("option", "TXTYOSAN.TEXT", "-1");  // a value no dialog writes: off
    EXPECT_EQ(readMonthlyBudget(settings), std::nullopt);
    EXPECT_EQ(budgetStoredText(std::nullopt), "");
}

TEST(MonthlyBudget, RemainderLineAndItsColour) {
    struct Case {
        std::int64_t budget, balance;
        const char* text;
        Rgb colour;
    } cases[] = {
        {50000, -32000, "18,000 円 ", kRgbBlack},
        {50000, -50000, "0 円 ", kRgbBlack},  // exactly used up is not below 0
        {50000, -50001, "-1 円 ", kRgbRed},
        {50000, 12000, "62,000 円 ", kRgbBlack},  // a winning month adds to it
        {50000, INT64_MIN, "", kRgbRed},          // a damaged month's sum at the 64-bit limit stays below 0
    };
    for (const auto& c : cases) {
        const BudgetLine line = budgetLine(c.budget, c.balance);
        EXPECT_EQ(line.colour, c.colour) << c.balance;
        if (c.balance != INT64_MIN) {
            EXPECT_EQ(line.text, c.text) << c.balance;
        }
    }
    EXPECT_EQ(budgetRemainder(50000, INT64_MAX), INT64_MAX);  // no wrap past the 64-bit limit
}

TEST(MonthlyBudget, NoticeOnlyWhenASaveCrossesTheBudget) {
    struct Case {
        std::optional<std::int64_t> budget;
        std::int64_t before, after;
        std::optional<std::string> notice;
    } cases[] = {
        {50000, -40000, -62000, "今月の予算を超えました（-12,000 円）"},
        {50000, -50000, -50001, "今月の予算を超えました（-1 円）"},
        {50000, -40000, -50000, std::nullopt},      // used up, not past
        {50000, -60000, -70000, std::nullopt},      // past it already: no second notice
        {50000, -60000, -40000, std::nullopt},      // back within it
        {std::nullopt, 0, -1000000, std::nullopt},  // no budget
    };
    for (const auto& c : cases) EXPECT_EQ(budgetExceededNotice(c.budget, c.before, c.after), c.notice) << c.after;
}

// The save reports the month's balance before and after it, summed as the
// monthly summary sums the month.
TEST(MonthlyBudget, SavesReportTheMonthBalanceAroundThemselves) {
    test::TempFolder tmp;
    tmp.makeUser("太郎");
    RecordStore store{tmp.path()};
    MasterLists lists{tmp.path()};
    auto visit = [](std::string_view date, std::string_view syusi) {
        DailyRecord r = test::recordOn(date);
        r.Syusi = syusi;
        return r;
    };
    const fs::path path = store.userFolder("太郎") / "s2024.sdb";
    const std::vector<DailyRecord> records = {visit("2024/04/30", "-90,000"), visit("2024/05/01", "-30,000"),
                                              visit("2024/05/02", "1,500")};
    // A balance that is no number counts 0, as in the summary. Such a file is
    // refused by every writer, so it is summed here only, not saved into.
    std::vector<DailyRecord> damaged = records;
    damaged.push_back(visit("2024/05/03", "not a number"));
    EXPECT_EQ(monthBalance(damaged, "05"), -28500);
    EXPECT_EQ(monthBalance(damaged, "05"), summarizeMonth(damaged, "05").balance);
    test::putBytes(path, encodeYearFile(records, path));

    // A new loss of 15,000 in May (15,000 in, nothing out).
    EntryModel model;
    model.fillFrom(test::recordOn("2024/05/20"));
    model.type(Box::txtKaisyu, "0");
    model.tick();
    const SaveResult saved = saveNewRecord(store, lists, "太郎", model);
    ASSERT_TRUE(saved.saved());
    EXPECT_EQ(saved.monthBalanceBefore, -28500);
    EXPECT_EQ(saved.monthBalanceAfter, -43500);

    // 2024/05/01 changed from a loss of 30,000 to one of 10,000.
    YearRecordList list = store.loadYear("太郎", "2024");
    const int index = 2;
    ASSERT_EQ(list.record(index).DateKey, "2024/05/01");
    EntryModel edit;
    edit.fillFrom(list.record(index));
    edit.type(Box::txtKaisyu, "5000");
    edit.tick();
    const SaveResult updated = updateRecord(store, list, index, edit);
    ASSERT_TRUE(updated.saved());
    EXPECT_EQ(updated.monthBalanceBefore, -43500);
    EXPECT_EQ(updated.monthBalanceAfter, -23500);
}

}  // namespace
}  // namespace tama
