#include "entry_opener.h"

#include "entry/entry_form.h"
#include "ui/app_context.h"

namespace tama::ui {

frmMonthly::EntryOpener entryFormOpener(AppContext& ctx, frmMonthly& monthly) {
    return [&ctx, &monthly](const frmMonthly::EntryRequest& request) {
        frmDay_upd form(ctx, monthly, &monthly);
        if (request.edit)
            form.prepareEdit(request.recordIndex, request.rowInMonth);
        else
            form.prepareNew(request.date);
        form.exec();
    };
}

}  // namespace tama::ui
