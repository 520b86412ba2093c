#pragma once
// Speech made on a thread of its own: the model stations' sentences in their voices, reported back
// through the event loop in the order they were asked for, so that the window never waits for the
// synthesizer.
#include <QObject>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace voice {

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
    struct Job {
        quint64 id = 0;
        QString text;
        QString voice;
    };
    void run();

    std::mutex lock_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::deque<Job> jobs_;
    bool stop_ = false;
    quint64 submitted_ = 0;
    quint64 finished_ = 0;
    quint64 reported_ = 0; // owner's thread only
    std::thread thread_;
};

} // namespace voice
