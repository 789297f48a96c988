#include "entry/calculations.h"

#include "shared/number_format.h"
#include "shared/text_codec.h"

namespace tama::entry {

bool isDigitBox(Box box) {
    switch (box) {
        case Box::txtNen:
        case Box::txtTuki:
        case Box::txtHi:
        case Box::txtZ1_1:
        case Box::txtZ1_2:
        case Box::txtZ2_1:
        case Box::txtZ2_2:
        case Box::txtTousi:
        case Box::txtKaisyu:
        case Box::cboK_no: return true;
        default: return false;
    }
}

bool clearsRecalc(Box box) {
    switch (box) {
        case Box::txtTousi:
        case Box::txtKaisyu:
        case Box::txtZ1_1:
        case Box::txtZ1_2:
        case Box::txtZ2_1:
        case Box::txtZ2_2: return true;
        default: return false;
    }
}

int maxLengthOf(Box box) {
    return box == Box::txtTousi || box == Box::txtKaisyu || box == Box::cboK_no ? kNumberBoxMaxChars : 0;
}

bool isNumberBox(Box box) { return box == Box::txtTousi || box == Box::txtKaisyu || box == Box::cboK_no; }

namespace {
constexpr std::string_view kFullWidthComma = "\xEF\xBC\x8C";  // "，"
}  // namespace

NumberInput numberInput(std::string_view typed) {
    NumberInput in;
    const size_t first = typed.find_first_not_of(' ');
    const size_t last = typed.find_last_not_of(' ');
    if (first == std::string_view::npos) {  // empty, or spaces only
        in.text = typed;
        return in;
    }
    in.text.reserve(typed.size());
    in.text.append(typed.substr(0, first));
    for (size_t i = first; i <= last;) {
        const char c = typed[i];
        if (c >= '0' && c <= '9') {
            in.text += c;
            ++i;
        } else if (const std::string d = plainDigits(typed.substr(i, 3)); d.size() == 1 && d != typed.substr(i, 1)) {
            in.text += d;  // a full-width digit (three bytes became one)
            i += 3;
        } else if (c == ',') {
            ++i;
        } else if (typed.substr(i).starts_with(kFullWidthComma)) {
            i += kFullWidthComma.size();
        } else {
            // The refused character whole (a UTF-8 sequence is one character).
            size_t end = i + 1;
            while (end < typed.size() && (static_cast<unsigned char>(typed[end]) & 0xC0) == 0x80) ++end;
            in.refused = typed.substr(i, end - i);
            in.text.clear();
            return in;
        }
    }
    in.text.append(typed.substr(last + 1));
    return in;
}

std::string numberRefusalMessage(Box box, std::string_view refused) {
    const std::string shown = refused == " " ? "空白" : "「" + std::string(refused) + "」";
    return std::string(boxCaption(box)) + "に" + shown + "は入力できません。数字だけを入力して下さい。";
}

std::string_view boxCaption(Box box) {
    switch (box) {
        case Box::txtNen:
        case Box::txtTuki:
        case Box::txtHi:
        case Box::cboYoubi: return "日付";
        case Box::cboHoll: return "ホール名";
        case Box::txtZ1_1:
        case Box::txtZ1_2:
        case Box::txtZ2_1:
        case Box::txtZ2_2:
        case Box::lblT_tim: return "遊技時間";
        case Box::txtTousi: return "投資金額";
        case Box::txtKaisyu: return "回収金額";
        case Box::txtZikyu: return "時給";
        case Box::txtSyusi: return "収支金額";
        case Box::cboK_no: return "台番号";
        case Box::cboK_type: return "機種タイプ";
        case Box::cboKisyu: return "機種名";
        case Box::txtCome: return "コメント";
    }
    return "";
}

std::string checkedText(Box box, std::string_view typed) {
    std::string text = isNumberBox(box)  ? numberInput(typed).text
                       : isDigitBox(box) ? plainDigits(typed)
                                         : std::string(typed);
    if (int max = maxLengthOf(box); max > 0 && utf8Length(text) > static_cast<size_t>(max))
        text = utf8Prefix(text, static_cast<size_t>(max));
    if (box == Box::txtZ1_2 || box == Box::txtZ2_2) {
        if (text == "0") text = "00";
        // The "0" added above, followed by what was typed after it: typing "00"
        // or "30" digit by digit ends as those two digits, not "000" or "030".
        else if (text.size() == 3 && text[0] == '0' && isDigitsOnly(text)) text.erase(0, 1);
    }
    // (A number box's text was checked above: it may keep spaces at its ends.)
    if (isDigitBox(box) && !isNumberBox(box) && !isDigitsOnly(text)) text.clear();
    return text;
}

std::optional<std::string> twoDigitForWeekday(std::string_view text) {
    if (text.size() == 1) return "0" + std::string(text);
    if (text.size() == 2) return std::string(text);
    return std::nullopt;
}

std::optional<int> typedYear(std::string_view yearText) {
    if (yearText.empty() || yearText.size() > 4 || !isDigitsOnly(yearText)) return std::nullopt;
    int value = 0;
    for (char c : yearText) value = value * 10 + (c - '0');
    if (yearText.size() <= 2) return value < 30 ? 2000 + value : 1900 + value;
    if (value == 0) return std::nullopt;
    return value;
}

std::optional<int> typedWeekday(std::string_view yearText, std::string_view month2, std::string_view day2) {
    auto year = typedYear(yearText);
    if (!year || month2.size() != 2 || day2.size() != 2 || !isDigitsOnly(month2) || !isDigitsOnly(day2))
        return std::nullopt;
    int month = (month2[0] - '0') * 10 + (month2[1] - '0');
    int day = (day2[0] - '0') * 10 + (day2[1] - '0');
    if (!isRealDate(*year, month, day)) return std::nullopt;
    return weekdayOf(*year, month, day);
}

std::string decimalTimeText(std::string_view hourText, std::string_view minuteText, std::string_view previous) {
    if (minuteText == "00") return std::string(hourText) + ".00";
    if (minuteText == "30") return std::string(hourText) + ".5";
    return std::string(previous);
}

std::string playTimeText(std::string_view startTimeText, std::string_view endTimeText) {
    // Single precision on purpose: the caption is the difference of two floats.
    float start = static_cast<float>(leadingNumber(startTimeText));
    float end = static_cast<float>(leadingNumber(endTimeText));
    return formatFixed(static_cast<double>(end - start), 1);
}

bool playTimeUsable(std::string_view playTime) {
    if (playTime.empty() || playTime == "0" || playTime == "0.0") return false;
    return numberOrZero(playTime) != 0.0;
}

Figure figureOf(double yen) { return Figure{formatGrouped(yen), yen > -1 ? TextColour::Black : TextColour::Red}; }

double balanceOf(std::string_view tousiText, std::string_view kaisyuText) {
    return leadingNumber(kaisyuText) - leadingNumber(tousiText);
}

std::string recordDoneMessage(const DailyRecord& record, std::string_view done) {
    return record.DateKey + " " + record.Holl + " を" + std::string(done) + "しました。";
}

std::string storedMonthDay(std::string_view text) {
    if (text.size() == 1 && text[0] >= '1' && text[0] <= '9') return "0" + std::string(text);
    return std::string(text);
}

std::string storedStartHour(std::string_view text) {
    if (text == "9") return "09";
    return std::string(text);
}

std::string storedAmount(std::string_view text) {
    if (text.empty()) return {};
    return formatPlain(leadingNumber(text));
}

std::string storedMachineNo(std::string_view text) {
    if (text.empty()) return "?";
    return formatPlain(leadingNumber(text));
}

std::string storedName(std::string_view text) {
    if (text.empty()) return std::string(kUnknownName);
    return std::string(text);
}

std::string storedBalance(std::string_view text) {
    if (auto v = parseNumber(text)) return formatGrouped(*v);
    return std::string(text);
}

std::string unstorableTextProblem(std::string_view text) {
    if (text.find('"') != std::string_view::npos) return "「\"」は使えません。";
    if (text.find_first_of("\r\n") != std::string_view::npos) return "改行は使えません。";
    if (!isValidUtf8(text) || !utf8ToCp932(text)) return "保存できない文字が含まれています。";
    return {};
}

}  // namespace tama::entry
