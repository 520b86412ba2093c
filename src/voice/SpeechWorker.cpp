#include "voice/SpeechWorker.h"

#include "voice/Synthesizer.h"

#include <QCoreApplication>

namespace voice {

SpeechWorker::SpeechWorker(QObject* parent) : QObject(parent) {}

SpeechWorker::~SpeechWorker() {
    {
        std::lock_guard hold(lock_);
        stop_ = true;
        jobs_.clear();
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void SpeechWorker::submit(quint64 id, const QString& text, const QString& voice) {
    {
        std::lock_guard hold(lock_);
        jobs_.push_back({id, text, voice});
        ++submitted_;
        if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
    }
    wake_.notify_one();
}

void SpeechWorker::waitIdle() {
    for (;;) {
        quint64 submitted = 0;
        {
            std::unique_lock hold(lock_);
            done_.wait(hold, [this] { return finished_ == submitted_; });
            submitted = submitted_;
        }
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        if (reported_ >= submitted) return;
    }
}

void SpeechWorker::run() {
    Synthesizer synthesizer;
    for (;;) {
        Job job;
        {
            std::unique_lock hold(lock_);
            wake_.wait(hold, [this] { return stop_ || !jobs_.empty(); });
            if (stop_) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        std::vector<qint16> pcm = synthesizer.speak(job.text, job.voice);
        QMetaObject::invokeMethod(
            this,
            [this, id = job.id, pcm = std::move(pcm)] {
                ++reported_;
                emit spoken(id, pcm);
            },
            Qt::QueuedConnection);
        {
            std::lock_guard hold(lock_);
            ++finished_;
        }
        done_.notify_all();
    }
}

} // namespace voice
