#pragma once
// MonthlyWindow: the monthly list of one user, year and month with its summary.
// The main window opens it as an MDI child and drives its year/month boxes.
#include <QDate>
#include <QWidget>
#include <functional>
#include <memory>

#include "entry/monthly_link.h"
#include "monthly/month_summary.h"

class QComboBox;
class QLineEdit;
class QTableView;

namespace tama::ui {

class AppContext;

class MonthlyWindow : public QWidget, public MonthlyLink {
    Q_OBJECT
public:
    explicit MonthlyWindow(AppContext& ctx, QWidget* parent = nullptr);
    ~MonthlyWindow() override;

    // Opens the entry form for a new record (toolbar "入力", menu mnuInp).
    void newEntry();
    // Opens the entry form for the grid's current row (menu mnuUpd).
    void editSelected();
    // Opens the entry form for a new record on `date` (the calendar's double click).
    void newEntryOn(const QDate& date);
    // Makes the first row (in the order shown) of a day of the shown month the
    // current row; false when the day has no row.
    bool selectDay(int day);
    // Refills cboUser from the Data folder (the main window's refresh).
    void refresh();
    // Writes the window's layout keys to the settings file (Form_Unload); also run on close.
    void saveLayout();

    // Controls the main window drives (also found by objectName).
    QComboBox* cboUser() const;
    QLineEdit* txtNen() const;
    QLineEdit* txtTuki() const;

    // Sets year and month together with at most one reload (a month step that
    // also changes the year would otherwise load the old year's month first).
    void setYearMonth(const QString& year, const QString& month);

    // How the entry form is opened. New mode has recordIndex 0; edit mode names the
    // record (1-based in the YearRecordList) and its grid row (1 = first).
    struct EntryRequest {
        bool edit = false;
        int recordIndex = 0;
        int rowInMonth = 0;
        QDate date;  // new mode: the date the record opens on; null for today
    };
    using EntryOpener = std::function<void(const EntryRequest&)>;
    // The frame sets the entry form's opener (shell/entry_opener.h); tests may
    // record the requests instead of showing the modal form. Without an opener
    // nothing opens.
    void setEntryOpener(EntryOpener opener);

    // Asked before a new record is entered while no user is selected: the frame
    // opens the user manager. The entry form opens only when a user is selected
    // afterwards (there is nothing to save a record into before).
    void setUserRequest(std::function<void()> request);

    // What the grid and the summary show now: rows in display order, the nine labels.
    const MonthSummary& monthSummary() const;

    // Brings the month of year/month up and makes the first row of day `day`
    // (the records' Hi text, "04") the current and selected row; false when the
    // month holds no record of that day (the month is shown all the same).
    bool showDay(const QString& year, const QString& month, const QString& day);

    // MonthlyLink
    QString currentUser() const override;
    QString selectedYear() const override;
    QString selectedMonth() const override;
    YearRecordList& yearRecordList() override;
    int monthFirst() const override;
    int monthCount() const override;
    int currentRow() const override;
    int recordAtRow(int row) const override;
    QString loadProblem() const override;
    void reloadYear() override;
    void refillList() override;

signals:
    // The list was reloaded (user, year or month change, or after an entry): the
    // graph window redraws from it.
    void reloaded();
    // Another user was selected: the graph window refills its hall and machine boxes.
    void userChanged(const QString& user);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void setCaption();
    void yearEdited();
    void monthEdited();
    void monthStepped(bool wrapped, int direction);
    void tim1_Check();  // the reload check, run on every change of user, year or month
    void endBatch();
    void reloadList();
    void fillList();
    void showList();
    void openEntry(const EntryRequest& request);
    void fillUsers();
    void restoreLayout();
    void watchUserFolder();
    void diskChanged();
    void buildBudgetLine();
    void showBudget();

    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace tama::ui
