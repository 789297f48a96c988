// The entry form's calculations, keystroke and save checks, record text forms
// and save steps, driven through EntryModel as the form and the CLI drive it.
#include <gtest/gtest.h>

#include <map>

#include "entry/calculations.h"
#include "entry/entry_model.h"
#include "entry/entry_save.h"
#include "storage/master_lists.h"
#include "storage/record_store.h"
#include "test_support.h"

namespace tama {
namespace {

using test::fileBytes;
using test::fileText;
using test::sjis;
using test::TempFolder;

// A model opened on 2003/05/01 (start values 10:00-18:00, 15000 / 30000).
EntryModel startedModel() {
    EntryModel m;
    m.loadStartValues(CalendarDate{2003, 5, 1});
    return m;
}

EntryModel withTimes(const char* h1, const char* m1, const char* h2, const char* m2) {
    EntryModel m = startedModel();
    m.type(Box::txtZ1_1, h1);
    m.type(Box::txtZ1_2, m1);
    m.type(Box::txtZ2_1, h2);
    m.type(Box::txtZ2_2, m2);
    m.tick();
    return m;
}

TEST(EntryStartValues, FormLoadBoxes) {
    EntryModel m = startedModel();
    EXPECT_EQ(m.text(Box::txtNen), "2003");
    EXPECT_EQ(m.text(Box::txtTuki), "5");  // no leading zeros in the boxes
    EXPECT_EQ(m.text(Box::txtHi), "1");
    EXPECT_EQ(m.text(Box::cboYoubi), "木");
    EXPECT_EQ(m.text(Box::txtZ1_1), "10");
    EXPECT_EQ(m.text(Box::txtZ1_2), "00");
    EXPECT_EQ(m.text(Box::txtZ2_1), "18");
    EXPECT_EQ(m.text(Box::txtZ2_2), "00");
    EXPECT_EQ(m.text(Box::txtTousi), "15000");
    EXPECT_EQ(m.text(Box::txtKaisyu), "30000");
    EXPECT_EQ(m.text(Box::cboK_type), "ＣＲ機");
    EXPECT_EQ(m.text(Box::cboHoll), "");
    EXPECT_EQ(m.text(Box::cboK_no), "");
    EXPECT_EQ(m.text(Box::lblT_tim), "");
    EXPECT_FALSE(m.recalcDone());
}

TEST(EntryBoxNames, RoundTripAndUnknown) {
    for (int i = 0; i < kBoxCount; ++i) {
        Box b = static_cast<Box>(i);
        EXPECT_EQ(boxByName(boxName(b)), b);
    }
    EXPECT_FALSE(boxByName("txtnen"));
    EXPECT_FALSE(boxByName(""));
}

TEST(EntryPlayTime, HalfHourStepsAndNoWrapPastMidnight) {
    EXPECT_EQ(withTimes("10", "00", "18", "30").text(Box::lblT_tim), "8.5");
    EXPECT_EQ(withTimes("10", "30", "18", "00").text(Box::lblT_tim), "7.5");
    EXPECT_EQ(withTimes("22", "00", "2", "00").text(Box::lblT_tim), "-20.0");
    EXPECT_EQ(withTimes("10", "00", "10", "00").text(Box::lblT_tim), "0.0");
    EXPECT_EQ(withTimes("", "00", "", "30").text(Box::lblT_tim), "0.5");
}

TEST(EntryPlayTime, MinuteOtherThanHalfHourKeepsThePreviousTime) {
    EntryModel m = withTimes("10", "00", "18", "00");
    EXPECT_EQ(m.text(Box::lblT_tim), "8.0");
    m.type(Box::txtZ1_1, "12");
    m.type(Box::txtZ1_2, "15");  // not a half hour: the start stays 10.00
    m.tick();
    EXPECT_EQ(m.startTimeText(), "10.00");
    EXPECT_EQ(m.text(Box::lblT_tim), "8.0");
    m.type(Box::txtZ1_2, "30");
    m.tick();
    EXPECT_EQ(m.text(Box::lblT_tim), "5.5");
}

TEST(EntryBalance, WinAndLossWithFormatsAndColours) {
    EntryModel win = withTimes("10", "00", "18", "00");
    EXPECT_EQ(win.text(Box::txtSyusi), "15,000");
    EXPECT_EQ(win.syusiColour(), TextColour::Black);
    EXPECT_EQ(win.text(Box::txtZikyu), "1,875");
    EXPECT_EQ(win.zikyuColour(), TextColour::Black);
    EXPECT_TRUE(win.recalcDone());

    EntryModel loss = startedModel();
    loss.type(Box::txtTousi, "30000");
    loss.type(Box::txtKaisyu, "12000");
    loss.type(Box::txtZ2_1, "17");
    loss.tick();
    EXPECT_EQ(loss.text(Box::lblT_tim), "7.0");
    EXPECT_EQ(loss.text(Box::txtSyusi), "-18,000");
    EXPECT_EQ(loss.syusiColour(), TextColour::Red);
    EXPECT_EQ(loss.text(Box::txtZikyu), "-2,571");
    EXPECT_EQ(loss.zikyuColour(), TextColour::Red);

    // A negative play time turns the rate's sign.
    EntryModel night = withTimes("22", "00", "2", "00");
    EXPECT_EQ(night.text(Box::txtZikyu), "-750");
    EXPECT_EQ(night.zikyuColour(), TextColour::Red);

    // Even money is black, and so is a rate just above -1.
    EntryModel even = startedModel();
    even.type(Box::txtKaisyu, "15000");
    even.tick();
    EXPECT_EQ(even.text(Box::txtSyusi), "0");
    EXPECT_EQ(even.syusiColour(), TextColour::Black);
    EXPECT_EQ(entry::figureOf(-0.9).colour, TextColour::Black);
    EXPECT_EQ(entry::figureOf(-1).colour, TextColour::Red);
}

TEST(EntryBalance, ZeroPlayTimeComputesNoRateAutomaticallyOrByHand) {
    EntryModel m = withTimes("10", "00", "10", "00");
    EXPECT_EQ(m.text(Box::txtSyusi), "15,000");
    EXPECT_EQ(m.text(Box::txtZikyu), "");
    m.manualRate();
    EXPECT_EQ(m.text(Box::txtZikyu), "");
    // A stored play time that reads as zero cannot divide either.
    m.setText(Box::lblT_tim, "0");
    m.manualRate();
    EXPECT_EQ(m.text(Box::txtZikyu), "");
    m.setText(Box::lblT_tim, "00.0");
    m.manualRate();
    EXPECT_EQ(m.text(Box::txtZikyu), "");
}

TEST(EntryBalance, ManualRateReadsTheBalanceBoxWithSeparators) {
    EntryModel m = withTimes("10", "00", "14", "00");
    m.setText(Box::txtSyusi, "-3,500");
    m.manualRate();
    EXPECT_EQ(m.text(Box::txtZikyu), "-875");
    EXPECT_EQ(m.zikyuColour(), TextColour::Red);
    m.setText(Box::txtSyusi, "");
    m.manualRate();  // nothing to divide: the rate stays
    EXPECT_EQ(m.text(Box::txtZikyu), "-875");
}

TEST(EntryRecalc, FiguresShownAreAlwaysThoseASaveStores) {
    EntryModel m = withTimes("10", "00", "18", "00");
    ASSERT_EQ(m.text(Box::txtSyusi), "15,000");

    // A refused character leaves the box and the figures as they were.
    EXPECT_EQ(m.type(Box::txtKaisyu, "12a"), "30000");
    EXPECT_EQ(m.refusal(), "回収金額に「a」は入力できません。数字だけを入力して下さい。");
    m.tick();
    EXPECT_EQ(m.text(Box::txtSyusi), "15,000");
    EXPECT_EQ(m.buildRecord().Syusi, "15,000");

    // An amount emptied by the user counts 0 at once, as the save counts it.
    EXPECT_EQ(m.type(Box::txtKaisyu, ""), "");
    EXPECT_TRUE(m.refusal().empty());
    m.tick();
    EXPECT_EQ(m.text(Box::txtSyusi), "-15,000");
    EXPECT_EQ(m.syusiColour(), TextColour::Red);
    EXPECT_EQ(m.text(Box::txtSyusi), m.buildRecord().Syusi);
    EXPECT_EQ(m.text(Box::txtZikyu), m.buildRecord().Zikyu);
    // A pasted grouped amount is taken as its number.
    m.type(Box::txtKaisyu, "30,000");
    m.tick();
    EXPECT_EQ(m.text(Box::txtSyusi), "15,000");
    EXPECT_EQ(m.buildRecord().Kaisyu, "30000");

    m.type(Box::txtKaisyu, "50000");
    m.type(Box::txtTousi, "10000");
    m.tick();
    EXPECT_EQ(m.text(Box::txtSyusi), "40,000");
    EXPECT_EQ(m.text(Box::txtZikyu), "5,000");

    // Once done, a box set without typing does not trigger a recomputation...
    m.setText(Box::txtKaisyu, "0");
    m.tick();
    EXPECT_EQ(m.text(Box::txtSyusi), "40,000");
    // ...but typing into any time or money box does.
    m.type(Box::txtZ2_1, "20");
    m.tick();
    EXPECT_EQ(m.text(Box::txtSyusi), "-10,000");
    EXPECT_EQ(m.text(Box::txtZikyu), "-1,000");
}

TEST(EntryRecalc, OpenedRecordShowsStoredFiguresNavigationRecomputes) {
    DailyRecord stored = startedModel().buildRecord();
    stored.Syusi = "99,999";  // a stored figure that differs from Kaisyu - Tousi
    stored.Zikyu = "-12";
    EntryModel m;
    m.fillFrom(stored);
    m.setRecalcDone(true);  // the monthly window's opening
    m.tick();
    EXPECT_EQ(m.text(Box::txtSyusi), "99,999");
    EXPECT_EQ(m.text(Box::txtZikyu), "-12");
    EXPECT_EQ(m.zikyuColour(), TextColour::Red);

    m.fillFrom(stored);  // navigation: recomputed on the next tick
    m.tick();
    EXPECT_EQ(m.text(Box::txtSyusi), "15,000");
    EXPECT_EQ(m.text(Box::txtZikyu), "1,875");
    EXPECT_EQ(m.zikyuColour(), TextColour::Black);
}

TEST(EntryKeystrokes, DateAndTimeBoxesAreEmptiedByAnyOtherCharacter) {
    EntryModel m = startedModel();
    for (Box b : {Box::txtNen, Box::txtTuki, Box::txtHi, Box::txtZ1_1, Box::txtZ1_2, Box::txtZ2_1, Box::txtZ2_2}) {
        SCOPED_TRACE(std::string(boxName(b)));
        EXPECT_EQ(m.type(b, "12"), "12");
        EXPECT_EQ(m.type(b, " 12"), "");
        EXPECT_EQ(m.type(b, "-5"), "");
        EXPECT_EQ(m.type(b, "１２"), "12");  // digits from an input method
        EXPECT_EQ(m.type(b, ""), "");
    }
    // Free-text boxes keep what is typed.
    EXPECT_EQ(m.type(Box::cboHoll, "駅前 ホール1"), "駅前 ホール1");
    EXPECT_EQ(m.type(Box::txtCome, "-5"), "-5");
}

TEST(EntryKeystrokes, NumberBoxesTakeFullWidthDigitsAndSeparatorsAndRefuseTheRest) {
    struct Case {
        std::string typed, kept, refused;  // refused: the character the message names
    } cases[] = {
        {"１５０００", "15000", ""},
        {"30,000", "30000", ""},
        {"３０，０００", "30000", ""},
        {"1,2", "12", ""},
        {" 12 ", " 12 ", ""},  // a list item of the machine number, spaces and all
        {"", "", ""},
        {"12a", "", "a"},
        {"-5", "", "-"},
        {"1 2", "", " "},
        {"1.5", "", "."},
        {"1２万", "", "万"},
        {"１２ー", "", "ー"},
    };
    for (Box b : {Box::txtTousi, Box::txtKaisyu, Box::cboK_no}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(boxName(b)) + " " + c.typed);
            EntryModel m = startedModel();
            m.type(b, "777");
            const std::string& after = m.type(b, c.typed);
            if (c.refused.empty()) {
                EXPECT_EQ(after, c.kept);
                EXPECT_EQ(m.refusal(), "");
            } else {
                EXPECT_EQ(after, "777");  // never silently emptied
                EXPECT_NE(m.refusal().find(std::string(entry::boxCaption(b)) + "に"), std::string::npos);
                EXPECT_NE(m.refusal().find(c.refused == " " ? "空白" : "「" + c.refused + "」"), std::string::npos);
            }
        }
    }
    // A refusal is forgotten at the next keystroke taken.
    EntryModel m = startedModel();
    m.type(Box::cboK_no, "x");
    EXPECT_FALSE(m.refusal().empty());
    m.type(Box::cboK_no, "１２");
    EXPECT_TRUE(m.refusal().empty());
    EXPECT_EQ(m.buildRecord().K_no, "12");
}

