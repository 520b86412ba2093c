#pragma once
#include "platform/ScreenMode.h"

namespace platform {

// The desktop's display mode over XRandR (only on the xcb platform; elsewhere a mode change does
// nothing and the size is the primary screen's).
class XRandrScreenMode : public ScreenMode {
public:
    QSize screenSize() override;
    void setMode(int width, int height) override;
};

} // namespace platform
