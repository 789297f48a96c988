// The record store against real files: CP932 bytes, CR LF, the insert / sort /
// delete rules with their DayFirst marks, the year totals, and the refusals that
// keep a damaged or foreign file from being overwritten.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "entry/entry_save.h"
#include "shared/number_format.h"
#include "storage/record_store.h"
#include "storage/save_batch.h"
#include "test_support.h"

namespace tama {
namespace {

using test::dataFile;
using test::fileBytes;
using test::fileText;
using test::putBytes;
using test::sjis;
using test::TempFolder;

// A record of `date` ("2003/05/01") with balance `syusi`; `come` tells records apart.
DailyRecord rec(const std::string& date, const std::string& syusi, const std::string& come = "",
                const std::string& dayFirst = "1") {
    DailyRecord r = test::recordOn(date);
    r.Syusi = syusi;
    r.Come = come;
    r.DayFirst = dayFirst;
    return r;
}

// The DayFirst mark a new record of `date` would get, found by staging its
// insert without committing it: nothing is written.
std::string dayFirstOf(RecordStore& store, const std::string& user, const std::string& date) {
    DailyRecord r = rec(date, "0");
    SaveBatch batch(store.programFolder());
    store.stageInsert(batch, user, r);
    return r.DayFirst;
}

// The list's records written back to its YearFile as an update stages them
// (stageYearRewrite), committed; returns the bytes staged.
std::string rewrite(RecordStore& store, YearRecordList& list) {
    SaveBatch batch(store.programFolder());
    std::string bytes;
    commitAllOrNothing(batch, [&] { bytes = store.stageYearRewrite(batch, list, list.records); });
    return bytes;
}

std::vector<std::string> comments(const std::vector<DailyRecord>& records) {
    std::vector<std::string> out;
    for (const auto& r : records) out.push_back(r.Come + ":" + r.DayFirst);
    return out;
}

class RecordStoreTest : public ::testing::Test {
protected:
    TempFolder tmp;
    fs::path userDir = tmp.makeUser("太郎");
    RecordStore store{tmp.path()};
    const std::string user = "太郎";
};

TEST_F(RecordStoreTest, ReadsRealCp932FileAndWritesItBackByteForByte) {
    const std::string original = fileBytes(dataFile("s2003.sdb"));
    putBytes(userDir / "s2003.sdb", original);

    YearRecordList list = store.loadYear(user, "2003");
    ASSERT_EQ(list.count(), 5);
    EXPECT_EQ(list.record(1).Holl, "駅前ホール");
    EXPECT_EQ(list.record(2).Syusi, "-3,500");
    EXPECT_EQ(list.record(2).K_no, "?");
    EXPECT_EQ(list.record(2).DayFirst, "2");
    // 0x5C as second byte (ソ, 表) must not be taken for a backslash.
    EXPECT_EQ(list.record(3).Holl, "ソフィア表町");
    // CP932 0x8160 is the full-width tilde, not the wave dash of plain Shift-JIS.
    EXPECT_EQ(list.record(3).Come, "出ない～");
    EXPECT_EQ(list.record(4).Come, "①番台");
    EXPECT_EQ(list.record(5).Come, "ﾃｽﾄ ﾒﾓ");
    EXPECT_EQ(list.record(5).Tousi, "");
    EXPECT_EQ(list.record(5).Reserve4, "");

    // The records written back give the same bytes, so the save leaves the file alone.
    EXPECT_EQ(rewrite(store, list), original);
    EXPECT_EQ(fileBytes(userDir / "s2003.sdb"), original);
}

TEST_F(RecordStoreTest, FirstInsertCreatesTheYearFileAndTheTotal) {
    test::saveRecord(store, user, rec("2003/05/01", "15,000"));
    EXPECT_EQ(fileBytes(userDir / "s2003.sdb"),
              sjis("\"2003/05/01\",\"2003\",\"05\",\"01\",\"木\",\"駅前ホール\",\"10\",\"00\",\"18\",\"00\","
                   "\"8.0\",\"15000\",\"30000\",\"1,875\",\"15,000\",\"12\",\"ＣＲ機\",\"（不明）\",\"\",\"1\","
                   "\"\",\"\",\"\",\"\"\n"));
    EXPECT_EQ(fileBytes(userDir / "Year.txt"), "\"2003\",15000\r\n");
}

TEST_F(RecordStoreTest, InsertMarksSecondRecordOfADateAndSortsEarlierDatesFirst) {
    test::saveRecord(store, user, rec("2003/05/10", "1,000", "a"));
    test::saveRecord(store, user, rec("2003/05/10", "-3,500", "b"));
    test::saveRecord(store, user, rec("2003/04/30", "500", "c"));
    test::saveRecord(store, user, rec("2003/05/11", "0", "d"));
    // c is swapped from the end to the front, which puts b before a: the "2"
    // record of 05/10 now stands before its "1" record.
    EXPECT_EQ(comments(store.loadYear(user, "2003").records), (std::vector<std::string>{"c:1", "b:2", "a:1", "d:1"}));
    EXPECT_EQ(dayFirstOf(store, user, "2003/05/10"), "2");
    EXPECT_EQ(dayFirstOf(store, user, "2003/05/12"), "1");
    EXPECT_EQ(dayFirstOf(store, user, "2004/05/10"), "1");  // no file
    EXPECT_FALSE(fs::exists(userDir / "s2004.sdb"));
    EXPECT_EQ(store.loadYear(user, "2003").count(), 4);
    EXPECT_EQ(store.loadYearTotals(user), (std::vector<YearTotal>{{"2003", -2000}}));
}

// A save replaces only the files whose bytes change: a file written back as it
// was is not replaced, so no backup version of it is made either.
TEST_F(RecordStoreTest, AFileWrittenBackUnchangedIsNotReplaced) {
    const std::string bytes = encodeYearFile({rec("2003/05/01", "0")}, "x");
    putBytes(userDir / "s2003.sdb", bytes);
    YearRecordList list = store.loadYear(user, "2003");
    EXPECT_EQ(sortedByDate(list.records), list.records);  // one record: no order to change
    rewrite(store, list);
    EXPECT_EQ(fileBytes(userDir / "s2003.sdb"), bytes);
    EXPECT_TRUE(listBackups(tmp.path(), user).empty());

    // LF-only line ends are not the file's form: written back, it becomes CR LF
    // and its old bytes are kept as a version.
    putBytes(userDir / "s2003.sdb", sjis(formatRecordLine(rec("2003/05/01", "0"))).append("\n"));
    list = store.loadYear(user, "2003");
    rewrite(store, list);
    EXPECT_EQ(fileBytes(userDir / "s2003.sdb"), bytes);
    EXPECT_EQ(listBackups(tmp.path(), user).size(), 1u);
}

// The date order of records, odd year, month and day texts included, is the
// selection sort's over the number that leads their joined text.
TEST(SortByKeyTest, SortedByDateMovesEachRecordWhereTheKeysSay) {
    const std::vector<std::string> years = {"2003", "2004", "203", "20a3", "", "+2003", " 2003", "1234567890"};
    const std::vector<std::string> days = {"01", "15", "31", "1", "", "x", "1.5"};
    std::uint32_t seed = 7;
    auto pick = [&](const std::vector<std::string>& v) {
        return v[((seed = seed * 1103515245u + 12345u) >> 16) % v.size()];
    };
    std::vector<DailyRecord> records(300);
    std::vector<std::int32_t> keys;
    for (size_t i = 0; i < records.size(); ++i) {
        records[i].Nen = pick(years);
        records[i].Tuki = pick(days);
        records[i].Hi = pick(days);
        records[i].Come = std::to_string(i);
        keys.push_back(toInt32(leadingNumber(records[i].Nen + records[i].Tuki + records[i].Hi)));
    }
    const std::vector<std::int32_t> order = orderByKey(keys);
    const std::vector<DailyRecord> sorted = sortedByDate(records);
    ASSERT_EQ(sorted.size(), records.size());
    for (size_t j = 0; j < sorted.size(); ++j)
        ASSERT_EQ(sorted[j], records[static_cast<size_t>(order[j])]) << "place " << j;
}

TEST(SortByKeyTest, EqualKeysComeOutInSelectionSortOrderNotInputOrder) {
    std::vector<std::int32_t> keys{2, 1, 2, 1}, pos{1, 2, 3, 4};
    sortByKey(keys, pos);
    EXPECT_EQ(keys, (std::vector<std::int32_t>{1, 1, 2, 2}));
    EXPECT_EQ(pos, (std::vector<std::int32_t>{2, 4, 3, 1}));

    // A stable sort would keep 1 before 3; the selection sort swaps them.
    std::vector<std::int32_t> stable{1, 2, 3, 4};
    std::vector<std::int32_t> in{2, 1, 2, 1};
    std::stable_sort(stable.begin(), stable.end(), [&](int a, int b) { return in[a - 1] < in[b - 1]; });
    EXPECT_NE(pos, stable);

    std::vector<std::int32_t> none, noneCompanions;
    sortByKey(none, noneCompanions);  // n = 0 does nothing
}

// orderByKey skips the sort for keys already in order: the order must still be
// exactly the selection sort's, for sorted and unsorted keys with many ties.
TEST(SortByKeyTest, OrderByKeyGivesTheSelectionSortsOrder) {
    std::uint32_t seed = 12345;
    for (int round = 0; round < 300; ++round) {
        std::vector<std::int32_t> keys(static_cast<size_t>(round % 9));
        for (auto& k : keys) k = static_cast<std::int32_t>((seed = seed * 1103515245u + 12345u) >> 28) % 4;
        if (round % 3 == 0) std::sort(keys.begin(), keys.end());
        std::vector<std::int32_t> sorted = keys, pos(keys.size());
        for (size_t i = 0; i < pos.size(); ++i) pos[i] = static_cast<std::int32_t>(i);
        sortByKey(sorted, pos);
        EXPECT_EQ(orderByKey(keys), pos) << "round " << round;
    }
}

// sortByKey finds each step's smallest key without scanning; every swap must
// still be the plain selection sort's, above all among equal keys, for sorted
// input, input with one record appended out of place, and shuffled input.
TEST(SortByKeyTest, SwapsExactlyAsThePlainSelectionSort) {
    auto plain = [](std::vector<std::int32_t> keys) {
        std::vector<std::int32_t> pos(keys.size());
        for (size_t i = 0; i < pos.size(); ++i) pos[i] = static_cast<std::int32_t>(i);
        for (size_t i = 0; i < keys.size(); ++i) {
            size_t p = i;
            for (size_t j = i; j < keys.size(); ++j)
                if (keys[j] < keys[p]) p = j;
            std::swap(keys[i], keys[p]);
            std::swap(pos[i], pos[p]);
        }
        return pos;
    };
    std::uint32_t seed = 777;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (int round = 0; round < 200; ++round) {
        const size_t n = 1 + next() % 300;
        std::vector<std::int32_t> keys(n);
        for (auto& k : keys) k = static_cast<std::int32_t>(next() % (round % 2 ? 8 : 1000));
        if (round % 3 == 0) {
            std::sort(keys.begin(), keys.end() - 1);  // a sorted year with one record appended
        }
        std::vector<std::int32_t> sorted = keys, pos(n);
        for (size_t i = 0; i < n; ++i) pos[i] = static_cast<std::int32_t>(i);
        sortByKey(sorted, pos);
        ASSERT_EQ(pos, plain(keys)) << "round " << round;
        ASSERT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
    }
}

TEST_F(RecordStoreTest, AnInsertOrdersEqualDatesAsTheSelectionSortDoes) {
    putBytes(userDir / "s2003.sdb",
             encodeYearFile({rec("2003/05/02", "0", "A"), rec("2003/05/01", "0", "B"), rec("2003/05/02", "0", "C")},
                            "s2003.sdb"));
    test::saveRecord(store, user, rec("2003/05/01", "0", "D"));
    EXPECT_EQ(comments(store.loadYear(user, "2003").records), (std::vector<std::string>{"B:1", "D:2", "C:1", "A:1"}));
}

TEST_F(RecordStoreTest, DeletingTheFirstRecordPromotesOnlyTheNextOneOfItsDate) {
    putBytes(userDir / "s2003.sdb",
             encodeYearFile({rec("2003/05/01", "100", "x", "1"), rec("2003/05/01", "200", "y", "2"),
                             rec("2003/05/02", "300", "z", "1"), rec("2003/05/01", "400", "w", "2")},
                            "s2003.sdb"));
    YearRecordList list = store.loadYear(user, "2003");
    deleteRecord(store, list, 1);
    const std::vector<std::string> expected{"y:1", "z:1", "w:2"};
    EXPECT_EQ(comments(list.records), expected);
    EXPECT_EQ(comments(store.loadYear(user, "2003").records), expected);
}

TEST_F(RecordStoreTest, DeletingAfterASecondRecordPromotesNothing) {
    // After the selection sort the "2" record of a date can stand before its "1".
    putBytes(userDir / "s2003.sdb", encodeYearFile({rec("2003/05/01", "0", "y", "2"), rec("2003/05/01", "0", "x", "1"),
                                                    rec("2003/05/03", "0", "v", "2")},
                                                   "s2003.sdb"));
    YearRecordList list = store.loadYear(user, "2003");
    deleteRecord(store, list, 2);
    EXPECT_EQ(comments(store.loadYear(user, "2003").records), (std::vector<std::string>{"y:2", "v:2"}));

    // Deleting a "2" record promotes nobody either.
    deleteRecord(store, list, 1);
    EXPECT_EQ(comments(store.loadYear(user, "2003").records), (std::vector<std::string>{"v:2"}));
    EXPECT_THROW(deleteRecord(store, list, 2), std::out_of_range);
    EXPECT_THROW(deleteRecord(store, list, 0), std::out_of_range);
}

TEST_F(RecordStoreTest, DeletingTheLastRecordLeavesAnEmptyFileAndATotalOfZero) {
    test::saveRecord(store, user, rec("2003/05/01", "-3,500"));
    EXPECT_EQ(store.loadYearTotals(user), (std::vector<YearTotal>{{"2003", -3500}}));
    YearRecordList list = store.loadYear(user, "2003");
    EXPECT_EQ(deleteRecord(store, list, 1), 0);
    ASSERT_TRUE(fs::exists(userDir / "s2003.sdb"));
    EXPECT_EQ(fs::file_size(userDir / "s2003.sdb"), 0u);
    EXPECT_EQ(fileBytes(userDir / "Year.txt"), "\"2003\",0\r\n");
}

TEST_F(RecordStoreTest, YearTotalsAreReplacedAddedAndSortedByYear) {
    putBytes(userDir / "Year.txt", "\"2004\",100\r\n\"2002\",-48000\r\n\"2003\",999\r\n");
    putBytes(userDir / "s2003.sdb", fileBytes(dataFile("s2003.sdb")));
    EXPECT_EQ(test::saveYearTotal(store, user, "2003"), 15000 - 3500 - 10000 + 25000 + 0);
    EXPECT_EQ(fileBytes(userDir / "Year.txt"), "\"2002\",-48000\r\n\"2003\",26500\r\n\"2004\",100\r\n");

    // A year without a line gets one, in its place by year; no YearFile counts as 0.
    test::saveYearTotal(store, user, "1999");
    EXPECT_EQ(fileText(userDir / "Year.txt"), "\"1999\",0\n\"2002\",-48000\n\"2003\",26500\n\"2004\",100\n");
}

TEST_F(RecordStoreTest, FileNamesAreFoundWithoutRegardToCase) {
    putBytes(userDir / "S2003.SDB", encodeYearFile({rec("2003/05/01", "1,000", "old")}, "x"));
    putBytes(userDir / "YEAR.TXT", "\"2003\",1000\r\n");
    test::saveRecord(store, user, rec("2003/04/01", "500", "new"));
    EXPECT_FALSE(fs::exists(userDir / "s2003.sdb"));
    EXPECT_FALSE(fs::exists(userDir / "Year.txt"));
    EXPECT_EQ(comments(decodeYearFile(fileBytes(userDir / "S2003.SDB"), "x")),
              (std::vector<std::string>{"new:1", "old:1"}));
    EXPECT_EQ(fileBytes(userDir / "YEAR.TXT"), "\"2003\",1500\r\n");

    // The user folder and Data itself are found the same way.
    RecordStore other{tmp.path()};
    tmp.makeUser("Hanako");
    EXPECT_EQ(other.userFolder("HANAKO"), tmp.path() / "Data" / "Hanako");
}

TEST_F(RecordStoreTest, BlankLinesAreSkippedAndCountedInLineNumbers) {
    std::string line = sjis(formatRecordLine(rec("2003/05/01", "0")) + "\n");
    putBytes(userDir / "s2003.sdb", line + "\r\n  \r\n" + line + "\"2003/05/02\"\r\n");
    try {
        store.loadYear(user, "2003");
        FAIL() << "a line of one field was accepted";
    } catch (const FileError& e) {
        EXPECT_EQ(e.line(), 5);
        EXPECT_EQ(e.file().filename(), "s2003.sdb");
    }
    putBytes(userDir / "s2003.sdb", line + "\r\n  \r\n" + line + "\r\n");
    EXPECT_EQ(store.loadYear(user, "2003").count(), 2);
}

// Every writer of a YearFile refuses a file it could not read whole, and leaves it
// and Year.txt as they were.
TEST_F(RecordStoreTest, DamagedYearFileIsReportedAndNeverRewritten) {
    struct Case {
        const char* file;
        int line;
    };
    for (Case c : {Case{"bad_line.sdb", 4}, Case{"bad_bytes.sdb", 2}}) {
        SCOPED_TRACE(c.file);
        const std::string damaged = fileBytes(dataFile(c.file));
        putBytes(userDir / "s2003.sdb", damaged);
        putBytes(userDir / "Year.txt", "\"2003\",123\r\n");
        YearRecordList handMade;
        handMade.user = user;
        handMade.year = "2003";
        handMade.records = {rec("2003/05/01", "0")};

        try {
            store.loadYear(user, "2003");
            FAIL() << "damaged file was read";
        } catch (const FileError& e) {
            EXPECT_EQ(e.line(), c.line);
            EXPECT_EQ(e.file(), userDir / "s2003.sdb");
            EXPECT_NE(std::string(e.what()).find("s2003.sdb"), std::string::npos);
        }
        EXPECT_THROW(dayFirstOf(store, user, "2003/05/01"), FileError);
        EXPECT_THROW(test::saveRecord(store, user, rec("2003/06/01", "0")), FileError);
        EXPECT_THROW(deleteRecord(store, handMade, 1), FileError);
        EXPECT_THROW(rewrite(store, handMade), FileError);
        EXPECT_THROW(test::saveYearTotal(store, user, "2003"), FileError);
        EXPECT_EQ(fileBytes(userDir / "s2003.sdb"), damaged);
        EXPECT_EQ(fileBytes(userDir / "Year.txt"), "\"2003\",123\r\n");
    }
}

TEST_F(RecordStoreTest, FailedRewriteLeavesFileAndListAsTheyWere) {
    putBytes(userDir / "s2003.sdb",
             encodeYearFile({rec("2003/05/01", "0", "x", "1"), rec("2003/05/01", "0", "y", "2")}, "x"));
    const std::string before = fileBytes(userDir / "s2003.sdb");
    YearRecordList list = store.loadYear(user, "2003");
    fs::permissions(userDir / "s2003.sdb", fs::perms::owner_write, fs::perm_options::remove);  // cannot be written

    EXPECT_THROW(test::saveRecord(store, user, rec("2003/05/02", "0")), FileError);
    EXPECT_NO_THROW(rewrite(store, list));  // the same bytes: nothing to write
    EXPECT_THROW(deleteRecord(store, list, 1), FileError);
    EXPECT_EQ(fileBytes(userDir / "s2003.sdb"), before);
    EXPECT_EQ(comments(list.records), (std::vector<std::string>{"x:1", "y:2"}));

    fs::permissions(userDir / "s2003.sdb", fs::perms::owner_write, fs::perm_options::add);
    deleteRecord(store, list, 1);
    EXPECT_EQ(comments(list.records), (std::vector<std::string>{"y:1"}));
}

TEST_F(RecordStoreTest, FieldsThatWouldNotReadBackAreRefused) {
    test::saveRecord(store, user, rec("2003/05/01", "0", "ok"));
    const std::string before = fileBytes(userDir / "s2003.sdb");
    for (const char* come : {"say \"hi\"", "two\r\nlines", "lf\n"}) {
        SCOPED_TRACE(come);
        EXPECT_THROW(test::saveRecord(store, user, rec("2003/05/02", "0", come)), FileError);
    }
    DailyRecord euro = rec("2003/05/02", "0", "€100");  // no CP932 code
    EXPECT_THROW(test::saveRecord(store, user, euro), FileError);
    EXPECT_EQ(fileBytes(userDir / "s2003.sdb"), before);
}

TEST_F(RecordStoreTest, ListIsNotWrittenOverAFileChangedSinceLoading) {
    test::saveRecord(store, user, rec("2003/05/01", "0", "a"));
    YearRecordList list = store.loadYear(user, "2003");
    test::saveRecord(store, user, rec("2003/05/02", "0", "b"));  // written by another window
    list.record(1).Come = "edited";
    EXPECT_THROW(rewrite(store, list), FileError);
    EXPECT_THROW(deleteRecord(store, list, 1), FileError);
    EXPECT_EQ(comments(store.loadYear(user, "2003").records), (std::vector<std::string>{"a:1", "b:1"}));
}

TEST_F(RecordStoreTest, NamesThatWouldLeaveTheDataFolderAreRefused) {
    for (std::string bad : std::vector<std::string>{"", ".", "..", "a/b", "a\\b", "../太郎", "tab\tname",
                                                    std::string("nul\0x", 5), "del\x7f", "bad\xff utf8"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(userNameProblem(bad).empty());
        EXPECT_THROW(store.userFolder(bad), std::invalid_argument);
        EXPECT_THROW(test::saveRecord(store, bad, rec("2003/05/01", "0")), std::invalid_argument);
    }
    for (std::string bad : std::vector<std::string>{"../2003", "20/03", "2003\\", "20\"03", "2003\n"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(store.yearFilePath(user, bad), std::invalid_argument);
        DailyRecord r = rec("2003/05/01", "0");
        r.Nen = bad;
        EXPECT_THROW(test::saveRecord(store, user, r), std::invalid_argument);
    }
    EXPECT_TRUE(userNameProblem("山田 太郎").empty());
    EXPECT_TRUE(userNameProblem("a..b").empty());
    // Nothing was written anywhere under the program folder but the user folder.
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(tmp.path() / "Data"), {}), 1);
}

TEST_F(RecordStoreTest, SavingForAUserWithoutFolderCreatesNothing) {
    EXPECT_THROW(test::saveRecord(store, "次郎", rec("2003/05/01", "0")), FileError);
    EXPECT_FALSE(fs::exists(tmp.path() / "Data" / "次郎"));
    // A missing YearFile reads as an empty year.
    EXPECT_EQ(store.loadYear("次郎", "2003").count(), 0);
    EXPECT_TRUE(store.loadYearTotals("次郎").empty());
}

TEST_F(RecordStoreTest, ListsYearFilesAndUsers) {
    putBytes(userDir / "s2004.sdb", "");
    putBytes(userDir / "S2003.SDB", "");
    putBytes(userDir / "holl.dat", "");
    putBytes(userDir / ".sdb", "");
    fs::create_directory(userDir / "s2005.sdb");
    // A folder under a YearFile's name is listed, so that its reader reports it
    // instead of the year reading as empty.
    EXPECT_EQ(store.yearFileNames(user), (std::vector<std::string>{"S2003.SDB", "s2004.sdb", "s2005.sdb"}));
    tmp.makeUser("Hanako");
    putBytes(tmp.path() / "Data" / "stray.txt", "");
    EXPECT_EQ(store.userNames(), (std::vector<std::string>{"Hanako", "太郎"}));
}

TEST(RecordLineTest, ParsesExactlyTwentyFourQuotedFields) {
    const std::string good = formatRecordLine(rec("2003/05/01", "-3,500", "a,b"));
    auto r = parseRecordLine(good);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->Come, "a,b");  // a comma inside quotes is text
    EXPECT_EQ(*r, rec("2003/05/01", "-3,500", "a,b"));

    std::string cut = good.substr(0, good.rfind(','));          // 23 fields
    std::string extra = good + ",\"\"";                         // 25 fields
    std::string spaced = "\"2003/05/01\", " + good.substr(13);  // space before a field
    std::string unclosed = good.substr(0, good.size() - 1);     // last quote missing
    std::string trailing = good + " ";
    std::string strayCr = "\"2003/05/01\r\"" + good.substr(12);  // a CR inside a field
    for (const std::string& bad :
         {cut, extra, spaced, unclosed, trailing, strayCr, std::string(), std::string("\"\"")}) {
        SCOPED_TRACE(bad);
        std::string why;
        EXPECT_FALSE(parseRecordLine(bad, &why));
        EXPECT_FALSE(why.empty());
    }
}

}  // namespace
}  // namespace tama
