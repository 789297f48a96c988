#include "analysis_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <array>
#include <cmath>

#include "analysis/statistics.h"
#include "options/row_colouring.h"
#include "shared/calendar.h"
#include "ui/app_context.h"
#include "ui/column_fit.h"
#include "ui/eliding_delegate.h"
#include "ui/fixed_column_view.h"
#include "ui/grid_look.h"
#include "ui/grid_model.h"
#include "ui/messages.h"
#include "ui/window_layout.h"
#include "ui/named.h"

namespace tama::ui {

namespace {

const QString kSection = QStringLiteral("db");
const QString kKeyPrefix = QStringLiteral("frmdb.");

// The window's size in twips when it has no stored size, and the size it goes
// back to when made smaller than the least it can show.
constexpr double kDefaultWidth = 11160, kDefaultHeight = 7980, kLeastHeight = 5280;
// Columns whose widths are kept in the settings file, and their widths when none are kept.
constexpr int kKeptColumns = 11;
constexpr std::array<int, kKeptColumns> kDefaultColumnTwips = {1100, 460,  1600, 2000, 460, 460,
                                                               1200, 2000, 460,  460,  1200};

// The grid's rows over the core table: its cells and headings as they are.
class AnalysisModel : public GridModel {
public:
    using GridModel::GridModel;

    void setTable(AnalysisTable table) {
        beginResetModel();
        table_ = std::move(table);
        endResetModel();
    }
    const AnalysisTable& table() const { return table_; }

    // A heading click sorts with the window's shared direction flag.
    void headingClick(int column, int& flag) {
        beginResetModel();
        table_.sortOnHeadingClick(column, flag);
        endResetModel();
    }

protected:
    int gridRowCount() const override { return table_.rowCount(); }
    int gridColumnCount() const override { return table_.columnCount(); }
    TableCell gridCell(int row, int column) const override { return table_.cell(row, column); }
    TableColumn gridColumn(int column) const override { return table_.columns()[static_cast<size_t>(column)]; }

private:
    AnalysisTable table_;
};

void fillCombo(QComboBox* box, const QStringList& entries) {
    box->clear();
    box->addItems(entries);
}

QStringList numbered(int first, int last, int width) {
    QStringList out;
    for (int i = first; i <= last; ++i) out << QStringLiteral("%1").arg(i, width, 10, QLatin1Char('0'));
    return out;
}

}  // namespace

struct AnalysisWindow::Impl {
    Impl(AppContext& c, QWidget* window) : ctx(c), layout(new WindowLayout(c, window, WindowLayout::StateKey::None)) {}

    AppContext& ctx;
    QLabel *Label6 = nullptr, *Label2 = nullptr, *Label7 = nullptr, *Label11 = nullptr, *Label9 = nullptr,
           *Label8 = nullptr, *Label12 = nullptr, *lblDbno = nullptr;
    QLineEdit* txtCome = nullptr;
    QComboBox *cboUser = nullptr, *cboHoll = nullptr, *cboNo = nullptr, *cboK_type = nullptr, *cboKisyu = nullptr;
    std::array<QComboBox*, 6> period{};  // cboNen1, cboTuki1, cboHi1, cboNen2, cboTuki2, cboHi2
    QCheckBox* Check2 = nullptr;
    QPushButton *cmdKen = nullptr, *cmdExcel = nullptr, *cmdCancel = nullptr;
    QTabWidget* stb1 = nullptr;
    FixedColumnTableView* mfgDat1 = nullptr;
    AnalysisModel* model = nullptr;

    std::shared_ptr<const MatchedRecords> matched = std::make_shared<const MatchedRecords>();
    int headerSortDescending = 0;  // one direction flag for every tab and column
    QString lastType;              // the type the machine box was last filled for
    std::function<void()> excel;
    bool snapping = false;

