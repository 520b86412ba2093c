#pragma once
// What a listener hears through a narrow-band FM radio: the speech band only (about 300-3000 Hz),
// the limiter's even loudness, a little hiss, and the squelch tail when the other station lets go
// of its key. Only for playing: recognition works on the microphone's sound, never on this.
#include <QtGlobal>

#include <memory>
#include <vector>

namespace voice {

// The transmission as a listener's radio plays it, 16 kHz in and out; `seed` makes the hiss (the
// same seed, the same sound). Longer than the speech by the squelch tail.
std::vector<qint16> radioSound(const std::vector<qint16>& speech16k, quint32 seed);

// Two stations keying at once on one channel (a "double"): both garbled under the whine of the two
// carriers beating, as long as the longer of them.
std::vector<qint16> doubleSound(const std::vector<qint16>& first16k, const std::vector<qint16>& second16k, quint32 seed);

// The same a frame at a time, for voice heard while it is said: one receiver per channel, given
// every frame what is on the channel then. The limiter follows the speech's loudness as it comes
// instead of knowing its peak beforehand.
class RadioReceiver {
public:
    explicit RadioReceiver(quint32 seed);
    ~RadioReceiver();
    RadioReceiver(RadioReceiver&&) noexcept;
    RadioReceiver& operator=(RadioReceiver&&) noexcept;

    // One frame of `count` samples at 16 kHz, added into `out` (scaled to 16 bits): `speech` holds
    // one frame for each station transmitting now; two or more make a double. With none, the
    // squelch tail of the last carrier plays, then nothing is added.
    void frame(const std::vector<const qint16*>& speech, int count, std::vector<double>& out);
    // The squelch is closed: nothing more comes out until a station transmits.
    bool quiet() const;

private:
    struct State;
    std::unique_ptr<State> d;
};

} // namespace voice
