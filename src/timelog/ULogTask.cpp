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
#include <QToolTip>
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

    meTask = new QPlainTextEdit(this);
    meTask->setObjectName(QStringLiteral("meTask"));
    meTask->setAccessibleName(tr("Time Log Task"));
    meTask->setFixedSize(kMemoWidth, kMemoHeight);
    meTask->setFrameShape(QFrame::Box);
    meTask->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QPalette tip = meTask->palette();
    tip.setColor(QPalette::Base, QToolTip::palette().color(QPalette::ToolTipBase));
    tip.setColor(QPalette::Text, QToolTip::palette().color(QPalette::ToolTipText));
    meTask->setPalette(tip);
    connect(meTask, &QPlainTextEdit::textChanged, this, &TfLogTask::limitLength);

    lCaption = new QLabel(tr("Time Log Task"), this);
    QFont small = lCaption->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    lCaption->setFont(small);

    tbbPost = look::toolButton(this, "tbbPost", tr("Accept"), ToolIcon::Accept);
    tbbCancel = look::toolButton(this, "tbbCancel", tr("Reject"), ToolIcon::Reject);
    bExit = look::toolButton(this, "bExit", tr("Exit"), ToolIcon::Exit, tr("Exit"));
    connect(tbbPost, &QToolButton::clicked, this, &TfLogTask::tbbPostClick);
    connect(tbbCancel, &QToolButton::clicked, this, &TfLogTask::tbbCancelClick);
    connect(bExit, &QToolButton::clicked, this, &TfLogTask::bExitClick);

    StatusBar1 = new QLabel(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFrameStyle(QFrame::Panel | QFrame::Sunken);

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
    // The task window says "View" where the record windows say "Browse".
    if (state == StoreTable::State::Browse)
        return tr("View");
    return TableStateLabel::stateText(state);
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
