// TfTodo: the to-do list window, its toolbar modes, its sort orders, search and filter, the
// stamps of ticking off and entering tasks, and its handlers.
#include "UTodo.h"

#include "DBGrid.h"
#include "DateTime.h"
#include "FilterDialog.h"
#include "FormatSettings.h"
#include "KVDM.h"
#include "Services.h"
#include "TableStateLabel.h"
#include "TimeLogReport.h"
#include "TodoOrders.h"
#include "TodoReport.h"
#include "TodoWidgets.h"
#include "UQuickTodo.h"
#include "UToDoTask.h"
#include "UqrToDoList.h"

#include "StoreBatch.h"
#include "WindowLook.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

TfTodo *fTodo = nullptr;

namespace {

const QColor kNavy(0, 0, 128);
const QColor kGreen(0, 128, 0);

const QString kDeleteText = QStringLiteral("Kestrova: Delete this record?");
const QString kDeleteAllText = QStringLiteral(
    "Kestrova: This will delete all records\r\nin the current To Do List view.\r\nAre you sure?");

QLabel *smallLabel(QWidget *parent, const QString &text, const char *name = nullptr,
                   const QColor &color = QColor())
{
    auto *l = new QLabel(text, parent);
    if (name)
        l->setObjectName(QString::fromLatin1(name));
    QFont small = l->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    l->setFont(small);
    if (color.isValid()) {
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, color);
        l->setPalette(p);
    }
    return l;
}

bool isEditing(const StoreTable &t)
{
    return t.state() == StoreTable::State::Edit || t.state() == StoreTable::State::Insert;
}

/// Restores the normal cursor when the work under the hourglass ends, also by an exception.
struct HourglassCursor
{
    HourglassCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~HourglassCursor() { QApplication::restoreOverrideCursor(); }
    HourglassCursor(const HourglassCursor &) = delete;
    HourglassCursor &operator=(const HourglassCursor &) = delete;
};

} // namespace

TfTodo::TfTodo(TDMKV &dm, TfToDoTask *task, TfqrToDoList *report, QWidget *parent)
    : QDialog(parent), m_dm(dm), m_task(task), m_reports(std::make_unique<TodoReports>(dm, report))
{
    setObjectName(QStringLiteral("fTodo"));
    setWindowTitle(tr("Kestrova ToDo List"));
    look::setBorder(this, look::Border::FixedCloseBox);
    setFixedSize(kClientWidth, kClientHeight);
    setProperty("helpContext", kHelpContext);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    auto *search = new QWidget(this);
    buildSearchLine(search);
    buildGrid();
    auto *record = new QWidget(this);
    buildRecordLine(record);
    auto *tools = new QWidget(this);
    buildToolbar(tools);
    StatusBar1 = new TableStateLabel(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setTable(m_dm.TBTodo);
    layout->addWidget(search);
    layout->addWidget(grTodo, 1);
    layout->addWidget(record);
    layout->addWidget(tools);
    layout->addWidget(StatusBar1);

    fdtodo = new FilterDialog(this);
    fdtodo->setObjectName(QStringLiteral("fdtodo"));
    // The filter dialog has no caption of its own.
    fdtodo->setWindowTitle(QString());
    fdtodo->setTable(m_dm.TBTodo, {QStringLiteral("Done"), QStringLiteral("PriMajor"),
                                   QStringLiteral("PriMinor"), QStringLiteral("Task"),
                                   QStringLiteral("TimeIn"), QStringLiteral("DateIn"),
                                   QStringLiteral("TimeDone"), QStringLiteral("DateDone")});

    auto *f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this,
            [] { runAction([] { Services::instance().help().showContext(kHelpContext); }); });

    StoreTable *todo = m_dm.TBTodo;
    connect(todo, &StoreTable::stateChanged, this, [this] {
        // Typing into a cell starts the edit before a field is written: that too is a change
        // of the pending task.
        if (isEditing(*m_dm.TBTodo))
            NavDisable();
        showStamps();
    });
    connect(todo, &StoreTable::fieldChanged, this, &TfTodo::grTodoFieldChanged);
    connect(todo, &StoreTable::recordChanged, this, &TfTodo::showStamps);
    connect(todo, &StoreTable::dataChanged, this, &TfTodo::showStamps);
    m_dm.todoBrowseHook = [this] { NavEnable(); };

    lFiltered->hide();
    UnCheckMenu();
    const int start = std::max(0, todoOrderOfIndex(todo->indexName()));
    sortItems[start]->setChecked(true);
    lOrder->setText(todoOrders()[size_t(start)].caption);
    showStamps();
    NavEnable();
}

