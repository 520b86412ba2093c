#pragma once
// Speech made on a thread of its own: the model stations' sentences in their voices, reported back
// through the event loop in the order they were asked for, so that the window never waits for the
// synthesizer.
#include "voice/OrderedJobs.h"

#include <QObject>
#include <QString>

#include <vector>

namespace voice {

class Synthesizer;

class SpeechWorker : public QObject {
    Q_OBJECT
public:
    explicit SpeechWorker(QObject* parent = nullptr);
    ~SpeechWorker() override; // waits for the sentence in hand; the rest are dropped

    void submit(quint64 id, const QString& text, const QString& voice);
    // Returns when every sentence asked for has been reported. For tests.
    void waitIdle();

signals:
    // 16 kHz mono; empty when no synthesizer could be loaded.
    void spoken(quint64 id, const std::vector<qint16>& pcm16k);

private:
    OrderedJobs<Synthesizer> jobs_{this};
};

} // namespace voice
