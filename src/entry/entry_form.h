#pragma once
// frmDay_upd: the modal dialog that enters a new daily record or edits and
// deletes the records of the month shown in the monthly window.
#include <QDialog>

namespace tama { class EntryModel; }

namespace tama::ui {

class AppContext;
class MonthlyLink;

class frmDay_upd : public QDialog {
    Q_OBJECT
public:
    frmDay_upd(AppContext& ctx, MonthlyLink& monthly, QWidget* parent = nullptr);
    ~frmDay_upd() override;

    // New mode: caption "日間収支データ入力", cmdDel/cmdUpd disabled, navigation hidden.
    void prepareNew();
    // Edit mode for the record at `recordIndex` (1-based in the YearRecordList),
    // shown as row `rowInMonth` (1 = first row of the month) of MonthCount.
    void prepareEdit(int recordIndex, int rowInMonth);

    EntryModel& model();

private:
    struct Impl;
    Impl* d;
};

}  // namespace tama::ui
