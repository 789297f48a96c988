#include "calendar_window.h"

#include <QAbstractTableModel>
#include <QCloseEvent>
#include <QDate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include "monthly/month_summary.h"
#include "monthly/monthly_window.h"
#include "shared/number_format.h"
#include "ui/app_context.h"
#include "ui/grid_look.h"
#include "ui/window_layout.h"
#include "ui/named.h"

namespace tama::ui {

namespace {

const QString kSection = QStringLiteral("calendar");
const QString kKeyPrefix = QStringLiteral("frmCalendar.");

// Cell tints by the sign of the day's balance, and the marks of the grid.
const QColor kWinTint(214, 228, 255);
const QColor kLossTint(255, 218, 218);
const QColor kEvenTint(236, 236, 228);
const QColor kOutside(244, 244, 244);
const QColor kSunday(220, 0, 0);
const QColor kSaturday(0, 60, 220);
const QColor kTodayMark(255, 140, 0);

enum Role { BalanceRole = Qt::UserRole + 1, TodayRole, DayRole };

// The weeks of a MonthCalendar as rows of seven cells.
class CalendarModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setCalendar(const MonthCalendar& cal, int todayDay) {
        beginResetModel();
        cal_ = cal;
        today_ = todayDay;
        endResetModel();
    }
    const MonthCalendar& calendar() const { return cal_; }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(cal_.weeks.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 7; }

    const CalendarCell* cellAt(const QModelIndex& index) const {
        if (!index.isValid() || index.row() >= rowCount() || index.column() >= 7) return nullptr;
        return &cal_.weeks[static_cast<size_t>(index.row())][static_cast<size_t>(index.column())];
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        const CalendarCell* c = cellAt(index);
        // Days outside the month cannot be chosen: the arrow keys pass over them.
        return c && c->day > 0 ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        const CalendarCell* c = cellAt(index);
        if (!c || c->day == 0) return role == Qt::BackgroundRole ? QVariant(QBrush(kOutside)) : QVariant();
        const QString balance = c->visited() ? qs(formatGrouped(static_cast<double>(c->balance))) : QString();
        switch (role) {
            case Qt::DisplayRole: return QString::number(c->day);
            case DayRole: return c->day;
            case BalanceRole: return balance;
            case TodayRole: return c->day == today_;
            case Qt::ToolTipRole:
                return c->visited() ? QStringLiteral("%1月%2日  収支 %3 円 (%4 件)")
                                          .arg(cal_.month)
                                          .arg(c->day)
                                          .arg(balance)
                                          .arg(c->records)
                                    : QVariant();
            case Qt::BackgroundRole:
                if (!c->visited()) return QBrush(Qt::white);
                return QBrush(c->balance > 0 ? kWinTint : c->balance < 0 ? kLossTint : kEvenTint);
            case Qt::ForegroundRole:
                return QBrush(index.column() == 0 ? kSunday : index.column() == 6 ? kSaturday : QColor(Qt::black));
            default: return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || section < 0 || section >= 7) return {};
        switch (role) {
            case Qt::DisplayRole: return qs(kWeekdayNames[static_cast<size_t>(section)]);
            case Qt::ForegroundRole:
                return QBrush(section == 0 ? kSunday : section == 6 ? kSaturday : QColor(Qt::black));
            case Qt::TextAlignmentRole: return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
            default: return {};
        }
    }

private:
    MonthCalendar cal_;
    int today_ = 0;
};

// Day number at the top left in its weekday's colour, balance at the bottom
// right (red when negative), today framed, the chosen day framed in the
// selection colour so that its tint stays visible.
class DayDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        p->save();
        const QRect r = option.rect;
        p->fillRect(r, index.data(Qt::BackgroundRole).value<QBrush>());
        if (index.data(DayRole).toInt() > 0) {
            // The chosen day's frame lies inside today's, so that both show on the same day.
            if (option.state & QStyle::State_Selected) {
                p->setPen(QPen(option.palette.color(QPalette::Highlight), 2));
                p->drawRect(r.adjusted(4, 4, -5, -5));
            }
            QFont font = option.font;
            const bool today = index.data(TodayRole).toBool();
            font.setBold(today);
            p->setFont(font);
            p->setPen(index.data(Qt::ForegroundRole).value<QBrush>().color());
            const QRect inner = r.adjusted(7, 5, -7, -5);
            p->drawText(inner, Qt::AlignLeft | Qt::AlignTop, index.data(Qt::DisplayRole).toString());
            const QString balance = index.data(BalanceRole).toString();
            if (!balance.isEmpty()) {
                font.setBold(true);
                p->setFont(font);
                p->setPen(balance.startsWith(QLatin1Char('-')) ? QColor(255, 0, 0) : QColor(Qt::black));
                p->drawText(inner, Qt::AlignRight | Qt::AlignBottom, balance);
            }
            if (today) {
                p->setPen(QPen(kTodayMark, 2));
                p->drawRect(r.adjusted(1, 1, -2, -2));
            }
        }
        p->restore();
    }
};

