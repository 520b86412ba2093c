// The context's making and unmaking: the one place that needs the full type of every part it owns
// (the rest of the context, in core/, knows them by name only).
#include "core/Context.h"

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
#include "platform/Microphone.h"
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

Context::Context(Services sv)
    : clock(sv.clock), sound(sv.sound), messages(sv.messages), screen(sv.screen), endProgram(std::move(sv.endProgram)) {}

Context::~Context() = default;
