#pragma once
#include <QSize>

namespace platform {

// The desktop's display mode.
class ScreenMode {
public:
    virtual ~ScreenMode() = default;
    // Size of the screen in pixels now.
    virtual QSize screenSize() = 0;
    // Asks for a display mode of width x height pixels; a refusal is ignored.
    virtual void setMode(int width, int height) = 0;
};

// Switches the desktop to width x height (each rounded to the nearest whole pixel); no caller
// looks at the outcome.
void SetDisplayMode(ScreenMode& screen, float width, float height);

} // namespace platform