TfTodo::~TfTodo()
{
    m_dm.todoBrowseHook = nullptr;
    if (fTodo == this)
        fTodo = nullptr;
}

void TfTodo::setTaskEditor(TfToDoTask *task)
{
    m_task = task;
}

void TfTodo::setReport(TfqrToDoList *report)
{
    m_reports = std::make_unique<TodoReports>(m_dm, report);
}

// ---- building ----

void TfTodo::buildSearchLine(QWidget *area)
{
    auto *row = new QHBoxLayout(area);
    row->setContentsMargins(4, 2, 4, 0);
    row->setSpacing(3);
    row->addWidget(smallLabel(area, tr("Task Search")));
    eTaskSearch = new QLineEdit(area);
    eTaskSearch->setObjectName(QStringLiteral("eTaskSearch"));
    eTaskSearch->setAccessibleName(tr("Task Search"));
    eTaskSearch->setMaxLength(kMaxSearchLength);
    row->addWidget(eTaskSearch, 1);
    tbbSearch = look::toolButton(area, "tbbSearch", tr("Task Search"), ToolIcon::Search);
    connect(tbbSearch, &QToolButton::clicked, this, &TfTodo::tbbSearchClick);
    // Enter in the search box searches as the button does.
    connect(eTaskSearch, &QLineEdit::returnPressed, this, [this] {
        if (tbbSearch->isEnabled())
            tbbSearchClick();
    });
    row->addWidget(tbbSearch);
    row->addSpacing(8);
    row->addWidget(smallLabel(area, tr("Ordered by:")));
    lOrder = smallLabel(area, QString(), "lOrder", kNavy);
    lOrder->setMinimumWidth(lOrder->fontMetrics().horizontalAdvance(todoOrders()[0].caption));
    row->addWidget(lOrder);
}

void TfTodo::buildGrid()
{
    grTodo = new DBGrid(this);
    grTodo->setObjectName(QStringLiteral("grTodo"));
    grTodo->setAccessibleName(tr("ToDo List"));
    grTodo->fitToWidth = true;
    grTodo->setWordWrap(false);
    grTodo->horizontalHeader()->setSectionsClickable(false);
    QFont bold = grTodo->horizontalHeader()->font();
    bold.setBold(true);
    grTodo->horizontalHeader()->setFont(bold);
    grTodo->setColumnEditor(QStringLiteral("PriMajor"), [](QWidget *parent) -> QWidget * {
        auto *combo = new PriorityCombo(
            {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}, false, parent);
        combo->setObjectName(QStringLiteral("dbcbMajorPri"));
        return combo;
    });
    grTodo->setColumnEditor(QStringLiteral("PriMinor"), [](QWidget *parent) -> QWidget * {
        auto *combo = new PriorityCombo(
            {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}, true, parent);
        combo->setObjectName(QStringLiteral("dbcbMinorPri"));
        return combo;
    });
    grTodo->setDataSource(m_dm.DSTodo);
    grTodo->setColumns({QStringLiteral("Done"), QStringLiteral("PriMajor"),
                        QStringLiteral("PriMinor"), QStringLiteral("DueDate"),
                        QStringLiteral("Task")});
    connect(grTodo, &DBGrid::dblClick, this, &TfTodo::grTodoDblClick);
}