TEST(EntryKeystrokes, MinuteZeroBecomesDoubleZero) {
    EntryModel m = startedModel();
    EXPECT_EQ(m.type(Box::txtZ1_2, "0"), "00");
    EXPECT_EQ(m.type(Box::txtZ2_2, "0"), "00");
    EXPECT_EQ(m.type(Box::txtZ1_1, "0"), "0");  // hours are left alone
    EXPECT_EQ(m.type(Box::txtZ1_2, "3"), "3");
}

TEST(EntryWeekday, TwoDigitYearsUseTheWindowFourDigitYearsTheirOwnYear) {
    EntryModel m = startedModel();
    m.type(Box::txtTuki, "5");
    m.type(Box::txtHi, "4");
    m.type(Box::txtNen, "2003");
    EXPECT_EQ(m.text(Box::cboYoubi), "日");
    m.type(Box::txtNen, "2103");
    EXPECT_EQ(m.text(Box::cboYoubi), "金");  // 2103/05/04 itself, not 2003/05/04
    m.type(Box::txtNen, "03");
    EXPECT_EQ(m.text(Box::cboYoubi), "日");  // 2003
    m.type(Box::txtNen, "3");
    EXPECT_EQ(m.text(Box::cboYoubi), "日");  // 2003

    m.type(Box::txtHi, "1");
    m.type(Box::txtNen, "2031");
    EXPECT_EQ(m.text(Box::cboYoubi), "木");  // not the weekday of 1931/05/01
    m.type(Box::txtNen, "31");
    EXPECT_EQ(m.text(Box::cboYoubi), "金");  // 1931/05/01
    m.type(Box::txtNen, "29");
    EXPECT_EQ(m.text(Box::cboYoubi), "火");  // 2029/05/01

    // Three digits: the year as typed (203/05/04 on the proleptic Gregorian calendar).
    EXPECT_EQ(entry::typedYear("203"), 203);
    EXPECT_EQ(entry::typedWeekday("203", "05", "04"), 3);  // 水
    EXPECT_FALSE(entry::typedYear("20031"));
    EXPECT_FALSE(entry::typedYear("0000"));
    EXPECT_EQ(entry::typedYear("00"), 2000);
    EXPECT_EQ(entry::typedYear("99"), 1999);
}

