#pragma once
// How the monthly window opens the entry form. The monthly window only says
// what it wants entered or changed (an EntryRequest); the frame gives every
// monthly window this opener, which shows the entry form modally over it.
// Tests that drive the real form through a monthly window of their own give
// it the same opener.
#include "monthly/monthly_window.h"

namespace tama::ui {

class AppContext;

// The entry form (EntryForm) over `monthly`, in new mode on the request's date
// or in edit mode at the request's record and row; returns when it is closed.
MonthlyWindow::EntryOpener entryFormOpener(AppContext& ctx, MonthlyWindow& monthly);

}  // namespace tama::ui