void TfTodo::buildRecordLine(QWidget *area)
{
    auto *row = new QHBoxLayout(area);
    row->setContentsMargins(4, 0, 4, 0);
    row->setSpacing(3);
    row->addWidget(smallLabel(area, tr("Added:"), nullptr, kNavy));
    row->addWidget(dbtDateIn = smallLabel(area, QString(), "dbtDateIn", kNavy));
    row->addWidget(smallLabel(area, QStringLiteral("@"), nullptr, kNavy));
    row->addWidget(dbtTimeIn = smallLabel(area, QString(), "dbtTimeIn", kNavy));
    row->addSpacing(12);
    row->addWidget(smallLabel(area, tr("Completed:"), nullptr, kNavy));
    row->addWidget(dbtDateDone = smallLabel(area, QString(), "dbtDateDone", kNavy));
    row->addWidget(smallLabel(area, QStringLiteral("@"), nullptr, kNavy));
    row->addWidget(dbtTimeDone = smallLabel(area, QString(), "dbtTimeDone", kNavy));
    row->addStretch();
    lFiltered = new QLabel(tr("Filtered"), area);
    lFiltered->setObjectName(QStringLiteral("lFiltered"));
    QFont bold = lFiltered->font();
    bold.setBold(true);
    lFiltered->setFont(bold);
    QPalette green = lFiltered->palette();
    green.setColor(QPalette::WindowText, kGreen);
    lFiltered->setPalette(green);
    row->addWidget(lFiltered);
}

void TfTodo::buildToolbar(QWidget *area)
{
    area->setObjectName(QStringLiteral("pToolbar"));
    auto *row = new QHBoxLayout(area);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(0);
    auto add = [&](QToolButton *b, void (TfTodo::*handler)()) {
        row->addWidget(b);
        if (handler)
            connect(b, &QToolButton::clicked, this, handler);
        return b;
    };
    auto gap = [&] { row->addSpacing(6); };
    tbbAdd = add(look::toolButton(area, "tbbAdd", tr("New"), ToolIcon::New), &TfTodo::tbbAddClick);
    tbbEdit =
        add(look::toolButton(area, "tbbEdit", tr("Edit"), ToolIcon::Edit), &TfTodo::tbbEditClick);
    tbbDelete = add(look::toolButton(area, "tbbDelete", tr("Delete"), ToolIcon::Delete),
                    &TfTodo::tbbDeleteClick);
    tbbDelAll = add(look::toolButton(area, "tbbDelAll", tr("Delete All in Current View"),
                                     ToolIcon::DeleteAll, tr("All")),
                    &TfTodo::tbbDelAllClick);
    QFont bold = tbbDelAll->font();
    bold.setBold(true);
    tbbDelAll->setFont(bold);
    gap();
    tbbPost = add(look::toolButton(area, "tbbPost", tr("Accept"), ToolIcon::Accept),
                  &TfTodo::tbbPostClick);
    tbbCancel = add(look::toolButton(area, "tbbCancel", tr("Cancel"), ToolIcon::Reject),
                    &TfTodo::tbbCancelClick);
    gap();
    tbbSort = add(look::toolButton(area, "tbbSort", tr("Sort Options"), ToolIcon::Sort), nullptr);
    pmSortOpt = new QMenu(tbbSort);
    pmSortOpt->setObjectName(QStringLiteral("pmSortOpt"));
    void (TfTodo::*sortHandlers[])() = {&TfTodo::DueDateInDateTime1Click,
                                        &TfTodo::PriorityInDateTime1Click,
                                        &TfTodo::PriorityDoneDateTime1Click,
                                        &TfTodo::InDateTime1Click,
                                        &TfTodo::DoneInDateTime1Click,
                                        &TfTodo::DoneDoneDateTime1Click,
                                        &TfTodo::TaskClick};
    for (size_t i = 0; i < todoOrders().size(); ++i) {
        QAction *item = pmSortOpt->addAction(todoOrders()[i].caption);
        item->setObjectName(todoOrders()[i].menuItem);
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, sortHandlers[i]);
        sortItems.append(item);
    }
    tbbSort->setMenu(pmSortOpt);
    tbbSort->setPopupMode(QToolButton::InstantPopup);
    gap();
    sbFilter = add(look::toolButton(area, "sbFilter", tr("ToDo List Filter"), ToolIcon::Filter),
                   &TfTodo::sbFilterClick);
    tbbClearFilter =
        add(look::toolButton(area, "tbbClearFilter", tr("Stop"), ToolIcon::ClearFilter),
            &TfTodo::tbbClearFilterClick);
    gap();
    sbPrnSetup =
        add(look::toolButton(area, "sbPrnSetup", tr("Printer Setup"), ToolIcon::PrinterSetup),
            &TfTodo::sbPrnSetupClick);
    sbPrint =
        add(look::toolButton(area, "sbPrint", tr("Print"), ToolIcon::Print), &TfTodo::sbPrintClick);
    gap();
    tbbShowTask = add(
        look::toolButton(area, "tbbShowTask", tr("Multi-line Task Display/Edit"), ToolIcon::Task),
        &TfTodo::tbbShowTaskClick);
    row->addStretch();
    tbbExit = look::toolButton(area, "tbbExit", tr("Exit"), ToolIcon::Exit, tr("Exit"));
    row->addWidget(tbbExit);
    connect(tbbExit, &QToolButton::clicked, this, [this] { close(); });
}