TEST(EntryWeekday, InvalidDatesKeepTheWeekdayAndLongTextsKeepThePreviousMonth) {
    EntryModel m = startedModel();  // 2003/5/1 木
    m.type(Box::txtHi, "31");
    EXPECT_EQ(m.text(Box::cboYoubi), "土");  // 2003/05/31
    m.type(Box::txtTuki, "6");               // 2003/06/31 does not exist
    EXPECT_EQ(m.text(Box::cboYoubi), "土");
    m.type(Box::txtTuki, "2");
    m.type(Box::txtHi, "29");  // 2003 is no leap year
    EXPECT_EQ(m.text(Box::cboYoubi), "土");
    m.type(Box::txtNen, "2004");
    EXPECT_EQ(m.text(Box::cboYoubi), "日");  // 2004/02/29

    // A three-character month leaves "02" in force for the weekday.
    m.type(Box::txtTuki, "123");
    EXPECT_EQ(m.text(Box::txtTuki), "123");
    m.type(Box::txtHi, "1");
    EXPECT_EQ(m.text(Box::cboYoubi), "日");  // 2004/02/01
    m.type(Box::txtHi, "2");
    EXPECT_EQ(m.text(Box::cboYoubi), "月");  // 2004/02/02
    // A non-digit year is no date (and the box is emptied afterwards).
    EXPECT_EQ(m.type(Box::txtNen, "2004x"), "");
    EXPECT_EQ(m.text(Box::cboYoubi), "月");
    // With a box empty the weekday is not touched.
    m.type(Box::txtHi, "3");
    EXPECT_EQ(m.text(Box::cboYoubi), "月");
}

