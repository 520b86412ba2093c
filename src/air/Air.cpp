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
    voiceLog_.push_back(std::move(t));
    // A listener may answer by voice: work on a copy.
    const VoiceTransmission record = voiceLog_.back();
    const std::vector<VoiceListener> listeners = voiceListeners_;
    for (const VoiceListener& l : listeners) l(record);
    return voiceLog_[static_cast<size_t>(record.number - 1)];
}

void Air::subscribeVoice(VoiceListener listener) { voiceListeners_.push_back(std::move(listener)); }

void Air::subscribe(Listener listener) { listeners_.push_back(std::move(listener)); }

const dscwire::Message* Air::latest(const std::function<bool(const dscwire::Message&)>& matches) const {
    for (auto it = log_.rbegin(); it != log_.rend(); ++it)
        if (it->source == Source::Trainer && matches(it->message)) return &it->message;
    return nullptr;
}

} // namespace air
