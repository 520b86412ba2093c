#pragma once
#include "platform/Clock.h"
#include "platform/Sound.h"

#include <QLoggingCategory>
#include <QStringList>

#include <memory>

namespace platform {

// "vhf.sound": the path of every cue file played, or that it was not found. Its debug messages
// are off unless enabled, e.g. with QT_LOGGING_RULES="vhf.sound.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcSound)

// The folders searched for a cue file, in order: the current directory (cwd); the sounds folder
// installed beside the program (appDir/../share/vhf-dsc-trainer/sounds); installedDir, the
// folder of the configured install prefix; and buildSoundsDir, the build tree's cues, only when
// the program itself lives inside buildDir. An empty appDir (no application object) leaves out
// both the folder beside the program and the build tree's. Duplicates are dropped.
QStringList soundSearchDirs(const QString& appDir, const QString& cwd, const QString& installedDir,
                            const QString& buildDir, const QString& buildSoundsDir);
// The same with the folders this program was built with.
QStringList soundSearchDirs(const QString& appDir, const QString& cwd);

// Cue files decoded by libsndfile and played blocking through the PulseAudio simple API (works on
// PipeWire desktops too). Beeps and samples are played by a worker thread so that they never block,
// and the live stream by another.
class PulseSound : public Sound {
public:
    explicit PulseSound(Clock& clock);
    ~PulseSound() override;
    void playFile(const QString& fileName) override;
    void beep() override;
    void playSamples(const QList<qint16>& samples, int sampleRate) override;
    // A stream of its own on a thread of its own, about 60 ms of buffer at the server; more than a
    // second waiting is dropped from its oldest end.
    void streamSamples(const qint16* samples, qint64 count, int sampleRate) override;

    // For a replay on a virtual clock, which stands still while a cue plays: from now on every cue
    // moves the clock on by its length, whether it is heard or not; with `audible` false nothing is
    // played at all (a replay faster than real time).
    void replayOnStillClock(bool audible);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace platform
