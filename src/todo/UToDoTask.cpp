// TfToDoTask: the task editor of the to-do list.
#include "UToDoTask.h"

#include "Services.h"
#include "TableStateLabel.h"

#include "WindowLook.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTextBlock>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

TfToDoTask *fToDoTask = nullptr;

namespace {

constexpr int kWidth = 228;
constexpr int kHeight = 209;
constexpr int kMemoWidth = 218;
constexpr int kMemoHeight = 133;

} // namespace

void limitMemoLength(QPlainTextEdit *memo, int maxLength)
{
    QObject::connect(memo, &QPlainTextEdit::textChanged, memo, [memo, maxLength] {
        const QString text = memo->toPlainText();
        if (text.size() <= maxLength)
            return;
        // The characters that do not fit are the ones just typed or pasted, before the caret.
        QTextCursor cursor = memo->textCursor();
        const int excess = int(text.size()) - maxLength;
        const int end = cursor.position();
        const int start = std::max(0, end - excess);
        QString kept = text;
        kept.remove(start, end - start);
        if (kept.size() > maxLength)
            kept.truncate(maxLength);
        QSignalBlocker block(memo);
        memo->setPlainText(kept);
        cursor = memo->textCursor();
        cursor.setPosition(std::min<int>(start, int(kept.size())));
        memo->setTextCursor(cursor);
        // A bound memo hands the text to its field on textChanged: tell it once, with the text
        // kept.
        block.unblock();
        emit memo->textChanged();
    });
}

TfToDoTask::TfToDoTask(StoreTable *todo, QWidget *parent) : QDialog(parent), m_todo(todo)
{
    setObjectName(QStringLiteral("fToDoTask"));
    setWindowTitle(tr("Kestrova - ToDo Task"));
    look::setBorder(this, look::Border::FixedCloseBox);
    setFixedSize(kWidth, kHeight);
    setProperty("helpContext", kHelpContext);

    meTask = look::taskMemo(this, tr("ToDo Task"), QSize(kMemoWidth, kMemoHeight));
    limitMemoLength(meTask, kMaxTaskLength);

    lCaption = look::taskCaption(this, tr("ToDo Task"));

    tbbPost = look::toolButton(this, "tbbPost", tr("Accept"), ToolIcon::Accept);
    tbbCancel = look::toolButton(this, "tbbCancel", tr("Reject"), ToolIcon::Reject);
    tbbClose = look::toolButton(this, "tbbClose", tr("Exit"), ToolIcon::Exit, tr("Exit"));
    connect(tbbPost, &QToolButton::clicked, this, &TfToDoTask::tbbPostClick);
    connect(tbbCancel, &QToolButton::clicked, this, &TfToDoTask::tbbCancelClick);
    connect(tbbClose, &QToolButton::clicked, this, &TfToDoTask::tbbCloseClick);

    StatusBar1 = look::taskStatusLine(this);

    look::layOutTaskWindow(this, meTask, lCaption, tbbPost, tbbCancel, tbbClose, StatusBar1);

    auto *f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this,
            [] { runAction([] { Services::instance().help().showContext(kHelpContext); }); });
    if (todo)
        connect(todo, &StoreTable::stateChanged, this, &TfToDoTask::showState);
    showState();
}

QString TfToDoTask::stateWord(StoreTable::State state)
{
    return TableStateLabel::taskStateText(state);
}

void TfToDoTask::showState()
{
    StatusBar1->setText(m_todo ? stateWord(m_todo->state())
                               : stateWord(StoreTable::State::Inactive));
}

void TfToDoTask::loadMemo()
{
    meTask->clear();
    if (m_todo && m_todo->isActive() && !m_todo->isEmpty())
        meTask->setPlainText(m_todo->fieldByName(QStringLiteral("Task")).asString());
    meTask->moveCursor(QTextCursor::Start);
}

void TfToDoTask::FormActivate()
{
    runAction([&] {
        loadMemo();
        showState();
    });
}

void TfToDoTask::tbbPostClick()
{
    runAction([&] {
        if (!m_todo)
            return;
        const StoreTable::State s = m_todo->state();
        // Only a task already being edited takes the text; the list's Accept posts it.
        if (s != StoreTable::State::Edit && s != StoreTable::State::Insert)
            return;
        Field &task = m_todo->fieldByName(QStringLiteral("Task"));
        const QString text = meTask->toPlainText();
        if (text.isEmpty())
            task.clear();
        else
            task.setAsString(text);
    });
}

void TfToDoTask::tbbCancelClick()
{
    runAction([&] { loadMemo(); });
}

void TfToDoTask::tbbCloseClick()
{
    runAction([&] { close(); });
}

void TfToDoTask::FormClose()
{
    meTask->clear();
}

void TfToDoTask::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    // The window is modal: it becomes active when it is shown.
    FormActivate();
}

void TfToDoTask::done(int result)
{
    FormClose();
    QDialog::done(result);
}

} // namespace kv
