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
    virtual QString currentUser() const = 0;       // cboUser text
    virtual QString selectedYear() const = 0;      // txtNen text
    virtual QString selectedMonth() const = 0;     // txtTuki text
    virtual YearRecordList& yearRecordList() = 0;  // YearRecordList
    virtual int monthFirst() const = 0;            // MonthFirst (1-based)
    virtual int monthCount() const = 0;            // MonthCount
    virtual int currentRow() const = 0;            // the grid's current data row (1 = first)
    // The record shown at data row `row` of the grid (1 = first), as a 1-based
    // index in the YearRecordList; 0 when that row shows none. The entry form's
    // record scroll bar walks the month in this order. Without a grid of its
    // own, a link shows the month in file order.
    virtual int recordAtRow(int row) const { return row >= 1 && row <= monthCount() ? monthFirst() + row - 1 : 0; }
    // Why the YearRecordList is empty when its YearFile could not be read: the
    // file, the line, and that nothing in it was changed; empty when it loaded.
    virtual QString loadProblem() const { return {}; }
    virtual void reloadYear() = 0;  // reload the YearRecordList
    virtual void refillList() = 0;  // refill grid and summary; recomputes MonthFirst/MonthCount
};

}  // namespace tama::ui
