// EmptyPrompt: the shared frame of the empty-list prompts.
#include "EmptyPrompt.h"
#include "WindowBorder.h"

#include "FormFont.h"

#include <QBoxLayout>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

namespace kv {

EmptyPrompt::EmptyPrompt(const QString &caption, const QString &text, QWidget *parent)
    : QDialog(parent, look::windowFlags(look::Border::ToolNoButtons))
{
    setWindowTitle(caption);
    setFixedSize(kWidth, kHeight);
    setFont(formFont());
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(4, 4, 4, 6);
    root->setSpacing(6);
    auto *bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::Panel);
    bevel->setFrameShadow(QFrame::Raised);
    bevel->setLineWidth(2);
    auto *inside = new QVBoxLayout(bevel);
    inside->setContentsMargins(6, 2, 4, 2);
    m_text = new QLabel(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")), bevel);
    m_text->setObjectName(QStringLiteral("lText"));
    m_text->setTextFormat(Qt::PlainText);
    // The text's own line breaks are kept; a face wider than the drawn one widens the prompt
    // instead of breaking a line in two.
    int widest = 0;
    for (const QString &line : m_text->text().split(QLatin1Char('\n')))
        widest = std::max(widest, m_text->fontMetrics().horizontalAdvance(line));
    constexpr int kTextMargins = 4 + 4 + 6 + 4 + 2 * 2 + 4;
    setFixedSize(std::max(kWidth, widest + kTextMargins), kHeight);
    inside->addWidget(m_text);
    root->addWidget(bevel, 1);
}

void EmptyPrompt::addButtons(QPushButton *listButton)
{
    m_cancel =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), tr("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("bCancel"));
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(listButton);
    row->addSpacing(12);
    row->addWidget(m_cancel);
    row->addStretch(1);
    static_cast<QBoxLayout *>(layout())->addLayout(row);
    listButton->setAutoDefault(false);
    m_cancel->setAutoDefault(false);
}

} // namespace kv
