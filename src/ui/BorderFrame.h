// BorderFrame: a coloured frame drawn around other controls as an indicator; it takes no input.
#pragma once

#include <QColor>
#include <QWidget>

namespace kv {

class BorderFrame : public QWidget
{
    Q_OBJECT
public:
    BorderFrame(const QColor &color, QWidget *parent = nullptr);
    QColor color() const { return m_color; }
    void setColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color;
};

} // namespace kv
