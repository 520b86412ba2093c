#include "voice/Recognizer.h"

#include <QCoreApplication>

namespace voice {

namespace {
// The names the grammar needs for a job: those set, and every station of its speaker.
QStringList namesFor(QStringList names, const Speaker& speaker) {
    for (const Station& st : QList<Station>{speaker.own} + speaker.known)
        if (!st.name.isEmpty() && !names.contains(st.name)) names << st.name;
    return names;
}
} // namespace

RecognitionWorker::RecognitionWorker(QObject* parent) : QObject(parent) {
    qRegisterMetaType<voice::Judgement>();
    thread_ = std::thread([this] { run(); });
}

RecognitionWorker::~RecognitionWorker() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        stop_ = true;
        jobs_.clear();
    }
    wake_.notify_all();
    thread_.join();
}

void RecognitionWorker::setNames(const QStringList& stationNames) {
    std::lock_guard<std::mutex> hold(lock_);
    names_ = stationNames;
}

void RecognitionWorker::submit(quint64 id, std::vector<qint16> pcm16k, Speaker speaker) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        jobs_.push_back({id, std::move(pcm16k), std::move(speaker)});
        ++submitted_;
    }
    wake_.notify_one();
}

void RecognitionWorker::waitIdle() {
    for (;;) {
        quint64 submitted = 0;
        {
            std::unique_lock<std::mutex> hold(lock_);
            done_.wait(hold, [this] { return finished_ == submitted_; });
            submitted = submitted_;
        }
        // The results are posted to this object: deliver them now, in order.
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        if (reported_ >= submitted) return;
    }
}

void RecognitionWorker::run() {
    Recognizer recognizer;
    for (;;) {
        Job job;
        QStringList names;
        {
            std::unique_lock<std::mutex> hold(lock_);
            wake_.wait(hold, [this] { return stop_ || !jobs_.empty(); });
            if (stop_) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
            names = names_;
        }
        recognizer.setNames(namesFor(names, job.speaker));
        const Hearing hearing = recognizer.hear(job.pcm);
        const QString words = hearing.words;
        const Judgement judgement = judge(hearing, job.speaker);
        QMetaObject::invokeMethod(
            this,
            [this, id = job.id, words, judgement] {
                ++reported_;
                emit recognised(id, words, judgement);
            },
            Qt::QueuedConnection);
        {
            std::lock_guard<std::mutex> hold(lock_);
            ++finished_;
        }
        done_.notify_all();
    }
}

} // namespace voice
