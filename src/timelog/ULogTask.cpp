// TfLogTask: the task window of the time log.
#include "ULogTask.h"

#include "WindowLook.h"

#include "TableStateLabel.h"

#include "Services.h"

#include <QCloseEvent>
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

TfLogTask *fLogTask = nullptr;

namespace {

constexpr int kWidth = 228;
constexpr int kHeight = 209;
constexpr int kMemoWidth = 218;
constexpr int kMemoHeight = 133;

} // namespace

TfLogTask::TfLogTask(StoreTable *inout, QWidget *parent) : QDialog(parent), m_inout(inout)
{
    setObjectName(QStringLiteral("fLogTask"));
    setWindowTitle(tr("Kestrova - Time Log Task"));
    look::setBorder(this, look::Border::FixedCloseBox);
    setFixedSize(kWidth, kHeight);
    setProperty("helpContext", kHelpContext);

    meTask = look::taskMemo(this, tr("Time Log Task"), QSize(kMemoWidth, kMemoHeight));
    connect(meTask, &QPlainTextEdit::textChanged, this, &TfLogTask::limitLength);

    lCaption = look::taskCaption(this, tr("Time Log Task"));

    tbbPost = look::toolButton(this, "tbbPost", tr("Accept"), ToolIcon::Accept);
    tbbCancel = look::toolButton(this, "tbbCancel", tr("Reject"), ToolIcon::Reject);
    bExit = look::toolButton(this, "bExit", tr("Exit"), ToolIcon::Exit, tr("Exit"));
    connect(tbbPost, &QToolButton::clicked, this, &TfLogTask::tbbPostClick);
    connect(tbbCancel, &QToolButton::clicked, this, &TfLogTask::tbbCancelClick);
    connect(bExit, &QToolButton::clicked, this, &TfLogTask::bExitClick);

    StatusBar1 = look::taskStatusLine(this);

    look::layOutTaskWindow(this, meTask, lCaption, tbbPost, tbbCancel, bExit, StatusBar1);

    auto *f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this,
            [] { runAction([] { Services::instance().help().showContext(kHelpContext); }); });
    if (inout)
        connect(inout, &StoreTable::stateChanged, this, &TfLogTask::showState);
    showState();
}

QString TfLogTask::stateWord(StoreTable::State state)
{
    return TableStateLabel::taskStateText(state);
}

void TfLogTask::showState()
{
    StatusBar1->setText(m_inout ? stateWord(m_inout->state())
                                : stateWord(StoreTable::State::Inactive));
}

void TfLogTask::limitLength()
{
    // The task description holds 250 characters: typing beyond them does nothing.
    const QString text = meTask->toPlainText();
    if (text.size() <= kMaxTaskLength)
        return;
    QTextCursor cursor = meTask->textCursor();
    const int position = std::min<int>(cursor.position(), kMaxTaskLength);
    QSignalBlocker block(meTask);
    meTask->setPlainText(text.left(kMaxTaskLength));
    cursor = meTask->textCursor();
    cursor.setPosition(position);
    meTask->setTextCursor(cursor);
}

void TfLogTask::loadMemo()
{
    meTask->clear();
    if (m_inout && m_inout->isActive())
        meTask->setPlainText(m_inout->fieldByName(QStringLiteral("TaskDes")).asString());
    meTask->moveCursor(QTextCursor::Start);
}

void TfLogTask::FormActivate()
{
    runAction([&] {
        loadMemo();
        showState();
    });
}

void TfLogTask::tbbPostClick()
{
    runAction([&] {
        if (!m_inout)
            return;
        m_inout->fieldByName(QStringLiteral("TaskDes")).setAsString(meTask->toPlainText());
    });
}

void TfLogTask::tbbCancelClick()
{
    runAction([&] { loadMemo(); });
}

void TfLogTask::bExitClick()
{
    runAction([&] { close(); });
}

void TfLogTask::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    // The window is modal: it becomes active when it is shown.
    FormActivate();
}

void TfLogTask::closeEvent(QCloseEvent *event)
{
    meTask->clear();
    QDialog::closeEvent(event);
}

void TfLogTask::done(int result)
{
    meTask->clear();
    QDialog::done(result);
}

} // namespace kv
