#pragma once
// EntryForm: the modal dialog that enters a new daily record or edits and
// deletes the records of the month shown in the monthly window.
//
// The boxes are bound to an EntryModel: every change of a box goes through the
// model's keystroke checks and is followed by one recomputation (play time,
// balance, hourly rate), so the figures follow the typing as they always did.
// Saving, updating and deleting go through the core save steps; the window
// shows their messages and refreshes the monthly window afterwards.
//
// The caller prepares the mode and shows the form:
//     EntryForm form(ctx, monthly, this);
//     form.prepareNew();            // or form.prepareEdit(recordIndex, row)
//     form.exec();
#include <QDate>
#include <QDialog>
#include <QWidget>
#include <memory>

namespace tama {
class EntryModel;
}

namespace tama::ui {

class AppContext;
class MonthlyLink;

class EntryForm : public QDialog {
    Q_OBJECT
public:
    EntryForm(AppContext& ctx, MonthlyLink& monthly, QWidget* parent = nullptr);
    ~EntryForm() override;

    // New mode: caption "日間収支データ入力", cmdDel/cmdUpd disabled, navigation hidden;
    // the date boxes show `date` (today when it is null) and cmdLast "前回と同じ(&L)" is shown.
    void prepareNew(const QDate& date = {});
    // cmdLast: hall, machine type, machine, number and play times from the user's
    // latest record by date; the money boxes and the comment are left as they are.
    void fillFromLatest();
    // Edit mode for the record at `recordIndex` (1-based in the YearRecordList),
    // shown as row `rowInMonth` (1 = first row of the monthly grid, in the order
    // shown) of MonthCount.
    // The date boxes, the weekday box, their spin buttons and cmdTou are disabled.
    void prepareEdit(int recordIndex, int rowInMonth);

    EntryModel& model();

    // The command handlers, also reachable by clicking the buttons.
    void saveNew();            // save a new record
    void saveChanges();        // replace the shown record
    void deleteShown();        // delete the shown record after confirmation
    void computeHourlyRate();  // hourly rate from the balance box and the play time

    // CurIndex: the record shown in edit mode (1-based in the YearRecordList), 0 when none.
    int curIndex() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace tama::ui
