// The tray icon's clicks while a modal window is open: X button presses on the icon's window,
// as the core protocol and X Input 2 deliver them, reach the handler once; other presses and
// presses without a modal window are left to Qt.
#include "TrayModalClicks.h"
#include "QtPrinters.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QTest>
#include <array>
#include <cstring>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

using namespace kv;

namespace {

constexpr quint32 kTrayWindow = 0x800006;
constexpr quint32 kOtherWindow = 0x80001a;
constexpr int kLeft = 1;
constexpr int kRight = 3;

/// A core ButtonPress event as the X server sends it.
xcb_button_press_event_t corePress(quint32 window, int button, quint32 time)
{
    xcb_button_press_event_t e{};
    e.response_type = XCB_BUTTON_PRESS;
    e.detail = static_cast<xcb_button_t>(button);
    e.time = time;
    e.event = window;
    return e;
}

/// An X Input 2 ButtonPress (a generic event of the input extension), as 32-bit words.
std::array<quint32, 20> xiPress(quint32 window, int button, quint32 time)
{
    std::array<quint32, 20> words{};
    auto *bytes = reinterpret_cast<unsigned char *>(words.data());
    bytes[0] = XCB_GE_GENERIC;
    bytes[1] = 131; // the extension's opcode, whatever the server gave it
    const quint16 buttonPress = 4;
    std::memcpy(bytes + 8, &buttonPress, sizeof buttonPress);
    std::memcpy(bytes + 12, &time, sizeof time);
    const auto detail = static_cast<quint32>(button);
    std::memcpy(bytes + 16, &detail, sizeof detail);
    std::memcpy(bytes + 24, &window, sizeof window);
    return words;
}

class TrayModalClicksTest : public ::testing::Test
{
protected:
    TrayModalClicks clicks{[this](QSystemTrayIcon::ActivationReason r) { reasons.push_back(r); },
                           [] { return kTrayWindow; }};
    std::vector<QSystemTrayIcon::ActivationReason> reasons;

    bool deliver(void *event)
    {
        return clicks.nativeEventFilter("xcb_generic_event_t", event, nullptr);
    }
};

} // namespace

TEST_F(TrayModalClicksTest, PressesMeanSingleDoubleAndContextClicks)
{
    const auto interval = static_cast<quint32>(QApplication::doubleClickInterval());
    EXPECT_EQ(clicks.press(kLeft, 1000), QSystemTrayIcon::Trigger);
    EXPECT_EQ(clicks.press(kLeft, 1000 + interval), QSystemTrayIcon::DoubleClick);
    // A third press starts a new click.
    EXPECT_EQ(clicks.press(kLeft, 1000 + interval + 1), QSystemTrayIcon::Trigger);
    EXPECT_EQ(clicks.press(kLeft, 1000 + 3 * interval), QSystemTrayIcon::Trigger);
    // Across the wrap of the X clock.
    EXPECT_EQ(clicks.press(kLeft, 0xffffff00u), QSystemTrayIcon::Trigger);
    EXPECT_EQ(clicks.press(kLeft, 0x10u), QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(clicks.press(kRight, 5000), QSystemTrayIcon::Context);
    EXPECT_FALSE(clicks.press(2, 6000).has_value());
}

TEST_F(TrayModalClicksTest, WhileAModalWindowIsOpenPressesOnTheIconReachTheHandlerOnce)
{
    // No modal window: Qt delivers the click itself.
    auto free = corePress(kTrayWindow, kRight, 100);
    EXPECT_FALSE(deliver(&free));
    EXPECT_TRUE(reasons.empty());

    QDialog modal;
    modal.setWindowModality(Qt::ApplicationModal);
    modal.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&modal));
    ASSERT_NE(QGuiApplication::modalWindow(), nullptr);

    auto right = corePress(kTrayWindow, kRight, 200);
    EXPECT_TRUE(deliver(&right));
    ASSERT_EQ(reasons.size(), 1u);
    EXPECT_EQ(reasons.back(), QSystemTrayIcon::Context);

    // X Input 2 reports the click for the master pointer and for the mouse: one click.
    auto left = xiPress(kTrayWindow, kLeft, 400);
    EXPECT_TRUE(deliver(left.data()));
    auto again = xiPress(kTrayWindow, kLeft, 400);
    EXPECT_TRUE(deliver(again.data()));
    ASSERT_EQ(reasons.size(), 2u);
    EXPECT_EQ(reasons.back(), QSystemTrayIcon::Trigger);
    // Also once the menu the first report opened is up.
    auto menuClick = xiPress(kTrayWindow, kRight, 600);
    EXPECT_TRUE(deliver(menuClick.data()));
    ASSERT_EQ(reasons.size(), 3u);
    QMenu menu;
    menu.addAction(QStringLiteral("Clock Out"));
    menu.popup(QPoint(0, 0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == &menu; }, 2000));
    auto menuClickAgain = xiPress(kTrayWindow, kRight, 600);
    EXPECT_TRUE(deliver(menuClickAgain.data()));
    auto newClick = corePress(kTrayWindow, kRight, 700);
    EXPECT_FALSE(deliver(&newClick)); // a new press with the menu up is Qt's: it closes the menu
    menu.hide();
    EXPECT_EQ(reasons.size(), 3u);
    EXPECT_EQ(reasons.back(), QSystemTrayIcon::Context);

    // Presses on the program's other windows stay Qt's (and blocked).
    auto other = xiPress(kOtherWindow, kLeft, 900);
    EXPECT_FALSE(deliver(other.data()));
    auto otherCore = corePress(kOtherWindow, kRight, 950);
    EXPECT_FALSE(deliver(&otherCore));
    EXPECT_EQ(reasons.size(), 3u);
    // Events of other kinds pass.
    xcb_generic_event_t motion{};
    motion.response_type = XCB_MOTION_NOTIFY;
    EXPECT_FALSE(deliver(&motion));
    EXPECT_FALSE(clicks.nativeEventFilter("windows_generic_MSG", &right, nullptr));
    EXPECT_EQ(reasons.size(), 3u);
}
