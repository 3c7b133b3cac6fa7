#pragma once

#include <QIcon>

namespace platform::qt {

// The program's images, drawn in code: the window and normal tray icon (a
// white envelope on blue) and the two alternating images of the tray
// animation (the envelope on red, then on yellow).
QIcon ApplicationIcon();
QIcon AlertIcon(int frame);  // frame 0 or 1

}  // namespace platform::qt
