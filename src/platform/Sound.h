#pragma once
#include <QList>
#include <QString>

namespace platform {

// Sound output: cue files played synchronously, and a short beep and recorded samples that do not
// block.
class Sound {
public:
    virtual ~Sound() = default;
    // Plays the named cue file once and returns when it has ended. The file is looked for in the
    // current directory first, then in the installed sounds folder. A missing or unreadable file
    // plays nothing and returns at once; without a sound server the call still takes the sound's
    // length, so that sequences keep their timing.
    virtual void playFile(const QString& fileName) = 0;
    // A short tone; returns at once.
    virtual void beep() = 0;
    // Plays 16-bit mono samples at the given rate (a DSC burst, for one) and returns at once; the
    // sound plays on while the window goes on. Without a sound server nothing is heard and nothing
    // waits.
    virtual void playSamples(const QList<qint16>& samples, int sampleRate) = 0;
    // The loudspeaker's live stream (voices heard while they are spoken): 16-bit mono samples,
    // played right after what the stream was given before, without a gap while the writes keep up
    // with the clock. Returns at once; without a sound server nothing is heard.
    virtual void streamSamples(const qint16* samples, qint64 count, int sampleRate) = 0;
};

// Plays a cue file `times` times back to back; returns only when the last play has ended.
// A count of zero or less plays nothing.
void PlaySoundCue(Sound& sound, const QString& fileName, int times);

} // namespace platform
