#pragma once
// CalendarWindow ("カレンダー"): the month of the monthly window as a calendar.
// Each day shows its number and, on visit days, the summed balance, tinted by
// its sign; above the grid stand the month's balance, wins/days and hourly
// rate from the monthly summary. The window follows the monthly window (same
// user, year and month) and steps it: its arrows and PageUp/PageDown change
// the monthly window's month. A click on a visit day selects that day's first
// row in the monthly window; a double click (or Enter) opens the entry form
// for a new record on that date.
#include <QPointer>
#include <QWidget>
#include <memory>

#include "monthly/month_calendar.h"

class QLabel;
class QPushButton;
class QTableView;

namespace tama::ui {

class AppContext;
class MonthlyWindow;

class CalendarWindow : public QWidget {
    Q_OBJECT
public:
    CalendarWindow(AppContext& ctx, MonthlyWindow& monthly, QWidget* parent = nullptr);
    ~CalendarWindow() override;

    // Rebuilds the grid and the figures from the monthly window's loaded list.
    void refresh();
    // What the grid shows now (no weeks while no month is shown).
    const MonthCalendar& calendar() const;
    QTableView* grid() const;
    // The grid cell of a day of the shown month (invalid when it has none).
    QModelIndex indexOfDay(int day) const;
    // Steps the monthly window's month (+1 / -1) or year (Ctrl: +12 / -12 months).
    void stepMonth(int delta);
    // Writes the layout keys of section "calendar" (also run on close).
    void saveLayout();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void dayActivated(const QModelIndex& index, bool open);

    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace tama::ui
