// TfTaskDes: task-description prompt.
#include "UfTaskDe.h"

#include "WindowBorder.h"

#include "Services.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace kv {

TfTaskDes *fTaskDes = nullptr;

TfTaskDes::TfTaskDes(QWidget *parent)
    : QDialog(parent), eTaskDes(new QPlainTextEdit(this)), bbTaskDes(new QPushButton(this))
{
    setObjectName(QStringLiteral("fTaskDes"));
    setWindowTitle(tr("Kestrova - Time Log Task"));
    // Fixed border with only a close box.
    look::setBorder(this, look::Border::FixedCloseBox);
    setModal(true);

    eTaskDes->setObjectName(QStringLiteral("eTaskDes"));
    eTaskDes->setAccessibleName(tr("Task Description"));
    eTaskDes->setTabChangesFocus(true);
    QPalette tip = eTaskDes->palette();
    tip.setColor(QPalette::Base, QColor(255, 255, 225));
    tip.setColor(QPalette::Text, Qt::black);
    eTaskDes->setPalette(tip);
    connect(eTaskDes, &QPlainTextEdit::textChanged, this, &TfTaskDes::limitLength);

    bbTaskDes->setObjectName(QStringLiteral("bbTaskDes"));
    bbTaskDes->setText(tr("OK"));
    bbTaskDes->setDefault(true);
    bbTaskDes->setAutoDefault(true);
    connect(bbTaskDes, &QPushButton::clicked, this,
            [this] { runAction([&] { bbTaskDesClick(); }); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(eTaskDes);
    layout->addWidget(bbTaskDes, 0, Qt::AlignHCenter);
    setFixedSize(320, 160);
}

TfTaskDes::~TfTaskDes()
{
    if (fTaskDes == this)
        fTaskDes = nullptr;
}

QString TfTaskDes::ask()
{
    m_text.clear();
    return exec() == QDialog::Accepted ? m_text : QString();
}

void TfTaskDes::bbTaskDesClick()
{
    m_text = eTaskDes->toPlainText();
    accept();
}

void TfTaskDes::showEvent(QShowEvent *event)
{
    // Every showing starts with an empty memo, centred on the desktop.
    eTaskDes->clear();
    eTaskDes->setFocus();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void TfTaskDes::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        Services::instance().help().showContext(kHelpContext);
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfTaskDes::limitLength()
{
    const QString text = eTaskDes->toPlainText();
    if (text.size() <= kMaxLength)
        return;
    // Typing or pasting beyond the limit keeps the first 250 characters.
    QTextCursor cursor = eTaskDes->textCursor();
    const int position = std::min(cursor.position(), kMaxLength);
    const QSignalBlocker block(eTaskDes);
    eTaskDes->setPlainText(text.left(kMaxLength));
    cursor = eTaskDes->textCursor();
    cursor.setPosition(position);
    eTaskDes->setTextCursor(cursor);
}

} // namespace kv