QLabel* valueLabel(const char* name, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setAutoFillBackground(true);
    l->setMinimumWidth(90);
    QPalette p = l->palette();
    p.setColor(QPalette::Window, Qt::white);
    l->setPalette(p);
    return l;
}

}  // namespace

struct CalendarWindow::Impl {
    Impl(AppContext& c, MonthlyWindow& m, QWidget* window) : ctx(c), monthly(&m), layout(new WindowLayout(c, window)) {}

    AppContext& ctx;
    QPointer<MonthlyWindow> monthly;
    WindowLayout* layout;
    CalendarModel* model = nullptr;
    QTableView* grid = nullptr;
    QLabel* lblCaption = nullptr;
    QPushButton* cmdPrev = nullptr;
    QPushButton* cmdNext = nullptr;
    QLabel* lblSyusi = nullptr;
    QLabel* lblWin = nullptr;
    QLabel* lblZikyu = nullptr;
    QLabel* lblLoadProblem = nullptr;
    bool refreshing = false;  // the grid's own current-cell changes are not clicks
};

CalendarWindow::CalendarWindow(AppContext& ctx, MonthlyWindow& monthly, QWidget* parent)
    : QWidget(parent), d(new Impl(ctx, monthly, this)) {
    setObjectName(QStringLiteral("frmCalendar"));
    setWindowTitle(QStringLiteral("カレンダー"));
    setChildWindowLook(this, ctx);

    d->cmdPrev = named(new QPushButton(QStringLiteral("＜ 前月"), this), "cmdPrev");
    d->cmdNext = named(new QPushButton(QStringLiteral("次月 ＞"), this), "cmdNext");
    for (QPushButton* b : {d->cmdPrev, d->cmdNext}) b->setFocusPolicy(Qt::NoFocus);
    d->lblCaption = named(new QLabel(this), "lblCaption");
    d->lblCaption->setAlignment(Qt::AlignCenter);
    {
        QFont f = d->lblCaption->font();
        f.setPointSize(f.pointSize() + 3);
        f.setBold(true);
        d->lblCaption->setFont(f);
    }
    d->lblSyusi = valueLabel("lblSyusi", this);
    d->lblWin = valueLabel("lblWin", this);
    d->lblZikyu = valueLabel("lblZikyu", this);

    d->model = new CalendarModel(this);
    d->grid = named(new QTableView(this), "mfgCal");
    d->grid->setModel(d->model);
    d->grid->setItemDelegate(new DayDelegate(d->grid));
    d->grid->setSelectionMode(QAbstractItemView::SingleSelection);
    d->grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    d->grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    d->grid->verticalHeader()->hide();
    d->grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    d->grid->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    d->grid->horizontalHeader()->setHighlightSections(false);
    d->grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    d->grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    d->grid->installEventFilter(this);

    d->lblLoadProblem = newLoadProblemLabel(this, Qt::AlignLeft | Qt::AlignTop);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    auto* top = new QHBoxLayout;
    top->addWidget(d->cmdPrev);
    top->addWidget(d->lblCaption, 1);
    top->addWidget(d->cmdNext);
    outer->addLayout(top);
    auto* figures = new QHBoxLayout;
    const std::pair<const char*, QLabel*> pairs[] = {
        {"収支", d->lblSyusi}, {"勝数/日数", d->lblWin}, {"時給", d->lblZikyu}};
    for (const auto& [caption, label] : pairs) {
        figures->addWidget(new QLabel(QString::fromUtf8(caption), this));
        figures->addWidget(label, 1);
    }
    outer->addLayout(figures);
    outer->addWidget(d->grid, 1);
    outer->addWidget(d->lblLoadProblem, 1);

    connect(d->cmdPrev, &QPushButton::clicked, this, [this] { stepMonth(-1); });
    connect(d->cmdNext, &QPushButton::clicked, this, [this] { stepMonth(+1); });
    connect(d->grid, &QTableView::clicked, this, [this](const QModelIndex& i) { dayActivated(i, false); });
    connect(d->grid, &QTableView::doubleClicked, this, [this](const QModelIndex& i) { dayActivated(i, true); });
    connect(d->grid->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& i) {
        if (!d->refreshing) dayActivated(i, false);
    });
    connect(&monthly, &MonthlyWindow::reloaded, this, &CalendarWindow::refresh);
    connect(&ctx, &AppContext::recordsChanged, this, &CalendarWindow::refresh);
    connect(&ctx, &AppContext::optionsChanged, this, [this] {
        QPalette p = palette();
        p.setColor(QPalette::Window, d->ctx.overallColour());
        setPalette(p);
    });
    // Without its monthly window the calendar has nothing to show: it closes with it.
    connect(&monthly, &QObject::destroyed, this, [this] {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) sub->close();
        else close();
    });
    refresh();
}

CalendarWindow::~CalendarWindow() = default;

