// BorderFrame: coloured indicator frame.
#include "BorderFrame.h"

#include <QPainter>

namespace kv {

namespace {
constexpr int kFrameWidth = 2;
}

BorderFrame::BorderFrame(const QColor &color, QWidget *parent) : QWidget(parent), m_color(color)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void BorderFrame::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void BorderFrame::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QPen pen(m_color, kFrameWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.drawRect(QRectF(rect()).adjusted(kFrameWidth / 2.0, kFrameWidth / 2.0, -kFrameWidth / 2.0,
                                       -kFrameWidth / 2.0));
}

} // namespace kv
