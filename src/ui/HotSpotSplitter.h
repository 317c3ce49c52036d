// HotSpotSplitter: a splitter whose bar carries a one-click hot spot. A click on the hot spot
// closes the first pane (the bar moves to 0) or, when it is closed, opens it again at the
// position it had; the hot spot's arrow points the way the bar will move.
#pragma once

#include <QColor>
#include <QSplitter>

namespace kv {

class HotSpotSplitter : public QSplitter
{
    Q_OBJECT
public:
    enum class Direction { TowardsFirst, TowardsSecond };

    explicit HotSpotSplitter(Qt::Orientation orientation, QWidget *parent = nullptr);

    /// Size of the first pane in pixels: the bar's position.
    int barPosition() const;
    void setBarPosition(int position);

    Direction hotSpotDirection() const { return m_direction; }
    void setHotSpotDirection(Direction direction);
    QColor hotSpotColor() const { return m_hotSpotColor; }
    void setHotSpotColor(const QColor &color) { m_hotSpotColor = color; }

    /// What a click on the hot spot does.
    void hotSpotClick();
    /// The hot spot's rectangle in the bar's coordinates.
    QRect hotSpotRect() const;

protected:
    QSplitterHandle *createHandle() override;

private:
    Direction m_direction = Direction::TowardsFirst;
    QColor m_hotSpotColor = QColor(128, 128, 192);
    int m_restorePosition = -1;
};

} // namespace kv
