#include "platform/Display.h"

#include <cstdlib>

// Not written yet.
namespace platform {
bool displayAvailable() { return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM"); }
} // namespace platform
