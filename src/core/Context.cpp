#include "core/Context.h"

#include "platform/Controls.h"
#include "platform/Wait.h"

void Context::timedWait(int periodMs, const std::function<void()>& step, const std::function<bool()>& stopEarly) {
    ++waitDepth;
    platform::timedWait(clock, *Timer5Second, periodMs, s, step, stopEarly);
    --waitDepth;
}

void Context::doEvents() { clock.runPendingEvents(clock.tickMs()); }

void Context::beep() { sound.beep(); }

void Context::playSoundCue(const QString& fileName, int times) { platform::PlaySoundCue(sound, fileName, times); }

void Context::message(const QString& text) { messages.show(text); }

void Context::repaintNow() {
    if (form) ctl::repaintNow(form);
}
