// MainIcons: the pictures of the main window, drawn in code: the tray icon and its eight
// animation frames, the help / minimize / close images and the two to-do images.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace kv::icons {

inline constexpr int kTrayFrames = 8;

/// The tray icon while idle (a clock face).
QIcon trayIdle();
/// Frame `i` (0..7) of the running animation: the clock's hand a further eighth round each.
QIcon trayFrame(int i);

QPixmap help();     ///< 11 x 11
QPixmap minimize(); ///< 11 x 11
QPixmap close();    ///< 11 x 11
QPixmap todoAdd();  ///< 16 x 15
QPixmap todoList(); ///< 15 x 15

} // namespace kv::icons