void TfTodo::fitDueDateColumn()
{
    // Shrunk to the window's width, ten characters may not hold a date in the short format
    // ("28 Sep 2026"): the due date takes what it needs from the task column.
    DBGridModel *model = grTodo->gridModel();
    const int due = model->columnOf(QStringLiteral("DueDate"));
    const int task = model->columnOf(QStringLiteral("Task"));
    if (due < 0 || task < 0)
        return;
    const QString widest = FormatSettings::instance().formatDate(dt::fromDate(QDate(2026, 9, 28)));
    constexpr int kPadding = 12;
    const int needed = grTodo->fontMetrics().horizontalAdvance(widest) + kPadding;
    const int missing = needed - grTodo->columnWidth(due);
    if (missing <= 0)
        return;
    grTodo->setColumnWidth(due, needed);
    grTodo->setColumnWidth(task, std::max(needed, grTodo->columnWidth(task) - missing));
}

// ---- modes and the record line ----

void TfTodo::setBrowseMode(bool browse)
{
    for (QToolButton *b : {tbbAdd, tbbEdit, tbbDelete, tbbDelAll, tbbSort, sbFilter, tbbClearFilter,
                           sbPrnSetup, sbPrint, tbbSearch})
        b->setEnabled(browse);
    tbbPost->setEnabled(!browse);
    tbbCancel->setEnabled(!browse);
    tbbShowTask->setEnabled(true);
}

void TfTodo::NavEnable()
{
    setBrowseMode(true);
}

void TfTodo::NavDisable()
{
    setBrowseMode(false);
}

void TfTodo::showStamps()
{
    const StoreTable &t = *m_dm.TBTodo;
    const bool any = t.isActive() && !t.isEmpty();
    auto text = [any](const Field *f) { return any && !f->isNull() ? f->asString() : QString(); };
    dbtDateIn->setText(text(m_dm.TBTodoDateIn));
    dbtTimeIn->setText(text(m_dm.TBTodoTimeIn));
    dbtDateDone->setText(text(m_dm.TBTodoDateDone));
    dbtTimeDone->setText(text(m_dm.TBTodoTimeDone));
}

bool TfTodo::isFiltering() const
{
    return fdtodo->criteriaCount() > 0 || m_searchActive;
}

void TfTodo::showFiltered()
{
    lFiltered->setVisible(isFiltering());
}

// ---- operations ----

