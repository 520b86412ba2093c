#include "app/Talk.h"

#include "air/Air.h"
#include "core/Context.h"
#include "calls/CallSequence.h"
#include "platform/Clock.h"
#include "platform/Controls.h"
#include "platform/Microphone.h"
#include "platform/Sound.h"
#include "core/Form.h"
#include "screens/MicLevelBar.h"
#include "screens/MicTest.h"
#include "voice/Level.h"
#include "voice/Loudspeaker.h"
#include "voice/RadioSound.h"
#include "voice/Recognizer.h"

#include <QApplication>
#include <QKeyEvent>

#include <algorithm>
#include <cmath>

Talk::Talk(Context& ctx) : c(ctx) {}

Talk::~Talk() {
    if (qApp) qApp->removeEventFilter(this);
    micTest_.reset();
}

void Talk::wire() {
    Ui::frmGMDSS& ui = *c.ui;
    QObject::connect(ui.cmdTalk, &QPushButton::pressed, this, [this] { press(); });
    QObject::connect(ui.cmdTalk, &QPushButton::released, this, [this] { release(); });
    QObject::connect(ui.cmdMicTest, &QPushButton::clicked, this, [this] { showMicTest(); });
    qApp->installEventFilter(this);
    timeout_ = c.clock.createTimer();
    timeout_->setInterval(kTimeoutMs);
    timeout_->onTick = [this] {
        release();
        c.ui->lblStatus->setText(QStringLiteral("Transmit time-out"));
    };
    listen_ = c.clock.createTimer();
    listen_->setInterval(air::kFrameMs);
    listen_->onTick = [this] { takeMicrophone(false); };
    // The loudspeaker: the stations the own radio hears, through its receiver; those heard while
    // they spoke are not played again.
    loudspeaker_ = std::make_unique<voice::Loudspeaker>(*c.air, c.clock, c.sound,
                                                        [this](const air::LiveVoice& v) { return hears(v.channel); });
    c.air->subscribeVoice([this](const air::VoiceTransmission& t) {
        if (t.fromOwnRadio || !t.heardByOwnRadio || t.heardLive || t.audio.empty()) return;
        const std::vector<qint16> heard = voice::radioSound(t.audio, quint32(t.number));
        c.sound.playSamples(QList<qint16>(heard.begin(), heard.end()), air::kVoiceRate);
    });
}

bool Talk::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease) return false;
    auto* key = static_cast<QKeyEvent*>(e);
    if (key->key() != kTalkKey || !watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != c.form)
        return false;
    // A held key repeats; only its first press and its last release count.
    if (!key->isAutoRepeat()) {
        if (e->type() == QEvent::KeyPress) press();
        else release();
    }
    return true;
}

QString Talk::refusal() const {
    const Ui::frmGMDSS& ui = *c.ui;
    if (c.poweredOff) return QStringLiteral("Radio off: no voice");
    // The transmit lamp lit by a call on channel 70.
    if (ctl::visible(ui.lblTX)) return QStringLiteral("DSC call going out: no voice");
    if (c.s.ChWxMode == QLatin1String("WX")) return QStringLiteral("Weather channel: receive only");
    if (ui.lblChannel->text() == QLatin1String("70")) return QStringLiteral("Channel 70: DSC only, no voice");
    if (micTest_ && micTest_->recording()) return QStringLiteral("Microphone test recording: no voice");
    return {};
}

void Talk::press() {
    if (keyed_) return;
    Ui::frmGMDSS& ui = *c.ui;
    const QString why = refusal();
    if (!why.isEmpty()) {
        ui.lblStatus->show();
        ui.lblStatus->setText(why);
        return;
    }
    key({c.ownName, c.s.AcceptedMMSI}, calls::displayedChannel(c), true);
}

bool Talk::pressAs(const QString& name, const QString& mmsi, const QString& channel) {
    if (keyed_) return false;
    QString why;
    if (c.poweredOff) why = QStringLiteral("Radio off: no voice");
    else if (channel == QLatin1String("70")) why = QStringLiteral("Channel 70: DSC only, no voice");
    else if (channel.isEmpty()) why = QStringLiteral("No channel: no voice");
    if (!why.isEmpty()) {
        c.ui->lblStatus->show();
        c.ui->lblStatus->setText(why);
        return false;
    }
    key({name, mmsi}, channel, false);
    return keyed_;
}

