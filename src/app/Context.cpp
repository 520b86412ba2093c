#include "app/Context.h"

#include "air/Air.h"
#include "app/ClassroomSession.h"
#include "app/NmeaOutput.h"
#include "app/Talk.h"
#include "calls/DistressAlert.h"
#include "calls/Senders.h"
#include "dsc/CallComposer.h"
#include "dsc/Logs.h"
#include "dsc/Menu.h"
#include "dsc/OwnStation.h"
#include "lessons/Recorder.h"
#include "platform/Controls.h"
#include "platform/Microphone.h"
#include "platform/Wait.h"
#include "radio/ChannelSelector.h"
#include "radio/FrontPanel.h"
#include "radio/ScreenSizePanel.h"
#include "screens/DscMessages.h"
#include "screens/ExercisePanel.h"
#include "screens/InfoWindows.h"
#include "stations/Classmates.h"
#include "stations/CoastGuard.h"
#include "stations/StationVoices.h"
#include "stations/SecondVessel.h"

#include <QWidget>

Context::Context(Services sv)
    : clock(sv.clock), sound(sv.sound), messages(sv.messages), screen(sv.screen), endProgram(std::move(sv.endProgram)) {}

Context::~Context() = default;

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
