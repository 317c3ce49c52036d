// ClickImage: clickable picture.
#include "ClickImage.h"

#include <QMouseEvent>

namespace kv {

ClickImage::ClickImage(const QPixmap &picture, QWidget *parent) : QLabel(parent)
{
    setPixmap(picture);
    setCursor(Qt::PointingHandCursor);
}

void ClickImage::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void ClickImage::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        emit clicked();
}

} // namespace kv
