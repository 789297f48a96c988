#pragma once
// What the entry form needs from the monthly window: the current user, the
// loaded year with the selected month's position in it, and the reload calls.
// The monthly window implements it; tests can implement it without a window.
#include <QString>

#include "storage/record_store.h"

namespace tama::ui {

class MonthlyLink {
public:
    virtual ~MonthlyLink() = default;
    virtual QString currentUser() const = 0;        // cboUser text
    virtual QString selectedYear() const = 0;       // txtNen text
    virtual QString selectedMonth() const = 0;      // txtTuki text
    virtual YearRecordList& yearRecordList() = 0;   // YearRecordList
    virtual int monthFirst() const = 0;             // MonthFirst (1-based)
    virtual int monthCount() const = 0;             // MonthCount
    virtual int currentRow() const = 0;             // the grid's current data row (1 = first)
    virtual void GetSyusi() = 0;                    // reload the YearRecordList
    virtual void PrtMfg() = 0;                      // refill grid and summary; recomputes MonthFirst/MonthCount
};

}  // namespace tama::ui
