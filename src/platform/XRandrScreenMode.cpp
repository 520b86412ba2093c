#include "platform/XRandrScreenMode.h"

#include <QGuiApplication>
#include <QScreen>

// Not written yet.
namespace platform {
QSize XRandrScreenMode::screenSize() {
    auto* s = QGuiApplication::primaryScreen();
    return s ? s->size() : QSize();
}
void XRandrScreenMode::setMode(int, int) {}
} // namespace platform