    WindowLayout* layout;
    // Column widths as last set, so that an unchanged width is written back in the
    // same twips (a pixel round trip would shift them).
    std::array<int, kKeptColumns> colPixels{};
    std::array<int, kKeptColumns> colTwips{};
};

AnalysisWindow::AnalysisWindow(AppContext& ctx, const AnalysisOpening& opening, QWidget* parent)
    : QWidget(parent), d(std::make_unique<Impl>(ctx, this)) {
    setObjectName(QStringLiteral("frmDb"));
    setWindowTitle(QStringLiteral("データ分析"));
    setChildWindowLook(this, ctx);

    auto label = [this](const char* name, const QString& caption) {
        auto* l = new QLabel(caption, this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    auto combo = [this](const char* name, bool editable) {
        auto* c = new QComboBox(this);
        c->setObjectName(QLatin1String(name));
        c->setEditable(editable);
        c->setMaxVisibleItems(20);
        if (editable) c->setInsertPolicy(QComboBox::NoInsert);
        return c;
    };
    d->Label6 = label("Label6", QStringLiteral("利用者"));
    d->cboUser = combo("cboUser", false);
    d->Label2 = label("Label2", QStringLiteral("期間"));
    const char* periodNames[6] = {"cboNen1", "cboTuki1", "cboHi1", "cboNen2", "cboTuki2", "cboHi2"};
    for (int i = 0; i < 6; ++i) {
        QComboBox* c = combo(periodNames[i], true);
        // The year lists run as every year range of the program does.
        fillCombo(c, i % 3 == 0 ? numbered(1995, 2099, 4) : i % 3 == 1 ? numbered(1, 12, 2) : numbered(1, 31, 2));
        // No completion from the list: a typed "1" stays 1 and is not made "10".
        c->setCompleter(nullptr);
        d->period[static_cast<size_t>(i)] = c;
    }
    d->Check2 = named(new QCheckBox(QStringLiteral("全ての期間"), this), "Check2");
    d->Label7 = label("Label7", QStringLiteral("ホール名"));
    d->cboHoll = combo("cboHoll", false);
    d->Label11 = label("Label11", QStringLiteral("台番号"));
    d->cboNo = combo("cboNo", true);
    d->Label9 = label("Label9", QStringLiteral("機種タイプ"));
    d->cboK_type = combo("cboK_type", false);
    d->Label8 = label("Label8", QStringLiteral("機種名"));
    d->cboKisyu = combo("cboKisyu", true);
    d->Label12 = label("Label12", QStringLiteral("ｺﾒﾝﾄ"));
    d->txtCome = named(new QLineEdit(this), "txtCome");
    d->txtCome->setToolTip(QStringLiteral("コメントにこの文字を含むデータを検索します（空欄はすべて）"));
    d->cmdKen = named(new QPushButton(QStringLiteral("条件検索"), this), "cmdKen");
    d->cmdExcel = named(new QPushButton(QStringLiteral("Excel 出力"), this), "cmdExcel");
    d->cmdExcel->setEnabled(false);  // until the export plugs its choice in
    d->cmdCancel = named(new QPushButton(QStringLiteral("キャンセル"), this), "cmdCancel");

    d->stb1 = named(new QTabWidget(this), "stb1");
    for (std::string_view caption : kAnalysisTabCaptions) d->stb1->addTab(new QWidget, qs(caption));

    d->model = new AnalysisModel(this);
    d->mfgDat1 = named(new FixedColumnTableView(this), "mfgDat1");
    d->mfgDat1->setModel(d->model);
    for (QTableView* v : {static_cast<QTableView*>(d->mfgDat1), d->mfgDat1->fixedColumn()}) {
        styleGrid(v);
        v->setWordWrap(false);
        // A text too long for its column is cut with "…" at its end (a figure keeps
        // its sign) and shown whole as a tooltip, as in the monthly list.
        v->setItemDelegate(new ElidingDelegate(v));
        connect(v->horizontalHeader(), &QHeaderView::sectionClicked, this,
                [this](int column) { mfgDat1_HeadingClick(column); });
    }
    d->mfgDat1->raise();
    d->model->setColouring(rowColouring(ctx.options()));
    // The options dialog's Apply and OK: the overall colour behind the window and
    // the list's row colouring.
    connect(&ctx, &AppContext::optionsChanged, this, [this] {
        setChildWindowLook(this, d->ctx);
        d->model->setColouring(rowColouring(d->ctx.options()));
    });

    d->lblDbno = label("lblDbno", QString());

    connect(d->cmdKen, &QPushButton::clicked, this, [this] { search(); });
    connect(d->txtCome, &QLineEdit::returnPressed, this, [this] { search(); });
    connect(d->cmdExcel, &QPushButton::clicked, this, [this] {
        if (d->excel) d->excel();
    });
    connect(d->cmdCancel, &QPushButton::clicked, this, [this] {
        // Inside the frame the child's frame closes (and closes the window with it).
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) sub->close();
        else close();
    });
    connect(d->Check2, &QCheckBox::clicked, this, [this] { periodToggled(); });
    connect(d->cboK_type, &QComboBox::currentTextChanged, this, [this] { typeChanged(); });

    // On opening, 1: column widths from section "db" (the table built below sets its own).
    for (int c = 0; c < kKeptColumns; ++c) {
        const size_t k = static_cast<size_t>(c);
        const auto v = ctx.readSettingNumber(kSection, QStringLiteral("mfgDat1.ColWidth(%1)").arg(c));
        const int twips = v && *v >= 0 ? static_cast<int>(std::lround(*v)) : kDefaultColumnTwips[k];
        d->colTwips[k] = twips;
        d->colPixels[k] = twipsToPixelsX(twips);
    }
    // 2: user, hall and machine taken over from the monthly and graph windows.
    fillCombo(d->cboUser, opening.users);
    d->cboUser->setCurrentIndex(
        std::max(0, d->cboUser->findText(opening.user, Qt::MatchExactly | Qt::MatchCaseSensitive)));
    QStringList halls = opening.halls;
    if (halls.isEmpty()) {
        halls << qs(kAllHalls);
        try {
            for (const auto& h : ctx.lists().loadHallNames(ss(opening.user))) halls << qs(h);
        } catch (const std::exception& e) {
            ErrorReport(this, kFileErrorNumber, qs(e.what()), false);  // the hall box keeps its pseudo entry
        }
    }
    fillCombo(d->cboHoll, halls);
    const QString hall = opening.hall.isEmpty() ? qs(kAllHalls) : opening.hall;
    d->cboHoll->setCurrentIndex(std::max(0, d->cboHoll->findText(hall, Qt::MatchExactly | Qt::MatchCaseSensitive)));
    fillCombo(d->cboKisyu, opening.machines.isEmpty() ? QStringList{qs(kAllMachines)} : opening.machines);
    d->cboKisyu->setEditText(opening.machine.isEmpty() ? qs(kAllMachines) : opening.machine);
    // 3: every type and every number.
    {
        const QSignalBlocker block(d->cboK_type);  // the type is handled once below
        for (std::string_view t : kTypeSelectorEntries) d->cboK_type->addItem(qs(t));
        d->cboK_type->setCurrentIndex(0);
    }
    d->cboNo->addItem(qs(kAllNumbers));
    d->cboNo->setEditText(qs(kAllNumbers));
    // 4: the default period, from the first of this year to today.
    const QDate today = opening.today;
    const QString year = QString::number(today.year());
    d->period[0]->setEditText(year);
    d->period[1]->setEditText(QStringLiteral("01"));
    d->period[2]->setEditText(QStringLiteral("01"));
    d->period[3]->setEditText(year);
    d->period[4]->setEditText(QStringLiteral("%1").arg(today.month(), 2, 10, QLatin1Char('0')));
    d->period[5]->setEditText(QStringLiteral("%1").arg(today.day(), 2, 10, QLatin1Char('0')));
    // 5: the machine box for "全ﾀｲﾌﾟ対象", keeping the text taken over.
    typeChanged();
    // 6, 7: the daily list of the default search.
    d->stb1->setCurrentIndex(0);
    connect(d->stb1, &QTabWidget::currentChanged, this, [this](int tab) { tabChosen(tab); });
    search();
    resize(twipsToPixelsX(kDefaultWidth), twipsToPixelsY(kDefaultHeight));
}

AnalysisWindow::~AnalysisWindow() = default;

QComboBox* AnalysisWindow::cboUser() const { return d->cboUser; }
QComboBox* AnalysisWindow::cboHoll() const { return d->cboHoll; }
QComboBox* AnalysisWindow::cboNo() const { return d->cboNo; }
QComboBox* AnalysisWindow::cboK_type() const { return d->cboK_type; }
QComboBox* AnalysisWindow::cboKisyu() const { return d->cboKisyu; }
QLineEdit* AnalysisWindow::txtCome() const { return d->txtCome; }
QComboBox* AnalysisWindow::periodBox(int i) const { return d->period.at(static_cast<size_t>(i)); }
QCheckBox* AnalysisWindow::Check2() const { return d->Check2; }
QTabWidget* AnalysisWindow::stb1() const { return d->stb1; }
QTableView* AnalysisWindow::mfgDat1() const { return d->mfgDat1; }
QLabel* AnalysisWindow::lblDbno() const { return d->lblDbno; }
QPushButton* AnalysisWindow::cmdKen() const { return d->cmdKen; }
QPushButton* AnalysisWindow::cmdExcel() const { return d->cmdExcel; }
QPushButton* AnalysisWindow::cmdCancel() const { return d->cmdCancel; }

std::shared_ptr<const MatchedRecords> AnalysisWindow::matchedRecords() const { return d->matched; }
const AnalysisTable& AnalysisWindow::currentTable() const { return d->model->table(); }
int AnalysisWindow::currentTab() const { return d->stb1->currentIndex(); }
bool AnalysisWindow::periodApplies() const { return !d->Check2->isChecked(); }

void AnalysisWindow::setExcelCommand(std::function<void()> run) {
    d->excel = std::move(run);
    d->cmdExcel->setEnabled(static_cast<bool>(d->excel));
}

SearchCriteria AnalysisWindow::criteria() const {
    SearchCriteria c;
    c.user = ss(d->cboUser->currentText());
    auto t = [this](int i) { return ss(d->period[static_cast<size_t>(i)]->currentText()); };
    // A bound that is a date is that date ("2003", "5", "1" -> 2003/05/01).
    c.from = typedDate(t(0), t(1), t(2)).value_or(periodText(t(0), t(1), t(2)));
    c.to = typedDate(t(3), t(4), t(5)).value_or(periodText(t(3), t(4), t(5)));
    c.allPeriod = d->Check2->isChecked();
    c.hall = ss(d->cboHoll->currentText());
    c.number = ss(d->cboNo->currentText());
    c.type = ss(d->cboK_type->currentText());
    c.machine = ss(d->cboKisyu->currentText());
    c.comment = ss(d->txtCome->text());
    return c;
}

// ------------------------------------------------------------------ search

void AnalysisWindow::search() {
    if (!readPeriod()) return;
    loadRecords();
    showTable();
}

bool AnalysisWindow::readPeriod() {
    if (d->Check2->isChecked()) return true;  // the period is not applied
    std::array<std::string, 2> dates;
    for (size_t bound = 0; bound < 2; ++bound) {
        auto box = [&](size_t k) { return d->period[bound * 3 + k]; };
        const std::string y = ss(box(0)->currentText()), m = ss(box(1)->currentText()), dd = ss(box(2)->currentText());
        const auto date = typedDate(y, m, dd);
        if (!date) {
            inputRefusal(this, qs(notADateMessage(bound == 0 ? "開始" : "終了", periodText(y, m, dd))),
                         QStringLiteral("入力ｴﾗｰ発生"));
            box(0)->setFocus(Qt::OtherFocusReason);
            return false;
        }
        dates[bound] = *date;
    }
    // The boxes show the dates read, padded: "2003/05/01".
    for (size_t bound = 0; bound < 2; ++bound) {
        const QString date = qs(dates[bound]);
        d->period[bound * 3]->setEditText(date.mid(0, 4));
        d->period[bound * 3 + 1]->setEditText(date.mid(5, 2));
        d->period[bound * 3 + 2]->setEditText(date.mid(8, 2));
    }
    return true;
}

void AnalysisWindow::loadRecords() {
    d->mfgDat1->hide();
    auto matched = std::make_shared<MatchedRecords>(tama::loadRecords(d->ctx.programFolder(), criteria()));
    d->lblDbno->setText(qs(countLabelText(matched->n(), matched->totalLines)));
    if (!matched->skippedFiles.empty()) {
        // One short report per search; the message line keeps naming what was left out.
        QStringList files;
        for (const auto& f : matched->skippedFiles) files << qs(f);
        d->ctx.statusMessage(QStringLiteral("データ分析: 読めないファイルを除いて検索しました: ") +
                             files.join(QStringLiteral(" / ")));
        ErrorReport(this, kFileErrorNumber, files.join(QLatin1Char('\n')), false);
    }
    d->matched = std::move(matched);
}

void AnalysisWindow::showTable() {
    const int tab = std::clamp(d->stb1->currentIndex(), 0, kAnalysisTabCount - 1);
    d->model->setTable(buildTable(d->matched, static_cast<AnalysisTab>(tab)));
    const AnalysisTable& table = d->model->table();
    const auto& columns = table.columns();
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
        const int twips = columns[static_cast<size_t>(c)].widthTwips;
        int px = twipsToPixelsX(twips);
        // The table's width is the least: a column of figures widens to its widest
        // figure and the grid scrolls; a column of names cuts them with "…".
        if (columns[static_cast<size_t>(c)].cellAlign != CellAlign::Left)
            px = fittedColumnWidth(d->mfgDat1, c, px, table.rowCount(), [&](int r) { return table.text(r, c); });
        d->mfgDat1->setColumnWidth(c, px);
        if (c < kKeptColumns) {
            d->colTwips[static_cast<size_t>(c)] = twips;
            d->colPixels[static_cast<size_t>(c)] = px;
        }
    }
    d->mfgDat1->scrollToTop();
    d->mfgDat1->show();
    emit tableShown();
}

void AnalysisWindow::tabChosen(int) { showTable(); }

void AnalysisWindow::mfgDat1_HeadingClick(int column) {
    // A heading click selects rows 1 to the last: with one row or none there is
    // nothing to sort and the direction flag stays.
    if (d->model->rowCount() < 2) return;
    d->model->headingClick(column, d->headerSortDescending);
}

void AnalysisWindow::periodToggled() {
    const bool enable = !d->period[0]->isEnabled();
    for (QComboBox* c : d->period) c->setEnabled(enable);
}

void AnalysisWindow::typeChanged() {
    const QString type = d->cboK_type->currentText();
    if (d->cboK_type->findText(type, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0 || type == d->lastType) return;
    loadMachines();
    d->lastType = type;
}

void AnalysisWindow::loadMachines() {
    const QString kept = d->cboKisyu->currentText();
    const std::string user = ss(d->cboUser->currentText());
    const std::string type = ss(d->cboK_type->currentText());
    QStringList names{qs(kAllMachines)};
    try {
        for (const MachineEntry& m : d->ctx.lists().loadMachines(user))
            if (type == kAllTypes || m.type == type) names << qs(m.name);
    } catch (const std::exception& e) {
        ErrorReport(this, kFileErrorNumber, qs(e.what()), false);
    }
    fillCombo(d->cboKisyu, names);
    d->cboKisyu->setEditText(kept);
}

// ------------------------------------------------------------------ layout

void AnalysisWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    QWidget* target = d->layout->target();
    const bool normal = !(target->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
    if (normal && d->layout->isRestored() && !d->snapping &&
        (pixelsToTwipsX(target->width()) < kDefaultWidth - 1 || pixelsToTwipsY(target->height()) < kLeastHeight - 1)) {
        // Too small to show the selectors: back to the design size (after this event).
        d->snapping = true;
        QTimer::singleShot(0, this, [this] {
            d->layout->target()->resize(twipsToPixelsX(kDefaultWidth), twipsToPixelsY(kDefaultHeight));
            d->snapping = false;
        });
    }
    placeControls();
}

void AnalysisWindow::placeControls() {
    const double W = pixelsToTwipsX(width()), H = pixelsToTwipsY(height());
    const auto place = placeInTwips;
    // Selectors: four rows on the left, the buttons at the right edge.
    place(d->Label6, 120, 180, 960, 300);
    place(d->cboUser, 1080, 120, 2400, 360);
    place(d->Label2, 120, 600, 960, 300);
    // The year boxes hold a four-digit year whole at any scale.
    const double periodLeft[6] = {1080, 2000, 2720, 3700, 4620, 5340};
    const double periodWidth[6] = {880, 680, 680, 880, 680, 680};
    for (size_t i = 0; i < 6; ++i) place(d->period[i], periodLeft[i], 540, periodWidth[i], 360);
    place(d->Check2, 6160, 560, 1800, 320);
    place(d->Label7, 120, 1020, 960, 300);
    place(d->cboHoll, 1080, 960, 3000, 360);
    place(d->Label11, 4300, 1020, 800, 300);
    place(d->cboNo, 5120, 960, 1500, 360);
    place(d->Label9, 120, 1440, 960, 300);
    place(d->cboK_type, 1080, 1380, 1800, 360);
    place(d->Label8, 3100, 1440, 700, 300);
    place(d->cboKisyu, 3820, 1380, 3600, 360);
    // The comment box in the room left of the buttons, within the least width.
    place(d->Label12, 7560, 1440, 560, 300);
    place(d->txtCome, 8120, 1380, 1600, 360);
    const double buttonLeft = W - 1320;
    place(d->cmdKen, buttonLeft, 360, 1095, 400);
    place(d->cmdExcel, buttonLeft, 1080, 1095, 400);
    place(d->cmdCancel, buttonLeft, 1560, 1095, 400);
    // The tab strip and the grid fill what is left; the count label stays at the bottom.
    const double tabTop = 1900;
    place(d->stb1, 240, tabTop, W - 495, H - 2380);
    const double tabBar = pixelsToTwipsY(d->stb1->tabBar()->sizeHint().height());
    place(d->mfgDat1, 240 + 28, tabTop + tabBar + 60, W - 550, H - 2740 - std::max(0.0, tabBar - 300));
    place(d->lblDbno, 240, H - 440, W - 495, 300);
}

void AnalysisWindow::showEvent(QShowEvent* event) {
    if (!d->layout->isRestored()) d->layout->restore(kSection, kKeyPrefix, {0, 0, kDefaultWidth, kDefaultHeight});
    QWidget::showEvent(event);
}

void AnalysisWindow::closeEvent(QCloseEvent* event) {
    saveLayout();
    QWidget::closeEvent(event);
}

void AnalysisWindow::saveLayout() {
    if (d->layout->isRestored()) d->layout->save(kSection, kKeyPrefix);
    for (int c = 0; c < kKeptColumns; ++c) {
        const size_t k = static_cast<size_t>(c);
        const int px = d->mfgDat1->columnWidth(c);
        const int tw = px == d->colPixels[k] ? d->colTwips[k] : static_cast<int>(std::lround(pixelsToTwipsX(px)));
        d->ctx.writeSetting(kSection, QStringLiteral("mfgDat1.ColWidth(%1)").arg(c), QString::number(tw));
    }
}

}  // namespace tama::ui
