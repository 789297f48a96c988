#pragma once
// The export windows: MonthExportDialog (the month to CSV and a workbook), AnalysisExportDialog
// (the choice of an analysis table) and ExportProgress (the progress of an analysis
// workbook). A workbook is written under Temp with a name of its own and then
// handed to the desktop, which opens it in the user's spreadsheet application;
// "保存..." writes the same workbook to a file the user picks.
#include <QDialog>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>

#include "analysis/search.h"
#include "export/export_job.h"
#include "export/workbook.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tama::ui {

class AppContext;
class MonthlyWindow;

// ---- what the desktop offers; tests replace each of these

// True when the desktop has an application for .xlsx files (asks xdg-mime).
bool spreadsheetAppAvailable();
// Replaces the question (empty: ask the desktop again).
void setSpreadsheetProbe(std::function<bool()> probe);
// Opens a written workbook (default: QDesktopServices::openUrl).
void setWorkbookOpener(std::function<void(const std::filesystem::path&)> opener);
// Asks for the file of "保存..." (default: a save-file dialog); an empty answer cancels.
void setSaveFileChooser(std::function<QString(QWidget* parent, const QString& suggested)> chooser);

// The workbook folder: program folder / Temp (made when missing).
std::filesystem::path workbookFolder(const std::filesystem::path& programFolder);

// ---- ExportProgress

// Runs one workbook writer as an ExportJob while the window shows its
// progress; "中止" (or the close box, or Esc) stops it and no file is left.
// The window stays open until the writer has ended, then closes itself.
class ExportProgress : public QDialog {
    Q_OBJECT
public:
    using Job = ExportJob::Work;
    using Outcome = ExportJob::Outcome;

    ExportProgress(Job job, QWidget* parent = nullptr);
    ~ExportProgress() override;

    // Shows the window modally, runs the job and returns how it ended.
    Outcome run();
    const QString& error() const { return job_.error(); }

    void cancel();
    // While the writer runs: stops it, and the window closes when it has ended.
    void reject() override;

private:
    void startWriter();
    void writerEnded();

    Job work_;
    ExportJob job_;
    bool ended_ = false;  // the writer ran and ended
    QProgressBar* prb1_;
    QTimer* tim2_;
};

// ---- MonthExportDialog

class MonthExportDialog : public QDialog {
    Q_OBJECT
public:
    MonthExportDialog(AppContext& ctx, MonthlyWindow& monthly, QWidget* parent = nullptr);

    // 出力: CSV work file and a new workbook under Temp, opened through the desktop.
    void writeAndOpen();
    // 保存...: the same export into a file the user picks.
    void saveAs();

    // The workbook the last export wrote (empty before one).
    const std::filesystem::path& lastWorkbook() const { return lastWorkbook_; }

private:
    void yearEdited();
    void monthEdited();
    void userChosen();
    bool exportTo(const std::filesystem::path& target);

    AppContext& ctx_;
    MonthlyWindow& monthly_;
    QComboBox* cboUser_;
    QLineEdit* txtNen_;
    QLineEdit* txtTuki_;
    QPushButton* cmdOut_;
    QPushButton* cmdSave_;
    QProgressBar* prb1_;
    QLabel* lblMsg1_;
    QLabel* lblMsg2_;
    QLabel* lblMsg3_;
    QString lastUser_;
    std::filesystem::path lastWorkbook_;
};

// ---- AnalysisExportDialog

// The analysis window's results as the export reads them.
struct AnalysisExportSource {
    std::filesystem::path programFolder;
    std::shared_ptr<const MatchedRecords> records;
    SearchCriteria criteria;  // the selectors of the last search, user included
    // Shows a text on the program's message line (after 保存...); may be empty.
    std::function<void(const QString&)> statusMessage;
};

class AnalysisExportDialog : public QDialog {
    Q_OBJECT
public:
    AnalysisExportDialog(AnalysisExportSource source, QWidget* parent = nullptr);

    // 出力開始: the chosen table into a new workbook under Temp, opened through the desktop.
    void writeAndOpen();
    // 保存...: the chosen table into a file the user picks.
    void saveAs();

    const std::filesystem::path& lastWorkbook() const { return lastWorkbook_; }

    // The line added to the no-spreadsheet message: 保存... still works.
    static const QString kSaveInstead;

private:
    bool writeWith(const std::filesystem::path& target);

    AnalysisExportSource source_;
    QComboBox* cboOut_;
    std::filesystem::path lastWorkbook_;
};

// The analysis window's "Excel 出力": opens AnalysisExportDialog modally over `parent`.
void openAnalysisExport(QWidget* parent, AnalysisExportSource source);

class AnalysisWindow;
// Plugs the export into the analysis window's cmdExcel. The workbook shows the
// records of the window's last search under the selectors that search used:
// selectors changed since, without a new search, do not reach the condition
// line, which would otherwise describe a search that was never made.
// After 保存... `statusMessage` (when given) receives the text naming the saved file.
void installAnalysisExport(AnalysisWindow& window, const std::filesystem::path& programFolder,
                           std::function<void(const QString&)> statusMessage = {});

}  // namespace tama::ui
