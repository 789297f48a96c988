#include "export_dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <functional>

#include "analysis/analysis_window.h"
#include "export/analysis_export.h"
#include "export/month_export.h"
#include "monthly/monthly_window.h"
#include "shared/file_io.h"
#include "ui/app_context.h"
#include "ui/messages.h"
#include "ui/spin_button.h"
#include "ui/named.h"

namespace tama::ui {

namespace fs = std::filesystem;

namespace {

std::function<bool()>& probeHook() {
    static std::function<bool()> hook;
    return hook;
}
std::function<void(const fs::path&)>& openerHook() {
    static std::function<void(const fs::path&)> hook;
    return hook;
}
std::function<QString(QWidget*, const QString&)>& chooserHook() {
    static std::function<QString(QWidget*, const QString&)> hook;
    return hook;
}

// Hands the workbook to the desktop; when nothing opens it the user is told where it is.
void openWorkbook(QWidget* parent, const fs::path& file) {
    if (openerHook()) {
        openerHook()(file);
        return;
    }
    const QString path = QString::fromStdString(file.string());
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        showMessage(parent, {QStringLiteral("ワークブックを開けませんでした。次のファイルに保存してあります:\n") + path,
                             QStringLiteral("Excel 出力"), Icon::Information, Buttons::Ok});
}

QString chooseSaveFile(QWidget* parent, const QString& suggested) {
    if (chooserHook()) return chooserHook()(parent, suggested);
    return QFileDialog::getSaveFileName(parent, QStringLiteral("保存"), suggested,
                                        QStringLiteral("Excel ブック (*.xlsx)"));
}

// The file picked for "保存...", with ".xlsx" added when the name has no extension.
fs::path pickedFile(QWidget* parent, std::string_view sheetName) {
    const QString home = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString picked = chooseSaveFile(parent, home + QLatin1Char('/') + qs(sheetName) + QStringLiteral(".xlsx"));
    if (picked.isEmpty()) return {};
    if (QFileInfo(picked).suffix().isEmpty()) picked += QStringLiteral(".xlsx");
    return fs::path(picked.toStdString());
}

// What the message line says after 保存...: the file's whole path.
QString savedMessage(const fs::path& file) {
    return QString::fromStdString(file.string()) + QStringLiteral(" に保存しました");
}

constexpr const char* kXlsxMime = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";

}  // namespace

bool spreadsheetAppAvailable() {
    if (probeHook()) return probeHook()();
    QProcess p;
    p.start(QStringLiteral("xdg-mime"),
            {QStringLiteral("query"), QStringLiteral("default"), QString::fromLatin1(kXlsxMime)});
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished();
        return false;
    }
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 &&
           !p.readAllStandardOutput().trimmed().isEmpty();
}

void setSpreadsheetProbe(std::function<bool()> probe) { probeHook() = std::move(probe); }
void setWorkbookOpener(std::function<void(const fs::path&)> opener) { openerHook() = std::move(opener); }
void setSaveFileChooser(std::function<QString(QWidget*, const QString&)> chooser) {
    chooserHook() = std::move(chooser);
}

fs::path workbookFolder(const fs::path& programFolder) {
    const fs::path folder = findNoCase(programFolder, "Temp");
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) throw FileError(folder, 0, "フォルダーを作れません: " + ec.message());
    return folder;
}

// ---------------------------------------------------------------- ExportProgress

