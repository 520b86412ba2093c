#include "platform/Display.h"

#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

namespace {

bool envSet(const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
}

// Qt platforms that draw without any window system to connect to.
bool needsNoDisplay(std::string_view name) {
    for (std::string_view p : {"offscreen", "minimal", "minimalegl", "vnc", "linuxfb", "eglfs", "vkkhrdisplay"})
        if (name == p) return true;
    return false;
}

// The connection that showed the X server answers. It stays open until the program's own
// connection is made: an X server can take tens of milliseconds to accept a new client right after
// one has left (Xvfb waits about 25 ms), which would delay the window by that much. A bare XCB
// connection: Xlib's would also ask the server for its extensions, a few round trips more.
xcb_connection_t* gProbe = nullptr;

bool x11ServerAnswers() {
    closeDisplayProbe();
    if (!envSet("DISPLAY")) return false;
    gProbe = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(gProbe) == 0) return true;
    closeDisplayProbe();
    return false;
}

// The platform names that QT_QPA_PLATFORM asks for, in order ("xcb;wayland", "vnc:size=800x600").
std::vector<std::string> requestedPlatforms() {
    std::vector<std::string> names;
    const char* v = std::getenv("QT_QPA_PLATFORM");
    if (!v) return names;
    std::string_view rest(v);
    while (!rest.empty()) {
        const auto end = rest.find(';');
        std::string_view item = rest.substr(0, end);
        item = item.substr(0, item.find(':'));
        if (!item.empty()) names.emplace_back(item);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return names;
}

} // namespace

void closeDisplayProbe() {
    if (gProbe) xcb_disconnect(gProbe);
    gProbe = nullptr;
}

void loadX11LocaleTables() { XSupportsLocale(); }

bool displayOrSay() {
    if (displayAvailable()) return true;
    std::fprintf(stderr, "vhf-dsc-trainer: cannot open a display (is DISPLAY or WAYLAND_DISPLAY set?)\n");
    return false;
}

bool windowSystemPlatform() {
    const auto platforms = requestedPlatforms();
    if (platforms.empty()) return true;
    const std::string& p = platforms.front();
    return p == "xcb" || p.rfind("wayland", 0) == 0;
}

bool displayAvailable() {
    const auto platforms = requestedPlatforms();
    if (platforms.empty()) return envSet("WAYLAND_DISPLAY") || x11ServerAnswers();
    for (const std::string& p : platforms) {
        if (needsNoDisplay(p)) return true;
        if (p.rfind("wayland", 0) == 0) {
            if (envSet("WAYLAND_DISPLAY")) return true;
        } else if (p == "xcb") {
            if (x11ServerAnswers()) return true;
        } else {
            return true; // a platform of its own: let Qt judge it
        }
    }
    return false;
}

} // namespace platform
