#include "entry_opener.h"

#include "entry/entry_form.h"
#include "ui/app_context.h"

namespace tama::ui {

MonthlyWindow::EntryOpener entryFormOpener(AppContext& ctx, MonthlyWindow& monthly) {
    return [&ctx, &monthly](const MonthlyWindow::EntryRequest& request) {
        EntryForm form(ctx, monthly, &monthly);
        if (request.edit) form.prepareEdit(request.recordIndex, request.rowInMonth);
        else form.prepareNew(request.date);
        form.exec();
    };
}

}  // namespace tama::ui
