#pragma once
// frmMonthly: the monthly list of one user, year and month with its summary.
// The main window opens it as an MDI child and drives its year/month boxes.
#include <QWidget>

#include "entry/monthly_link.h"

class QComboBox;
class QLineEdit;
class QTableView;

namespace tama::ui {

class AppContext;

class frmMonthly : public QWidget, public MonthlyLink {
    Q_OBJECT
public:
    explicit frmMonthly(AppContext& ctx, QWidget* parent = nullptr);
    ~frmMonthly() override;

    // Opens the entry form for a new record (toolbar "入力", menu mnuInp).
    void cmdDay_Click();
    // Opens the entry form for the grid's current row (menu mnuUpd).
    void mfgDat_Click();
    // Refills cboUser from the Data folder (the main window's Refresh).
    void Refresh();
    // Writes the window's layout keys to the settings file (Form_Unload); also run on close.
    void saveLayout();

    // Controls the main window drives (also found by objectName).
    QComboBox* cboUser() const;
    QLineEdit* txtNen() const;
    QLineEdit* txtTuki() const;

    // MonthlyLink
    QString currentUser() const override;
    QString selectedYear() const override;
    QString selectedMonth() const override;
    YearRecordList& yearRecordList() override;
    int monthFirst() const override;
    int monthCount() const override;
    int currentRow() const override;
    void GetSyusi() override;
    void PrtMfg() override;

signals:
    // The list was reloaded (user, year or month change, or after an entry): the
    // graph window redraws from it.
    void reloaded();
    // Another user was selected: the graph window refills its hall and machine boxes.
    void userChanged(const QString& user);

private:
    struct Impl;
    Impl* d;
};

}  // namespace tama::ui
