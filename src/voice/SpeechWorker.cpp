#include "voice/SpeechWorker.h"

#include "voice/Synthesizer.h"

namespace voice {

SpeechWorker::SpeechWorker(QObject* parent) : QObject(parent) {}

SpeechWorker::~SpeechWorker() = default;

void SpeechWorker::submit(quint64 id, const QString& text, const QString& voice) {
    jobs_.submit([this, id, text, voice](Synthesizer& synthesizer) -> std::function<void()> {
        return [this, id, pcm = synthesizer.speak(text, voice)] { emit spoken(id, pcm); };
    });
}

void SpeechWorker::waitIdle() { jobs_.waitIdle(); }

} // namespace voice
