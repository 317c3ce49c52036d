// TrayModalClicks: relays X button presses on the tray icon's window while a modal window blocks
// it.
#include "TrayModalClicks.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWidget>
#include <cstddef>
#include <xcb/xcb.h>

namespace kv {

namespace {

constexpr int kLeftButton = 1;
constexpr int kRightButton = 3;
constexpr quint8 kEventTypeMask = 0x7f; // the top bit marks events sent by other clients
constexpr quint16 kXiButtonPress = 4;   // XI_ButtonPress of the X Input extension, version 2

/// The head of an X Input 2 device event as it comes over the wire (Qt takes the mouse through
/// X Input 2 where the server offers it, so presses arrive as these rather than as core
/// ButtonPress events).
struct XiDeviceEventHead
{
    quint8 responseType; ///< XCB_GE_GENERIC
    quint8 extension;
    quint16 sequence;
    quint32 length;
    quint16 eventType; ///< kXiButtonPress
    quint16 deviceId;
    quint32 time;
    quint32 detail; ///< the button
    quint32 root;
    quint32 event; ///< the window
};
static_assert(offsetof(XiDeviceEventHead, eventType) == 8);
static_assert(offsetof(XiDeviceEventHead, time) == 12);
static_assert(offsetof(XiDeviceEventHead, detail) == 16);
static_assert(offsetof(XiDeviceEventHead, event) == 24);

struct Press
{
    quint32 window;
    int button;
    quint32 time;
};

std::optional<Press> buttonPress(const void *message)
{
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const quint8 type = event->response_type & kEventTypeMask;
    if (type == XCB_BUTTON_PRESS) {
        const auto *core = static_cast<const xcb_button_press_event_t *>(message);
        return Press{core->event, core->detail, core->time};
    }
    if (type == XCB_GE_GENERIC) {
        const auto *xi = static_cast<const XiDeviceEventHead *>(message);
        if (xi->eventType == kXiButtonPress)
            return Press{xi->event, static_cast<int>(xi->detail), xi->time};
    }
    return std::nullopt;
}

} // namespace

TrayModalClicks::TrayModalClicks(Handler handler, std::function<quint32()> trayWindow)
    : m_handler(std::move(handler)), m_trayWindow(std::move(trayWindow))
{}

std::optional<QSystemTrayIcon::ActivationReason> TrayModalClicks::press(int button, quint32 timeMs)
{
    if (button == kRightButton)
        return QSystemTrayIcon::Context;
    if (button != kLeftButton)
        return std::nullopt;
    const auto interval = static_cast<quint32>(QApplication::doubleClickInterval());
    // X times are milliseconds that wrap around; the difference is taken modulo 2^32.
    if (m_lastLeftPress && timeMs - *m_lastLeftPress <= interval) {
        m_lastLeftPress.reset();
        return QSystemTrayIcon::DoubleClick;
    }
    m_lastLeftPress = timeMs;
    return QSystemTrayIcon::Trigger;
}

bool TrayModalClicks::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || !message)
        return false;
    const std::optional<Press> pressed = buttonPress(message);
    if (!pressed)
        return false;
    const quint32 tray = m_trayWindow ? m_trayWindow() : 0;
    if (tray == 0 || pressed->window != tray)
        return false;
    // X Input 2 reports one click once per device (the master pointer and the mouse behind
    // it), with the same time: the second report is the click already handed on, also when the
    // menu it opened is up by now.
    if (m_lastPress && m_lastPress->time == pressed->time && m_lastPress->button == pressed->button)
        return true;
    // Without a modal window, or with a menu open (Qt then lets the press through to close
    // it), Qt delivers the click itself.
    if (!QGuiApplication::modalWindow() || QApplication::activePopupWidget())
        return false;
    m_lastPress = LastPress{pressed->button, pressed->time};
    if (const auto reason = press(pressed->button, pressed->time); reason && m_handler)
        m_handler(*reason);
    return true;
}

quint32 TrayModalClicks::qtTrayIconWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qstrcmp(w->metaObject()->className(), "QSystemTrayIconSys") == 0 && w->windowHandle())
            return static_cast<quint32>(w->winId());
    }
    return 0;
}

} // namespace kv
