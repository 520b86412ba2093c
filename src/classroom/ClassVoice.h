#pragma once
// The class's voice on the trainer's air. What the trainer's own stations say goes out to the class
// while it is said, a 20 ms Opus frame at a time, then its end and, once recognised, its words and
// verdicts. What a classmate says comes onto the air frame by frame as it arrives (the loudspeaker
// plays it), and whole, with the words its trainer recognised, once they arrive.
//
// A classmate's transmission ends for this trainer with its end, or when nothing of it has come
// for kSilenceMs (its trainer or its link gone, the broker restarting), or at once when its
// station goes offline or this link is lost. Frames that do not decode are dropped, logged once
// per station, and never reach the air.
#include "air/Voice.h"
#include "classroom/VoiceFrame.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>

namespace air {
class Air;
}
namespace platform {
class Clock;
namespace opus {
class Decoder;
class Encoder;
} // namespace opus
} // namespace platform

namespace classroom {

class Link;
struct StationStatus;

class ClassVoice : public QObject {
    Q_OBJECT
public:
    static constexpr int kSilenceMs = 500;
    // How long the words of an ended transmission are waited for before it goes on the air without them.
    static constexpr int kTranscriptWaitMs = 30000;

    ClassVoice(air::Air& air, Link& link, platform::Clock& clock, QObject* parent = nullptr);
    ~ClassVoice() override;

    // Whether the radio hears a channel now (a classmate's transmission is then heard by the own radio).
    std::function<bool(const QString& channel)> hears;

private:
    struct Outgoing;
    struct Incoming;
    using Key = std::pair<QString, quint64>;  // sender, transmission

    void live(const air::LiveEvent& e);
    void spoken(const air::VoiceTransmission& t);
    void received(const QString& channel, const VoiceMessage& m);
    void frame(Incoming& in, const VoiceMessage& m);
    void silence(Incoming& in);
    void finish(const Key& key);
    void stationChanged(const StationStatus& s);
    void linkChanged();
    void look();

    air::Air& air_;
    Link& link_;
    platform::Clock& clock_;
    std::shared_ptr<ClassVoice*> self_;  // the air's subscriptions outlive this object
    std::map<quint64, std::unique_ptr<Outgoing>> out_;  // by live id, until the words have gone out
    std::map<Key, std::unique_ptr<Incoming>> in_;
    QTimer look_;                         // silences and words waited for, on the real clock
};

} // namespace classroom