TEST(EntrySaveChecks, OrderMessagesTitlesAndFocus) {
    EntryModel m = withTimes("10", "00", "18", "00");
    EXPECT_FALSE(m.checkSave());

    std::string fifty;
    for (int i = 0; i < 50; ++i) fifty += "あ";
    m.type(Box::txtCome, fifty);
    EXPECT_FALSE(m.checkSave()) << "50 Japanese characters are allowed";

    m.type(Box::txtZ1_2, "15");
    m.type(Box::txtZ2_2, "45");
    m.type(Box::txtCome, fifty + "a");
    auto r = m.checkSave();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->message, "コメントの文字数を50文字以内にして下さい。");
    EXPECT_EQ(r->title, "ｴﾗｰ発生");
    EXPECT_EQ(r->focus, Box::txtCome);

    m.type(Box::txtCome, "");
    r = m.checkSave();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->message, "遊技時間の指定は、30分単位（00分又は30分）で入力して下さい。");
    EXPECT_EQ(r->title, "入力ｴﾗｰ発生");
    EXPECT_EQ(r->focus, Box::txtZ1_2);

    m.type(Box::txtZ1_2, "30");
    r = m.checkSave();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->focus, Box::txtZ2_2);
    m.type(Box::txtZ2_2, "");  // empty is not a half hour either
    EXPECT_EQ(m.checkSave()->focus, Box::txtZ2_2);
    m.type(Box::txtZ2_2, "0");
    EXPECT_FALSE(m.checkSave());

    // Empty hours and amounts are not checked.
    m.type(Box::txtZ1_1, "");
    m.type(Box::txtTousi, "");
    EXPECT_FALSE(m.checkSave());
}

