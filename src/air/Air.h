#pragma once
// The air of channel 70 as the trainer knows it: the one place every station hands the DSC
// message of a call to, at the moment the call is delivered. It keeps every message of the run in
// order and tells whoever listens (the DSC message window, the NMEA output, later a classroom)
// through subscriptions they make; it names none of them.
#include "air/Voice.h"
#include "dscwire/Message.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>
#include <map>
#include <vector>

namespace platform {
class Clock;
}

namespace air {

// Where a message on the air comes from: the trainer's own stations (and the class's, which the
// trainer's stations speak for), or a real receiver on channel 70 that heard it from outside.
enum class Source { Trainer, Receiver };

struct Transmission {
    int number = 0;             // 1, 2, ... in the order sent
    QDateTime localTime;        // when it went out, local time
    dscwire::Message message;
    QList<int> symbols;         // the message characters; empty when it could not be built
    QString error;              // why it could not be built, empty otherwise
    bool fromOwnRadio = false;  // sent by the trainee's radio (else received by it, or overheard)
    bool toOwnRadio = false;    // a call the own radio receives: to all ships, its group or itself
    // A call heard by a receiver is neither sent nor received by the own radio: it is only heard.
    Source source = Source::Trainer;
};

class Air {
public:
    using Listener = std::function<void(const Transmission&)>;

    // `ownMmsi` tells the own radio's MMSI at the moment of each transmission.
    Air(platform::Clock& clock, std::function<QString()> ownMmsi);

    // Puts the message on the air: records it, then tells every listener in the order they
    // subscribed. Returns the record.
    const Transmission& transmit(const dscwire::Message& message);
    // Puts a message that a receiver heard on the air, as heard from outside; the same otherwise.
    const Transmission& hear(const dscwire::Message& message);

    void subscribe(Listener listener);

    // Voice: a transmission is put on the air once it has ended and its words are known. Numbers it
    // and tells every voice listener in the order they subscribed; returns the record.
    using VoiceListener = std::function<void(const VoiceTransmission&)>;
    const VoiceTransmission& speak(VoiceTransmission t);
    void subscribeVoice(VoiceListener listener);
    const std::vector<VoiceTransmission>& voiceLog() const { return voiceLog_; }

    // Voice while it is spoken: a key goes down on a channel, the frames follow as they are said,
    // the key comes up. A second station keying on a channel where another is on the air makes a
    // double: both are marked, and live listeners are told. speak() later puts the whole
    // transmission, with its words, on the air as above; a transmission given the id of a live
    // one (liveId) takes its doubled mark.
    using LiveListener = std::function<void(const LiveEvent&)>;
    quint64 key(LiveVoice voice);
    void frame(quint64 id, int number, const qint16* samples);
    void unkey(quint64 id);
    void subscribeLive(LiveListener listener);
    // The transmissions on the air now, oldest first; one by its id (also once it has ended), or null.
    std::vector<const LiveVoice*> onAir() const;
    const LiveVoice* live(quint64 id) const;
    const std::vector<Transmission>& log() const { return log_; }
    // The newest message of the trainer's stations on the air that `matches`, or nullptr: they
    // answer one another, never a call heard by a receiver.
    const dscwire::Message* latest(const std::function<bool(const dscwire::Message&)>& matches) const;

private:
    const Transmission& put(Transmission t);

    platform::Clock& clock_;
    std::function<QString()> ownMmsi_;
    std::vector<Transmission> log_;
    std::vector<Listener> listeners_;
    std::vector<VoiceTransmission> voiceLog_;
    std::vector<VoiceListener> voiceListeners_;
    void tellLive(const LiveEvent& e);
    std::map<quint64, LiveVoice> live_;  // the ended ones are kept (small) until the run ends
    quint64 nextLive_ = 1;
    std::vector<LiveListener> liveListeners_;
};

} // namespace air
