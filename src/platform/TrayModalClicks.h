// TrayModalClicks: clicks on the notification-area icon while a modal window is open. On X11
// the icon is a small window of the program embedded in the tray, and Qt drops mouse input to
// every window a modal window blocks, the icon's included: with the time log or the about box
// open, neither its menu nor a clock-out could be reached. This filter sees the X button
// presses on the icon's window first and reports them as the icon itself would.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QSystemTrayIcon>
#include <functional>
#include <optional>

namespace kv {

class TrayModalClicks : public QAbstractNativeEventFilter
{
public:
    using Handler = std::function<void(QSystemTrayIcon::ActivationReason)>;
    /// `trayWindow` gives the X window id of the icon (0 while there is none).
    TrayModalClicks(Handler handler, std::function<quint32()> trayWindow);

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    /// What a press of X button `button` at X time `timeMs` on the icon means: a single left
    /// click, a double click (a second left press within the double-click time), the context
    /// menu (right button); nothing for other buttons.
    std::optional<QSystemTrayIcon::ActivationReason> press(int button, quint32 timeMs);

    /// The X window of Qt's tray icon widget, 0 when it has none.
    static quint32 qtTrayIconWindow();

private:
    Handler m_handler;
    std::function<quint32()> m_trayWindow;
    std::optional<quint32> m_lastLeftPress;
    struct LastPress
    {
        int button;
        quint32 time;
    };
    std::optional<LastPress> m_lastPress;
};

} // namespace kv
