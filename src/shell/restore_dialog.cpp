#include "restore_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "storage/save_batch.h"
#include "ui/app_context.h"
#include "ui/messages.h"
#include "ui/named.h"

namespace tama::ui {

RestoreDialog::RestoreDialog(AppContext& ctx, const QString& user, QWidget* parent)
    : QDialog(parent), ctx_(ctx), user_(user) {
    setObjectName(QStringLiteral("frmRestore"));
    setWindowTitle(QStringLiteral("ﾊﾞｯｸｱｯﾌﾟから復元 - ") + user);
    resize(560, 380);

    lstVersions_ = named(new QTableWidget(0, 4, this), "lstVersions");
    lstVersions_->setHorizontalHeaderLabels(
        {QStringLiteral("日付"), QStringLiteral("時刻"), QStringLiteral("ファイル"), QStringLiteral("件数")});
    lstVersions_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstVersions_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstVersions_->setSelectionMode(QAbstractItemView::SingleSelection);
    lstVersions_->verticalHeader()->hide();
    lstVersions_->horizontalHeader()->setStretchLastSection(true);

    lblMsg_ = named(new QLabel(this), "lblMsg");
    cmdRestore_ = named(new QPushButton(QStringLiteral("復元"), this), "cmdRestore");
    auto* cmdClose = named(new QPushButton(QStringLiteral("閉じる"), this), "cmdClose");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblMsg_, 1);
    buttons->addWidget(cmdRestore_);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("ファイルが書き換えられる前の内容です。復元すると今の内容も保存されます。"), this));
    layout->addWidget(lstVersions_, 1);
    layout->addLayout(buttons);

    connect(cmdRestore_, &QPushButton::clicked, this, &RestoreDialog::restoreSelected);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(lstVersions_, &QTableWidget::itemSelectionChanged, this,
            [this] { cmdRestore_->setEnabled(lstVersions_->currentRow() >= 0); });
    fill();
}

void RestoreDialog::fill() {
    ids_.clear();
    texts_.clear();
    lstVersions_->setRowCount(0);
    std::vector<BackupVersion> versions;
    try {
        if (!user_.isEmpty()) versions = listBackups(ctx_.programFolder(), ss(user_));
    } catch (const std::exception& e) {
        lblMsg_->setText(qs(e.what()));
    }
    lstVersions_->setRowCount(static_cast<int>(versions.size()));
    for (int r = 0; r < static_cast<int>(versions.size()); ++r) {
        const BackupVersion& v = versions[static_cast<size_t>(r)];
        const QString stamp = qs(v.stamp);
        const QString cells[] = {stamp.left(10), stamp.mid(11), qs(v.file),
                                 v.lines < 0 ? QStringLiteral("読めません") : QString::number(v.lines)};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 3) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            lstVersions_->setItem(r, c, item);
        }
        ids_ << qs(v.id);
        texts_ << user_ + QStringLiteral(" の ") + qs(v.file) + QStringLiteral(" を ") + stamp +
                      QStringLiteral(" の版") + (v.lines < 0 ? QString() : QStringLiteral("（%1 件）").arg(v.lines)) +
                      QStringLiteral("に戻しました。");
    }
    lstVersions_->resizeColumnsToContents();
    if (versions.empty() && lblMsg_->text().isEmpty()) lblMsg_->setText(QStringLiteral("ﾊﾞｯｸｱｯﾌﾟはありません。"));
    cmdRestore_->setEnabled(false);
}

bool RestoreDialog::restoreRow(int row) {
    if (row < 0 || row >= ids_.size()) return false;
    try {
        restoreBackup(ctx_.programFolder(), ss(user_), ss(ids_[row]));
    } catch (const std::exception& e) {
        ErrorReport(this, kFileErrorNumber, qs(e.what()), false);
        return false;
    }
    restored_ = true;
    restoredText_ = texts_[row];
    fill();
    lblMsg_->setText(QStringLiteral("復元しました。"));
    return true;
}

void RestoreDialog::restoreSelected() {
    const int row = lstVersions_->currentRow();
    if (row < 0) return;
    const QString text = lstVersions_->item(row, 2)->text() + QStringLiteral(" を ") +
                         lstVersions_->item(row, 0)->text() + QStringLiteral(" ") + lstVersions_->item(row, 1)->text() +
                         QStringLiteral(" の内容に戻しますか？");
    if (!confirm(this, text, QStringLiteral("ﾊﾞｯｸｱｯﾌﾟから復元"))) return;
    restoreRow(row);
}

}  // namespace tama::ui