void TfTodo::ShowTask()
{
    runAction([&] {
        if (!m_task)
            return;
        grTodo->commitEditor();
        const bool pending = isEditing(*m_dm.TBTodo);
        m_task->tbbPost->setEnabled(pending);
        m_task->tbbCancel->setEnabled(pending);
        m_task->exec();
    });
}

void TfTodo::UnCheckMenu()
{
    for (QAction *item : sortItems)
        item->setChecked(false);
}

void TfTodo::LoadfdToDo(const QString &fieldName, const QString &label, const QString &value)
{
    QList<Criterion> criteria = fdtodo->criteria().criteria();
    criteria.append(taskSearchCriterion(fieldName, label, value));
    fdtodo->setCriteria(criteria);
}

void TfTodo::SetView()
{
    runAction([&] {
        HourglassCursor hourglass;
        grTodo->commitEditor();
        fdtodo->clearCriteria();
        // Applying the criteria without the dialog happens as they are loaded.
        LoadfdToDo(QStringLiteral("Task"), QStringLiteral("Task"), eTaskSearch->text());
        m_searchActive = true;
        showFiltered();
    });
}

// ---- window events ----

void TfTodo::FormShow()
{
    runAction([&] {
        NavEnable();
        if (isEditing(*m_dm.TBTodo))
            NavDisable();
        showStamps();
    });
}

void TfTodo::FormClose()
{
    runAction([&] {
        grTodo->discardEditor();
        if (isEditing(*m_dm.TBTodo))
            m_dm.TBTodo->cancel();
    });
}

void TfTodo::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    if (!m_widthsFitted) {
        // The grid knows its width once the window is laid out.
        m_widthsFitted = true;
        grTodo->applyDisplayWidths();
        fitDueDateColumn();
    }
    FormShow();
}

void TfTodo::closeEvent(QCloseEvent *event)
{
    FormClose();
    QDialog::closeEvent(event);
}

void TfTodo::reject()
{
    // Esc and the title-bar close end here.
    FormClose();
    QDialog::reject();
}

// ---- toolbar ----

void TfTodo::tbbAddClick()
{
    runAction([&] {
        grTodo->commitEditor();
        NavDisable();
        m_dm.TBTodo->insert();
        grTodo->setFocus();
    });
}

void TfTodo::tbbEditClick()
{
    runAction([&] {
        if (m_dm.TBTodo->isEmpty())
            return;
        NavDisable();
        m_dm.TBTodo->edit();
        grTodo->setFocus();
    });
}

void TfTodo::tbbPostClick()
{
    runAction([&] {
        grTodo->commitEditor();
        StoreTable &t = *m_dm.TBTodo;
        if (!isEditing(t)) {
            NavEnable();
            return;
        }
        // Only a new task gets its in-stamps; an edited one keeps those it has.
        if (t.state() == StoreTable::State::Insert) {
            const QDateTime now = Services::instance().clock().now();
            m_dm.TBTodoTimeIn->setAsDateTime(dt::fromTime(now.time()));
            m_dm.TBTodoDateIn->setAsDateTime(dt::fromDate(now.date()));
        }
        // A refused post leaves the task pending and the window in edit mode.
        t.post();
        t.refresh();
        NavEnable();
    });
}

void TfTodo::tbbCancelClick()
{
    runAction([&] {
        grTodo->discardEditor();
        if (isEditing(*m_dm.TBTodo))
            m_dm.TBTodo->cancel();
        NavEnable();
    });
}

void TfTodo::tbbDeleteClick()
{
    runAction([&] {
        StoreTable &t = *m_dm.TBTodo;
        if (t.isEmpty())
            return;
        if (!Services::instance().messages().warnYesNo(kDeleteText))
            return;
        grTodo->discardEditor();
        t.deleteRecord();
    });
}

