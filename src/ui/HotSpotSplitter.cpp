// HotSpotSplitter: splitter bar with a one-click hot spot.
#include "HotSpotSplitter.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>

namespace kv {

namespace {

constexpr int kHotSpotLength = 40;

class HotSpotHandle : public QSplitterHandle
{
public:
    HotSpotHandle(Qt::Orientation o, HotSpotSplitter *parent)
        : QSplitterHandle(o, parent), m_owner(parent)
    {
        setMouseTracking(true);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Button));
        const QRect spot = m_owner->hotSpotRect();
        p.fillRect(spot, m_hover ? m_owner->hotSpotColor() : palette().color(QPalette::Midlight));
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(spot.adjusted(0, 0, -1, -1));
        // The arrow points the way a click moves the bar.
        const bool towardsFirst =
            m_owner->hotSpotDirection() == HotSpotSplitter::Direction::TowardsFirst;
        const QPoint c = spot.center();
        QPolygon arrow;
        if (orientation() == Qt::Vertical)
            arrow << QPoint(c.x() - 3, c.y() + (towardsFirst ? 1 : -1))
                  << QPoint(c.x() + 3, c.y() + (towardsFirst ? 1 : -1))
                  << QPoint(c.x(), c.y() + (towardsFirst ? -2 : 2));
        else
            arrow << QPoint(c.x() + (towardsFirst ? 1 : -1), c.y() - 3)
                  << QPoint(c.x() + (towardsFirst ? 1 : -1), c.y() + 3)
                  << QPoint(c.x() + (towardsFirst ? -2 : 2), c.y());
        p.setBrush(palette().color(QPalette::ButtonText));
        p.setPen(Qt::NoPen);
        p.drawPolygon(arrow);
    }
    void mousePressEvent(QMouseEvent *e) override
    {
        if (e->button() == Qt::LeftButton &&
            m_owner->hotSpotRect().contains(e->position().toPoint())) {
            m_owner->hotSpotClick();
            e->accept();
            return;
        }
        QSplitterHandle::mousePressEvent(e);
    }
    void mouseMoveEvent(QMouseEvent *e) override
    {
        const bool hover = m_owner->hotSpotRect().contains(e->position().toPoint());
        if (hover != m_hover) {
            m_hover = hover;
            update();
        }
        QSplitterHandle::mouseMoveEvent(e);
    }
    void leaveEvent(QEvent *e) override
    {
        m_hover = false;
        update();
        QSplitterHandle::leaveEvent(e);
    }

private:
    HotSpotSplitter *m_owner;
    bool m_hover = false;
};

} // namespace

HotSpotSplitter::HotSpotSplitter(Qt::Orientation orientation, QWidget *parent)
    : QSplitter(orientation, parent)
{
    setOpaqueResize(true);
    setChildrenCollapsible(true);
}

QSplitterHandle *HotSpotSplitter::createHandle()
{
    return new HotSpotHandle(orientation(), this);
}

int HotSpotSplitter::barPosition() const
{
    const QList<int> s = sizes();
    return s.isEmpty() ? 0 : s.first();
}

void HotSpotSplitter::setBarPosition(int position)
{
    if (count() < 2)
        return;
    const int total = (orientation() == Qt::Vertical ? height() : width()) - handleWidth();
    position = std::clamp(position, 0, std::max(0, total));
    setSizes({position, std::max(0, total - position)});
}

void HotSpotSplitter::setHotSpotDirection(Direction direction)
{
    m_direction = direction;
    if (count() > 1)
        handle(1)->update();
}

void HotSpotSplitter::hotSpotClick()
{
    const int position = barPosition();
    if (position > 0) {
        m_restorePosition = position;
        setBarPosition(0);
        setHotSpotDirection(Direction::TowardsSecond);
    } else {
        const int total = (orientation() == Qt::Vertical ? height() : width()) - handleWidth();
        setBarPosition(m_restorePosition >= 0 ? m_restorePosition : total);
        setHotSpotDirection(Direction::TowardsFirst);
    }
}

QRect HotSpotSplitter::hotSpotRect() const
{
    const int w = orientation() == Qt::Vertical ? width() : handleWidth();
    const int h = orientation() == Qt::Vertical ? handleWidth() : height();
    if (orientation() == Qt::Vertical)
        return QRect((w - kHotSpotLength) / 2, 0, kHotSpotLength, h);
    return QRect(0, (h - kHotSpotLength) / 2, w, kHotSpotLength);
}

} // namespace kv
