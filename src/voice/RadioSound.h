#pragma once
// What a listener hears through a narrow-band FM radio: the speech band only (about 300-3000 Hz),
// the limiter's even loudness, a little hiss, and the squelch tail when the other station lets go
// of its key. Only for playing: recognition works on the microphone's sound, never on this.
#include <QtGlobal>

#include <vector>

namespace voice {

// The transmission as a listener's radio plays it, 16 kHz in and out; `seed` makes the hiss (the
// same seed, the same sound). Longer than the speech by the squelch tail.
std::vector<qint16> radioSound(const std::vector<qint16>& speech16k, quint32 seed);

// Two stations keying at once on one channel (a "double"): both garbled under the whine of the two
// carriers beating, as long as the longer of them.
std::vector<qint16> doubleSound(const std::vector<qint16>& first16k, const std::vector<qint16>& second16k, quint32 seed);

} // namespace voice