void Talk::key(const voice::Station& who, const QString& channel, bool ownRadio) {
    Ui::frmGMDSS& ui = *c.ui;
    QString problem = c.microphone ? QString() : QStringLiteral("no microphone is set up");
    if (c.microphone && !c.microphone->start(&problem) && problem.isEmpty()) problem = QStringLiteral("it cannot be opened");
    if (!problem.isEmpty()) {
        ui.lblStatus->show();
        ui.lblStatus->setText(QStringLiteral("No microphone"));
        // Told once, in words, when the key comes up (a message box under a held key would keep it down).
        if (!microphoneProblemTold_) pendingProblem_ = QStringLiteral("The microphone cannot be used: %1. The radio works on without voice.").arg(problem);
        return;
    }
    keyed_ = true;
    keyedAtTick_ = c.clock.tickMs();
    sending_ = air::VoiceTransmission{};
    sending_.localTime = c.clock.now();
    sending_.channel = channel;
    sending_.power = ownRadio ? c.s.TxPower : QStringLiteral("25W");
    sending_.fromMmsi = who.mmsi;
    sending_.fromName = who.name;
    // The user of this trainer speaks, for the radio or for another station of the trainer's.
    sending_.fromOwnRadio = true;
    sendingAs_ = who;
    asRadio_ = ownRadio;
    frame_.clear();
    frames_ = 0;
    air::LiveVoice live;
    live.channel = channel;
    live.fromMmsi = who.mmsi;
    live.fromName = who.name;
    live.local = true;
    sending_.liveId = c.air->key(live);
    if (ownRadio) ui.lblTX->show();
    ui.barMicLevel->clear();
    ui.barMicLevel->show();
    timeout_->setEnabled(true);
    listen_->setEnabled(true);
}

