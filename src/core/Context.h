#pragma once
// The one object that ties the trainer together: the radio state, the designed window's controls,
// the platform services and the subsystems. Each subsystem keeps a reference to it and reaches the
// others through it (Enter runs the senders, the senders restore the channel display, the second
// vessel's panel runs the reply alarm, ...).
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/ScreenMode.h"
#include "platform/Sound.h"
#include "core/RadioState.h"

#include <functional>
#include <memory>
#include <vector>

class QJsonObject;
class QWidget;
namespace Ui {
class frmGMDSS;
}

class ChannelSelector;
class FrontPanel;
class ScreenSizePanel;
class Menu;
class OwnStation;
class CallComposer;
class Logs;
class DistressAlert;
class Senders;
class CoastGuard;
class SecondVessel;
class InfoWindows;
class DscMessages;
class NmeaOutput;
class Classmates;
class ClassroomSession;
class ExercisePanel;
class Talk;
class StationVoices;
namespace air {
class Air;
}
namespace lessons {
class Recorder;
}
namespace platform {
class Microphone;
}

struct Services {
    platform::Clock& clock;
    platform::Sound& sound;
    platform::MessageBox& messages;
    platform::ScreenMode& screen;
    std::function<void()> endProgram; // ends the process at once
};

struct Context {
    explicit Context(Services services);
    ~Context();

    platform::Clock& clock;
    platform::Sound& sound;
    platform::MessageBox& messages;
    platform::ScreenMode& screen;
    std::function<void()> endProgram;

    RadioState s;
    float OriginalScreenWidth = 0;
    float OriginalScreenHeight = 0;

    QWidget* form = nullptr; // frmGMDSS
    Ui::frmGMDSS* ui = nullptr;

    std::unique_ptr<platform::Timer> Timer1;       // 500 ms clock tick
    std::unique_ptr<platform::Timer> Timer5Second; // the shared one-shot wait timer
    std::unique_ptr<platform::Timer> TimerRepeat;  // 60 s distress repeat

    std::unique_ptr<ChannelSelector> channel;
    std::unique_ptr<FrontPanel> front;
    std::unique_ptr<ScreenSizePanel> screenSize;
    std::unique_ptr<Menu> menu;
    std::unique_ptr<OwnStation> own;
    std::unique_ptr<CallComposer> composer;
    std::unique_ptr<Logs> logs;
    std::unique_ptr<DistressAlert> distress;
    std::unique_ptr<Senders> senders;
    std::unique_ptr<CoastGuard> coastGuard;
    std::unique_ptr<SecondVessel> secondVessel;
    std::unique_ptr<InfoWindows> info;
    // Channel 70: every call's DSC message goes here as it is delivered.
    std::unique_ptr<air::Air> air;
    // The window that lists every message on the air (F2, or the DSC Messages button).
    std::unique_ptr<DscMessages> dscMessages;
    // What the own radio receives, for chart plotters over TCP; silent until started.
    std::unique_ptr<NmeaOutput> nmea;
    // The class the trainer is in, and its classmates as the window's stations meet them; both
    // null on a single seat.
    std::unique_ptr<ClassroomSession> classroom;
    std::unique_ptr<Classmates> classmates;
    // The lesson of this run as it is recorded: the user's actions, the air, and the exercises'
    // results (lesson->recordResult). Null when nothing is recorded (tests, replays, a folder
    // that cannot be written).
    std::unique_ptr<lessons::Recorder> lesson;
    // Told, in the order they were added, when the own MMSI the radio sends has changed (the MMSI
    // menu): the class, a running exercise.
    std::vector<std::function<void()>> ownMmsiListeners;
    // Told the running exercise's results whenever a verdict is given (the class hears them).
    std::vector<std::function<void(const QJsonObject&)>> resultListeners;
    // The exercise window and the exercise it runs (the Exercises button, --exercise).
    std::unique_ptr<ExercisePanel> exercises;
    // The own radio's voice: the talk key, recognition, the loudspeaker.
    std::unique_ptr<Talk> talk;
    // The model stations' spoken answers.
    std::unique_ptr<StationVoices> stationVoices;
    // The own vessel's name, as it is spoken.
    QString ownName = QStringLiteral("Kelpo");
    // The On/Off key has been pressed: the radio neither sends nor hears any more.
    bool poweredOff = false;
    // What the talk key listens to: the sound server's input, a file (--mic), a replayed lesson, or a
    // test's. Null: none.
    std::unique_ptr<platform::Microphone> microphone;
    // Returns once the transmissions begun so far are on the air: the own radio's (ownRadio: their
    // words are recognised on a worker), or the model stations' (spoken on one). A replay waits
    // there where the lesson had them.
    std::function<void(bool ownRadio)> waitForVoice;
    // The instructor has frozen the class: the window takes no clicks or keys.
    bool frozen = false;

    // How many timed waits are running inside each other right now. Every wait lets events run,
    // and a handler run there may start another wait; a class pressing keys for hours could stack
    // them without end. At kMaxNestedWaits the window takes no new clicks or keys until a wait ends.
    int waitDepth = 0;
    static constexpr int kMaxNestedWaits = 8;
    bool acceptsInput() const { return waitDepth < kMaxNestedWaits && !frozen; }

    // The one timed wait on Timer5Second (see platform::timedWait), with the radio's counters.
    void timedWait(int periodMs, const std::function<void()>& step, const std::function<bool()>& stopEarly = {});
    // "Let pending window events run" once, without waiting.
    void doEvents();
    void beep();
    void playSoundCue(const QString& fileName, int times);
    void message(const QString& text);
    void repaintNow();
};
