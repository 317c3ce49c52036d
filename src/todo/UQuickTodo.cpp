// TfQuickTodo: the quick-add window of the to-do list.
#include "UQuickTodo.h"

#include "DBMemo.h"
#include "DateTime.h"
#include "KVDM.h"
#include "Services.h"
#include "TableStateLabel.h"
#include "TodoWidgets.h"
#include "UToDoTask.h"

#include "WindowLook.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

namespace kv {

TfQuickTodo *fQuickTodo = nullptr;

namespace {

constexpr int kMemoWidth = 218;
constexpr int kMemoHeight = 133;
constexpr int kComboWidth = 34;
constexpr int kListLines = 8;

QLabel *smallLabel(QWidget *parent, const QString &text)
{
    auto *l = new QLabel(text, parent);
    QFont small = l->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    l->setFont(small);
    return l;
}

bool isEditing(const StoreTable &t)
{
    return t.state() == StoreTable::State::Edit || t.state() == StoreTable::State::Insert;
}

} // namespace

TfQuickTodo::TfQuickTodo(TDMKV &dm, QWidget *parent) : QDialog(parent), m_dm(dm)
{
    setObjectName(QStringLiteral("fQuickTodo"));
    setWindowTitle(tr("Kestrova-ToDo QuickAdd"));
    look::setBorder(this, look::Border::Tool);
    setFixedSize(kClientWidth, kClientHeight);
    setProperty("helpContext", kHelpContext);

    dbcbMajorPri = new PriorityCombo(
        {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}, false, this);
    dbcbMajorPri->setObjectName(QStringLiteral("dbcbMajorPri"));
    dbcbMajorPri->setAccessibleName(tr("Major"));
    dbcbMinorPri = new PriorityCombo(
        {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}, true, this);
    dbcbMinorPri->setObjectName(QStringLiteral("dbcbMinorPri"));
    dbcbMinorPri->setAccessibleName(tr("Minor"));
    for (PriorityCombo *c : {dbcbMajorPri, dbcbMinorPri}) {
        c->setMaxVisibleItems(kListLines);
        c->setFixedWidth(kComboWidth + c->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    }

    dtpDueDate = new DBDatePicker(this);
    dtpDueDate->setObjectName(QStringLiteral("dtpDueDate"));
    dtpDueDate->setAccessibleName(tr("Due Date"));
    auto *dateFrame = new QFrame(this);
    dateFrame->setObjectName(QStringLiteral("pDueDate"));
    dateFrame->setFrameStyle(QFrame::Box | QFrame::Plain);
    QPalette black = dateFrame->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    dateFrame->setPalette(black);
    auto *dateBox = new QVBoxLayout(dateFrame);
    dateBox->setContentsMargins(1, 1, 1, 1);
    dateBox->addWidget(dtpDueDate);

    meTask = new DBMemo(this);
    meTask->setObjectName(QStringLiteral("meTask"));
    meTask->setAccessibleName(tr("ToDoTask"));
    meTask->setFixedSize(kMemoWidth, kMemoHeight);
    meTask->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QPalette tip = meTask->palette();
    tip.setColor(QPalette::Base, QToolTip::palette().color(QPalette::ToolTipBase));
    tip.setColor(QPalette::Text, QToolTip::palette().color(QPalette::ToolTipText));
    meTask->setPalette(tip);
    limitMemoLength(meTask, kMaxTaskLength);

    tbbPost = look::toolButton(this, "tbbPost", tr("Accept"), ToolIcon::Accept);
    tbbCancel = look::toolButton(this, "tbbCancel", tr("Reject"), ToolIcon::Reject);
    connect(tbbPost, &QToolButton::clicked, this, &TfQuickTodo::tbbPostClick);
    connect(tbbCancel, &QToolButton::clicked, this, &TfQuickTodo::tbbCancelClick);

    StatusBar1 = new QLabel(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    auto *top = new QGridLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->setHorizontalSpacing(3);
    top->setVerticalSpacing(0);
    top->addWidget(smallLabel(this, tr("Priority")), 0, 0, 1, 2);
    top->addWidget(dbcbMajorPri, 1, 0);
    top->addWidget(dbcbMinorPri, 1, 1);
    top->addWidget(smallLabel(this, tr("Major")), 2, 0);
    top->addWidget(smallLabel(this, tr("Minor")), 2, 1);
    top->addWidget(smallLabel(this, tr("Due Date")), 0, 2);
    top->addWidget(dateFrame, 1, 2);
    top->setColumnStretch(2, 1);

    auto *tools = new QHBoxLayout;
    tools->addWidget(tbbPost);
    tools->addWidget(tbbCancel);
    tools->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 4, 5, 2);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addWidget(meTask);
    layout->addWidget(smallLabel(this, tr("ToDoTask")));
    layout->addLayout(tools);
    layout->addWidget(StatusBar1);

    runAction([&] {
        dbcbMajorPri->setDataSource(m_dm.DSTodo, QStringLiteral("PriMajor"));
        dbcbMinorPri->setDataSource(m_dm.DSTodo, QStringLiteral("PriMinor"));
        dtpDueDate->setDataSource(m_dm.DSTodo, QStringLiteral("DueDate"));
        meTask->setDataSource(m_dm.DSTodo, QStringLiteral("Task"));
    });

    auto *f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this,
            [] { runAction([] { Services::instance().help().showContext(kHelpContext); }); });
    connect(m_dm.TBTodo, &StoreTable::stateChanged, this, &TfQuickTodo::showState);
    showState();
}

QString TfQuickTodo::stateWord(int state)
{
    return TableStateLabel::stateText(StoreTable::State(state));
}

void TfQuickTodo::showState()
{
    StatusBar1->setText(stateWord(int(m_dm.TBTodo->state())));
}

void TfQuickTodo::FormActivate()
{
    runAction([&] {
        // One new task per opening: the window becoming active again (after a message box) keeps
        // the task it already edits.
        if (m_ownsTask && m_dm.TBTodo->state() == StoreTable::State::Insert)
            return;
        m_dm.TBTodo->insert();
        m_ownsTask = true;
        meTask->setFocus();
    });
}

void TfQuickTodo::tbbPostClick()
{
    runAction([&] {
        StoreTable &t = *m_dm.TBTodo;
        if (!isEditing(t))
            return;
        const QDateTime now = Services::instance().clock().now();
        m_dm.TBTodoTimeIn->setAsDateTime(dt::fromTime(now.time()));
        m_dm.TBTodoDateIn->setAsDateTime(dt::fromDate(now.date()));
        // A refused post leaves the task pending and the window open, to be put right or
        // rejected.
        t.post();
        m_ownsTask = false;
        accept();
    });
}

void TfQuickTodo::tbbCancelClick()
{
    runAction([&] {
        if (isEditing(*m_dm.TBTodo))
            m_dm.TBTodo->cancel();
        m_ownsTask = false;
        QDialog::reject();
    });
}

void TfQuickTodo::FormClose()
{
    runAction([&] {
        if (m_ownsTask && m_dm.TBTodo->state() == StoreTable::State::Insert)
            m_dm.TBTodo->cancel();
        m_ownsTask = false;
    });
}

void TfQuickTodo::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    // The window is modal: it becomes active when it is shown.
    FormActivate();
}

void TfQuickTodo::closeEvent(QCloseEvent *event)
{
    FormClose();
    QDialog::closeEvent(event);
}

void TfQuickTodo::reject()
{
    // Esc and the title-bar close end here.
    FormClose();
    QDialog::reject();
}

} // namespace kv
