#include "monthly_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QApplication>
#include <QDate>
#include <QFileSystemWatcher>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "monthly/month_calendar.h"
#include "options/monthly_budget.h"
#include "options/row_colouring.h"
#include "ui/app_context.h"
#include "ui/combo_popup.h"
#include "ui/eliding_delegate.h"
#include "ui/grid_look.h"
#include "ui/grid_model.h"
#include "ui/messages.h"
#include "ui/spin_button.h"
#include "ui/window_layout.h"
#include "ui/named.h"

namespace tama::ui {

namespace {

// The years the year spin button and the reload flags cover.
constexpr int kFirstYear = 1995;
constexpr int kLastYear = 2099;
constexpr int kYearFlags = kLastYear - kFirstYear + 1;

const QString kSection = QStringLiteral("monthly");

// The widest a drop-down list grows, in twips (360 pixels at 96 dpi).
constexpr double kPopupMaxWidth = 5400;

// The grid's rows over the core result: each row's texts, colours and
// alignments as grid cells, the row colouring banded by the filling order.
class MonthModel : public GridModel {
public:
    using GridModel::GridModel;

    void setRows(std::vector<MonthRow> rows) {
        beginResetModel();
        rows_ = std::move(rows);
        endResetModel();
    }
    const std::vector<MonthRow>& rows() const { return rows_; }

    void sort(int column, Qt::SortOrder order) override {
        const bool text = column == 0;
        const SortMode mode = order == Qt::AscendingOrder
                                  ? (text ? SortMode::TextAscending : SortMode::GenericAscending)
                                  : (text ? SortMode::TextDescending : SortMode::GenericDescending);
        reorder([&] { sortRows(rows_, column, mode); });
    }

    // A heading click with the window's shared direction flag.
    void headingClick(int column, int& headerSortDescending) {
        reorder([&] { sortOnHeadingClick(rows_, column, headerSortDescending); });
    }

protected:
    int gridRowCount() const override { return static_cast<int>(rows_.size()); }
    int gridColumnCount() const override { return kMonthColumns; }
    TableCell gridCell(int row, int column) const override {
        const MonthRow& r = rows_[static_cast<size_t>(row)];
        // Every row is white unless the row colouring tints it by its filling order.
        return TableCell{r.cells[static_cast<size_t>(column)], r.textColour(column), kRgbWhite, r.alignment(column),
                         r.fillRow};
    }
    TableColumn gridColumn(int column) const override {
        return TableColumn{std::string(kMonthHeadings[static_cast<size_t>(column)]), 0, CellAlign::Center,
                           CellAlign::General};
    }

private:
    // The current cell moves with its row; fillRow is unique within one filling.
    void reorder(const std::function<void()>& sort) {
        reorderRows(sort, [this](int row) { return rows_[static_cast<size_t>(row)].fillRow; });
    }

    std::vector<MonthRow> rows_;
};

const QString kKeyPrefix = QStringLiteral("frmMonthly.");

int readInt(AppContext& ctx, const QString& key, int fallback) {
    const auto v = ctx.readSettingNumber(kSection, key);
    return v ? static_cast<int>(std::lround(*v)) : fallback;
}

}  // namespace

struct MonthlyWindow::Impl {
    Impl(AppContext& c, QWidget* window) : ctx(c), layout(new WindowLayout(c, window)) {}

    AppContext& ctx;

    QLabel* Label6 = nullptr;
    QComboBox* cboUser = nullptr;
    QLineEdit* txtNen = nullptr;
    SpinButton* updNen = nullptr;
    QLabel* Label0 = nullptr;
    QLineEdit* txtTuki = nullptr;
    SpinButton* updTuki = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* cmdDay = nullptr;
    QTableView* mfgDat = nullptr;
    MonthModel* model = nullptr;
    QGroupBox* fraInfo = nullptr;
    QLabel* lblLoadProblem = nullptr;  // in place of the summary while the year cannot be read
    std::array<QLabel*, kSummaryLabels> labels{};
    QLabel* budgetCaption = nullptr;  // "予算残り", shown while a monthly budget is set
    QLabel* lblYosan = nullptr;

