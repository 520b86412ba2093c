#pragma once

namespace platform {
// Whether the program has a display to open its window on (X11, Wayland, or a platform chosen
// with QT_QPA_PLATFORM that needs none, such as offscreen).
bool displayAvailable();
} // namespace platform
