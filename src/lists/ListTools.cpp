// ListTools: record-button glyphs drawn in code, tool buttons and their strip.
#include "ListTools.h"

#include <QBoxLayout>
#include <QFrame>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>

namespace kv::listtools {

namespace {

constexpr int kSize = 16;
const QColor kNavyGlyph(0, 0, 128);
const QColor kGreenGlyph(0, 128, 0);
const QColor kRedGlyph(176, 0, 0);

QPolygonF triangle(bool left, qreal x)
{
    if (left)
        return QPolygonF({QPointF(x + 6, 3), QPointF(x + 6, 13), QPointF(x, 8)});
    return QPolygonF({QPointF(x, 3), QPointF(x, 13), QPointF(x + 6, 8)});
}

void draw(QPainter &p, Glyph g)
{
    p.setRenderHint(QPainter::Antialiasing);
    switch (g) {
    case Glyph::First:
        p.setPen(Qt::NoPen);
        p.setBrush(kNavyGlyph);
        p.drawRect(QRectF(3, 3, 2, 10));
        p.drawPolygon(triangle(true, 6));
        break;
    case Glyph::Prior:
        p.setPen(Qt::NoPen);
        p.setBrush(kNavyGlyph);
        p.drawPolygon(triangle(true, 5));
        break;
    case Glyph::Next:
        p.setPen(Qt::NoPen);
        p.setBrush(kNavyGlyph);
        p.drawPolygon(triangle(false, 5));
        break;
    case Glyph::Last:
        p.setPen(Qt::NoPen);
        p.setBrush(kNavyGlyph);
        p.drawPolygon(triangle(false, 4));
        p.drawRect(QRectF(11, 3, 2, 10));
        break;
    case Glyph::Add:
        p.setPen(QPen(kNavyGlyph, 2.2));
        p.drawLine(QPointF(8, 3), QPointF(8, 13));
        p.drawLine(QPointF(3, 8), QPointF(13, 8));
        break;
    case Glyph::Delete:
        p.setPen(QPen(kNavyGlyph, 2.2));
        p.drawLine(QPointF(3, 8), QPointF(13, 8));
        break;
    case Glyph::Edit: {
        p.setPen(QPen(kNavyGlyph, 1.2));
        p.setBrush(QColor(255, 230, 120));
        QPolygonF pencil(
            {QPointF(3, 13), QPointF(4, 10), QPointF(11, 3), QPointF(13, 5), QPointF(6, 12)});
        p.drawPolygon(pencil);
        break;
    }
    case Glyph::Post:
        p.setPen(QPen(kGreenGlyph, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(3, 8), QPointF(6.5, 12), QPointF(13, 4)}));
        break;
    case Glyph::Cancel:
        p.setPen(QPen(kRedGlyph, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case Glyph::Close: {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(150, 100, 50));
        p.drawRect(QRectF(4, 2, 8, 12));
        p.setBrush(Qt::yellow);
        p.drawEllipse(QPointF(10, 8.5), 1, 1);
        break;
    }
    case Glyph::View: {
        p.setPen(QPen(kNavyGlyph, 1.2));
        p.setBrush(Qt::white);
        QPainterPath eye;
        eye.moveTo(2, 8);
        eye.quadTo(8, 1, 14, 8);
        eye.quadTo(8, 15, 2, 8);
        p.drawPath(eye);
        p.setBrush(kNavyGlyph);
        p.drawEllipse(QPointF(8, 8), 2.2, 2.2);
        break;
    }
    case Glyph::Email:
        p.setPen(QPen(kNavyGlyph, 1.1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 3.5, 13, 9));
        p.drawPolyline(QPolygonF({QPointF(1.5, 3.5), QPointF(8, 9), QPointF(14.5, 3.5)}));
        break;
    }
}

} // namespace

QIcon glyph(Glyph g)
{
    QPixmap pm(kSize, kSize);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        draw(p, g);
    }
    return QIcon(pm);
}

QToolButton *button(QWidget *parent, QBoxLayout *row, const char *name, const QString &hint,
                    Glyph g)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(hint);
    b->setIcon(glyph(g));
    b->setIconSize(QSize(kSize, kSize));
    b->setAutoRaise(true);
    b->setFixedSize(23, 22);
    row->addWidget(b);
    return b;
}

void gap(QBoxLayout *row)
{
    row->addSpacing(8);
}

QFrame *strip(QWidget *parent, QBoxLayout **row)
{
    auto *f = new QFrame(parent);
    f->setFrameShape(QFrame::Panel);
    f->setFrameShadow(QFrame::Sunken);
    auto *h = new QHBoxLayout(f);
    h->setContentsMargins(2, 1, 2, 1);
    h->setSpacing(0);
    *row = h;
    return f;
}

} // namespace kv::listtools
