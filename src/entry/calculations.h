#pragma once
// The arithmetic and input rules of the daily entry form as plain functions of
// box texts: play time from start and end in half-hour steps, balance and
// hourly rate with their formats and colours, the keystroke rules, and the text
// forms in which box values are stored in a DailyRecord. EntryModel strings
// these together; everything here is stateless.
#include <optional>
#include <string>
#include <string_view>

#include "entry/entry_model.h"
#include "shared/calendar.h"
#include "shared/number_format.h"

namespace tama::entry {

// --- Keystroke rules -------------------------------------------------------

using tama::isDigitsOnly;

// True for the boxes that are emptied when they hold anything but digits:
// the date, hour, minute and money boxes and the machine number.
bool isDigitBox(Box box);

// True for the six boxes whose change makes the balance and rate stale.
bool clearsRecalc(Box box);

// The money boxes (txtTousi, txtKaisyu) and the machine number box take at most
// this many characters; longer typing or pasting keeps the first ones, as a text
// box with a maximum length does. Nine digits keep every sum far inside 64 bits.
inline constexpr int kNumberBoxMaxChars = 9;
// The maximum length of a box, 0 when it has none.
int maxLengthOf(Box box);

using tama::plainDigits;

// The boxes that take a number and refuse any other character at the key:
// the money boxes (txtTousi, txtKaisyu) and the machine number (cboK_no).
bool isNumberBox(Box box);

// What a number box takes from a typed or pasted text: full-width digits
// ("１５０００") become "0".."9" and digit-grouping commas ("," and "，") are
// dropped; spaces at either end are kept (the value ignores them, and the
// machine number's list items " 12 " carry them). `refused` names the first
// other character, and `text` is then empty: the box keeps what it held.
struct NumberInput {
    std::string text;
    std::string refused;
};
NumberInput numberInput(std::string_view typed);

// The message for a character a number box refused, naming the box:
// 「回収金額に「a」は入力できません。数字だけを入力して下さい。」.
std::string numberRefusalMessage(Box box, std::string_view refused);

// The caption a box carries on the form ("投資金額", "台番号", ...).
std::string_view boxCaption(Box box);

// The text a box keeps after its keystroke check. A number box takes
// numberInput's text cut to its maximum length (a refused text is the caller's
// to handle: it gives an empty text here). Other digit boxes take full-width
// digits as plain ones; a minute "0" becomes "00", and a minute of three digits
// starting with that added "0" loses it ("000" -> "00", "030" -> "30"); a digit
// box holding any other character is emptied.
std::string checkedText(Box box, std::string_view typed);

// Month or day as the weekday rule reads it: a one-character text gets a
// leading "0", a two-character text is taken unchanged, anything longer gives
// nothing (the caller keeps the value it had before).
std::optional<std::string> twoDigitForWeekday(std::string_view text);

// The calendar year a typed year names. Four digits are the year itself
// (2031 -> 2031); one or two digits use the two-digit window (00-29 -> 2000-2029,
// 30-99 -> 1930-1999); three digits are the year as typed (203 -> 203). Nothing
// for an empty text, non-digits, five digits or more, or year 0.
std::optional<int> typedYear(std::string_view yearText);

// Real days and their weekdays (shared/calendar.h).
using tama::isRealDate;
using tama::weekdayOf;

// The weekday (0 = "日" .. 6 = "土") of the date typed in the three date boxes,
// with month and day already brought to two characters; nothing when the texts
// do not form a real date.
std::optional<int> typedWeekday(std::string_view yearText, std::string_view month2, std::string_view day2);

// --- Live calculations -----------------------------------------------------

// The decimal hour text of a time: hour + ".00" for minute "00", hour + ".5" for
// minute "30"; any other minute keeps `previous`.
std::string decimalTimeText(std::string_view hourText, std::string_view minuteText, std::string_view previous);

// The play time caption: end minus start, both read as single-precision numbers,
// formatted "#0.0". No wrap past midnight: 22.00 to 2.00 gives "-20.0".
std::string playTimeText(std::string_view startTimeText, std::string_view endTimeText);

// True when a play time caption can divide: not "", "0" or "0.0" (nor any other
// text that reads as zero, which would divide by zero).
bool playTimeUsable(std::string_view playTime);

// A displayed figure: its "#,##0" text and colour (black above -1, else red).
struct Figure {
    std::string text;
    TextColour colour;
};
Figure figureOf(double yen);

// Balance in yen: value(money out) - value(money in).
double balanceOf(std::string_view tousiText, std::string_view kaisyuText);

// --- Text forms of a DailyRecord -------------------------------------------

// Month and day: a leading "0" when the text is one of "1".."9", else as typed.
std::string storedMonthDay(std::string_view text);
// Start hour: "09" for exactly "9", else as typed.
std::string storedStartHour(std::string_view text);
// Money: empty for an empty box, else its numeric value as plain decimal text.
std::string storedAmount(std::string_view text);
// Machine number: "?" for an empty box, else its numeric value as plain decimal text.
std::string storedMachineNo(std::string_view text);
// Hall or machine name: "（不明）" for an empty box.
std::string storedName(std::string_view text);
// Balance: the box text read as a number (separators allowed) formatted "#,##0";
// a text that is not a number is kept as it stands (an empty box stays empty).
std::string storedBalance(std::string_view text);

// The message line after a save, update or delete: date, hall and what was
// done ("登録", "修正", "削除"): 「2026/12/08 駅前ホール を登録しました。」.
std::string recordDoneMessage(const DailyRecord& record, std::string_view done);

// --- Save checks -----------------------------------------------------------

inline constexpr std::string_view kCommentTooLong = "コメントの文字数を50文字以内にして下さい。";
inline constexpr std::string_view kCommentTitle = "ｴﾗｰ発生";
inline constexpr std::string_view kHalfHourOnly = "遊技時間の指定は、30分単位（00分又は30分）で入力して下さい。";
inline constexpr std::string_view kInputErrorTitle = "入力ｴﾗｰ発生";
inline constexpr std::string_view kBadDate = "日付を正しく入力して下さい。（年は西暦4桁）";
inline constexpr std::string_view kNoUser =
    "利用者が登録されていません。ﾌｧｲﾙ → 利用者登録 で利用者名を登録してから入力して下さい。";
inline constexpr std::string_view kCheckUser = "ﾌｧｲﾙ → 利用者登録 で利用者名を確かめて下さい。";
inline constexpr int kCommentMaxChars = 50;

// Why a box text cannot be written into a record file, or an empty text: a
// double quote or a line break would break the line layout, and a character
// that Shift-JIS cannot hold cannot be written at all.
std::string unstorableTextProblem(std::string_view text);

}  // namespace tama::entry