    YearRecordList list;     // YearRecordList
    MonthPosition position;  // MonthFirst, MonthCount
    MonthSummary summary;    // what the grid and the labels show (rows in display order)
    int headerSortDescending = 0;

    std::vector<char> yearFlags = std::vector<char>(kYearFlags, 1);  // YearReloadFlags
    std::vector<char> monthFlags = std::vector<char>(12, 1);         // MonthReloadFlags
    QString lastUser;                                                // LastUser

    // Selection changes made together are checked once at the end.
    int batch = 0;
    bool checkPending = false;

    // The last load error shown, so switching months within a damaged year
    // does not repeat the same box; empty when the year loaded.
    QString lastLoadError;
    QString loadProblem;  // the notice shown for it

    WindowLayout* layout;  // position, size and state; a child of the window
    // Column widths as restored, so that an unchanged width is written back in the
    // same twips (a pixel round trip would shift odd values).
    std::array<int, kMonthColumns> restoredColPixels{};
    std::array<int, kMonthColumns> restoredColTwips{};

    EntryOpener opener;
    std::function<void()> userRequest;

    // Another writer (tamalog-cli, a script) saving into the shown user's folder:
    // the folder is watched and the list reloaded when its YearFile changed.
    QFileSystemWatcher watcher;
    QTimer diskCheck;
    QString watchedFolder;
};

MonthlyWindow::MonthlyWindow(AppContext& ctx, QWidget* parent) : QWidget(parent), d(new Impl(ctx, this)) {
    setObjectName(QStringLiteral("frmMonthly"));
    setWindowTitle(QStringLiteral("月間収支データ"));
    // 9 point text (the column widths and the summary frame's height are measured
    // for it) on the overall colour, which the summary frame shares.
    setChildWindowLook(this, ctx);
    const QPalette pal = palette();

    d->Label6 = named(new QLabel(QStringLiteral("利用者"), this), "Label6");
    d->cboUser = named(new QComboBox(this), "cboUser");
    limitPopupWidth(d->cboUser, twipsToPixelsX(kPopupMaxWidth));
    d->txtNen = named(new QLineEdit(this), "txtNen");
    // The year and month buttons fill the place Form_Resize gives them.
    const SpinArrows filling{QSize(), true, Qt::NoFocus};
    d->updNen = named(new SpinButton(d->txtNen, kFirstYear, kFirstYear, 1, kLastYear, this, SpinStyle::Snap, filling),
                      "updNen");
    d->Label0 = named(new QLabel(QStringLiteral("年"), this), "Label0");
    d->txtTuki = named(new QLineEdit(this), "txtTuki");
    d->updTuki = named(new SpinButton(d->txtTuki, 1, 1, 1, 12, this, SpinStyle::SnapWrap, filling), "updTuki");
    d->Label1 = named(new QLabel(QStringLiteral("月度"), this), "Label1");
    d->cmdDay = named(new QPushButton(QStringLiteral("日間ﾃﾞｰﾀ入力"), this), "cmdDay");

    d->model = new MonthModel(this);
    d->model->setColouring(rowColouring(ctx.options()));
    d->mfgDat = named(new QTableView(this), "mfgDat");
    d->mfgDat->setModel(d->model);
    d->mfgDat->setSelectionBehavior(QAbstractItemView::SelectRows);
    d->mfgDat->setSelectionMode(QAbstractItemView::SingleSelection);
    styleGrid(d->mfgDat);
    // One line per row; a text too long for its column is cut with "…" and shown
    // whole as a tooltip. A date is cut at its start so that it keeps its day.
    d->mfgDat->setWordWrap(false);
    {
        auto* cells = new ElidingDelegate(d->mfgDat);
        cells->setElideMode(0, Qt::ElideLeft);
        d->mfgDat->setItemDelegate(cells);
    }

    d->fraInfo = named(new QGroupBox(QStringLiteral("月間収支情報"), this), "fraInfo");
    d->fraInfo->setAutoFillBackground(true);
    d->fraInfo->setPalette(pal);
    auto* grid = new QGridLayout(d->fraInfo);
    grid->setSizeConstraint(QLayout::SetNoConstraint);  // the frame's size is fixed by Form_Resize
    grid->setContentsMargins(4, 0, 4, 2);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(1);
    for (int i = 0; i < kSummaryLabels; ++i) {
        const size_t k = static_cast<size_t>(i);
        auto* caption = new QLabel(qs(kSummaryCaptions[k]), d->fraInfo);
        auto* value = new QLabel(d->fraInfo);
        value->setObjectName(qs(kSummaryLabelNames[k]));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        value->setAutoFillBackground(true);
        QPalette vp = value->palette();
        vp.setColor(QPalette::Window, Qt::white);
        vp.setColor(QPalette::WindowText, Qt::black);
        value->setPalette(vp);
        d->labels[k] = value;
        // Three rows of three: days, wins, rate / time, largest win, average time /
        // hourly, daily, month balance.
        const int row = i / 3;
        const int col = (i % 3) * 2;
        grid->addWidget(caption, row, col, Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(value, row, col + 1);
        grid->setColumnStretch(col + 1, 1);
    }

    buildBudgetLine();
    connect(&ctx, &AppContext::budgetChanged, this, [this] { showBudget(); });

    d->diskCheck.setSingleShot(true);
    d->diskCheck.setInterval(150);  // a save renames several files: look once they are all in place
    connect(&d->watcher, &QFileSystemWatcher::directoryChanged, this, [this] { d->diskCheck.start(); });
    connect(&d->diskCheck, &QTimer::timeout, this, [this] { diskChanged(); });
    d->lblLoadProblem = newLoadProblemLabel(this, Qt::AlignLeft | Qt::AlignVCenter);

    connect(d->txtNen, &QLineEdit::textChanged, this, [this] { yearEdited(); });
    connect(d->txtTuki, &QLineEdit::textChanged, this, [this] { monthEdited(); });
    // The month step and the year step it may cause are one selection change.
    connect(d->updTuki, &SpinButton::aboutToStep, this, [this] { ++d->batch; });
    connect(d->updTuki, &SpinButton::stepped, this,
            [this](int direction, bool wrapped) { monthStepped(wrapped, direction); });
    connect(d->cboUser, &QComboBox::currentTextChanged, this, [this] { tim1_Check(); });
    // The options dialog's Apply and OK: the overall colour behind the window and
    // its summary frame, and the list's row colouring.
    connect(&ctx, &AppContext::optionsChanged, this, [this] {
        for (QWidget* w : std::initializer_list<QWidget*>{this, d->fraInfo}) {
            QPalette p = w->palette();
            p.setColor(QPalette::Window, d->ctx.overallColour());
            w->setPalette(p);
        }
        d->model->setColouring(rowColouring(d->ctx.options()));
    });
    connect(d->cmdDay, &QPushButton::clicked, this, [this] { newEntry(); });
    connect(d->mfgDat->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { d->model->headingClick(column, d->headerSortDescending); });
    connect(d->mfgDat, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (!index.isValid()) return;
        d->mfgDat->setCurrentIndex(index);
        editSelected();
    });

    // On opening, everything below happens as one selection change, loaded once.
    ++d->batch;
    fillUsers();
    const QString savedUser = ctx.readSetting(kSection, QStringLiteral("cboUser.Text"));
    if (!savedUser.isEmpty()) {
        int i = d->cboUser->findText(savedUser, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (i >= 0) d->cboUser->setCurrentIndex(i);
    }
    for (int c = 0; c < kMonthColumns; ++c) {
        const size_t k = static_cast<size_t>(c);
        int twips = readInt(ctx, QStringLiteral("mfgDat.ColWidth(%1)").arg(c), kMonthDefaultColumnWidths[k]);
        if (twips < 0) twips = kMonthDefaultColumnWidths[k];
        d->restoredColTwips[k] = twips;
        d->restoredColPixels[k] = twipsToPixelsX(twips);
        d->mfgDat->setColumnWidth(c, d->restoredColPixels[k]);
    }
    const QDate today = QDate::currentDate();
    d->txtNen->setText(QString::number(today.year()));
    d->txtTuki->setText(QString::number(today.month()));
    setCaption();
    d->lastUser = d->cboUser->currentText();
    std::fill(d->yearFlags.begin(), d->yearFlags.end(), 1);
    std::fill(d->monthFlags.begin(), d->monthFlags.end(), 1);
    d->checkPending = true;
    endBatch();
}

MonthlyWindow::~MonthlyWindow() = default;

QComboBox* MonthlyWindow::cboUser() const { return d->cboUser; }
QLineEdit* MonthlyWindow::txtNen() const { return d->txtNen; }
QLineEdit* MonthlyWindow::txtTuki() const { return d->txtTuki; }
const MonthSummary& MonthlyWindow::monthSummary() const { return d->summary; }

QString MonthlyWindow::currentUser() const { return d->cboUser->currentText(); }
QString MonthlyWindow::selectedYear() const { return d->txtNen->text(); }
QString MonthlyWindow::selectedMonth() const { return d->txtTuki->text(); }
YearRecordList& MonthlyWindow::yearRecordList() { return d->list; }
int MonthlyWindow::monthFirst() const { return d->position.first; }
int MonthlyWindow::monthCount() const { return d->position.count; }

int MonthlyWindow::currentRow() const {
    const QModelIndex cur = d->mfgDat->currentIndex();
    return cur.isValid() ? cur.row() + 1 : 1;
}

QString MonthlyWindow::loadProblem() const { return d->loadProblem; }

int MonthlyWindow::recordAtRow(int row) const {
    const auto& rows = d->model->rows();
    if (row < 1 || row > static_cast<int>(rows.size())) return 0;
    return rows[static_cast<size_t>(row - 1)].recordIndex;
}

void MonthlyWindow::setEntryOpener(EntryOpener opener) { d->opener = std::move(opener); }

void MonthlyWindow::setUserRequest(std::function<void()> request) { d->userRequest = std::move(request); }

void MonthlyWindow::setYearMonth(const QString& year, const QString& month) {
    ++d->batch;
    d->txtNen->setText(year);
    d->txtTuki->setText(month);
    endBatch();
}

// --- Selection editing -------------------------------------------------------

void MonthlyWindow::setCaption() { setWindowTitle(qs(monthlyCaption(ss(d->txtNen->text()), ss(d->txtTuki->text())))); }

namespace {
bool digitsOnly(const QString& s) {
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}
}  // namespace

void MonthlyWindow::yearEdited() {
    // A non-digit empties the box; the change that causes runs this again.
    if (!digitsOnly(d->txtNen->text())) {
        d->txtNen->setText(QString());
        return;
    }
    setCaption();
    tim1_Check();
}

void MonthlyWindow::monthEdited() {
    const QString t = d->txtTuki->text();
    // A one-digit month is shown as the records hold it, and a second digit typed
    // after the padding makes 10-12; the change runs this again.
    if (const QString padded = qs(typedMonth(ss(t))); padded != t) {
        d->txtTuki->setText(padded);
        return;
    }
    if (!digitsOnly(t)) {
        d->txtTuki->setText(QString());
        return;
    }
    setCaption();
    tim1_Check();
}

void MonthlyWindow::monthStepped(bool wrapped, int direction) {
    // Runs inside the batch opened by aboutToStep: the month has been stepped.
    if (wrapped) {
        // The year is plain arithmetic, not limited by the year spin button's range;
        // an empty year box stays empty.
        const QString year = qs(stepYearText(ss(d->txtNen->text()), direction));
        if (year != d->txtNen->text()) d->txtNen->setText(year);
    }
    endBatch();
}

// --- refresh ------------------------------------------------------------------

void MonthlyWindow::endBatch() {
    if (--d->batch > 0) return;
    if (d->checkPending) {
        d->checkPending = false;
        tim1_Check();
    }
}

void MonthlyWindow::tim1_Check() {
    if (d->batch > 0) {
        d->checkPending = true;
        return;
    }
    bool reload = false;
    const QString user = d->cboUser->currentText();
    if (user != d->lastUser) {
        std::fill(d->yearFlags.begin(), d->yearFlags.end(), 1);
        std::fill(d->monthFlags.begin(), d->monthFlags.end(), 1);
        d->lastUser = user;
        emit userChanged(user);
        // Another user always gets his own list, even while the year or month box
        // holds no loadable selection.
        reload = true;
    }
    const QString year = d->txtNen->text();
    bool ok = false;
    const int y = year.toInt(&ok);
    if (ok && year.size() == 4 && y >= kFirstYear && y <= kLastYear) {
        const size_t k = static_cast<size_t>(y - kFirstYear);
        if (d->yearFlags[k]) {
            std::fill(d->yearFlags.begin(), d->yearFlags.end(), 1);
            d->yearFlags[k] = 0;
            reload = true;
        }
    }
    const QString month = d->txtTuki->text();
    const int m = month.toInt(&ok);
    if (ok && month.size() == 2 && m >= 1 && m <= 12) {
        const size_t k = static_cast<size_t>(m - 1);
        if (d->monthFlags[k]) {
            std::fill(d->monthFlags.begin(), d->monthFlags.end(), 1);
            d->monthFlags[k] = 0;
            reload = true;
        }
    }
    if (reload) reloadList();
}

void MonthlyWindow::reloadList() {
    reloadYear();
    fillList();
    sortByDate(d->summary.rows);
    showList();
    emit reloaded();
}

// --- reloadYear / refillList ----------------------------------------------------------

void MonthlyWindow::reloadYear() {
    const QString user = d->cboUser->currentText();
    const QString year = d->txtNen->text();
    try {
        d->list = loadMonthYear(d->ctx.store(), ss(user), ss(year));
        d->lastLoadError.clear();
        d->loadProblem.clear();
    } catch (const std::exception& e) {
        // The file stays as it is (nothing is written from an empty list loaded
        // in its place); the month shows empty until the file is mended.
        d->list = YearRecordList{};
        d->list.user = ss(user);
        d->list.year = ss(year);
        const QString text = qs(e.what());
        d->loadProblem =
            text + QStringLiteral(
                       "\nこの年のデータを読み込めないため表示できません。\nファイルには何も変更を加えていません。");
        if (text != d->lastLoadError) {
            d->lastLoadError = text;
            ErrorReport(this, kFileErrorNumber, text, false);
        }
    }
    // MonthFirst and MonthCount always describe the list now held.
    d->position = locateMonth(d->list.records, ss(d->txtTuki->text()));
    watchUserFolder();
}

void MonthlyWindow::watchUserFolder() {
    QString folder;
    try {
        if (!d->list.user.empty()) folder = qs(d->ctx.store().userFolder(d->list.user).string());
    } catch (const std::exception&) {
        // a name that cannot be a folder has nothing to watch
    }
    if (folder == d->watchedFolder) return;
    if (!d->watchedFolder.isEmpty()) d->watcher.removePath(d->watchedFolder);
    d->watchedFolder = folder;
    if (!folder.isEmpty()) d->watcher.addPath(folder);
}

void MonthlyWindow::diskChanged() {
    // An open dialog (the entry form) works on the list by index: the reload
    // waits until it is closed. A save of its own has already reloaded the list.
    if (QApplication::activeModalWidget()) {
        d->diskCheck.start(500);
        return;
    }
    d->diskCheck.setInterval(150);
    if (!d->ctx.store().changedOnDisk(d->list)) return;
    reloadList();
    emit d->ctx.listsChanged();
    emit d->ctx.recordsChanged();
}

void MonthlyWindow::fillList() {
    d->summary = summarizeMonth(d->list.records, ss(d->txtTuki->text()));
    d->position = {d->summary.MonthFirst, d->summary.MonthCount};
}

void MonthlyWindow::showList() {
    const int row = currentRow();
    d->model->setRows(d->summary.rows);
    // The current row stays where it was, within the new rows; the column is 0.
    const int last = d->model->rowCount() - 1;
    d->mfgDat->selectionModel()->setCurrentIndex(d->model->index(std::clamp(row - 1, 0, last), 0),
                                                 QItemSelectionModel::NoUpdate);
    // A year that cannot be read: the notice stands where the (empty) summary would.
    d->lblLoadProblem->setText(d->loadProblem);
    d->lblLoadProblem->setVisible(!d->loadProblem.isEmpty());
    d->fraInfo->setVisible(d->loadProblem.isEmpty());
    showBudget();
    for (int i = 0; i < kSummaryLabels; ++i) {
        const size_t k = static_cast<size_t>(i);
        QLabel* l = d->labels[k];
        l->setText(qs(d->summary.labels[k].text));
        if (!d->summary.labels[k].text.empty()) {
            QPalette p = l->palette();
            p.setColor(QPalette::WindowText, toQColor(d->summary.labels[k].colour));
            l->setPalette(p);
        }
    }
}

// "予算残り" beside the month balance, on the summary's last row: the budget
// plus the month's balance, red below 0. Hidden while no budget is set.
void MonthlyWindow::buildBudgetLine() {
    auto* grid = static_cast<QGridLayout*>(d->fraInfo->layout());
    d->budgetCaption = named(new QLabel(QStringLiteral("予算残り"), d->fraInfo), "Label_Yosan");
    d->lblYosan = named(new QLabel(d->fraInfo), "lblYosan");
    d->lblYosan->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    d->lblYosan->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    d->lblYosan->setAutoFillBackground(true);
    QPalette p = d->lblYosan->palette();
    p.setColor(QPalette::Window, Qt::white);
    d->lblYosan->setPalette(p);
    grid->addWidget(d->budgetCaption, 2, 6, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(d->lblYosan, 2, 7);
    showBudget();
}

void MonthlyWindow::showBudget() {
    const auto budget = d->ctx.monthlyBudget();
    auto* grid = static_cast<QGridLayout*>(d->fraInfo->layout());
    d->budgetCaption->setVisible(budget.has_value());
    d->lblYosan->setVisible(budget.has_value());
    grid->setColumnStretch(7, budget ? 1 : 0);
    if (!budget) {
        d->lblYosan->clear();
        return;
    }
    const BudgetLine line = budgetLine(*budget, d->summary.balance);
    d->lblYosan->setText(qs(line.text));
    QPalette p = d->lblYosan->palette();
    p.setColor(QPalette::WindowText, toQColor(line.colour));
    d->lblYosan->setPalette(p);
}

bool MonthlyWindow::showDay(const QString& year, const QString& month, const QString& day) {
    setYearMonth(year, month);
    const auto& rows = d->model->rows();
    for (size_t i = 0; i < rows.size(); ++i) {
        const int index = rows[i].recordIndex;
        if (index < 1 || index > d->list.count() || qs(d->list.record(index).Hi) != day) continue;
        const QModelIndex cell = d->model->index(static_cast<int>(i), 0);
        d->mfgDat->setCurrentIndex(cell);
        d->mfgDat->selectRow(static_cast<int>(i));
        d->mfgDat->scrollTo(cell);
        return true;
    }
    return false;
}

void MonthlyWindow::refillList() {
    fillList();
    showList();
    emit reloaded();
}

// --- Entry form -------------------------------------------------------------------

void MonthlyWindow::newEntry() {
    // A new record opens on the first day of the month shown when that is not the current month.
    const QDate today = QDate::currentDate();
    const CalendarDate date = newEntryDate({today.year(), today.month(), today.day()}, ss(d->txtNen->text()),
                                           ss(d->txtTuki->text()));
    openEntry({false, 0, 0, QDate(date.year, date.month, date.day)});
}

void MonthlyWindow::newEntryOn(const QDate& date) { openEntry({false, 0, 0, date}); }

bool MonthlyWindow::selectDay(int day) {
    const auto& rows = d->model->rows();
    for (size_t r = 0; r < rows.size(); ++r) {
        const int index = rows[r].recordIndex;
        if (index < 1 || index > d->list.count() || recordDay(d->list.record(index)) != day) continue;
        const QModelIndex cell = d->model->index(static_cast<int>(r), 0);
        d->mfgDat->selectionModel()->setCurrentIndex(cell,
                                                     QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        d->mfgDat->scrollTo(cell);
        return true;
    }
    return false;
}

void MonthlyWindow::editSelected() {
    // The clicked row's own record, also when its date has several; the entry
    // form then steps through the rows in the order shown.
    const int r = currentRow();
    const int index = recordAtRow(r);
    if (index == 0) return;  // the empty row of an empty month: nothing to edit
    openEntry({true, index, r, QDate()});
}

void MonthlyWindow::openEntry(const EntryRequest& request) {
    if (currentUser().isEmpty()) {
        // A record belongs to a user: one is asked for first, so that nothing typed is lost.
        if (d->userRequest) d->userRequest();
        if (currentUser().isEmpty()) {
            emit d->ctx.statusMessage(QStringLiteral("利用者名を登録してから、日間ﾃﾞｰﾀを入力して下さい。"));
            return;
        }
    }
    if (d->opener) d->opener(request);
}

// --- Users --------------------------------------------------------------------------

void MonthlyWindow::fillUsers() {
    d->cboUser->clear();
    for (const auto& name : d->ctx.store().userNames()) d->cboUser->addItem(qs(name));
}

void MonthlyWindow::refresh() {
    const QString current = d->cboUser->currentText();
    {
        const QSignalBlocker block(d->cboUser);
        fillUsers();
        const int i = d->cboUser->findText(current, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (i >= 0) d->cboUser->setCurrentIndex(i);
    }
    tim1_Check();
}

// --- Layout -----------------------------------------------------------------------------

void MonthlyWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Form_Resize: positions in twips from the inner size; a window too small for
    // them gets what room there is.
    const double W = pixelsToTwipsX(width()), H = pixelsToTwipsY(height());
    const auto place = placeInTwips;
    // The selection boxes are packed to fit left of cmdDay in the default width.
    place(d->Label6, 100, 160, 560, 300);
    place(d->cboUser, 660, 100, 1300, 375);
    place(d->txtNen, 2020, 100, 600, 375);
    place(d->updNen, 2620, 100, 240, 375);
    place(d->Label0, 2890, 160, 220, 300);
    place(d->txtTuki, 3140, 100, 380, 375);
    place(d->updTuki, 3520, 100, 240, 375);
    place(d->Label1, 3790, 160, 400, 300);
    // cmdDay keeps to the right edge, but in a narrow window it stops right of the
    // selection boxes instead of covering the year and month.
    place(d->cmdDay, std::max(W - 1600, 4250.0), 100, 1455, 375);
    place(d->mfgDat, 100, 600, W - 200, H - 1900);
    place(d->fraInfo, 100, pixelsToTwipsY(d->mfgDat->height()) + 700, W - 200, 1095);
    d->lblLoadProblem->setGeometry(d->fraInfo->geometry());
}

void MonthlyWindow::showEvent(QShowEvent* event) {
    if (!d->layout->isRestored()) restoreLayout();
    QWidget::showEvent(event);
}

void MonthlyWindow::restoreLayout() {
    // Missing keys: the frame's top left corner, half its inner width, its inner height less 350.
    const AppContext& ctx = d->ctx;
    d->layout->restore(
        kSection, kKeyPrefix,
        {0, 0, static_cast<double>(ctx.frameInnerWidth() / 2), static_cast<double>(ctx.frameInnerHeight() - 350)});
}

void MonthlyWindow::closeEvent(QCloseEvent* event) {
    saveLayout();
    QWidget::closeEvent(event);
}

void MonthlyWindow::saveLayout() {
    d->layout->save(kSection, kKeyPrefix);
    AppContext& ctx = d->ctx;
    ctx.writeSetting(kSection, QStringLiteral("cboUser.Text"), d->cboUser->currentText());
    for (int c = 0; c < kMonthColumns; ++c) {
        const size_t k = static_cast<size_t>(c);
        const int px = d->mfgDat->columnWidth(c);
        const int tw = px == d->restoredColPixels[k] ? d->restoredColTwips[k]
                                                     : static_cast<int>(std::lround(pixelsToTwipsX(px)));
        ctx.writeSetting(kSection, QStringLiteral("mfgDat.ColWidth(%1)").arg(c), QString::number(tw));
    }
}

}  // namespace tama::ui
