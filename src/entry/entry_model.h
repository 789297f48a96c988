#pragma once
// The daily entry form without its window: the texts of its boxes, the checks
// made on every keystroke, the live play time / balance / hourly rate, the
// checks made on save, and the record built from the boxes. The form binds its
// widgets to this; tamalog-cli add drives it the same way by "typing".
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "storage/daily_record.h"

namespace tama {

class MasterLists;
class RecordStore;

// The boxes of the form that hold text, by their control names.
enum class Box {
    txtNen,
    txtTuki,
    txtHi,
    cboYoubi,
    cboHoll,
    txtZ1_1,
    txtZ1_2,
    txtZ2_1,
    txtZ2_2,
    lblT_tim,
    txtTousi,
    txtKaisyu,
    txtZikyu,
    txtSyusi,
    cboK_no,
    cboK_type,
    cboKisyu,
    txtCome,
};
inline constexpr int kBoxCount = 18;

// The box of a control name ("txtNen" ...), or nothing.
std::optional<Box> boxByName(std::string_view name);
std::string_view boxName(Box box);

enum class TextColour { Black, Red };

struct CalendarDate {
    int year, month, day;
};

// A refused save: message box text and title, and the box that gets the focus.
struct SaveRefusal {
    std::string message;
    std::string title;
    Box focus;
};

class EntryModel {
public:
    // All boxes empty, RecalcDone false, no start or end time yet.
    EntryModel();

    // The start values of a new entry on `today`, as the form opens with them.
    void loadStartValues(const CalendarDate& today);

    // The box takes `text` as typed: the keystroke checks run (digits only, a minute
    // "0" becomes "00", month and day padding with the weekday from the date), and
    // a change of a time or money box clears RecalcDone. Returns the box's text after.
    // The weekday's year: four digits are that year itself, one or two digits
    // 00-29 -> 2000-2029 and 30-99 -> 1930-1999, three digits the year as typed.
    // A money box or the machine number takes full-width digits as plain ones and
    // drops grouping commas; a text with any other character is refused there:
    // the box keeps its text and refusal() says why.
    const std::string& type(Box box, std::string_view text);
    // Why the last type() was refused, naming the box; empty when it was taken.
    const std::string& refusal() const { return refusal_; }

    // The text a box holds.
    const std::string& text(Box box) const;

    // Sets a box without any check and without touching RecalcDone (filling from a
    // stored record, computed outputs, an item picked from a combo box's list, such
    // as " 12 " from cboK_no, which typing would refuse for its spaces).
    void setText(Box box, std::string_view text);

    TextColour syusiColour() const;
    TextColour zikyuColour() const;

    bool recalcDone() const;
    void setRecalcDone(bool done);

    // One timer tick: play time, then balance and hourly rate when RecalcDone is
    // false and either both money boxes hold text or an amount was typed since
    // the figures were last computed (an empty amount counting 0), so that the
    // figures shown are always those a save stores.
    void tick();

    // Before a save: when a time or money box was typed into since the boxes were
    // filled and the balance and rate were not recomputed since (one money box
    // is empty), recomputes them with an empty amount counting 0, so that the
    // record's balance and rate are those of its amounts. Otherwise nothing
    // changes: an opened record whose boxes were not touched keeps its stored
    // figures, and a balance typed by hand after the last recomputation stays.
    void settleFigures();

    // cmdKeisan1: hourly rate from the balance box and the play time, when the play
    // time is not empty, "0" or "0.0".
    void manualRate();

    // Fills the boxes from a stored record (edit mode, navigation). RecalcDone becomes
    // false, so the next tick recomputes balance and rate; the monthly window's
    // opening of a record calls setRecalcDone(true) afterwards to show the stored ones.
    void fillFrom(const DailyRecord& record);

    // The save / update checks in order; the first failure, or nothing. After the
    // comment length and the two minute checks come the texts that cannot be written
    // into a record file (a double quote, a line break, a character Shift-JIS lacks).
    std::optional<SaveRefusal> checkSave() const;

    // The record's fields 1-19 built from the boxes, with the figures settled as
    // settleFigures does; DayFirst and reserved fields empty.
    DailyRecord buildRecord() const;

    // The decimal start and end times the play time was last computed from
    // ("10.00", "18.5"); empty until the first tick.
    const std::string& startTimeText() const { return startTime_; }
    const std::string& endTimeText() const { return endTime_; }

private:
    std::string& box(Box b) { return texts_[static_cast<size_t>(b)]; }
    void dateTyped();
    void computeFigures();

    std::array<std::string, kBoxCount> texts_;
    TextColour syusiColour_ = TextColour::Black;
    TextColour zikyuColour_ = TextColour::Black;
    bool recalcDone_ = false;
    // A time or money box was typed into and balance and rate are not yet computed from it.
    bool figuresStale_ = false;
    std::string startTime_, endTime_;
    // Month and day as last brought to two characters for the weekday; a longer
    // text typed later leaves these in force.
    std::string month2_, day2_;
    std::string refusal_;
};

}  // namespace tama