TEST(EntrySaveChecks, TextsThatWouldBreakTheFileAreRefused) {
    EntryModel m = withTimes("10", "00", "18", "00");
    m.type(Box::cboHoll, "駅前\"ホール");
    auto r = m.checkSave();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->focus, Box::cboHoll);
    EXPECT_EQ(r->title, "入力ｴﾗｰ発生");
    EXPECT_EQ(r->message, "ホール名に「\"」は使えません。");

    m.type(Box::cboHoll, "");
    m.type(Box::txtCome, "一行目\r\n二行目");
    r = m.checkSave();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->focus, Box::txtCome);
    EXPECT_EQ(r->message, "コメントに改行は使えません。");

    m.type(Box::txtCome, "");
    m.type(Box::cboKisyu, "機種😀");  // no such character in Shift-JIS
    r = m.checkSave();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->focus, Box::cboKisyu);
}

TEST(EntryRecord, TextFormsOfTheStoredFields) {
    EntryModel m = startedModel();
    m.type(Box::txtZ1_1, "9");
    m.type(Box::txtZ2_1, "9");
    m.type(Box::txtZ2_2, "30");
    m.type(Box::txtTousi, "0015000");
    m.type(Box::txtKaisyu, "");
    m.setText(Box::cboK_no, " 12 ");  // picked from the list
    m.type(Box::cboHoll, "駅前ホール");
    m.type(Box::txtCome, "よく出た");
    m.tick();
    DailyRecord r = m.buildRecord();
    EXPECT_EQ(r.DateKey, "2003/05/01");
    EXPECT_EQ(r.Nen, "2003");
    EXPECT_EQ(r.Tuki, "05");
    EXPECT_EQ(r.Hi, "01");
    EXPECT_EQ(r.Youbi, "木");
    EXPECT_EQ(r.Holl, "駅前ホール");
    EXPECT_EQ(r.Z1_1, "09");
    EXPECT_EQ(r.Z2_1, "9");
    EXPECT_EQ(r.Z2_2, "30");
    EXPECT_EQ(r.T_tim, "0.5");
    EXPECT_EQ(r.Tousi, "15000");
    EXPECT_EQ(r.Kaisyu, "");
    // The tick left the figures (one money box is empty); the record gets those
    // of its amounts, the empty one counting 0.
    EXPECT_EQ(r.Syusi, "-15,000");
    EXPECT_EQ(r.Zikyu, "-30,000");
    EXPECT_EQ(r.K_no, "12");
    EXPECT_EQ(r.K_type, "ＣＲ機");
    EXPECT_EQ(r.Kisyu, "（不明）");
    EXPECT_EQ(r.Come, "よく出た");
    EXPECT_EQ(r.DayFirst, "");

    m.settleFigures();
    m.type(Box::cboK_no, "");
    m.type(Box::txtTuki, "12");
    m.type(Box::txtHi, "0");
    m.setText(Box::txtSyusi, "-3500");
    r = m.buildRecord();
    EXPECT_EQ(r.K_no, "?");
    EXPECT_EQ(r.Tuki, "12");
    EXPECT_EQ(r.Hi, "0");          // only "1".."9" get the leading zero
    EXPECT_EQ(r.Syusi, "-3,500");  // typed by hand after the figures were settled
}

// --- Save steps against real files ---------------------------------------

class EntrySaveSteps : public ::testing::Test {
protected:
    TempFolder tmp;
    fs::path userFolder = tmp.makeUser("太郎");
    RecordStore store{tmp.path()};
    MasterLists lists{tmp.path()};

    EntryModel model(const char* month, const char* day) {
        EntryModel m = startedModel();
        m.type(Box::txtTuki, month);
        m.type(Box::txtHi, day);
        m.tick();
        return m;
    }
    SaveResult save(EntryModel& m) { return saveNewRecord(store, lists, "太郎", m); }
};

