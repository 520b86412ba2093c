#pragma once
// The own radio's voice: the talk key (cmdTalk held with the mouse, or F9 held on the keyboard)
// transmits what the microphone hears on the channel shown, at the power shown, with the TX lamp
// lit; when the key comes up the words are recognised on a worker thread and the transmission,
// judged, goes on the air. The loudspeaker plays the other stations' voices the own radio hears.
#include "air/Voice.h"

#include <QObject>
#include <QString>

#include <map>
#include <memory>

struct Context;
namespace platform {
class Timer;
}
namespace voice {
class RecognitionWorker;
struct Judgement;
struct Speaker;
} // namespace voice

class Talk : public QObject {
public:
    // A key held longer is cut, as a radio's transmit timeout does.
    static constexpr int kTimeoutMs = 5 * 60 * 1000;
    // The keyboard's talk key: no control of the window uses it.
    static constexpr int kTalkKey = Qt::Key_F9;

    explicit Talk(Context& c);
    ~Talk() override;
    void wire();

    // The key goes down / comes up.
    void press();
    void release();
    bool transmitting() const { return keyed_; }
    // The own radio hears a station speaking on `channel`: it is tuned there and not transmitting.
    bool hears(const QString& channel) const;
    // Who speaks from the own radio, and the stations it knows (for judging what was said).
    voice::Speaker speaker() const;
    // Returns when every transmission sent so far is on the air (recognition done). For tests.
    void waitIdle();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // Why no voice may go out now ("" when it may): channel 70, a weather channel, a DSC call
    // going out, the radio switched off.
    QString refusal() const;
    void recognised(quint64 id, const QString& words, const voice::Judgement& judgement);
    voice::RecognitionWorker& worker();

    Context& c;
    bool keyed_ = false;
    qint64 keyedAtTick_ = 0;
    air::VoiceTransmission sending_;           // the transmission while the key is down
    std::map<quint64, air::VoiceTransmission> recognising_;
    quint64 nextId_ = 1;
    bool microphoneProblemTold_ = false;
    QString pendingProblem_; // told when the key comes up
    std::unique_ptr<platform::Timer> timeout_;
    std::unique_ptr<voice::RecognitionWorker> worker_;
};
