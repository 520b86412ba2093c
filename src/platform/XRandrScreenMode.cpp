#include "platform/XRandrScreenMode.h"

#include <QGuiApplication>
#include <QScreen>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>

namespace platform {

namespace {

bool onX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

// A refused request must not end the program (Xlib's default handler exits), so errors are
// swallowed while the mode changes.
int ignoreXError(Display*, XErrorEvent*) { return 0; }

// The primary output if it drives a CRTC, otherwise the first connected output that does.
RROutput pickOutput(Display* dpy, Window root, XRRScreenResources* res) {
    const RROutput primary = XRRGetOutputPrimary(dpy, root);
    RROutput chosen = None;
    for (int i = 0; i < res->noutput && chosen == None; ++i) {
        XRROutputInfo* oi = XRRGetOutputInfo(dpy, res, res->outputs[i]);
        if (!oi) continue;
        if (oi->connection == RR_Connected && oi->crtc != None && (res->outputs[i] == primary || primary == None))
            chosen = res->outputs[i];
        XRRFreeOutputInfo(oi);
    }
    for (int i = 0; i < res->noutput && chosen == None; ++i) {
        XRROutputInfo* oi = XRRGetOutputInfo(dpy, res, res->outputs[i]);
        if (!oi) continue;
        if (oi->connection == RR_Connected && oi->crtc != None) chosen = res->outputs[i];
        XRRFreeOutputInfo(oi);
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
    XRRScreenResources* res = XRRGetScreenResources(dpy, root);
    if (!res) return;
    const RROutput output = pickOutput(dpy, root, res);
    XRROutputInfo* oi = output != None ? XRRGetOutputInfo(dpy, res, output) : nullptr;
    XRRCrtcInfo* ci = oi ? XRRGetCrtcInfo(dpy, res, oi->crtc) : nullptr;
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
            if (XRRCrtcInfo* other = XRRGetCrtcInfo(dpy, res, res->crtcs[i])) {
                if (other->mode != None) {
                    newW = std::max(newW, other->x + int(other->width));
                    newH = std::max(newH, other->y + int(other->height));
                }
                XRRFreeCrtcInfo(other);
            }
        }
        int minW = 0, minH = 0, maxW = 0, maxH = 0;
        XRRGetScreenSizeRange(dpy, root, &minW, &minH, &maxW, &maxH);
        const int curW = DisplayWidth(dpy, screen), curH = DisplayHeight(dpy, screen);
        const int curMmW = DisplayWidthMM(dpy, screen), curMmH = DisplayHeightMM(dpy, screen);
        auto setScreen = [&](int w, int h) {
            if (w == DisplayWidth(dpy, screen) && h == DisplayHeight(dpy, screen)) return;
            const int mmW = curW > 0 ? std::max(1, curMmW * w / curW) : w;
            const int mmH = curH > 0 ? std::max(1, curMmH * h / curH) : h;
            XRRSetScreenSize(dpy, root, w, h, mmW, mmH);
            XSync(dpy, False);
        };
        if (newW >= minW && newH >= minH && newW <= maxW && newH <= maxH) {
            XGrabServer(dpy);
            // Grow first where the new mode is larger, then switch, then shrink to fit.
            setScreen(std::max(curW, newW), std::max(curH, newH));
            XRRSetCrtcConfig(dpy, res, oi->crtc, CurrentTime, ci->x, ci->y, mode, ci->rotation, ci->outputs,
                             ci->noutput);
            XSync(dpy, False);
            setScreen(newW, newH);
            XUngrabServer(dpy);
            XSync(dpy, False);
        }
    }
    if (ci) XRRFreeCrtcInfo(ci);
    if (oi) XRRFreeOutputInfo(oi);
    XRRFreeScreenResources(res);
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
    if (!dpy) return;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (XRRQueryExtension(dpy, &eventBase, &errorBase) && XRRQueryVersion(dpy, &major, &minor) &&
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