const MonthCalendar& CalendarWindow::calendar() const { return d->model->calendar(); }
QTableView* CalendarWindow::grid() const { return d->grid; }

QModelIndex CalendarWindow::indexOfDay(int day) const {
    const MonthCalendar& cal = calendar();
    for (size_t w = 0; w < cal.weeks.size(); ++w)
        for (size_t k = 0; k < 7; ++k)
            if (day > 0 && cal.weeks[w][k].day == day) return d->model->index(static_cast<int>(w), static_cast<int>(k));
    return {};
}

void CalendarWindow::refresh() {
    MonthlyWindow* m = d->monthly;
    if (!m) return;
    // The month the monthly window's list and summary show, as loaded.
    const YearRecordList& list = m->yearRecordList();
    const MonthSummary& summary = m->monthSummary();
    const auto shown = readYearMonth(list.year, summary.month);
    const QModelIndex current = d->grid->currentIndex();
    const int keepDay = current.isValid() ? current.data(DayRole).toInt() : 0;

    d->refreshing = true;
    MonthCalendar cal;
    if (shown) cal = buildMonthCalendar(shown->year, shown->month, list.records);
    const QDate today = QDate::currentDate();
    const bool thisMonth = shown && shown->year == today.year() && shown->month == today.month();
    d->model->setCalendar(cal, thisMonth ? today.day() : 0);
    d->lblCaption->setText(shown ? qs(calendarCaption(shown->year, shown->month)) : QStringLiteral("－"));
    setWindowTitle(shown ? QStringLiteral("カレンダー  (%1)").arg(d->lblCaption->text())
                         : QStringLiteral("カレンダー"));

    // The figures of the monthly summary; empty for a month without records.
    const bool any = summary.MonthCount > 0;
    d->lblSyusi->setText(any ? qs(summary.label("lblSyusi").text) : QString());
    d->lblWin->setText(any ? QStringLiteral("%1 / %2 日 ").arg(summary.wins).arg(summary.days) : QString());
    d->lblZikyu->setText(any ? qs(summary.label("lblH_zikyu").text) : QString());
    for (auto [label, name] : {std::pair{d->lblSyusi, "lblSyusi"}, std::pair{d->lblZikyu, "lblH_zikyu"}}) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, any ? toQColor(summary.label(name).colour) : QColor(Qt::black));
        label->setPalette(p);
    }

    // A year that cannot be read: the monthly window's notice instead of an empty month.
    const QString problem = m->loadProblem();
    d->lblLoadProblem->setText(problem);
    d->lblLoadProblem->setVisible(!problem.isEmpty());
    d->grid->setVisible(problem.isEmpty());

    // The day chosen before stays chosen; otherwise today, or the 1st.
    const int days = shown ? daysInMonth(shown->year, shown->month) : 0;
    const int day = keepDay > 0 ? std::min(keepDay, days) : thisMonth ? today.day() : 1;
    d->grid->setCurrentIndex(indexOfDay(day));
    d->refreshing = false;
}

void CalendarWindow::stepMonth(int delta) {
    MonthlyWindow* m = d->monthly;
    if (!m) return;
    std::string year = ss(m->txtNen()->text());
    std::string month = ss(m->txtTuki()->text());
    if (delta == 12 || delta == -12) year = stepYearText(year, delta / 12);
    else stepMonthText(year, month, delta);
    m->setYearMonth(qs(year), qs(month));
}

void CalendarWindow::dayActivated(const QModelIndex& index, bool open) {
    MonthlyWindow* m = d->monthly;
    const CalendarCell* cell = d->model->cellAt(index);
    if (!m || !cell || cell->day == 0) return;
    if (open) {
        const MonthCalendar& cal = calendar();
        m->newEntryOn(QDate(cal.year, cal.month, cell->day));
    } else if (cell->visited()) {
        m->selectDay(cell->day);
    }
}

bool CalendarWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == d->grid && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool ctrl = key->modifiers() & Qt::ControlModifier;
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter: dayActivated(d->grid->currentIndex(), true); return true;
            case Qt::Key_PageUp: stepMonth(ctrl ? -12 : -1); return true;
            case Qt::Key_PageDown: stepMonth(ctrl ? 12 : 1); return true;
            default: break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CalendarWindow::showEvent(QShowEvent* event) {
    if (!d->layout->isRestored()) {
        // Missing keys: the right half of the frame, as tall as the monthly window.
        const double w = d->ctx.frameInnerWidth(), h = d->ctx.frameInnerHeight();
        d->layout->restore(kSection, kKeyPrefix, {w / 2, 0, w / 2, h - 350});
    }
    QWidget::showEvent(event);
}

void CalendarWindow::closeEvent(QCloseEvent* event) {
    saveLayout();
    QWidget::closeEvent(event);
}

void CalendarWindow::saveLayout() { d->layout->save(kSection, kKeyPrefix); }

}  // namespace tama::ui
