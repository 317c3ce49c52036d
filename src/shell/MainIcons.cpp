// MainIcons: pictures of the main window, drawn with QPainter.
#include "MainIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <numbers>

namespace kv::icons {

namespace {

constexpr int kTraySize = 32;

QPixmap clockFace(double handTurns, bool running)
{
    QPixmap pm(kTraySize, kTraySize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF face(2, 2, kTraySize - 4, kTraySize - 4);
    p.setPen(QPen(QColor(0, 0, 128), 2.5));
    p.setBrush(running ? QColor(255, 255, 160) : QColor(235, 235, 235));
    p.drawEllipse(face);
    const QPointF c = face.center();
    // Hour marks.
    p.setPen(QPen(QColor(0, 0, 128), 1.5));
    for (int i = 0; i < 4; ++i) {
        const double a = i * std::numbers::pi / 2;
        p.drawLine(c + QPointF(std::sin(a), -std::cos(a)) * 10.5,
                   c + QPointF(std::sin(a), -std::cos(a)) * 13);
    }
    const double a = handTurns * 2 * std::numbers::pi;
    p.setPen(
        QPen(running ? QColor(200, 0, 0) : QColor(0, 128, 0), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(std::sin(a), -std::cos(a)) * 10);
    p.setBrush(QColor(0, 0, 128));
    p.setPen(Qt::NoPen);
    p.drawEllipse(c, 2.2, 2.2);
    return pm;
}

QPixmap small(int w, int h)
{
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    return pm;
}

void frame(QPainter &p, const QRect &r, const QColor &fill)
{
    p.fillRect(r, fill);
    p.setPen(QColor(0, 0, 0));
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

} // namespace

QIcon trayIdle()
{
    return QIcon(clockFace(0, false));
}

QIcon trayFrame(int i)
{
    return QIcon(clockFace(static_cast<double>(i % kTrayFrames) / kTrayFrames, true));
}

QPixmap help()
{
    QPixmap pm = small(11, 11);
    QPainter p(&pm);
    frame(p, pm.rect(), QColor(255, 255, 225));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0, 0, 128));
    p.drawText(pm.rect(), Qt::AlignCenter, QStringLiteral("?"));
    return pm;
}

QPixmap minimize()
{
    QPixmap pm = small(11, 11);
    QPainter p(&pm);
    frame(p, pm.rect(), QColor(212, 208, 200));
    p.fillRect(QRect(3, 7, 5, 2), Qt::black);
    return pm;
}

QPixmap close()
{
    QPixmap pm = small(11, 11);
    QPainter p(&pm);
    frame(p, pm.rect(), QColor(212, 208, 200));
    p.setPen(QPen(Qt::black, 1.5));
    p.drawLine(3, 3, 7, 7);
    p.drawLine(7, 3, 3, 7);
    return pm;
}

QPixmap todoAdd()
{
    QPixmap pm = small(16, 15);
    QPainter p(&pm);
    frame(p, QRect(0, 1, 12, 14), Qt::white);
    p.setPen(QColor(128, 128, 128));
    for (int y = 5; y <= 11; y += 3)
        p.drawLine(2, y, 9, y);
    p.setPen(QPen(QColor(0, 128, 0), 2));
    p.drawLine(12, 1, 12, 7);
    p.drawLine(9, 4, 15, 4);
    return pm;
}

QPixmap todoList()
{
    QPixmap pm = small(15, 15);
    QPainter p(&pm);
    frame(p, QRect(0, 0, 15, 15), Qt::white);
    for (int row = 0; row < 3; ++row) {
        const int y = 3 + row * 4;
        p.fillRect(QRect(2, y, 2, 2), QColor(0, 0, 128));
        p.setPen(QColor(96, 96, 96));
        p.drawLine(6, y + 1, 12, y + 1);
    }
    return pm;
}

} // namespace kv::icons
