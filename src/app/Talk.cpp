#include "app/Talk.h"

#include "air/Air.h"
#include "app/Context.h"
#include "calls/CallSequence.h"
#include "platform/Clock.h"
#include "platform/Controls.h"
#include "platform/Microphone.h"
#include "platform/Sound.h"
#include "ui_frmGMDSS.h"
#include "voice/RadioSound.h"
#include "voice/Recognizer.h"

#include <QApplication>
#include <QKeyEvent>

#include <algorithm>
#include <cmath>

Talk::Talk(Context& ctx) : c(ctx) {}

Talk::~Talk() {
    if (qApp) qApp->removeEventFilter(this);
}

void Talk::wire() {
    Ui::frmGMDSS& ui = *c.ui;
    QObject::connect(ui.cmdTalk, &QPushButton::pressed, this, [this] { press(); });
    QObject::connect(ui.cmdTalk, &QPushButton::released, this, [this] { release(); });
    qApp->installEventFilter(this);
    timeout_ = c.clock.createTimer();
    timeout_->setInterval(kTimeoutMs);
    timeout_->onTick = [this] {
        release();
        c.ui->lblStatus->setText(QStringLiteral("Transmit time-out"));
    };
    // The loudspeaker: the stations the own radio hears, through its receiver.
    c.air->subscribeVoice([this](const air::VoiceTransmission& t) {
        if (t.fromOwnRadio || !t.heardByOwnRadio || t.audio.empty()) return;
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
    sending_.channel = calls::displayedChannel(c);
    sending_.power = c.s.TxPower;
    sending_.fromMmsi = c.s.AcceptedMMSI;
    sending_.fromName = c.ownName;
    sending_.fromOwnRadio = true;
    ui.lblTX->show();
    timeout_->setEnabled(true);
}

void Talk::release() {
    if (!keyed_) {
        if (!pendingProblem_.isEmpty()) {
            microphoneProblemTold_ = true;
            c.message(std::exchange(pendingProblem_, QString()));
        }
        return;
    }
    keyed_ = false;
    timeout_->setEnabled(false);
    c.ui->lblTX->hide();
    const std::vector<float> said = c.microphone->stop(c.clock.tickMs() - keyedAtTick_);
    sending_.audio.resize(said.size());
    std::transform(said.begin(), said.end(), sending_.audio.begin(),
                   [](float v) { return qint16(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f)); });
    const quint64 id = nextId_++;
    recognising_[id] = std::move(sending_);
    worker().submit(id, recognising_[id].audio, speaker());
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
    const auto it = recognising_.find(id);
    if (it == recognising_.end()) return;
    air::VoiceTransmission t = std::move(it->second);
    recognising_.erase(it);
    t.words = words;
    t.procedure = voice::kindName(judgement.kind);
    for (const voice::Element& e : judgement.elements) t.verdicts.append({e.id, e.ok, e.verdict});
    c.air->speak(std::move(t));
}

void Talk::waitIdle() {
    if (worker_) worker_->waitIdle();
}

bool Talk::hears(const QString& channel) const {
    return !keyed_ && !c.poweredOff && c.s.ChWxMode != QLatin1String("WX") && calls::displayedChannel(c) == channel;
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
