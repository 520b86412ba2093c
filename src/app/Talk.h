#pragma once
// The own radio's voice: the talk key (cmdTalk held with the mouse, or F9 held on the keyboard)
// transmits what the microphone hears on the channel shown, at the power shown, with the TX lamp
// lit. While the key is down the sound goes on the air in 20 ms frames as it comes (a class hears
// it as it is said); when the key comes up the words are recognised on a worker thread and the
// whole transmission, judged, goes on the air. Beside the key a meter (barMicLevel) shows how loud
// the trainee speaks while it is held; a transmission too quiet or too loud (clipped) to judge
// still goes on the air but is not judged, and the status line says why. The loudspeaker plays the other stations' voices
// the own radio hears: the model stations' when they have spoken, a classmate's while it speaks.
#include "air/Voice.h"
#include "voice/Procedure.h"

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>

struct Context;
class MicTest;
namespace platform {
class Timer;
}
namespace voice {
class Loudspeaker;
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
    // The instructor's key: talks as another station of the trainer's (the coast station, The Blue
    // Crane) on any voice channel, whatever the radio is tuned to. False, with the reason on the
    // status line, when no voice may go out.
    bool pressAs(const QString& name, const QString& mmsi, const QString& channel);
    bool transmitting() const { return keyed_; }
    // The own radio hears a station speaking on `channel`: it is tuned there (or listens there, or
    // to every channel: see listenTo) and is not transmitting.
    bool hears(const QString& channel) const;
    // What the loudspeaker follows besides the channel shown: "" the radio's channel only (as
    // a radio does), kAllChannels every channel at once, or one channel's designator.
    static inline const QString kAllChannels = QStringLiteral("all");
    void listenTo(const QString& channel) { listening_ = channel; }
    QString listening() const { return listening_; }
    // Who speaks from the own radio, and the stations it knows (for judging what was said).
    voice::Speaker speaker() const;
    // Returns when every transmission sent so far is on the air (recognition done), and the
    // microphone test's words are shown. For tests.
    void waitIdle();
    // The microphone test's window, opened (made at first use) in front.
    void showMicTest();
    MicTest* micTest() const { return micTest_.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // Why no voice may go out now ("" when it may): channel 70, a weather channel, a DSC call
    // going out, the radio switched off.
    QString refusal() const;
    void key(const voice::Station& who, const QString& channel, bool ownRadio);
    void takeMicrophone(bool last);
    void recognised(quint64 id, const QString& words, const voice::Judgement& judgement);
    // Puts on the air the transmissions not judged that waited for those before them.
    void sendUnjudged();
    voice::RecognitionWorker& worker();

    Context& c;
    bool keyed_ = false;
    qint64 keyedAtTick_ = 0;
    air::VoiceTransmission sending_;           // the transmission while the key is down
    voice::Station sendingAs_;                 // who speaks it
    bool asRadio_ = true;                      // the radio itself, else another station of the trainer's
    std::vector<qint16> frame_;                // the part of the next frame said so far
    int frames_ = 0;                           // frames of it on the air
    std::unique_ptr<platform::Timer> listen_;  // reads the microphone while the key is down
    std::unique_ptr<voice::Loudspeaker> loudspeaker_;
    QString listening_;
    std::map<quint64, air::VoiceTransmission> recognising_;
    // Transmissions too quiet or clipped, not judged, waiting for those before them still being recognised.
    std::map<quint64, air::VoiceTransmission> unjudged_;
    // The microphone test's recordings being recognised: what to do with their words.
    std::map<quint64, std::function<void(const QString&)>> testing_;
    std::unique_ptr<MicTest> micTest_;
    quint64 nextId_ = 1;
    bool microphoneProblemTold_ = false;
    QString pendingProblem_; // told when the key comes up
    std::unique_ptr<platform::Timer> timeout_;
    std::unique_ptr<voice::RecognitionWorker> worker_;
};
