// BannerMenu: popup menu with a vertical banner.
#include "BannerMenu.h"

#include <QLinearGradient>
#include <QPainter>

namespace kv {

namespace {
constexpr int kBannerWidth = 20;
}

BannerMenu::BannerMenu(const QString &banner, QWidget *parent) : QMenu(parent), m_banner(banner)
{
    setContentsMargins(kBannerWidth, 0, 0, 0);
}

void BannerMenu::paintEvent(QPaintEvent *event)
{
    QMenu::paintEvent(event);
    QPainter p(this);
    const QRect strip(0, 0, kBannerWidth, height());
    const QColor base = palette().color(QPalette::Active, QPalette::Highlight);
    QLinearGradient gradient(strip.bottomLeft(), strip.topLeft());
    gradient.setColorAt(0, base.darker(160));
    gradient.setColorAt(1, base.lighter(130));
    p.fillRect(strip, gradient);
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(strip.topRight(), strip.bottomRight());
    QFont f(QStringLiteral("Arial"));
    f.setBold(true);
    f.setPixelSize(kBannerWidth - 7);
    p.setFont(f);
    p.setPen(Qt::white);
    p.translate(strip.left(), strip.bottom());
    p.rotate(-90);
    p.drawText(QRect(4, 0, strip.height() - 8, kBannerWidth), Qt::AlignLeft | Qt::AlignVCenter,
               m_banner);
}

} // namespace kv