// What the microphone has heard since the last look goes on the air in whole frames; the last
// look, as the key comes up, sends the rest, the last frame filled up with silence.
void Talk::takeMicrophone(bool last) {
    if (!keyed_) return;
    const std::vector<float> heard = c.microphone->read(c.clock.tickMs() - keyedAtTick_);
    if (!heard.empty()) c.ui->barMicLevel->setBlock(voice::blockLevel(heard), c.clock.tickMs());
    for (float v : heard) {
        const auto sample = qint16(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
        sending_.audio.push_back(sample);
        frame_.push_back(sample);
        if (frame_.size() == size_t(air::kFrameSamples)) {
            c.air->frame(sending_.liveId, frames_++, frame_.data());
            frame_.clear();
        }
    }
    if (last && !frame_.empty()) {
        frame_.resize(size_t(air::kFrameSamples), 0);
        c.air->frame(sending_.liveId, frames_++, frame_.data());
        frame_.clear();
    }
}

void Talk::release() {
    if (!keyed_) {
        if (!pendingProblem_.isEmpty()) {
            microphoneProblemTold_ = true;
            c.message(std::exchange(pendingProblem_, QString()));
        }
        return;
    }
    takeMicrophone(true);
    keyed_ = false;
    timeout_->setEnabled(false);
    listen_->setEnabled(false);
    c.microphone->stop();
    if (asRadio_) c.ui->lblTX->hide();
    c.ui->barMicLevel->clear();
    c.ui->barMicLevel->hide();
    c.air->unkey(sending_.liveId);
    // Too faint or too loud to judge: it goes on the air as it was said, but not judged; the
    // status line says why instead of a verdict.
    const voice::Loudness loudness = voice::measure(sending_.audio, air::kVoiceRate).loudness;
    if (loudness != voice::Loudness::Good) {
        c.ui->lblStatus->show();
        c.ui->lblStatus->setText(QString::fromLatin1(voice::loudnessAdvice(loudness)));
        sending_.procedure = voice::kindName(voice::Kind::None);
        sending_.notJudged = loudness == voice::Loudness::TooQuiet ? QStringLiteral("too quiet") : QStringLiteral("clipped");
        const quint64 id = nextId_++;
        unjudged_[id] = std::move(sending_);
        sendUnjudged();
        return;
    }
    voice::Speaker who = speaker();
    if (!asRadio_) {
        // Another station of the trainer's speaks: the radio is one it knows.
        who.known.prepend(who.own);
        who.known.erase(std::remove_if(who.known.begin(), who.known.end(),
                                       [&](const voice::Station& s) { return s.mmsi == sendingAs_.mmsi; }),
                        who.known.end());
        who.own = sendingAs_;
    }
    const quint64 id = nextId_++;
    recognising_[id] = std::move(sending_);
    worker().submit(id, recognising_[id].audio, who);
}

voice::RecognitionWorker& Talk::worker() {
    if (!worker_) {
        worker_ = std::make_unique<voice::RecognitionWorker>();
        QObject::connect(worker_.get(), &voice::RecognitionWorker::recognised, this,
                         [this](quint64 id, const QString& words, const voice::Judgement& j) { recognised(id, words, j); });
    }
    QStringList names{speaker().own.name};
    for (const voice::Station& s : speaker().known) names << s.name;
    worker_->setNames(names);
    return *worker_;
}

void Talk::recognised(quint64 id, const QString& words, const voice::Judgement& judgement) {
    if (const auto test = testing_.find(id); test != testing_.end()) {
        const auto done = std::move(test->second);
        testing_.erase(test);
        done(words);
        return;
    }
    const auto it = recognising_.find(id);
    if (it == recognising_.end()) return;
    air::VoiceTransmission t = std::move(it->second);
    recognising_.erase(it);
    t.words = words;
    // The judge gives one entry per word heard.
    for (const voice::HeardWord& w : judgement.heard) t.confidence.push_back(float(w.confidence));
    t.procedure = voice::kindName(judgement.kind);
    for (const voice::Element& e : judgement.elements) t.verdicts.append({e.id, e.ok, e.verdict, e.unclear});
    c.air->speak(std::move(t));
    sendUnjudged();
}

void Talk::sendUnjudged() {
    // In the order spoken: each once every transmission before it is on the air.
    while (!unjudged_.empty() && (recognising_.empty() || unjudged_.begin()->first < recognising_.begin()->first)) {
        air::VoiceTransmission t = std::move(unjudged_.begin()->second);
        unjudged_.erase(unjudged_.begin());
        c.air->speak(std::move(t));
    }
}

void Talk::showMicTest() {
    if (!micTest_) {
        auto recognise = [this](std::vector<qint16> pcm, std::function<void(const QString&)> done) {
            const quint64 id = nextId_++;
            testing_[id] = std::move(done);
            worker().submit(id, std::move(pcm), speaker());
        };
        auto busy = [this] { return keyed_ ? QStringLiteral("The talk key is held: release it first.") : QString(); };
        micTest_ = std::make_unique<MicTest>(c, std::move(recognise), std::move(busy));
    }
    micTest_->show();
}

void Talk::waitIdle() {
    if (worker_) worker_->waitIdle();
}

bool Talk::hears(const QString& channel) const {
    if (keyed_ || c.poweredOff) return false;
    if (listening_ == kAllChannels || (!listening_.isEmpty() && listening_ == channel)) return true;
    return c.s.ChWxMode != QLatin1String("WX") && calls::displayedChannel(c) == channel;
}

voice::Speaker Talk::speaker() const {
    voice::Speaker s;
    s.own = {c.ownName, c.s.AcceptedMMSI};
    QStringList lines;
    for (int i = 0; i < c.ui->lstDirectory->count(); ++i) lines << c.ui->lstDirectory->item(i)->text();
    s.known = voice::stationsFromDirectory(lines);
    for (const voice::Station& model : {voice::Station{QStringLiteral("Boston Coast Guard"), calls::kCoastGuardMMSI},
                                        voice::Station{QStringLiteral("The Blue Crane"), calls::kBlueCraneMMSI}}) {
        const bool listed = std::any_of(s.known.begin(), s.known.end(), [&](const voice::Station& k) { return k.mmsi == model.mmsi; });
        if (!listed) s.known << model;
    }
    return s;
}