void TfTodo::tbbDelAllClick()
{
    runAction([&] {
        StoreTable &t = *m_dm.TBTodo;
        if (t.isEmpty())
            return;
        if (!Services::instance().messages().warnYesNo(kDeleteAllText))
            return;
        grTodo->discardEditor();
        deleteAllInView(t); // tasks outside the view stay
    });
}

void TfTodo::tbbSearchClick()
{
    SetView();
}

void TfTodo::tbbShowTaskClick()
{
    ShowTask();
}

void TfTodo::sbFilterClick()
{
    runAction([&] {
        grTodo->commitEditor();
        // Confirmed criteria replace those of a search.
        if (fdtodo->execute())
            m_searchActive = false;
        showFiltered();
    });
}

void TfTodo::tbbClearFilterClick()
{
    runAction([&] {
        if (!isFiltering())
            return;
        eTaskSearch->clear();
        lFiltered->hide();
        m_searchActive = false;
        fdtodo->clearCriteria();
    });
}

void TfTodo::sbPrnSetupClick()
{
    runAction([&] { m_reports->reportPrinter().setup(this); });
}

void TfTodo::sbPrintClick()
{
    runAction([&] {
        grTodo->commitEditor();
        m_reports->print(this);
    });
}

// ---- grid ----

void TfTodo::grTodoFieldChanged(Field *field)
{
    runAction([&] {
        if (!isEditing(*m_dm.TBTodo))
            return;
        NavDisable();
        if (field != m_dm.TBTodoDone)
            return;
        if (m_dm.TBTodoDone->asBoolean()) {
            const QDateTime now = Services::instance().clock().now();
            m_dm.TBTodoTimeDone->setAsDateTime(dt::fromTime(now.time()));
            m_dm.TBTodoDateDone->setAsDateTime(dt::fromDate(now.date()));
        } else {
            m_dm.TBTodoTimeDone->clear();
            m_dm.TBTodoDateDone->clear();
        }
        showStamps();
    });
}

void TfTodo::grTodoDblClick()
{
    runAction([&] {
        const Field *f = grTodo->selectedField();
        if (f && f->fieldName() == QLatin1String("Task"))
            ShowTask();
    });
}

void TfTodo::sortBy(int position)
{
    runAction([&] {
        const TodoOrder &order = todoOrders()[size_t(position)];
        grTodo->commitEditor();
        m_dm.TBTodo->setIndexName(order.index);
        lOrder->setText(order.caption);
        UnCheckMenu();
        sortItems[position]->setChecked(true);
    });
}

void TfTodo::DueDateInDateTime1Click()
{
    sortBy(0);
}

void TfTodo::PriorityInDateTime1Click()
{
    sortBy(1);
}

void TfTodo::PriorityDoneDateTime1Click()
{
    sortBy(2);
}

void TfTodo::InDateTime1Click()
{
    sortBy(3);
}

void TfTodo::DoneInDateTime1Click()
{
    sortBy(4);
}

void TfTodo::DoneDoneDateTime1Click()
{
    sortBy(5);
}

void TfTodo::TaskClick()
{
    sortBy(6);
}

// ---- the run's instances ----

void CreateTodoWindows()
{
    if (!DMKV)
        return;
    fTodo = new TfTodo(*DMKV);
    fToDoTask = new TfToDoTask(DMKV->TBTodo);
    fQuickTodo = new TfQuickTodo(*DMKV);
    fqrToDoList = new TfqrToDoList(DMKV->TBTodo);
    fTodo->setTaskEditor(fToDoTask);
    fTodo->setReport(fqrToDoList);
}

void ShowTodoList()
{
    if (fTodo)
        fTodo->exec();
}

void ShowQuickTodo()
{
    if (fQuickTodo)
        fQuickTodo->exec();
}

void DestroyTodoWindows()
{
    delete fTodo;
    delete fQuickTodo;
    delete fToDoTask;
    delete fqrToDoList;
    fTodo = nullptr;
    fQuickTodo = nullptr;
    fToDoTask = nullptr;
    fqrToDoList = nullptr;
}

} // namespace kv