// Absurd typing never reaches a file as a text that is no finite number: the
// number boxes keep their first nine characters, and a figure computed from an
// absurd hour is refused.
// Both sides of the entry form's limits: a minute of 00 or 30 saves, the minutes
// beside them are refused with the half-hour message; a number box keeps nine
// characters whole and cuts the tenth.
TEST_F(EntrySaveSteps, HalfHourAndNineCharacterLimitsOnBothSides) {
    for (Box box : {Box::txtZ1_2, Box::txtZ2_2})
        for (const auto& [minute, saves] : {std::pair{"00", true}, std::pair{"30", true}, std::pair{"29", false},
                                            std::pair{"31", false}, std::pair{"01", false}, std::pair{"59", false}}) {
            SCOPED_TRACE(std::string(boxName(box)) + "=" + minute);
            EntryModel m = model("5", "1");
            m.type(box, minute);
            m.tick();
            auto refusal = m.checkSave();
            EXPECT_EQ(!refusal, saves);
            if (refusal) {
                EXPECT_EQ(refusal->message, entry::kHalfHourOnly);
                EXPECT_EQ(refusal->focus, box);
            }
        }
    for (Box box : {Box::txtTousi, Box::txtKaisyu, Box::cboK_no}) {
        EntryModel m = model("5", "1");
        EXPECT_EQ(m.type(box, "12345678"), "12345678") << boxName(box);
        EXPECT_EQ(m.type(box, "123456789"), "123456789") << boxName(box);
        EXPECT_EQ(m.type(box, "1234567891"), "123456789") << boxName(box);
    }
}

TEST_F(EntrySaveSteps, AbsurdAmountsStayFiniteNumbers) {
    struct Case {
        Box box;
        std::string typed, kept;
    } cases[] = {
        {Box::txtTousi, std::string(400, '9'), "999999999"},
        {Box::txtKaisyu, "12345678901234567890123", "123456789"},
        {Box::cboK_no, std::string(40, '7'), "777777777"},
        {Box::txtTousi, "1,234,567,890", "123456789"},  // separators dropped before the cut
    };
    for (const auto& c : cases) {
        EntryModel m = model("5", "1");
        EXPECT_EQ(m.type(c.box, c.typed), c.kept) << boxName(c.box);
    }
    EntryModel big = model("5", "1");
    big.type(Box::txtTousi, std::string(400, '9'));
    big.type(Box::txtKaisyu, "0");
    big.tick();
    ASSERT_TRUE(save(big).saved());
    EXPECT_EQ(store.loadYear("太郎", "2003").record(1).Syusi, "-999,999,999");
    EXPECT_EQ(store.loadYearTotals("太郎")[0].total, -999'999'999);

    EntryModel hours = model("5", "2");
    hours.type(Box::txtZ2_1, std::string(300, '9'));
    hours.tick();
    SaveResult r = save(hours);
    ASSERT_FALSE(r.saved());
    EXPECT_EQ(r.refusal->focus, Box::txtZ2_1);
    EXPECT_EQ(store.loadYear("太郎", "2003").count(), 1);
}

TEST_F(EntrySaveSteps, FirstSaveWritesTheExactLineAndTotal) {
    EntryModel m = model("5", "1");
    m.type(Box::cboK_no, "12");
    SaveResult r = save(m);
    ASSERT_TRUE(r.saved());
    EXPECT_EQ(r.yearTotal, 15000);
    EXPECT_EQ(fileBytes(userFolder / "s2003.sdb"),
              sjis("\"2003/05/01\",\"2003\",\"05\",\"01\",\"木\",\"（不明）\",\"10\",\"00\",\"18\",\"00\",\"8.0\","
                   "\"15000\",\"30000\",\"1,875\",\"15,000\",\"12\",\"ＣＲ機\",\"（不明）\",\"\",\"1\",\"\",\"\","
                   "\"\",\"\"\n"));
    EXPECT_EQ(fileBytes(userFolder / "Year.txt"), "\"2003\",15000\r\n");
    // Empty hall and machine: no list file is created.
    EXPECT_FALSE(fs::exists(userFolder / "holl.dat"));
    EXPECT_FALSE(fs::exists(userFolder / "kisyu.dat"));
    EXPECT_FALSE(fs::exists(tmp.path() / "CboData" / "holl.dat"));
}

