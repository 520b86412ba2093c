#pragma once
// The radio's loudspeaker for voice heard while it is spoken (a classmate's, through the class):
// each live transmission of another station waits in a small jitter buffer (filled again when the
// network falls behind and it runs dry; a frame that comes after its turn is dropped as late, one
// that never comes is a moment of silence), then every 20 ms what
// the radio hears at that moment goes through the radio's receiver, one per channel (two stations
// keying on one channel at once: a double, both garbled), into the sound's live stream. The
// trainer's own transmissions are never played back to it, and the `hears` rule says what the
// radio hears now (a transmitting radio hears nothing; an instructor may listen to any channel).
#include "air/Voice.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace air {
class Air;
}
namespace platform {
class Clock;
class Sound;
class Timer;
} // namespace platform

namespace voice {

class RadioReceiver;

class Loudspeaker {
public:
    // What waits before the first frame of a transmission is played, against the network's jitter.
    static constexpr int kJitterMs = 40;
    using Hears = std::function<bool(const air::LiveVoice&)>;

    Loudspeaker(air::Air& air, platform::Clock& clock, platform::Sound& sound, Hears hears);
    ~Loudspeaker();
    Loudspeaker(const Loudspeaker&) = delete;
    Loudspeaker& operator=(const Loudspeaker&) = delete;

    // Of the voices the radio hears:
    struct Counts {
        qint64 played = 0;  // frames played
        qint64 late = 0;    // frames that came after their turn, dropped
        qint64 gaps = 0;    // turns with no frame to play, filled with silence
    };
    const Counts& counts() const { return counts_; }
    // Told of each frame the radio hears, as it goes into the sound's stream.
    std::function<void(quint64 liveId, int frame)> onPlayed;

private:
    struct Stream {
        air::LiveVoice voice;
        std::map<int, std::vector<qint16>> frames;  // by number, waiting
        int next = 0;            // the number whose turn is next
        bool started = false;    // the jitter buffer has filled
        qint64 firstAt = -1;     // tick of the first frame since it was last empty
    };
    void event(const air::LiveEvent& e);
    void tick();

    air::Air& air_;
    platform::Clock& clock_;
    platform::Sound& sound_;
    Hears hears_;
    std::unique_ptr<platform::Timer> timer_;
    std::map<quint64, Stream> streams_;
    std::map<QString, RadioReceiver> receivers_;  // by channel, while they sound
    std::shared_ptr<Loudspeaker*> self_;          // the air's subscription outlives this object
    Counts counts_;
};

} // namespace voice
