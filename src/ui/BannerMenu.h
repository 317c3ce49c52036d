// BannerMenu: a popup menu with a vertical banner along its left edge, read from bottom to top,
// in white bold text on a gradient.
#pragma once

#include <QMenu>

namespace kv {

class BannerMenu : public QMenu
{
    Q_OBJECT
public:
    explicit BannerMenu(const QString &banner, QWidget *parent = nullptr);
    QString banner() const { return m_banner; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_banner;
};

} // namespace kv