ExportProgress::ExportProgress(Job job, QWidget* parent) : QDialog(parent), work_(std::move(job)) {
    setObjectName(QStringLiteral("frmWait"));
    setWindowTitle(QStringLiteral("Excel 出力処理中．．．"));
    setModal(true);
    auto* image = named(new QLabel(this), "Image1");
    const QIcon icon = QApplication::windowIcon().isNull() ? style()->standardIcon(QStyle::SP_FileDialogDetailedView)
                                                           : QApplication::windowIcon();
    image->setPixmap(icon.pixmap(32, 32));
    auto* lbl1 = named(new QLabel(QStringLiteral("分析データを Excel に出力処理中です。"), this), "lbl1");
    auto* lbl2 = named(new QLabel(QStringLiteral("今しばらくお待ち下さい．．．"), this), "lbl2");
    prb1_ = named(new QProgressBar(this), "prb1");
    prb1_->setRange(0, 1000);
    prb1_->setValue(0);
    auto* cmdCancel = named(new QPushButton(QStringLiteral("中止"), this), "cmdCancel");
    auto* cmdOk = named(new QPushButton(QStringLiteral("OK"), this), "cmdOk");
    cmdOk->hide();  // the window closes itself when the writer ends

    auto* texts = new QVBoxLayout;
    texts->addWidget(lbl1);
    texts->addWidget(lbl2);
    auto* top = new QHBoxLayout;
    top->addWidget(image, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    auto* lay = new QVBoxLayout(this);
    lay->addLayout(top);
    lay->addWidget(prb1_);
    lay->addLayout(buttons);
    setMinimumWidth(380);

    connect(cmdCancel, &QPushButton::clicked, this, &ExportProgress::cancel);
    // The writer starts once the window is up: run() starts this timer and exec()s.
    tim2_ = named(new QTimer(this), "tim2");
    tim2_->setSingleShot(true);
    tim2_->setInterval(0);
    connect(tim2_, &QTimer::timeout, this, &ExportProgress::startWriter);
    connect(&job_, &ExportJob::progressed, this,
            [this](long done, long total) { prb1_->setValue(static_cast<int>(1000 * done / std::max(total, 1L))); });
    connect(&job_, &ExportJob::finished, this, &ExportProgress::writerEnded);
}

ExportProgress::~ExportProgress() = default;

ExportProgress::Outcome ExportProgress::run() {
    tim2_->start();
    exec();
    // A window closed before its writer ran has written nothing.
    return ended_ ? job_.outcome() : Outcome::Stopped;
}

void ExportProgress::startWriter() { job_.start(work_); }

void ExportProgress::writerEnded() {
    ended_ = true;
    done(job_.outcome() == Outcome::Done ? QDialog::Accepted : QDialog::Rejected);
}

void ExportProgress::cancel() { job_.stop(); }

void ExportProgress::reject() {
    // The writer is stopped first; the window closes when it has cleaned up.
    if (job_.isRunning()) job_.stop();
    else QDialog::reject();
}

// ---------------------------------------------------------------- MonthExportDialog

MonthExportDialog::MonthExportDialog(AppContext& ctx, MonthlyWindow& monthly, QWidget* parent)
    : QDialog(parent), ctx_(ctx), monthly_(monthly) {
    setObjectName(QStringLiteral("frmPrint"));
    setWindowTitle(QStringLiteral("Excel 出力"));
    setModal(true);

    auto* label1 = named(new QLabel(QStringLiteral("Excel に出力する日間収支データの期間を指定して下さい。"), this),
                         "Label1");
    auto* frmPrt = named(new QGroupBox(QStringLiteral("範囲指定"), this), "frmPrt");
    auto* lblUid = named(new QLabel(QStringLiteral("利用者"), frmPrt), "lblUid");
    cboUser_ = named(new QComboBox(frmPrt), "cboUser");
    auto* lblKikan = named(new QLabel(QStringLiteral("期間"), frmPrt), "lblKikan");
    txtNen_ = named(new QLineEdit(frmPrt), "txtNen");
    txtNen_->setMaximumWidth(60);
    txtTuki_ = named(new QLineEdit(frmPrt), "txtTuki");
    txtTuki_->setMaximumWidth(40);

    // 1. The monthly window's users, user, year and month.
    QComboBox* users = monthly_.cboUser();
    for (int i = 0; i < users->count(); ++i) cboUser_->addItem(users->itemText(i));
    cboUser_->setCurrentIndex(users->currentIndex());
    lastUser_ = cboUser_->currentText();
    txtNen_->setText(monthly_.txtNen()->text());
    txtTuki_->setText(monthly_.txtTuki()->text());
    auto* updNen = named(new SpinButton(txtNen_, txtNen_->text().toInt(), 1995, 1, 2099, frmPrt), "updNen");
    auto* updTuki = named(new SpinButton(txtTuki_, txtTuki_->text().toInt(), 1, 1, 12, frmPrt), "updTuki");

    auto* grid = new QHBoxLayout;
    grid->addWidget(lblKikan);
    grid->addWidget(txtNen_);
    grid->addWidget(updNen);
    grid->addWidget(new QLabel(QStringLiteral("年"), frmPrt));
    grid->addWidget(txtTuki_);
    grid->addWidget(updTuki);
    grid->addWidget(new QLabel(QStringLiteral("月"), frmPrt));
    grid->addStretch(1);
    auto* userRow = new QHBoxLayout;
    userRow->addWidget(lblUid);
    userRow->addWidget(cboUser_, 1);
    auto* frameLay = new QVBoxLayout(frmPrt);
    frameLay->addLayout(userRow);
    frameLay->addLayout(grid);

    cmdOut_ = named(new QPushButton(QStringLiteral("出力"), this), "cmdOut");
    cmdSave_ = named(new QPushButton(QStringLiteral("保存..."), this), "cmdSave");
    auto* cmdCancel = named(new QPushButton(QStringLiteral("キャンセル"), this), "cmdCancel");
    prb1_ = named(new QProgressBar(this), "prb1");
    prb1_->hide();
    lblMsg1_ = named(new QLabel(this), "lblMsg1");
    lblMsg2_ = named(new QLabel(QStringLiteral("警告） "), this), "lblMsg2");
    lblMsg3_ = new QLabel(QStringLiteral("Microsoft Excel がインストールされていない為､この機能は御利用出来ません｡ "),
                          this);
    lblMsg3_->setObjectName(QStringLiteral("lblMsg3"));
    lblMsg3_->setWordWrap(true);
    for (QLabel* l : {lblMsg2_, lblMsg3_}) {
        l->setStyleSheet(QStringLiteral("color: red"));
        l->hide();
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOut_);
    buttons->addWidget(cmdSave_);
    buttons->addWidget(cmdCancel);
    auto* warning = new QHBoxLayout;
    warning->addWidget(lblMsg2_, 0, Qt::AlignTop);
    warning->addWidget(lblMsg3_, 1);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(label1);
    lay->addWidget(frmPrt);
    lay->addWidget(prb1_);
    lay->addWidget(lblMsg1_);
    lay->addLayout(warning);
    lay->addLayout(buttons);

    // 2. Without a spreadsheet application 出力 is off; 保存... still writes the file.
    if (!spreadsheetAppAvailable()) {
        cmdOut_->setEnabled(false);
        lblMsg2_->show();
        lblMsg3_->show();
        lblMsg1_->hide();
        prb1_->hide();
    }

    connect(txtNen_, &QLineEdit::textChanged, this, &MonthExportDialog::yearEdited);
    connect(txtTuki_, &QLineEdit::textChanged, this, &MonthExportDialog::monthEdited);
    connect(txtTuki_, &QLineEdit::editingFinished, this, [this] {
        const QString padded = qs(twoDigitMonth(ss(txtTuki_->text())));
        if (padded != txtTuki_->text()) txtTuki_->setText(padded);
    });
    connect(cboUser_, &QComboBox::currentTextChanged, this, &MonthExportDialog::userChosen);
    connect(cmdOut_, &QPushButton::clicked, this, &MonthExportDialog::writeAndOpen);
    connect(cmdSave_, &QPushButton::clicked, this, &MonthExportDialog::saveAs);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void MonthExportDialog::yearEdited() {
    monthly_.setYearMonth(txtNen_->text(), qs(twoDigitMonth(ss(txtTuki_->text()))));
}

void MonthExportDialog::monthEdited() {
    // The month is shown with two digits ("3" -> "03") as soon as no second digit
    // can follow; "0" and "1" wait for the next key or the end of editing.
    const QString t = txtTuki_->text();
    const QString padded = qs(twoDigitMonth(ss(t)));
    if (padded != t && t != QLatin1String("0") && t != QLatin1String("1")) {
        txtTuki_->setText(padded);  // runs this again with the padded text
        return;
    }
    monthly_.setYearMonth(txtNen_->text(), padded);
}

void MonthExportDialog::userChosen() {
    const QString user = cboUser_->currentText();
    if (user == lastUser_) return;
    QComboBox* target = monthly_.cboUser();
    const int i = target->findText(user);
    if (i >= 0) target->setCurrentIndex(i);
    lastUser_ = user;
}

bool MonthExportDialog::exportTo(const fs::path& target) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool outWasEnabled = cmdOut_->isEnabled();
    cmdOut_->setEnabled(false);
    cmdSave_->setEnabled(false);
    prb1_->setValue(0);
    prb1_->show();
    lblMsg1_->show();
    lblMsg1_->setText(QStringLiteral("出力処理中ですので、しばらくお待ち下さい..."));
    // The writer gets its own copies: nothing the window does meanwhile reaches the file.
    const std::string month = ss(monthly_.selectedMonth());
    const MonthSheetInput input{ss(monthly_.windowTitle()), ss(cboUser_->currentText()), month};
    ExportJob job;
    connect(&job, &ExportJob::progressed, this, [this](long done, long total) {
        prb1_->setMaximum(static_cast<int>(total));
        prb1_->setValue(static_cast<int>(done));
    });
    // While the writer runs the dialog repaints and shows progress but takes no
    // clicks or keys, as a modal step of its own.
    const ExportJob::Outcome outcome = job.runAndWait(
        [programFolder = ctx_.programFolder(), records = monthly_.yearRecordList().records,
         summary = monthly_.monthSummary(), input, target](const xlsx::ProgressFn& progress) {
            exportMonth(programFolder, records, summary, input, target, progress);
        },
        QEventLoop::ExcludeUserInputEvents);
    const bool ok = outcome == ExportJob::Outcome::Done;
    if (ok) {
        lastWorkbook_ = target;
    } else {
        QApplication::restoreOverrideCursor();
        // A refused or unwritable file: the user's to mend, nothing for the author.
        ErrorReport(this, kFileErrorNumber, job.error(), false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    QApplication::restoreOverrideCursor();
    cmdOut_->setEnabled(outWasEnabled);
    cmdSave_->setEnabled(true);
    prb1_->hide();
    lblMsg1_->clear();
    return ok;
}

namespace {

// 出力 of either dialog: `write` makes a new workbook named `name` in the
// program folder's Temp, the desktop opens it and the dialog closes. A Temp
// folder that cannot be used is reported, and the dialog stays open.
void writeNewWorkbookAndOpen(QDialog* dialog, const fs::path& programFolder, const std::string& name,
                             const std::function<bool(const fs::path&)>& write) {
    fs::path target;
    try {
        target = xlsx::freeWorkbookPath(workbookFolder(programFolder), name);
    } catch (const std::exception& e) {
        ErrorReport(dialog, kFileErrorNumber, qs(e.what()));
        return;
    }
    if (!write(target)) return;
    openWorkbook(dialog->parentWidget(), target);
    dialog->accept();
}

}  // namespace

void MonthExportDialog::writeAndOpen() {
    if (!cmdOut_->isEnabled()) return;
    writeNewWorkbookAndOpen(this, ctx_.programFolder(), ss(monthly_.windowTitle()),
                            [this](const fs::path& target) { return exportTo(target); });
}

void MonthExportDialog::saveAs() {
    const fs::path target = pickedFile(this, ss(monthly_.windowTitle()));
    if (target.empty()) return;
    if (!exportTo(target)) return;
    emit ctx_.statusMessage(savedMessage(target));
    accept();
}

// ---------------------------------------------------------------- AnalysisExportDialog

// Without a spreadsheet application 保存... still writes the workbook, as the
// month's dialog leaves it on beside its warning.
const QString AnalysisExportDialog::kSaveInstead = QStringLiteral("\n 「保存...」でファイルに保存することは出来ます｡");

AnalysisExportDialog::AnalysisExportDialog(AnalysisExportSource source, QWidget* parent)
    : QDialog(parent), source_(std::move(source)) {
    setObjectName(QStringLiteral("frmExcel"));
    setWindowTitle(QStringLiteral("Excel 出力設定"));
    setModal(true);
    const QString prompt = QStringLiteral("Excel に出力する分析データ項目を選択して下さい。");
    // lbl2 lies under lbl1, a shade lower and to the right: the prompt's shadow.
    auto* promptBox = new QWidget(this);
    auto* lbl2 = named(new QLabel(prompt, promptBox), "lbl2");
    lbl2->setStyleSheet(QStringLiteral("color: #a0a0a0"));
    auto* lbl1 = named(new QLabel(prompt, promptBox), "lbl1");
    lbl1->adjustSize();
    lbl2->adjustSize();
    lbl1->move(0, 0);
    lbl2->move(1, 1);
    promptBox->setMinimumSize(lbl1->width() + 2, lbl1->height() + 2);

    cboOut_ = named(new QComboBox(this), "cboOut");
    for (std::string_view caption : kAnalysisTabCaptions) cboOut_->addItem(qs(caption));
    cboOut_->setCurrentIndex(0);
    auto* cmdOk = named(new QPushButton(QStringLiteral("出力開始"), this), "cmdOk");
    auto* cmdSave = named(new QPushButton(QStringLiteral("保存..."), this), "cmdSave");
    auto* cmdCancel = named(new QPushButton(QStringLiteral("キャンセル"), this), "cmdCancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdCancel);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(promptBox);
    lay->addWidget(cboOut_);
    lay->addLayout(buttons);

    connect(cmdOk, &QPushButton::clicked, this, &AnalysisExportDialog::writeAndOpen);
    connect(cmdSave, &QPushButton::clicked, this, &AnalysisExportDialog::saveAs);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool AnalysisExportDialog::writeWith(const fs::path& target) {
    const auto tab = static_cast<AnalysisTab>(cboOut_->currentIndex());
    auto records = source_.records ? source_.records : std::make_shared<const MatchedRecords>();
    const SearchCriteria criteria = source_.criteria;
    const fs::path programFolder = source_.programFolder;
    hide();
    ExportProgress wait(
        [records, tab, criteria, target, programFolder](const xlsx::ProgressFn& progress) {
            exportAnalysis(records, tab, criteria, target, progress, programFolder);
        },
        parentWidget());
    const ExportProgress::Outcome outcome = wait.run();
    if (outcome == ExportProgress::Outcome::Failed) ErrorReport(parentWidget(), kFileErrorNumber, wait.error(), false);
    if (outcome != ExportProgress::Outcome::Done) {
        show();
        return false;
    }
    lastWorkbook_ = target;
    return true;
}

void AnalysisExportDialog::writeAndOpen() {
    if (!spreadsheetAppAvailable()) {
        showMessage(
            this,
            {QStringLiteral("警告） Microsoft Excel がインストールされていない為､\n この出力機能は御利用出来ません｡") +
                 kSaveInstead,
             QStringLiteral("Excel 出力エラー"), Icon::Exclamation, Buttons::Ok});
        return;
    }
    const auto tab = static_cast<AnalysisTab>(cboOut_->currentIndex());
    writeNewWorkbookAndOpen(this, source_.programFolder, std::string(analysisSheetName(tab)),
                            [this](const fs::path& target) { return writeWith(target); });
}

void AnalysisExportDialog::saveAs() {
    const auto tab = static_cast<AnalysisTab>(cboOut_->currentIndex());
    const fs::path target = pickedFile(this, analysisSheetName(tab));
    if (target.empty()) return;
    if (!writeWith(target)) return;
    if (source_.statusMessage) source_.statusMessage(savedMessage(target));
    accept();
}

void openAnalysisExport(QWidget* parent, AnalysisExportSource source) {
    AnalysisExportDialog dialog(std::move(source), parent);
    dialog.exec();
}

void installAnalysisExport(AnalysisWindow& window, const fs::path& programFolder,
                           std::function<void(const QString&)> statusMessage) {
    // Every search makes a new MatchedRecords; the selectors are taken when one appears.
    auto last = std::make_shared<AnalysisExportSource>(
        AnalysisExportSource{programFolder, window.matchedRecords(), window.criteria(), std::move(statusMessage)});
    QObject::connect(&window, &AnalysisWindow::tableShown, &window, [&window, last] {
        if (window.matchedRecords() == last->records) return;
        last->records = window.matchedRecords();
        last->criteria = window.criteria();
    });
    window.setExcelCommand([&window, last] { openAnalysisExport(&window, *last); });
}

}  // namespace tama::ui
