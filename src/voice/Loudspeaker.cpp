#include "voice/Loudspeaker.h"

#include "air/Air.h"
#include "platform/Clock.h"
#include "platform/Sound.h"
#include "voice/RadioSound.h"

#include <QHash>

#include <algorithm>

namespace voice {

Loudspeaker::Loudspeaker(air::Air& air, platform::Clock& clock, platform::Sound& sound, Hears hears)
    : air_(air), clock_(clock), sound_(sound), hears_(std::move(hears)), self_(std::make_shared<Loudspeaker*>(this)) {
    timer_ = clock_.createTimer();
    timer_->setInterval(air::kFrameMs);
    timer_->onTick = [this] { tick(); };
    air_.subscribeLive([self = std::weak_ptr<Loudspeaker*>(self_)](const air::LiveEvent& e) {
        if (const auto alive = self.lock()) (*alive)->event(e);
    });
}

Loudspeaker::~Loudspeaker() = default;

void Loudspeaker::event(const air::LiveEvent& e) {
    if (e.voice.local) return;  // the trainer's own voice is not played back to it
    switch (e.kind) {
    case air::LiveEvent::Keyed:
        streams_[e.voice.id].voice = e.voice;
        break;
    case air::LiveEvent::Frame: {
        const auto it = streams_.find(e.voice.id);
        if (it == streams_.end()) return;
        Stream& s = it->second;
        if (e.frame < s.next) {
            if (hears_(s.voice)) ++counts_.late;
            return;
        }
        s.frames[e.frame].assign(e.samples, e.samples + air::kFrameSamples);
        if (s.firstAt < 0) s.firstAt = clock_.tickMs();  // the first since the buffer ran dry
        if (!timer_->isEnabled()) timer_->setEnabled(true);
        break;
    }
    case air::LiveEvent::Unkeyed:
    case air::LiveEvent::Doubled:
        if (const auto it = streams_.find(e.voice.id); it != streams_.end()) {
            it->second.voice = e.voice;
            if (e.kind == air::LiveEvent::Unkeyed && it->second.frames.empty()) streams_.erase(it);
        }
        break;
    }
}

void Loudspeaker::tick() {
    const qint64 now = clock_.tickMs();
    std::map<QString, std::vector<const qint16*>> heard;  // by channel
    std::vector<std::pair<quint64, int>> played;
    std::vector<std::vector<qint16>> playing;             // kept until mixed
    playing.reserve(streams_.size());  // never moved: `heard` points into it
    for (auto it = streams_.begin(); it != streams_.end();) {
        Stream& s = it->second;
        if (s.frames.empty() && s.voice.ended) {
            it = streams_.erase(it);
            continue;
        }
        if (s.started && s.frames.empty()) {
            // The network fell behind: fill the buffer again rather than skip what is coming.
            s.started = false;
            s.firstAt = -1;
        }
        if (!s.started) {
            if (s.frames.empty()) {
                ++it;
                continue;
            }
            // The first frame plays once kJitterMs of frames wait behind it (or could have).
            const bool full = qint64(s.frames.size() - 1) * air::kFrameMs >= kJitterMs;
            const bool waited = s.firstAt >= 0 && now - s.firstAt >= kJitterMs + air::kFrameMs;
            s.started = full || waited || s.voice.ended;
            if (!s.started) {
                ++it;
                continue;
            }
            s.next = s.frames.begin()->first;
        }
        const auto f = s.frames.find(s.next);
        const bool hearsIt = hears_(s.voice);
        if (f == s.frames.end()) {
            if (hearsIt) ++counts_.gaps;
        } else {
            if (hearsIt) {
                ++counts_.played;
                playing.push_back(std::move(f->second));
                heard[s.voice.channel].push_back(playing.back().data());
                played.emplace_back(s.voice.id, s.next);
            }
            s.frames.erase(f);
        }
        ++s.next;
        ++it;
    }
    for (const auto& [channel, speech] : heard)
        if (!receivers_.contains(channel)) receivers_.emplace(channel, RadioReceiver(quint32(qHash(channel))));
    std::vector<double> mix;
    static const std::vector<const qint16*> nobody;
    for (auto it = receivers_.begin(); it != receivers_.end();) {
        const auto h = heard.find(it->first);
        it->second.frame(h == heard.end() ? nobody : h->second, air::kFrameSamples, mix);
        it = it->second.quiet() && h == heard.end() ? receivers_.erase(it) : std::next(it);
    }
    if (!mix.empty()) {
        std::vector<qint16> out(mix.size());
        std::transform(mix.begin(), mix.end(), out.begin(),
                       [](double v) { return qint16(std::clamp(v, -32767.0, 32767.0)); });
        sound_.streamSamples(out.data(), qint64(out.size()), air::kVoiceRate);
    }
    if (onPlayed)
        for (const auto& [id, number] : played) onPlayed(id, number);
    if (streams_.empty() && receivers_.empty()) timer_->setEnabled(false);
}

} // namespace voice
