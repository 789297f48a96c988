#include "entry/entry_model.h"

#include <array>

#include "entry/calculations.h"
#include "shared/number_format.h"
#include "storage/master_lists.h"
#include "shared/text_codec.h"

namespace tama {

namespace {

constexpr std::array<std::string_view, kBoxCount> kBoxNames = {
    "txtNen",   "txtTuki",  "txtHi",     "cboYoubi", "cboHoll",  "txtZ1_1", "txtZ1_2",   "txtZ2_1",  "txtZ2_2",
    "lblT_tim", "txtTousi", "txtKaisyu", "txtZikyu", "txtSyusi", "cboK_no", "cboK_type", "cboKisyu", "txtCome",
};
static_assert(static_cast<int>(Box::txtCome) + 1 == kBoxCount);

TextColour colourOfStored(std::string_view figure) {
    auto v = parseNumber(figure);
    return v && *v <= -1 ? TextColour::Red : TextColour::Black;
}

}  // namespace

std::optional<Box> boxByName(std::string_view name) {
    for (size_t i = 0; i < kBoxNames.size(); ++i)
        if (kBoxNames[i] == name) return static_cast<Box>(i);
    return std::nullopt;
}

std::string_view boxName(Box box) { return kBoxNames.at(static_cast<size_t>(box)); }

EntryModel::EntryModel() = default;

void EntryModel::loadStartValues(const CalendarDate& today) {
    for (auto& t : texts_) t.clear();
    month2_.clear();
    day2_.clear();
    startTime_.clear();
    endTime_.clear();
    syusiColour_ = zikyuColour_ = TextColour::Black;
    // Setting the date boxes runs their change rule, as on the form.
    type(Box::txtNen, std::to_string(today.year));
    type(Box::txtTuki, std::to_string(today.month));
    type(Box::txtHi, std::to_string(today.day));
    if (entry::isRealDate(today.year, today.month, today.day))
        box(Box::cboYoubi) = kWeekdayNames[static_cast<size_t>(entry::weekdayOf(today.year, today.month, today.day))];
    type(Box::txtZ1_1, "10");
    type(Box::txtZ1_2, "00");
    type(Box::txtZ2_1, "18");
    type(Box::txtZ2_2, "00");
    type(Box::txtTousi, "15000");
    type(Box::txtKaisyu, "30000");
    box(Box::cboK_type) = std::string(kDefaultMachineType);
    recalcDone_ = false;
}

const std::string& EntryModel::type(Box b, std::string_view typed) {
    refusal_.clear();
    if (entry::isNumberBox(b)) {
        // A character other than a digit or a grouping comma is refused: the box
        // keeps what it held, and nothing is recomputed.
        if (const entry::NumberInput in = entry::numberInput(typed); !in.refused.empty()) {
            refusal_ = entry::numberRefusalMessage(b, in.refused);
            return box(b);
        }
    }
    // Digits typed through an input method arrive full-width.
    const std::string plain = entry::isDigitBox(b) ? entry::plainDigits(typed) : std::string();
    const std::string_view text = entry::isDigitBox(b) ? std::string_view(plain) : typed;
    if (b == Box::txtNen || b == Box::txtTuki || b == Box::txtHi) {
        // The weekday follows the date as typed, before the digit check.
        box(b) = std::string(text);
        dateTyped();
    }
    box(b) = entry::checkedText(b, text);
    // A name shows the form it is stored in, so the box, the list and the file agree.
    if (b == Box::cboHoll || b == Box::cboKisyu) box(b) = storedForm(box(b));
    if (entry::clearsRecalc(b)) {
        recalcDone_ = false;
        figuresStale_ = true;
    }
    return box(b);
}

void EntryModel::dateTyped() {
    const std::string& nen = box(Box::txtNen);
    const std::string& tuki = box(Box::txtTuki);
    const std::string& hi = box(Box::txtHi);
    if (nen.empty() || tuki.empty() || hi.empty()) return;
    if (auto m = entry::twoDigitForWeekday(tuki)) month2_ = *m;
    if (auto d = entry::twoDigitForWeekday(hi)) day2_ = *d;
    if (auto w = entry::typedWeekday(nen, month2_, day2_)) box(Box::cboYoubi) = kWeekdayNames[static_cast<size_t>(*w)];
}

const std::string& EntryModel::text(Box b) const { return texts_[static_cast<size_t>(b)]; }

void EntryModel::setText(Box b, std::string_view text) { box(b) = std::string(text); }

TextColour EntryModel::syusiColour() const { return syusiColour_; }
TextColour EntryModel::zikyuColour() const { return zikyuColour_; }

bool EntryModel::recalcDone() const { return recalcDone_; }
void EntryModel::setRecalcDone(bool done) { recalcDone_ = done; }

void EntryModel::tick() {
    startTime_ = entry::decimalTimeText(text(Box::txtZ1_1), text(Box::txtZ1_2), startTime_);
    endTime_ = entry::decimalTimeText(text(Box::txtZ2_1), text(Box::txtZ2_2), endTime_);
    box(Box::lblT_tim) = entry::playTimeText(startTime_, endTime_);

    if (recalcDone_) return;
    // Both amounts given, or an amount typed since the figures were computed: the
    // balance and rate shown are then always those a save would store (an amount
    // emptied counts 0 there, and here).
    if (figuresStale_ || (!text(Box::txtTousi).empty() && !text(Box::txtKaisyu).empty())) computeFigures();
}

void EntryModel::settleFigures() {
    if (figuresStale_) computeFigures();
}

// Balance and hourly rate from the money boxes (an empty box counts 0) and the
// play time; the rate only when the play time can divide.
void EntryModel::computeFigures() {
    double balance = entry::balanceOf(text(Box::txtTousi), text(Box::txtKaisyu));
    auto syusi = entry::figureOf(balance);
    box(Box::txtSyusi) = syusi.text;
    syusiColour_ = syusi.colour;
    if (entry::playTimeUsable(text(Box::lblT_tim))) {
        auto zikyu = entry::figureOf(balance / numberOrZero(text(Box::lblT_tim)));
        box(Box::txtZikyu) = zikyu.text;
        zikyuColour_ = zikyu.colour;
    }
    recalcDone_ = true;
    figuresStale_ = false;
}

void EntryModel::manualRate() {
    if (!entry::playTimeUsable(text(Box::lblT_tim))) return;
    auto balance = parseNumber(text(Box::txtSyusi));
    if (!balance) return;  // nothing to divide: leave the rate as it is
    auto zikyu = entry::figureOf(*balance / numberOrZero(text(Box::lblT_tim)));
    box(Box::txtZikyu) = zikyu.text;
    zikyuColour_ = zikyu.colour;
}

void EntryModel::fillFrom(const DailyRecord& r) {
    box(Box::txtNen) = r.Nen;
    box(Box::txtTuki) = r.Tuki;
    box(Box::txtHi) = r.Hi;
    dateTyped();
    box(Box::cboYoubi) = r.Youbi;
    box(Box::cboHoll) = r.Holl;
    box(Box::txtZ1_1) = r.Z1_1;
    box(Box::txtZ1_2) = r.Z1_2;
    box(Box::txtZ2_1) = r.Z2_1;
    box(Box::txtZ2_2) = r.Z2_2;
    box(Box::lblT_tim) = r.T_tim;
    box(Box::txtTousi) = r.Tousi;
    box(Box::txtKaisyu) = r.Kaisyu;
    box(Box::txtZikyu) = r.Zikyu;
    box(Box::txtSyusi) = r.Syusi;
    box(Box::cboK_no) = r.K_no;
    box(Box::cboK_type) = r.K_type;
    box(Box::cboKisyu) = r.Kisyu;
    box(Box::txtCome) = r.Come;
    syusiColour_ = colourOfStored(r.Syusi);
    zikyuColour_ = colourOfStored(r.Zikyu);
    recalcDone_ = false;
    figuresStale_ = false;
}

std::optional<SaveRefusal> EntryModel::checkSave() const {
    if (utf8Length(text(Box::txtCome)) > static_cast<size_t>(entry::kCommentMaxChars))
        return SaveRefusal{std::string(entry::kCommentTooLong), std::string(entry::kCommentTitle), Box::txtCome};
    for (Box minute : {Box::txtZ1_2, Box::txtZ2_2}) {
        const std::string& m = text(minute);
        if (m != "00" && m != "30")
            return SaveRefusal{std::string(entry::kHalfHourOnly), std::string(entry::kInputErrorTitle), minute};
    }
    // A figure computed from absurd typing (an hour of 300 digits) is no finite
    // number; such a text is never written where a number belongs.
    for (Box b : {Box::lblT_tim, Box::txtZikyu, Box::txtSyusi}) {
        std::string lower;
        for (char c : text(b)) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        if (lower.find("inf") != std::string::npos || lower.find("nan") != std::string::npos)
            return SaveRefusal{std::string(entry::boxCaption(b)) + "の数値が大きすぎます。",
                               std::string(entry::kInputErrorTitle), b == Box::lblT_tim ? Box::txtZ2_1 : Box::txtTousi};
    }
    // Texts that go into the file as they stand must fit its line layout and code page.
    for (size_t i = 0; i < texts_.size(); ++i) {
        Box b = static_cast<Box>(i);
        if (b == Box::txtTousi || b == Box::txtKaisyu || b == Box::cboK_no) continue;  // stored as numbers
        std::string problem = entry::unstorableTextProblem(texts_[i]);
        if (!problem.empty())
            return SaveRefusal{std::string(entry::boxCaption(b)) + "に" + problem, std::string(entry::kInputErrorTitle),
                               b};
    }
    return std::nullopt;
}

DailyRecord EntryModel::buildRecord() const {
    if (figuresStale_) {
        EntryModel settled = *this;
        settled.settleFigures();
        return settled.buildRecord();
    }
    DailyRecord r;
    r.Tuki = entry::storedMonthDay(text(Box::txtTuki));
    r.Hi = entry::storedMonthDay(text(Box::txtHi));
    r.Nen = text(Box::txtNen);
    r.DateKey = r.Nen + "/" + r.Tuki + "/" + r.Hi;
    r.Youbi = text(Box::cboYoubi);
    r.Holl = entry::storedName(text(Box::cboHoll));
    r.Z1_1 = entry::storedStartHour(text(Box::txtZ1_1));
    r.Z1_2 = text(Box::txtZ1_2);
    r.Z2_1 = text(Box::txtZ2_1);
    r.Z2_2 = text(Box::txtZ2_2);
    r.T_tim = text(Box::lblT_tim);
    r.Tousi = entry::storedAmount(text(Box::txtTousi));
    r.Kaisyu = entry::storedAmount(text(Box::txtKaisyu));
    r.Zikyu = text(Box::txtZikyu);
    r.Syusi = entry::storedBalance(text(Box::txtSyusi));
    r.K_no = entry::storedMachineNo(text(Box::cboK_no));
    r.K_type = text(Box::cboK_type);
    r.Kisyu = entry::storedName(text(Box::cboKisyu));
    r.Come = text(Box::txtCome);
    return r;
}

}  // namespace tama
