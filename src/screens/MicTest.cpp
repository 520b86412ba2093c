#include "screens/MicTest.h"

#include "air/Voice.h"
#include "core/Accessibility.h"
#include "core/Context.h"
#include "platform/Clock.h"
#include "platform/Microphone.h"
#include "platform/Sound.h"
#include "screens/MicLevelBar.h"
#include "voice/Level.h"
#include "voice/Recognizer.h"

#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace screens {

MicTestWindow::MicTestWindow(QWidget* parent)
    : ToolWindow(parent, QStringLiteral("frmMicTest"), QStringLiteral("Microphone Test")) {
    auto* intro = new QLabel(QStringLiteral("Press Record, say a sentence as you would on the radio, then press Stop "
                                            "(recording stops by itself after five seconds)."),
                             this);
    intro->setObjectName(QStringLiteral("lblMicIntro"));
    intro->setWordWrap(true);

    record = toolButton(this, "cmdMicRecord", QStringLiteral("&Record"));
    nameControl(record, QStringLiteral("Record"), QStringLiteral("Records up to five seconds; press it again to stop"));
    play = toolButton(this, "cmdMicPlay", QStringLiteral("&Play back"));
    play->setEnabled(false);
    nameControl(play, QStringLiteral("Play back"), QStringLiteral("Plays the recording again"));
    close = toolButton(this, "cmdMicClose", QStringLiteral("Close"));
    nameControl(close, QStringLiteral("Close"), QStringLiteral("Closes the microphone test"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    bar = new MicLevelBar(this);
    bar->setObjectName(QStringLiteral("barMicTestLevel"));
    bar->setMinimumHeight(20);

    level = new QLabel(QStringLiteral("Level: not recorded yet"), this);
    level->setObjectName(QStringLiteral("lblMicLevel"));
    level->setWordWrap(true);
    level->setTextFormat(Qt::PlainText);
    nameControl(level, QStringLiteral("Level of the recording"));

    heard = new QLabel(QStringLiteral("Heard: "), this);
    heard->setObjectName(QStringLiteral("lblMicHeard"));
    heard->setWordWrap(true);
    heard->setTextFormat(Qt::PlainText);
    nameControl(heard, QStringLiteral("Words the trainer heard"));

    QHBoxLayout* keys = keyRow({record, play}, close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(8);
    layout->addWidget(intro);
    layout->addWidget(bar);
    layout->addWidget(level);
    layout->addWidget(heard);
    layout->addStretch(1);
    layout->addLayout(keys);
    setTabOrder(record, play);
    setTabOrder(play, close);
    resize(380, 200);
}

void MicTestWindow::hideEvent(QHideEvent* e) {
    ToolWindow::hideEvent(e);
    emit hidden();
}

} // namespace screens

MicTest::MicTest(Context& ctx, Recognise recognise, Busy busy)
    : c(ctx), recognise_(std::move(recognise)), busy_(std::move(busy)) {}

MicTest::~MicTest() {
    if (recording_ && c.microphone) c.microphone->stop();
}

void MicTest::show() {
    if (!window_) {
        window_ = std::make_unique<screens::MicTestWindow>();
        QObject::connect(window_->record, &QPushButton::clicked, window_.get(), [this] { toggleRecording(); });
        QObject::connect(window_->play, &QPushButton::clicked, window_.get(), [this] { playBack(); });
        QObject::connect(window_.get(), &screens::MicTestWindow::hidden, window_.get(), [this] { stop(false); });
        listen_ = c.clock.createTimer();
        listen_->setInterval(air::kFrameMs);
        listen_->onTick = [this] { take(false); };
    }
    screens::showBeside(window_.get(), c.form);
}

void MicTest::toggleRecording() {
    if (!window_) show();
    screens::MicTestWindow& w = *window_;
    if (recording_) {
        stop();
        return;
    }
    if (const QString why = busy_ ? busy_() : QString(); !why.isEmpty()) {
        w.level->setText(why);
        return;
    }
    QString problem = c.microphone ? QString() : QStringLiteral("no microphone is set up");
    if (c.microphone && !c.microphone->start(&problem) && problem.isEmpty()) problem = QStringLiteral("it cannot be opened");
    if (!problem.isEmpty()) {
        w.level->setText(QStringLiteral("The microphone cannot be used: %1.").arg(problem));
        nameControl(w.level, QStringLiteral("Level of the recording"), w.level->text());
        return;
    }
    recording_ = true;
    startTick_ = c.clock.tickMs();
    recorded_.clear();
    ++take_;
    w.bar->clear();
    w.record->setText(QStringLiteral("&Stop"));
    w.play->setEnabled(false);
    w.level->setText(QStringLiteral("Recording..."));
    w.heard->setText(QStringLiteral("Heard: "));
    listen_->setEnabled(true);
}

void MicTest::take(bool last) {
    if (!recording_) return;
    const qint64 held = std::min<qint64>(c.clock.tickMs() - startTick_, kMaxMs);
    const std::vector<float> heard = c.microphone->read(held);
    if (!heard.empty()) {
        window_->bar->setBlock(voice::blockLevel(heard), c.clock.tickMs());
        for (float v : heard) recorded_.push_back(qint16(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f)));
    }
    if (!last && held >= kMaxMs) stop();
}

void MicTest::stop(bool playIt) {
    if (!recording_) return;
    take(true);
    recording_ = false;
    listen_->setEnabled(false);
    c.microphone->stop();
    screens::MicTestWindow& w = *window_;
    w.record->setText(QStringLiteral("&Record"));
    w.play->setEnabled(!recorded_.empty());
    const voice::Measure m = voice::measure(recorded_, air::kVoiceRate);
    QString text = QStringLiteral("Level: %1").arg(QString::fromLatin1(voice::loudnessName(m.loudness)));
    if (m.loudness == voice::Loudness::TooQuiet) text += QStringLiteral(". Speak closer to the microphone.");
    if (m.loudness == voice::Loudness::Clipped) text += QStringLiteral(". Speak further from the microphone or turn the input down.");
    w.level->setText(text);
    nameControl(w.level, QStringLiteral("Level of the recording"), text);
    if (playIt) playBack();
    if (const QString why = voice::Recognizer::unavailable(); !why.isEmpty()) {
        w.heard->setText(QStringLiteral("Heard: speech recognition is not available here (%1)").arg(why));
        return;
    }
    w.heard->setText(QStringLiteral("Heard: listening..."));
    const quint64 take = take_;
    recognise_(recorded_, [this, take](const QString& words) { recognised(take, words); });
}

void MicTest::recognised(quint64 take, const QString& words) {
    if (take != take_ || !window_) return;
    const QString text = QStringLiteral("Heard: %1").arg(words.isEmpty() ? QStringLiteral("nothing understood") : words);
    window_->heard->setText(text);
    nameControl(window_->heard, QStringLiteral("Words the trainer heard"), text);
}

void MicTest::playBack() {
    if (recorded_.empty()) return;
    c.sound.playSamples(QList<qint16>(recorded_.begin(), recorded_.end()), air::kVoiceRate);
}