// DayFirst compares the whole date within the year's file: the same day of
// another month, or the same month and day in another year's file, starts a day.
TEST_F(EntrySaveSteps, DayFirstMarksOnlyTheSameDateOfTheSameYear) {
    const struct {
        const char *year, *month, *day, *dayFirst;
    } saves[] = {
        {"2003", "5", "10", "1"}, {"2003", "6", "10", "1"}, {"2004", "5", "10", "1"}, {"2003", "6", "10", "2"},
        {"2004", "5", "10", "2"}, {"2003", "5", "11", "1"}, {"2003", "10", "5", "1"}, {"2003", "5", "10", "2"},
    };
    for (const auto& s : saves) {
        SCOPED_TRACE(std::string(s.year) + "/" + s.month + "/" + s.day);
        EntryModel m = model(s.month, s.day);
        m.type(Box::txtNen, s.year);
        m.tick();
        SaveResult r = save(m);
        ASSERT_TRUE(r.saved());
        EXPECT_EQ(r.record.DayFirst, s.dayFirst);
    }
    // As stored: each date has exactly one record marked "1".
    for (const char* year : {"2003", "2004"}) {
        std::map<std::string, int> firsts;
        for (const auto& r : store.loadYear("太郎", year).records) firsts[r.DateKey] += r.DayFirst == "1";
        for (const auto& [date, n] : firsts) EXPECT_EQ(n, 1) << date;
    }
}

TEST_F(EntrySaveSteps, SameDateSortingListsAndTotals) {
    EntryModel a = model("5", "10");
    a.type(Box::cboHoll, "駅前ホール");
    a.type(Box::cboKisyu, "機種Ａ");
    ASSERT_TRUE(save(a).saved());

    EntryModel b = model("5", "10");  // same date
    b.type(Box::cboHoll, "駅前ホール");
    b.type(Box::cboK_type, "スロット");
    b.type(Box::cboKisyu, "機種Ａ");  // known name, another type
    b.type(Box::txtKaisyu, "11500");
    b.tick();
    SaveResult rb = save(b);
    ASSERT_TRUE(rb.saved());
    EXPECT_EQ(rb.record.DayFirst, "2");
    EXPECT_EQ(rb.yearTotal, 15000 - 3500);

    EntryModel c = model("1", "2");  // earlier than all others: sorted to the front
    SaveResult rc = save(c);
    ASSERT_TRUE(rc.saved());
    EXPECT_EQ(rc.record.DayFirst, "1");
    EXPECT_EQ(rc.yearTotal, 15000 - 3500 + 15000);

    auto list = store.loadYear("太郎", "2003");
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.record(1).DateKey, "2003/01/02");
    EXPECT_EQ(list.record(1).Youbi, "木");
    EXPECT_EQ(list.record(2).DateKey, "2003/05/10");
    EXPECT_EQ(list.record(3).DateKey, "2003/05/10");

    EXPECT_EQ(fileText(userFolder / "holl.dat"), "\"駅前ホール\",\"1\"\n");
    EXPECT_EQ(fileText(tmp.path() / "CboData" / "holl.dat"), "\"駅前ホール\",\"1\"\n");
    EXPECT_EQ(fileText(userFolder / "kisyu.dat"), "\"ＣＲ機\",\"機種Ａ\"\n\"スロット\",\"機種Ａ\"\n");
    EXPECT_EQ(fileText(tmp.path() / "CboData" / "Kisyu.dat"), "\"ＣＲ機\",\"機種Ａ\"\n\"スロット\",\"機種Ａ\"\n");
    EXPECT_EQ(fileText(userFolder / "Year.txt"), "\"2003\",26500\n");

    // Another year adds its line in year order.
    EntryModel d = model("12", "31");
    d.type(Box::txtNen, "2002");
    d.type(Box::txtTousi, "63500");
    d.tick();
    ASSERT_TRUE(save(d).saved());
    EXPECT_EQ(fileText(userFolder / "Year.txt"), "\"2002\",-33500\n\"2003\",26500\n");
}

