#include "classroom/ClassVoice.h"

#include "air/Air.h"
#include "classroom/Link.h"
#include "classroom/Topics.h"
#include "platform/Clock.h"
#include "platform/Opus.h"

#include <optional>

namespace classroom {

struct ClassVoice::Outgoing {
    quint64 transmission = 0;
    QString channel, mmsi;
    quint32 sent = 0;
    bool cut = false;  // the link went down while it was said: the class heard no more of it
    platform::opus::Encoder encoder;
};

struct ClassVoice::Incoming {
    QString sender, channel;
    quint64 liveId = 0;             // the live transmission on the air now, 0: none
    std::vector<quint64> segments;  // every live transmission it has been (it may go silent and come back)
    platform::opus::Decoder decoder;
    std::vector<qint16> audio;
    qint64 lastFrame = -1;
    int received = 0;
    QElapsedTimer lastHeard;
    QDateTime keyedAt;
    bool heard = false;             // the radio heard some of it
    bool ended = false;             // its end came
    bool cut = false;               // it went silent, or its station or the link went away
    QElapsedTimer waiting;          // for the words, since it stopped
    std::optional<VoiceMessage> transcript;
};

ClassVoice::ClassVoice(air::Air& air, Link& link, platform::Clock& clock, QObject* parent)
    : QObject(parent), air_(air), link_(link), clock_(clock), self_(std::make_shared<ClassVoice*>(this)) {
    air_.subscribeLive([self = std::weak_ptr<ClassVoice*>(self_)](const air::LiveEvent& e) {
        if (const auto alive = self.lock()) (*alive)->live(e);
    });
    air_.subscribeVoice([self = std::weak_ptr<ClassVoice*>(self_)](const air::VoiceTransmission& t) {
        if (const auto alive = self.lock()) (*alive)->spoken(t);
    });
    connect(&link_, &Link::voiceReceived, this, &ClassVoice::received);
    connect(&link_, &Link::stationChanged, this, &ClassVoice::stationChanged);
    connect(&link_, &Link::stateChanged, this, &ClassVoice::linkChanged);
    look_.setInterval(100);
    connect(&look_, &QTimer::timeout, this, &ClassVoice::look);
}

ClassVoice::~ClassVoice() {
    // Classmates still on the air leave it with this trainer's class.
    for (auto& [key, in] : in_)
        if (in->liveId) air_.unkey(std::exchange(in->liveId, 0));
}

// The trainer's own stations: their voice goes out while it is said.
void ClassVoice::live(const air::LiveEvent& e) {
    const air::LiveVoice& v = e.voice;
    if (!v.local) return;
    if (e.kind == air::LiveEvent::Keyed) {
        if (!link_.voices().contains(v.fromMmsi)) return;
        auto o = std::make_unique<Outgoing>();
        o->transmission = link_.nextTransmission();
        o->channel = v.channel;
        o->mmsi = v.fromMmsi;
        out_[v.id] = std::move(o);
        return;
    }
    const auto it = out_.find(v.id);
    if (it == out_.end()) return;
    Outgoing& o = *it->second;
    if (e.kind == air::LiveEvent::Frame && !o.cut) {
        VoiceMessage m;
        m.kind = VoiceMessage::Frame;
        m.sender = o.mmsi;
        m.transmission = o.transmission;
        m.number = quint32(e.frame);
        m.packet = o.encoder.encode(e.samples);
        // A frame that cannot go now is never sent later: the class hears no more of this one.
        if (link_.state() != LinkState::Online || m.packet.isEmpty() || !link_.publishVoice(o.channel, m)) o.cut = true;
        else ++o.sent;
    } else if (e.kind == air::LiveEvent::Unkeyed) {
        VoiceMessage m;
        m.kind = VoiceMessage::End;
        m.sender = o.mmsi;
        m.transmission = o.transmission;
        m.number = o.sent;
        link_.publishVoice(o.channel, m);
    }
}

// The words of one of them, once recognised.
void ClassVoice::spoken(const air::VoiceTransmission& t) {
    const auto it = out_.find(t.liveId);
    if (t.liveId == 0 || it == out_.end()) return;
    const Outgoing& o = *it->second;
    VoiceMessage m;
    m.kind = VoiceMessage::Transcript;
    m.sender = o.mmsi;
    m.transmission = o.transmission;
    m.number = o.sent;
    m.channel = o.channel;
    m.name = t.fromName;
    m.power = t.power;
    m.words = t.words;
    m.procedure = t.procedure;
    m.verdicts = t.verdicts;
    m.confidence = t.confidence;
    m.cut = o.cut;
    link_.publishVoice(o.channel, m);
    out_.erase(it);
}

void ClassVoice::received(const QString& channel, const VoiceMessage& m) {
    const Key key{m.sender, m.transmission};
    auto it = in_.find(key);
    if (it == in_.end()) {
        if (m.kind == VoiceMessage::Frame) {
            // A new transmission of the sender ends any other of its that is still on the air here.
            for (auto& [k, other] : in_)
                if (k.first == m.sender && other->liveId) silence(*other);
        }
        auto in = std::make_unique<Incoming>();
        in->sender = m.sender;
        in->channel = channel;
        in->keyedAt = clock_.now();
        it = in_.emplace(key, std::move(in)).first;
    }
    Incoming& in = *it->second;
    switch (m.kind) {
    case VoiceMessage::Frame:
        frame(in, m);
        break;
    case VoiceMessage::End:
        in.ended = true;
        silence(in);
        break;
    case VoiceMessage::Transcript:
        in.transcript = m;
        // Words come after the end; with nothing on the air, whatever came of it is all there is.
        if (!in.liveId) silence(in);
        break;
    }
    if (!look_.isActive()) look_.start();
    // Whole once it has stopped and its words are here.
    if (in.transcript && (in.ended || in.cut) && !in.liveId) finish(key);
}

void ClassVoice::frame(Incoming& in, const VoiceMessage& m) {
    std::vector<qint16> pcm;
    if (!in.decoder.decode(m.packet, pcm)) {
        link_.dropVoice(m.sender, topics::voice(link_.settings().className, in.channel, m.sender),
                        QStringLiteral("a frame that is not 20 ms of Opus"));
        return;
    }
    if (!in.liveId) {
        air::LiveVoice v;
        v.channel = in.channel;
        v.fromMmsi = in.sender;
        for (const StationStatus& s : link_.stations())
            if (s.mmsi == in.sender) v.fromName = s.name;
        if (in.transcript && !in.transcript->name.isEmpty()) v.fromName = in.transcript->name;
        if (v.fromName.isEmpty()) v.fromName = in.sender;
        v.local = false;
        in.liveId = air_.key(v);
        in.segments.push_back(in.liveId);
    }
    // A frame that never came is silence in the record, so that what follows keeps its time.
    const qint64 missing = qint64(m.number) - in.lastFrame - 1;
    if (missing > 0 && missing < 50 * 60) in.audio.insert(in.audio.end(), size_t(missing) * air::kFrameSamples, 0);
    in.audio.insert(in.audio.end(), pcm.begin(), pcm.end());
    in.lastFrame = m.number;
    ++in.received;
    in.lastHeard.start();
    if (hears && hears(in.channel)) in.heard = true;
    air_.frame(in.liveId, int(m.number), pcm.data());
}

// Off the air here; the record waits for its words.
void ClassVoice::silence(Incoming& in) {
    if (!in.ended) in.cut = true;
    in.waiting.start();
    if (in.liveId) air_.unkey(std::exchange(in.liveId, 0));
}

void ClassVoice::finish(const Key& key) {
    const auto it = in_.find(key);
    if (it == in_.end()) return;
    const std::unique_ptr<Incoming> in = std::move(it->second);
    in_.erase(it);
    // Nothing of it reached this trainer (its station was cut off from the start): nothing was heard.
    if (in->received == 0) return;
    air::VoiceTransmission t;
    t.localTime = in->keyedAt;
    t.channel = in->channel;
    t.fromMmsi = in->sender;
    t.fromName = in->sender;
    for (const StationStatus& s : link_.stations())
        if (s.mmsi == in->sender && !s.name.isEmpty()) t.fromName = s.name;
    // The decoder's delay taken off: the record lines up with what was said.
    const size_t delay = std::min(in->audio.size(), size_t(platform::opus::Decoder::delaySamples()));
    t.audio.assign(in->audio.begin() + qsizetype(delay), in->audio.end());
    t.heardByOwnRadio = t.heardLive = in->heard;
    t.framesReceived = in->received;
    t.cut = in->cut;
    t.procedure = QStringLiteral("none");
    if (in->transcript) {
        const VoiceMessage& m = *in->transcript;
        if (!m.name.isEmpty()) t.fromName = m.name;
        t.power = m.power;
        t.words = m.words;
        t.procedure = m.procedure.isEmpty() ? t.procedure : m.procedure;
        t.verdicts = m.verdicts;
        t.confidence = m.confidence;
        t.framesSent = int(m.number);
        t.cut = t.cut || m.cut;
    }
    for (quint64 id : in->segments)
        if (const air::LiveVoice* v = air_.live(id); v && v->doubled) t.doubled = true;
    t.liveId = in->segments.empty() ? 0 : in->segments.front();
    air_.speak(std::move(t));
}

void ClassVoice::stationChanged(const StationStatus& s) {
    if (s.online) return;
    for (auto& [key, in] : in_)
        if (key.first == s.mmsi && in->liveId) silence(*in);
}

void ClassVoice::linkChanged() {
    if (link_.state() == LinkState::Online) return;
    for (auto& [key, in] : in_)
        if (in->liveId) silence(*in);
}

void ClassVoice::look() {
    std::vector<Key> done;
    for (auto& [key, in] : in_) {
        if (in->liveId && in->lastHeard.isValid() && in->lastHeard.elapsed() >= kSilenceMs) silence(*in);
        if (in->liveId) continue;
        if ((in->transcript && (in->ended || in->cut)) || (in->waiting.isValid() && in->waiting.elapsed() >= kTranscriptWaitMs))
            done.push_back(key);
    }
    for (const Key& key : done) finish(key);
    if (in_.empty()) look_.stop();
}

} // namespace classroom
