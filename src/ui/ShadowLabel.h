// ShadowLabel: a label drawn with a drop shadow on its own background inside a raised bevel
// (the banner labels of the main window and the about box).
#pragma once

#include <QColor>
#include <QWidget>

namespace kv {

class ShadowLabel : public QWidget
{
    Q_OBJECT
public:
    explicit ShadowLabel(const QString &text, QWidget *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    QColor textColor() const { return m_textColor; }
    void setTextColor(const QColor &c);
    QColor shadowColor() const { return m_shadowColor; }
    void setShadowColor(const QColor &c);
    /// Background inside the bevel; invalid = the palette's button-face colour.
    void setBackgroundColor(const QColor &c);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    QColor m_textColor = Qt::black;
    QColor m_shadowColor = Qt::gray;
    QColor m_background;
};

} // namespace kv
