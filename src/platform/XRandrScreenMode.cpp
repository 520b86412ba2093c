#include "platform/XRandrScreenMode.h"

#include <QGuiApplication>
#include <QScreen>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <dlfcn.h>
#include <type_traits>

namespace platform {

namespace {

// libXrandr is loaded with the first mode change (dlopen), not with the program: the window
// shows sooner without it and the two libraries it brings. A dependency of the package all the same.
struct XRandr {
    decltype(&::XRRGetOutputPrimary) GetOutputPrimary = nullptr;
    decltype(&::XRRGetOutputInfo) GetOutputInfo = nullptr;
    decltype(&::XRRFreeOutputInfo) FreeOutputInfo = nullptr;
    decltype(&::XRRGetScreenResources) GetScreenResources = nullptr;
    decltype(&::XRRGetCrtcInfo) GetCrtcInfo = nullptr;
    decltype(&::XRRFreeCrtcInfo) FreeCrtcInfo = nullptr;
    decltype(&::XRRGetScreenSizeRange) GetScreenSizeRange = nullptr;
    decltype(&::XRRSetScreenSize) SetScreenSize = nullptr;
    decltype(&::XRRSetCrtcConfig) SetCrtcConfig = nullptr;
    decltype(&::XRRFreeScreenResources) FreeScreenResources = nullptr;
    decltype(&::XRRQueryExtension) QueryExtension = nullptr;
    decltype(&::XRRQueryVersion) QueryVersion = nullptr;
    bool loaded = false;
};

const XRandr& xrr() {
    static const XRandr lib = [] {
        XRandr x;
        void* so = dlopen("libXrandr.so.2", RTLD_NOW | RTLD_LOCAL);
        auto get = [so](const char* name, auto& function) {
            function = so ? reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(so, name)) : nullptr;
            return function != nullptr;
        };
        x.loaded = get("XRRGetOutputPrimary", x.GetOutputPrimary) &
                   get("XRRGetOutputInfo", x.GetOutputInfo) &
                   get("XRRFreeOutputInfo", x.FreeOutputInfo) &
                   get("XRRGetScreenResources", x.GetScreenResources) &
                   get("XRRGetCrtcInfo", x.GetCrtcInfo) &
                   get("XRRFreeCrtcInfo", x.FreeCrtcInfo) &
                   get("XRRGetScreenSizeRange", x.GetScreenSizeRange) &
                   get("XRRSetScreenSize", x.SetScreenSize) &
                   get("XRRSetCrtcConfig", x.SetCrtcConfig) &
                   get("XRRFreeScreenResources", x.FreeScreenResources) &
                   get("XRRQueryExtension", x.QueryExtension) &
                   get("XRRQueryVersion", x.QueryVersion);
        if (!x.loaded) qWarning("cannot load libXrandr.so.2: the display mode stays as it is");
        return x;
    }();
    return lib;
}

bool onX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

// A refused request must not end the program (Xlib's default handler exits), so errors are
// swallowed while the mode changes.
int ignoreXError(Display*, XErrorEvent*) { return 0; }

// The primary output if it drives a CRTC, otherwise the first connected output that does.
RROutput pickOutput(Display* dpy, Window root, XRRScreenResources* res) {
    const RROutput primary = xrr().GetOutputPrimary(dpy, root);
    RROutput chosen = None;
    for (int i = 0; i < res->noutput && chosen == None; ++i) {
        XRROutputInfo* oi = xrr().GetOutputInfo(dpy, res, res->outputs[i]);
        if (!oi) continue;
        if (oi->connection == RR_Connected && oi->crtc != None && (res->outputs[i] == primary || primary == None))
            chosen = res->outputs[i];
        xrr().FreeOutputInfo(oi);
    }
    for (int i = 0; i < res->noutput && chosen == None; ++i) {
        XRROutputInfo* oi = xrr().GetOutputInfo(dpy, res, res->outputs[i]);
        if (!oi) continue;
        if (oi->connection == RR_Connected && oi->crtc != None) chosen = res->outputs[i];
        xrr().FreeOutputInfo(oi);
    }
    return chosen;
}

const XRRModeInfo* modeInfo(XRRScreenResources* res, RRMode id) {
    for (int i = 0; i < res->nmode; ++i)
        if (res->modes[i].id == id) return &res->modes[i];
    return nullptr;
}

// Switches the output's CRTC to a mode of exactly width x height and fits the screen to it.
void switchMode(Display* dpy, int width, int height) {
    const int screen = DefaultScreen(dpy);
    const Window root = RootWindow(dpy, screen);
    XRRScreenResources* res = xrr().GetScreenResources(dpy, root);
    if (!res) return;
    const RROutput output = pickOutput(dpy, root, res);
    XRROutputInfo* oi = output != None ? xrr().GetOutputInfo(dpy, res, output) : nullptr;
    XRRCrtcInfo* ci = oi ? xrr().GetCrtcInfo(dpy, res, oi->crtc) : nullptr;
    RRMode mode = None;
    for (int i = 0; oi && i < oi->nmode && mode == None; ++i) {
        const XRRModeInfo* m = modeInfo(res, oi->modes[i]);
        if (m && int(m->width) == width && int(m->height) == height) mode = m->id;
    }
    if (ci && mode != None && mode != ci->mode) {
        const bool sideways = ci->rotation & (RR_Rotate_90 | RR_Rotate_270);
        const int crtcW = sideways ? height : width;
        const int crtcH = sideways ? width : height;
        // The screen must hold every CRTC that stays lit, and ours at its new size.
        int newW = ci->x + crtcW, newH = ci->y + crtcH;
        for (int i = 0; i < res->ncrtc; ++i) {
            if (res->crtcs[i] == oi->crtc) continue;
            if (XRRCrtcInfo* other = xrr().GetCrtcInfo(dpy, res, res->crtcs[i])) {
                if (other->mode != None) {
                    newW = std::max(newW, other->x + int(other->width));
                    newH = std::max(newH, other->y + int(other->height));
                }
                xrr().FreeCrtcInfo(other);
            }
        }
        int minW = 0, minH = 0, maxW = 0, maxH = 0;
        xrr().GetScreenSizeRange(dpy, root, &minW, &minH, &maxW, &maxH);
        const int curW = DisplayWidth(dpy, screen), curH = DisplayHeight(dpy, screen);
        const int curMmW = DisplayWidthMM(dpy, screen), curMmH = DisplayHeightMM(dpy, screen);
        auto setScreen = [&](int w, int h) {
            if (w == DisplayWidth(dpy, screen) && h == DisplayHeight(dpy, screen)) return;
            const int mmW = curW > 0 ? std::max(1, curMmW * w / curW) : w;
            const int mmH = curH > 0 ? std::max(1, curMmH * h / curH) : h;
            xrr().SetScreenSize(dpy, root, w, h, mmW, mmH);
            XSync(dpy, False);
        };
        if (newW >= minW && newH >= minH && newW <= maxW && newH <= maxH) {
            XGrabServer(dpy);
            // Grow first where the new mode is larger, then switch, then shrink to fit.
            setScreen(std::max(curW, newW), std::max(curH, newH));
            xrr().SetCrtcConfig(dpy, res, oi->crtc, CurrentTime, ci->x, ci->y, mode, ci->rotation, ci->outputs,
                             ci->noutput);
            XSync(dpy, False);
            setScreen(newW, newH);
            XUngrabServer(dpy);
            XSync(dpy, False);
        }
    }
    if (ci) xrr().FreeCrtcInfo(ci);
    if (oi) xrr().FreeOutputInfo(oi);
    xrr().FreeScreenResources(res);
}

} // namespace

QSize XRandrScreenMode::screenSize() {
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return {};
    return s->geometry().size() * s->devicePixelRatio();
}

void XRandrScreenMode::setMode(int width, int height) {
    if (!onX11() || width <= 0 || height <= 0) return;
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy || !xrr().loaded) {
        if (dpy) XCloseDisplay(dpy);
        return;
    }
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (xrr().QueryExtension(dpy, &eventBase, &errorBase) && xrr().QueryVersion(dpy, &major, &minor) &&
        (major > 1 || (major == 1 && minor >= 2))) {
        XSync(dpy, False);
        auto* previous = XSetErrorHandler(ignoreXError);
        switchMode(dpy, width, height);
        XSync(dpy, False);
        XSetErrorHandler(previous);
    }
    XCloseDisplay(dpy);
}

} // namespace platform
