#pragma once
// Speech to words: pocketsphinx with Debian's US English model, a language model of the
// procedures (built with the program, tools/lm-corpus.sh) mixed with general English, and a grammar
// shaped like the procedures (voice/Vocabulary.h), loaded at the first recognition; and a worker that recognises
// and judges transmissions on a thread of its own and reports back through the event loop.
#include "voice/OrderedJobs.h"
#include "voice/Procedure.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <mutex>
#include <vector>

namespace voice {

// Used from one thread only.
class Recognizer {
public:
    Recognizer();
    ~Recognizer();
    Recognizer(const Recognizer&) = delete;
    Recognizer& operator=(const Recognizer&) = delete;

    // How speech is recognised: a language model of the procedures mixed with general English
    // (takes words it was not written for), the procedures' grammar, or both, the better taken.
    enum class Mode { LanguageModel, Grammar, Both };
    void setMode(Mode mode);
    Mode mode() const;

    // Why recognition cannot run here (library or model missing); empty when it can.
    static QString unavailable();
    // The procedures' language model file: beside an installed program, where it was installed,
    // or in the build tree for a program run from there; empty when there is none.
    static QString languageModelFile();
    // How long the last loading of the models and dictionary took (the first recognition pays it).
    double loadSeconds() const;
    // The station names the grammar knows; the grammar is rebuilt when they change.
    void setNames(const QStringList& stationNames);
    // 16 kHz mono speech -> lower-case words separated by single blanks; "" when nothing was
    // understood (or recognition is unavailable).
    QString recognize(const std::vector<qint16>& pcm16k) { return hear(pcm16k).words; }
    // The same words, each with its confidence.
    Hearing hear(const std::vector<qint16>& pcm16k);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Recognises and judges transmissions one after another on a thread of its own; each result is
// delivered on the thread the worker lives on, in the order they were submitted.
class RecognitionWorker : public QObject {
    Q_OBJECT
public:
    explicit RecognitionWorker(QObject* parent = nullptr);
    ~RecognitionWorker() override;  // waits for the job in hand; the rest are dropped

    void setNames(const QStringList& stationNames);
    void submit(quint64 id, std::vector<qint16> pcm16k, Speaker speaker);
    // Returns when every submitted job has been reported (its signal emitted). For tests.
    void waitIdle();

signals:
    void recognised(quint64 id, QString words, voice::Judgement judgement);

private:
    std::mutex namesLock_;
    QStringList names_;
    OrderedJobs<Recognizer> jobs_{this};
};

} // namespace voice
