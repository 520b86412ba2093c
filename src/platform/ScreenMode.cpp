#include "platform/ScreenMode.h"

#include <cmath>

namespace platform {

void SetDisplayMode(ScreenMode& screen, float width, float height) {
    screen.setMode(static_cast<int>(std::lround(width)), static_cast<int>(std::lround(height)));
}

} // namespace platform