TEST_F(EntrySaveSteps, RefusalsAndMissingFolderWriteNothing) {
    EntryModel bad = model("5", "1");
    bad.type(Box::txtZ1_2, "15");
    SaveResult r = save(bad);
    ASSERT_FALSE(r.saved());
    EXPECT_EQ(r.refusal->focus, Box::txtZ1_2);

    EntryModel noDay = model("2", "30");
    r = save(noDay);
    ASSERT_FALSE(r.saved());
    EXPECT_EQ(r.refusal->message, "日付を正しく入力して下さい。（年は西暦4桁）");
    EXPECT_EQ(r.refusal->title, "入力ｴﾗｰ発生");
    EXPECT_EQ(r.refusal->focus, Box::txtHi);

    EntryModel shortYear = model("5", "1");
    shortYear.type(Box::txtNen, "03");
    EXPECT_EQ(save(shortYear).refusal->focus, Box::txtNen);
    EntryModel noMonth = model("13", "1");
    EXPECT_EQ(save(noMonth).refusal->focus, Box::txtTuki);
    EXPECT_TRUE(fs::is_empty(userFolder));

    EntryModel fine = model("5", "1");
    fine.type(Box::cboHoll, "駅前ホール");
    // A user without a folder, or no user at all: refused, naming the user.
    const SaveResult noFolder = saveNewRecord(store, lists, "花子", fine);
    ASSERT_FALSE(noFolder.saved());
    EXPECT_EQ(noFolder.refusal->title, "入力ｴﾗｰ発生");
    EXPECT_EQ(noFolder.refusal->message.rfind("利用者「花子」のフォルダーがありません。", 0), 0u);
    EXPECT_EQ(saveNewRecord(store, lists, "", fine).refusal->message, entry::kNoUser);
    EXPECT_FALSE(fs::exists(tmp.path() / "Data" / "花子"));
    EXPECT_FALSE(fs::exists(tmp.path() / "CboData" / "holl.dat"));

    // A damaged list stops the save before the record is appended.
    test::putBytes(userFolder / "kisyu.dat", sjis("\"ＣＲ機\"\n"));  // one field, not two
    fine.type(Box::cboKisyu, "機種Ａ");
    EXPECT_THROW(save(fine), FileError);
    EXPECT_FALSE(fs::exists(userFolder / "s2003.sdb"));
    EXPECT_FALSE(fs::exists(tmp.path() / "CboData" / "holl.dat"));
}

TEST_F(EntrySaveSteps, UpdateReplacesFieldsKeepsDayFirstAndTotals) {
    EntryModel a = model("5", "10");
    ASSERT_TRUE(save(a).saved());
    EntryModel b = model("5", "10");
    ASSERT_TRUE(save(b).saved());
    auto list = store.loadYear("太郎", "2003");
    ASSERT_EQ(list.count(), 2);
    int second = list.record(1).DayFirst == "2" ? 1 : 2;

    EntryModel edit;
    edit.fillFrom(list.record(second));
    edit.type(Box::txtKaisyu, "0");
    edit.type(Box::cboHoll, "新しいホール");
    edit.tick();
    SaveResult r = updateRecord(store, list, second, edit);
    ASSERT_TRUE(r.saved());
    EXPECT_EQ(r.yearTotal, 15000 - 15000);
    auto again = store.loadYear("太郎", "2003");
    EXPECT_EQ(again.record(second).Syusi, "-15,000");
    EXPECT_EQ(again.record(second).Zikyu, "-1,875");
    EXPECT_EQ(again.record(second).Holl, "新しいホール");
    EXPECT_EQ(again.record(second).DayFirst, "2");
    EXPECT_EQ(fileText(userFolder / "Year.txt"), "\"2003\",0\n");
    EXPECT_FALSE(fs::exists(userFolder / "holl.dat"));  // an update does not touch the lists

    // A refused update changes neither the list nor the file.
    std::string before = fileBytes(userFolder / "s2003.sdb");
    edit.type(Box::txtZ2_2, "10");
    EXPECT_FALSE(updateRecord(store, list, second, edit).saved());
    EXPECT_EQ(list.record(second).Holl, "新しいホール");
    EXPECT_EQ(list.record(second).Z2_2, "00");
    EXPECT_EQ(fileBytes(userFolder / "s2003.sdb"), before);
}

TEST_F(EntrySaveSteps, DeleteRewritesTheFileAndUpdatesTheTotal) {
    EntryModel a = model("5", "10");
    a.type(Box::txtKaisyu, "0");
    a.tick();
    ASSERT_TRUE(save(a).saved());
    EntryModel b = model("5", "11");
    ASSERT_TRUE(save(b).saved());
    auto list = store.loadYear("太郎", "2003");
    EXPECT_EQ(deleteRecord(store, list, 1), 15000);
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(fileText(userFolder / "Year.txt"), "\"2003\",15000\n");
    EXPECT_EQ(deleteRecord(store, list, 1), 0);
    EXPECT_EQ(fileBytes(userFolder / "s2003.sdb"), "");
    EXPECT_EQ(fileText(userFolder / "Year.txt"), "\"2003\",0\n");
}

}  // namespace
}  // namespace tama
