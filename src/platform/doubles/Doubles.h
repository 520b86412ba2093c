#pragma once
// Test doubles of the platform services, for running the whole trainer on virtual time.
#include "platform/MessageBox.h"
#include "platform/Microphone.h"
#include "platform/ScreenMode.h"
#include "platform/Sound.h"
#include "platform/VirtualClock.h"

#include <QMap>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <vector>

namespace platform {

// Records every play and beep, and moves virtual time on by each cue's length (no events run
// meanwhile, as with real synchronous playback). A file named in `missing` plays nothing at once.
// Beeps and samples do not block: they are recorded and time stays where it is.
class FakeSound : public Sound {
public:
    struct Play {
        QString file;
        qint64 startMs;
    };
    explicit FakeSound(VirtualClock& clock) : clock_(clock) {}
    void playFile(const QString& fileName) override;
    void beep() override { beeps.push_back(clock_.tickMs()); }
    void playSamples(const QList<qint16>& samples, int sampleRate) override {
        samplePlays.push_back({static_cast<qint64>(samples.size()), sampleRate, clock_.tickMs()});
    }
    // The live stream is kept whole, with the tick of each write.
    void streamSamples(const qint16* samples, qint64 count, int sampleRate) override {
        streamWrites.push_back({count, sampleRate, clock_.tickMs()});
        streamed.insert(streamed.end(), samples, samples + count);
    }

    int lengthOf(const QString& fileName) const;
    int count(const QString& fileName) const;

    QMap<QString, int> lengthsMs{{"Burglar.wav", 700}, {"Boing.wav", 600},  {"Phone.wav", 500},
                                 {"Chimes.wav", 800},  {"Shutdown.wav", 900}};
    QStringList missing;
    // Runs as each play starts, before virtual time moves on (what the window shows meanwhile).
    std::function<void(const QString&)> onPlay;
    std::vector<Play> plays;
    std::vector<qint64> beeps;
    struct SamplePlay {
        qint64 samples;
        int sampleRate;
        qint64 startMs;
        qint64 lengthMs() const { return sampleRate > 0 ? samples * 1000 / sampleRate : 0; }
    };
    std::vector<SamplePlay> samplePlays;
    std::vector<SamplePlay> streamWrites;
    std::vector<qint16> streamed;

private:
    VirtualClock& clock_;
};

// Records each message; the box stays "open" for dismissAfterMs of virtual time, during which
// window events and timers keep running as in a real modal box.
class FakeMessageBox : public MessageBox {
public:
    struct Shown {
        QString text;
        qint64 atMs;
    };
    explicit FakeMessageBox(VirtualClock& clock) : clock_(clock) {}
    void show(const QString& text) override;
    // Recorded and shown like a message; answered with `answer`.
    bool ask(const QString& question) override;

    int dismissAfterMs = 0;
    bool answer = true;
    std::function<void(const QString&)> onShow;
    std::vector<Shown> shown;
    QStringList texts() const;

private:
    VirtualClock& clock_;
};

// A microphone that hears `speech` (at the rate the trainer asks for) from each press on, as long
// as the key is held; with `problem` set it cannot be opened.
class FakeMicrophone : public Microphone {
public:
    bool start(QString* error) override {
        ++starts;
        given = 0;
        if (error) *error = problem;
        return problem.isEmpty();
    }
    std::vector<float> read(qint64 heldMs) override {
        const size_t upTo = std::min(speech.size(), size_t(heldMs * rate / 1000));
        if (upTo <= given) return {};
        std::vector<float> heard(speech.begin() + qsizetype(given), speech.begin() + qsizetype(upTo));
        given = upTo;
        return heard;
    }
    void stop() override {}
    size_t given = 0;
    std::vector<float> speech;
    int rate = 16000;
    QString problem;
    int starts = 0;
};

class FakeScreenMode : public ScreenMode {
public:
    QSize screenSize() override { return size; }
    void setMode(int width, int height) override;

    QSize size{1024, 768};
    bool refuse = false;
    std::vector<QSize> requests;
};

} // namespace platform
