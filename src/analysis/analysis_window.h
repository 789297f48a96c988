#pragma once
// AnalysisWindow ("データ分析"): the analysis window, a child of the frame. The user picks
// a user, a period, a hall, a machine number, a machine type and a machine; the
// search reads all of that user's YearFiles (tama_analysis) and the grid shows
// the daily list or one of the statistics and ranking tables built from the
// matched records. The export reads the selectors, MatchedRecords and the
// current table through the accessors below.
#include <QDate>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

#include "analysis/analysis_table.h"
#include "analysis/search.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;

namespace tama::ui {

class AppContext;

// What the window takes over when it opens.
struct AnalysisOpening {
    QStringList users;     // the monthly window's user box, in its order
    QString user;          // its selected user
    QStringList halls;     // the graph window's hall box ("全ﾎｰﾙ対象" first); empty: the user's hall list
    QString hall;          // its current text ("全ﾎｰﾙ対象" when empty)
    QStringList machines;  // the graph window's machine box ("全機種対象" first)
    QString machine;       // its current text ("全機種対象" when empty)
    QDate today = QDate::currentDate();  // the default period runs from this year's 1 January to this date
};

class AnalysisWindow : public QWidget {
    Q_OBJECT
public:
    AnalysisWindow(AppContext& ctx, const AnalysisOpening& opening, QWidget* parent = nullptr);
    ~AnalysisWindow() override;

    // cmdKen: reads the period (a bound that is no date is refused with a
    // message, and nothing is searched), then loadRecords and the table of the
    // selected tab.
    void search();
    // Reads and filters the user's records into MatchedRecords and sets lblDbno.
    void loadRecords();
    // Builds the selected tab's table from MatchedRecords and shows it (one model reset).
    void showTable();
    // Refills cboKisyu with "全機種対象" and the user's machines of the selected type.
    void loadMachines();
    // Writes the layout keys of section "db" (also run when the window closes).
    void saveLayout();

    // The records matched by the last search (never null).
    std::shared_ptr<const MatchedRecords> matchedRecords() const;
    // The table the grid shows, rows in display order (after any heading click).
    const AnalysisTable& currentTable() const;
    // The selected tab, 0..6.
    int currentTab() const;
    // The selector texts as they stand (what the next search would use).
    SearchCriteria criteria() const;
    // True when "全ての期間" is not ticked: the period applies.
    bool periodApplies() const;

    // The export choice opened by cmdExcel; setting one enables the button.
    void setExcelCommand(std::function<void()> run);

    // Controls (also found by objectName).
    QComboBox* cboUser() const;
    QComboBox* cboHoll() const;
    QComboBox* cboNo() const;
    QComboBox* cboK_type() const;
    QComboBox* cboKisyu() const;
    // "ｺﾒﾝﾄ": text the records' comments must contain (empty: all).
    QLineEdit* txtCome() const;
    // 0..5: cboNen1, cboTuki1, cboHi1, cboNen2, cboTuki2, cboHi2.
    QComboBox* periodBox(int i) const;
    QCheckBox* Check2() const;
    QTabWidget* stb1() const;
    QTableView* mfgDat1() const;
    QLabel* lblDbno() const;
    QPushButton* cmdKen() const;
    QPushButton* cmdExcel() const;
    QPushButton* cmdCancel() const;

signals:
    // A table was built and shown (after a search or a tab change).
    void tableShown();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Reads the six period boxes as two dates and shows them padded; false (after
    // a message) when one is no date. True at once when the period is not applied.
    bool readPeriod();
    void periodToggled();
    void tabChosen(int tab);
    void typeChanged();
    void mfgDat1_HeadingClick(int column);
    void placeControls();

    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace tama::ui
