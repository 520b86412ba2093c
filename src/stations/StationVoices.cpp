#include "stations/StationVoices.h"

#include "air/Air.h"
#include "core/Context.h"
#include "calls/OnAir.h"
#include "platform/Clock.h"
#include "voice/Procedure.h"
#include "voice/SpeechWorker.h"

#include <QRegularExpression>

namespace code = dscwire::code;

namespace {

// A sentence as the recogniser would write it: lower case, words and digits, single blanks.
QString wordsOf(const QString& sentence) {
    static const QRegularExpression notWord(QStringLiteral("[^a-z0-9]+"));
    return sentence.toLower().replace(notWord, QStringLiteral(" ")).simplified();
}

} // namespace

StationVoices::StationVoices(Context& ctx, OwnRadio ownRadio) : c(ctx), own_(std::move(ownRadio)) {}

StationVoices::~StationVoices() = default;

voice::Dialogue& StationVoices::dialogue() const {
    if (!dialogue_) dialogue_ = std::make_unique<voice::Dialogue>();
    return *dialogue_;
}

void StationVoices::wire() {
    c.air->subscribe([this](const air::Transmission& t) {
        if (t.source == air::Source::Trainer && t.error.isEmpty()) answer(dscFacts(t));
    });
    c.air->subscribeVoice([this](const air::VoiceTransmission& t) { hearVoice(t); });
}

QVariantMap StationVoices::dscFacts(const air::Transmission& t) const {
    const dscwire::Message& m = t.message;
    const QString own = c.s.AcceptedMMSI;
    auto who = [&](const QString& mmsi) {
        if (mmsi == own) return QStringLiteral("own");
        if (mmsi.isEmpty()) return QStringLiteral("all");
        const voice::Dialogue::Station* s = dialogue().stationByMmsi(mmsi);
        return s ? s->key : QString();
    };
    QVariantMap f;
    f.insert(QStringLiteral("hears"), QStringLiteral("dsc"));
    f.insert(QStringLiteral("from"), who(m.selfId));
    f.insert(QStringLiteral("to"), who(m.address));
    if (!m.channels.isEmpty()) f.insert(QStringLiteral("channel"), calls::channelDesignator(m.channels.first()));
    QString what;
    if (m.command1 == code::kDistressAck && !m.distressMmsi.isEmpty()) {
        what = QStringLiteral("distress-ack");
        f.insert(QStringLiteral("about"), who(m.distressMmsi));
    } else if (m.format == code::kDistress) {
        what = QStringLiteral("distress");
    } else if (m.eos == code::kAcknowledgement) {
        what = m.command1 == code::kUnableToComply ? QStringLiteral("unable") : QStringLiteral("able");
    } else {
        what = dscwire::categoryText(m);
    }
    f.insert(QStringLiteral("what"), what);
    return f;
}

void StationVoices::hearVoice(const air::VoiceTransmission& t) {
    // The stations answer others, never themselves.
    if (!t.fromOwnRadio && dialogue().stationByMmsi(t.fromMmsi)) return;
    // Judged on what was heard, word by word: a word not heard clearly is asked for again.
    voice::Hearing heard = voice::Hearing::certain(t.words);
    if (t.confidence.size() == size_t(heard.detail.size()))
        for (int i = 0; i < heard.detail.size(); ++i) heard.detail[i].confidence = t.confidence[size_t(i)];
    voice::Judgement j = voice::judge(heard, own_.speaker());
    // What the judge found unclear when the words were heard (it knew when each was said) stays so.
    for (voice::Element& e : j.elements)
        for (const air::VoiceVerdict& v : t.verdicts)
            if (v.element == e.id && v.unclear && !e.unclear) {
                e.ok = false;
                e.unclear = true;
                e.verdict = v.text;
            }
    QVariantMap facts = dialogue().voiceFacts(j, t.channel);
    facts.insert(QStringLiteral("from"), t.fromOwnRadio ? QStringLiteral("own") : QString());
    answer(facts);
}

void StationVoices::answer(const QVariantMap& facts) {
    // In a class people speak for the stations: the instructor for the coast station.
    if (own_.inClass()) return;
    for (const voice::Dialogue::Reply& r : dialogue().hear(facts, c.ownName)) speak(r);
}

void StationVoices::say(const QString& station, const QString& channel, const QString& text) {
    if (dialogue().station(station)) speak({station, channel, text});
}

void StationVoices::speak(const voice::Dialogue::Reply& r) {
    if (!worker_) {
        worker_ = std::make_unique<voice::SpeechWorker>();
        connect(worker_.get(), &voice::SpeechWorker::spoken, this,
                [this](quint64 id, const std::vector<qint16>& pcm) { spoken(id, pcm); });
    }
    const quint64 id = nextId_++;
    speaking_[id] = r;
    worker_->submit(id, r.text, dialogue().station(r.station)->voice);
}

void StationVoices::spoken(quint64 id, const std::vector<qint16>& pcm) {
    const auto it = speaking_.find(id);
    if (it == speaking_.end()) return;
    const voice::Dialogue::Reply reply = it->second;
    speaking_.erase(it);
    const voice::Dialogue::Station& s = *dialogue().station(reply.station);
    air::VoiceTransmission t;
    t.localTime = c.clock.now();
    t.channel = reply.channel;
    t.power = QStringLiteral("25W");
    t.fromMmsi = s.mmsi;
    t.fromName = s.name;
    t.audio = pcm;
    t.words = wordsOf(reply.text);
    // Judged as the station's own words: the trainee's vessel is a station it knows.
    const voice::Speaker radio = own_.speaker();
    voice::Speaker station{{s.spoken, s.mmsi}, radio.known};
    station.known.prepend(radio.own);
    const voice::Judgement j = voice::judge(t.words, station);
    t.procedure = voice::kindName(j.kind);
    for (const voice::Element& e : j.elements) t.verdicts.append({e.id, e.ok, e.verdict, e.unclear});
    t.heardByOwnRadio = own_.hears(reply.channel);
    c.air->speak(std::move(t));
}

void StationVoices::waitIdle() {
    if (worker_) worker_->waitIdle();
}
