// ShadowLabel: text with a drop shadow inside a raised bevel.
#include "ShadowLabel.h"

#include <QPainter>
#include <qdrawutil.h>

namespace kv {

ShadowLabel::ShadowLabel(const QString &text, QWidget *parent) : QWidget(parent), m_text(text) {}

void ShadowLabel::setText(const QString &text)
{
    m_text = text;
    update();
}

void ShadowLabel::setTextColor(const QColor &c)
{
    m_textColor = c;
    update();
}

void ShadowLabel::setShadowColor(const QColor &c)
{
    m_shadowColor = c;
    update();
}

void ShadowLabel::setBackgroundColor(const QColor &c)
{
    m_background = c;
    update();
}

void ShadowLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_background.isValid() ? m_background : palette().color(QPalette::Button));
    qDrawShadePanel(&p, rect(), palette(), false, 1);
    p.setFont(font());
    const QRect inner = rect().adjusted(1, 1, -1, -1);
    p.setPen(m_shadowColor);
    p.drawText(inner.translated(1, 1), Qt::AlignCenter, m_text);
    p.setPen(m_textColor);
    p.drawText(inner, Qt::AlignCenter, m_text);
}

} // namespace kv
