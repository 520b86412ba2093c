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

RecognitionWorker::RecognitionWorker(QObject* parent) : QObject(parent) { qRegisterMetaType<voice::Judgement>(); }

RecognitionWorker::~RecognitionWorker() = default;

void RecognitionWorker::setNames(const QStringList& stationNames) {
    std::lock_guard hold(namesLock_);
    names_ = stationNames;
}

void RecognitionWorker::submit(quint64 id, std::vector<qint16> pcm16k, Speaker speaker) {
    jobs_.submit([this, id, pcm = std::move(pcm16k), speaker = std::move(speaker)](
                     Recognizer& recognizer) -> std::function<void()> {
        QStringList names;
        {
            std::lock_guard hold(namesLock_);
            names = names_;
        }
        recognizer.setNames(namesFor(names, speaker));
        const Hearing hearing = recognizer.hear(pcm);
        return [this, id, words = hearing.words, judgement = judge(hearing, speaker)] {
            emit recognised(id, words, judgement);
        };
    });
}

void RecognitionWorker::waitIdle() { jobs_.waitIdle(); }

} // namespace voice
