// ClickImage: a small picture that acts on a left click, with a hint.
#pragma once

#include <QLabel>

namespace kv {

class ClickImage : public QLabel
{
    Q_OBJECT
public:
    explicit ClickImage(const QPixmap &picture, QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};

} // namespace kv
