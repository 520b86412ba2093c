#pragma once
// The model stations' voices: the coast station and The Blue Crane listen to the air, DSC and
// voice, and answer by voice as the dialogue table says (voice/Dialogue.h), each in a voice of its
// own, spoken on a worker thread and put on the air when ready. The own radio's loudspeaker plays
// what it hears of them.
#include "voice/Dialogue.h"
#include "voice/Procedure.h"

#include <QObject>

#include <functional>
#include <map>
#include <memory>

struct Context;
namespace air {
struct Transmission;
struct VoiceTransmission;
} // namespace air
namespace voice {
class SpeechWorker;
}

class StationVoices : public QObject {
public:
    // What the stations need to know of the own radio and of the class, told by the window.
    struct OwnRadio {
        std::function<voice::Speaker()> speaker;          // who speaks from it, and whom it knows
        std::function<bool(const QString&)> hears;        // it hears a station on that channel
        std::function<bool()> inClass;                    // people speak for the stations
    };
    StationVoices(Context& c, OwnRadio ownRadio);
    ~StationVoices() override;
    void wire();

    // Returns when every answer asked for so far is on the air. For tests.
    void waitIdle();
    // The dialogue table, read when first needed: nothing of it on the way to the first frame.
    voice::Dialogue& dialogue() const;

    // The facts the dialogue reads in a DSC message on the air (see Dialogue::hear).
    QVariantMap dscFacts(const air::Transmission& t) const;

    // The station (its key in the dialogue table) says `text` on `channel` in its voice, as it
    // says its answers: a message read out for the trainee to copy.
    void say(const QString& station, const QString& channel, const QString& text);

private:
    void hearVoice(const air::VoiceTransmission& t);
    void answer(const QVariantMap& facts);
    void speak(const voice::Dialogue::Reply& reply);
    void spoken(quint64 id, const std::vector<qint16>& pcm);

    Context& c;
    OwnRadio own_;
    mutable std::unique_ptr<voice::Dialogue> dialogue_;
    std::unique_ptr<voice::SpeechWorker> worker_;
    std::map<quint64, voice::Dialogue::Reply> speaking_;
    quint64 nextId_ = 1;
};
