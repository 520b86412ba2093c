#include "air/Air.h"

#include "platform/Clock.h"

namespace air {

Air::Air(platform::Clock& clock, std::function<QString()> ownMmsi) : clock_(clock), ownMmsi_(std::move(ownMmsi)) {}

namespace {
Transmission recordOf(const dscwire::Message& message) {
    Transmission t;
    t.message = message;
    const auto symbols = dscwire::toSymbols(message);
    if (symbols.ok()) t.symbols = symbols.value();
    else t.error = symbols.error();
    return t;
}
} // namespace

const Transmission& Air::transmit(const dscwire::Message& message) {
    Transmission t = recordOf(message);
    const QString own = ownMmsi_();
    t.fromOwnRadio = message.selfId == own;
    // Distress alerts and calls to all ships have no address. The own radio is in no group.
    t.toOwnRadio = !t.fromOwnRadio && (message.address.isEmpty() || message.address == own);
    return put(std::move(t));
}

const Transmission& Air::hear(const dscwire::Message& message) {
    Transmission t = recordOf(message);
    t.source = Source::Receiver;
    return put(std::move(t));
}

const Transmission& Air::put(Transmission t) {
    t.number = static_cast<int>(log_.size()) + 1;
    t.localTime = clock_.now();
    log_.push_back(std::move(t));
    // A listener may put a message on the air itself (an answer): work on a copy of the record.
    const Transmission record = log_.back();
    const std::vector<Listener> listeners = listeners_;
    for (const Listener& l : listeners) l(record);
    return log_[static_cast<size_t>(record.number - 1)];
}

const VoiceTransmission& Air::speak(VoiceTransmission t) {
    t.number = static_cast<int>(voiceLog_.size()) + 1;
    if (const LiveVoice* v = live(t.liveId)) t.doubled = t.doubled || v->doubled;
    voiceLog_.push_back(std::move(t));
    // A listener may answer by voice: work on a copy.
    const VoiceTransmission record = voiceLog_.back();
    const std::vector<VoiceListener> listeners = voiceListeners_;
    for (const VoiceListener& l : listeners) l(record);
    return voiceLog_[static_cast<size_t>(record.number - 1)];
}

quint64 Air::key(LiveVoice voice) {
    voice.id = nextLive_++;
    voice.ended = false;
    voice.doubled = false;
    LiveVoice& v = live_.emplace(voice.id, std::move(voice)).first->second;
    std::vector<quint64> doubledNow;
    for (auto& [id, other] : live_)
        if (id != v.id && !other.ended && other.channel == v.channel && other.fromMmsi != v.fromMmsi) {
            if (!other.doubled) doubledNow.push_back(id);
            other.doubled = v.doubled = true;
        }
    const quint64 id = v.id;
    tellLive({LiveEvent::Keyed, v});
    for (quint64 other : doubledNow)
        if (const LiveVoice* o = live(other)) tellLive({LiveEvent::Doubled, *o});
    if (const LiveVoice* self = live(id); self && self->doubled) tellLive({LiveEvent::Doubled, *self});
    return id;
}

void Air::frame(quint64 id, int number, const qint16* samples) {
    const auto it = live_.find(id);
    if (it == live_.end() || it->second.ended) return;
    tellLive({LiveEvent::Frame, it->second, number, samples});
}

void Air::unkey(quint64 id) {
    const auto it = live_.find(id);
    if (it == live_.end() || it->second.ended) return;
    it->second.ended = true;
    tellLive({LiveEvent::Unkeyed, it->second});
}

void Air::tellLive(const LiveEvent& e) {
    // A listener may key or unkey itself: a copy of the list, and the record copied too.
    const LiveVoice record = e.voice;
    const LiveEvent copy{e.kind, record, e.frame, e.samples};
    const std::vector<LiveListener> listeners = liveListeners_;
    for (const LiveListener& l : listeners) l(copy);
}

void Air::subscribeLive(LiveListener listener) { liveListeners_.push_back(std::move(listener)); }

std::vector<const LiveVoice*> Air::onAir() const {
    std::vector<const LiveVoice*> now;
    for (const auto& [id, v] : live_)
        if (!v.ended) now.push_back(&v);
    return now;
}

const LiveVoice* Air::live(quint64 id) const {
    const auto it = live_.find(id);
    return it == live_.end() ? nullptr : &it->second;
}

void Air::subscribeVoice(VoiceListener listener) { voiceListeners_.push_back(std::move(listener)); }

void Air::subscribe(Listener listener) { listeners_.push_back(std::move(listener)); }

const dscwire::Message* Air::latest(const std::function<bool(const dscwire::Message&)>& matches) const {
    for (auto it = log_.rbegin(); it != log_.rend(); ++it)
        if (it->source == Source::Trainer && matches(it->message)) return &it->message;
    return nullptr;
}

} // namespace air
