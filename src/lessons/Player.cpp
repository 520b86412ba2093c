#include "lessons/Player.h"

#include "air/Air.h"
#include "core/Context.h"
#include "platform/AudioFile.h"
#include "platform/VirtualClock.h"

#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace lessons {

namespace {

// How often a replay at full speed lets the window system's events run (paints, the close button).
constexpr int kEventsEveryMs = 25;

int number(const QJsonObject& o, const char* field) { return o.value(QLatin1String(field)).toInt(); }

// How far a press of the talk key may be from the tick its recording says the key went down.
constexpr qint64 kKeyedSlackMs = 1000;

} // namespace

// ---- the lesson's microphone ----

LessonMicrophone::LessonMicrophone(const QString& lessonPath, platform::Clock& clock)
    : folder_(QFileInfo(lessonPath).absolutePath()), clock_(clock) {
    Reader reader(lessonPath);
    if (!reader.open()) return;
    for (Entry e; reader.next(e);) {
        const QJsonObject& o = e.json;
        if (e.kind != QLatin1String("voice") || o.value(QLatin1String("direction")).toString() != QLatin1String("sent"))
            continue;
        said_.push_back({static_cast<qint64>(o.value(QLatin1String("keyed")).toDouble(double(e.t))),
                         static_cast<qint64>(o.value(QLatin1String("ms")).toDouble()),
                         o.value(QLatin1String("audio")).toString()});
    }
}

bool LessonMicrophone::start(QString* error) {
    const qint64 now = clock_.tickMs();
    current_ = -1;
    for (size_t i = 0; i < said_.size() && current_ < 0; ++i)
        if (!said_[i].used && std::abs(said_[i].keyed - now) <= kKeyedSlackMs) current_ = int(i);
    if (current_ < 0) {
        // The trainee's microphone gave nothing at this press (none was there): nor does the replay's.
        if (error) *error = QStringLiteral("the lesson holds no voice for this press of the talk key");
        return false;
    }
    Said& s = said_[size_t(current_)];
    s.used = true;
    speech_.clear();
    if (!s.audio.isEmpty()) speech_ = platform::readMono(QDir(folder_).filePath(s.audio), air::kVoiceRate);
    // As long as it was; silence where its sound is missing.
    speech_.resize(size_t(s.ms * air::kVoiceRate / 1000), 0.0f);
    given_ = 0;
    return true;
}

std::vector<float> LessonMicrophone::read(qint64 heldMs) {
    if (current_ < 0) return {};
    // What was said in the held time; the replayed key is held as long as the recorded one.
    const size_t wanted = std::min(speech_.size(), static_cast<size_t>(std::max<qint64>(heldMs, 0) * air::kVoiceRate / 1000));
    if (wanted <= given_) return {};
    std::vector<float> part(speech_.begin() + qsizetype(given_), speech_.begin() + qsizetype(wanted));
    given_ = wanted;
    return part;
}

void LessonMicrophone::stop() {
    current_ = -1;
    speech_.clear();
}

Player::Player(Context& ctx, platform::VirtualClock& clock, const QString& lessonPath, Report report)
    : c(ctx), clock_(clock), reader_(lessonPath), report_(std::move(report)), self_(std::make_shared<Player*>(this)) {
    if (!report_)
        report_ = [](const QString& text) { std::fprintf(stderr, "vhf-dsc-trainer: %s\n", qPrintable(text)); };
}

Player::~Player() { *self_ = nullptr; }

bool Player::start() {
    if (!reader_.open()) {
        finished_ = true;
        error_ = reader_.error();
        report_(error_);
        return false;
    }
    started_ = true;
    lastTick_ = reader_.header().tick;
    // The talk key's presses give what the trainee said then.
    c.microphone = std::make_unique<LessonMicrophone>(reader_.path(), clock_);
    startWatching();
    scheduleNext();
    return true;
}

void Player::redrawMissingPictures() {
    if (pictures_) return;
    pictures_ = std::make_unique<FileWriter>();
    c.air->subscribe([alive = self_](const air::Transmission& t) {
        Player* p = *alive;
        if (!p || p->finished_ || !t.fromOwnRadio || !p->c.form) return;
        const QString path = picturePath(p->reader_.path(), ++p->sent_);
        if (!QFile::exists(path)) p->pictures_->writePicture(p->c.form->grab().toImage(), path);
    });
}

void Player::playToEnd() {
    while (!finished_) clock_.runPendingEvents(clock_.tickMs() + 60000);
}

void Player::scheduleNext() {
    Entry next;
    if (reader_.next(next)) {
        lastTick_ = std::max(lastTick_, next.t);
        clock_.at(next.t, [alive = self_, next] {
            if (Player* p = *alive) p->play(next);
        });
        return;
    }
    // The end of the file, or a damaged line: the replay ends once the line in hand has been played.
    clock_.at(clock_.tickMs(), [alive = self_, why = reader_.error()] {
        if (Player* p = *alive) p->stop(why);
    });
}

void Player::play(const Entry& e) {
    if (finished_) return;
    if (e.kind == QLatin1String("end")) return stop();
    // The next line goes on the clock first: this action may start a sequence (a held key's count,
    // a call's waits) that the next actions come into, as the user's did.
    scheduleNext();
    const QString problem = perform(e);
    if (!problem.isEmpty()) stop(QStringLiteral("%1 line %2: %3").arg(reader_.fileName()).arg(e.line).arg(problem));
}

QString Player::perform(const Entry& e) {
    const QJsonObject& o = e.json;
    // A radio log entry comes back as it was made: typed into the log window and added.
    if (e.kind == QLatin1String("message") || e.kind == QLatin1String("result") || e.kind == QLatin1String("log"))
        return {};
    if (e.kind == QLatin1String("voice")) {
        // The words are recognised, and the stations' answers spoken, on threads of their own: the
        // replay waits for them here, where the lesson had them on the air, so that what follows
        // meets them as it did.
        const bool own = o.value(QLatin1String("direction")).toString() == QLatin1String("sent");
        if (int(c.air->voiceLog().size()) < number(o, "number") && c.waitForVoice) c.waitForVoice(own);
        return {};
    }
    if (e.kind == QLatin1String("close-popup")) {
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
        return {};
    }
    const QString path = o.value(QLatin1String("control")).toString();
    QWidget* w = findControl(path);
    if (!w) return QStringLiteral("no control %1 on the screen").arg(path);
    namespace input = platform::input;
    const auto mods = Qt::KeyboardModifiers(number(o, "mods"));
    const QPointF pos(o.value(QLatin1String("x")).toDouble(), o.value(QLatin1String("y")).toDouble());

    if (e.kind == QLatin1String("mouse")) {
        const QString event = o.value(QLatin1String("event")).toString();
        const auto button = Qt::MouseButton(number(o, "button"));
        const auto buttons = Qt::MouseButtons(number(o, "buttons"));
        QEvent::Type type = QEvent::MouseMove;
        if (event == QLatin1String("press") || event == QLatin1String("double")) {
            type = event == QLatin1String("press") ? QEvent::MouseButtonPress : QEvent::MouseButtonDblClick;
            // What the window system does with a press before the control sees it.
            input::activateWindowOf(w);
            QPointer<QWidget> target(w);
            input::giveFocusAsClickDoes(w, pos);
            if (!target) return {};
        } else if (event == QLatin1String("release")) {
            type = QEvent::MouseButtonRelease;
        }
        input::sendMouse(w, type, pos, button, buttons, mods);
    } else if (e.kind == QLatin1String("wheel")) {
        QPointer<QWidget> target(w);
        input::giveFocusAsClickDoes(w, pos, Qt::WheelFocus);
        if (target)
            input::sendWheel(w, pos, QPoint(number(o, "dx"), number(o, "dy")), Qt::MouseButtons(number(o, "buttons")),
                             mods);
    } else if (e.kind == QLatin1String("key")) {
        const bool press = o.value(QLatin1String("event")).toString() == QLatin1String("press");
        // A key goes to the control with the focus: it had it then. (A script may have given it
        // the focus from the program, which left no line.)
        if (press && QApplication::focusWidget() != w) {
            input::activateWindowOf(w);
            w->setFocus(Qt::OtherFocusReason);
        }
        input::sendKey(w, press ? QEvent::KeyPress : QEvent::KeyRelease, number(o, "key"), mods,
                       o.value(QLatin1String("text")).toString(), o.value(QLatin1String("repeat")).toBool());
    } else if (e.kind == QLatin1String("choose")) {
        auto* box = qobject_cast<QComboBox*>(w);
        if (!box) return QStringLiteral("%1 is no drop-down list").arg(path);
        const int index = number(o, "index");
        if (index < 0 || index >= box->count()) return QStringLiteral("%1 has no item %2").arg(path).arg(index);
        input::pickComboItem(box, index);
    } else if (e.kind == QLatin1String("step")) {
        auto* slider = qobject_cast<QAbstractSlider*>(w);
        if (!slider) return QStringLiteral("%1 is no scroll bar").arg(path);
        const int action = number(o, "action");
        if (action == QAbstractSlider::SliderMove) slider->setSliderPosition(number(o, "position"));
        else slider->triggerAction(QAbstractSlider::SliderAction(action));
    }
    return {};
}

void Player::stop(const QString& why) {
    if (finished_) return;
    finished_ = true;
    error_ = why;
    stopWatching();
    if (!why.isEmpty()) report_(why);
    if (pictures_) pictures_->flush();
    if (onFinished) onFinished();
}

bool Player::before(QObject* receiver, QEvent* e, bool) {
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
        // The lesson's hand is on the window; the user's waits for the end of the replay.
        return e->spontaneous();
    case QEvent::Timer:
        // A held scroll bar arrow repeats at the lesson's ticks (its step lines), not the wall clock's.
        return qobject_cast<QAbstractSlider*>(receiver) != nullptr;
    default: return false;
    }
}

// ---- pacing ----

Pacer::Pacer(platform::VirtualClock& clock, double speed) : clock_(clock), speed_(speed) {
    wall_.start();
    sinceEvents_.start();
    setSpeed(speed);
    clock_.pace = [this](qint64 tick) { pace(tick); };
}

Pacer::~Pacer() { clock_.pace = nullptr; }

void Pacer::setSpeed(double speed) {
    speed_ = speed;
    baseWallNs_ = wall_.nsecsElapsed();
    baseTick_ = clock_.tickMs();
}

void Pacer::pace(qint64 tick) {
    if (speed_ <= 0) {
        if (sinceEvents_.elapsed() >= kEventsEveryMs) {
            sinceEvents_.restart();
            QCoreApplication::processEvents();
        }
        return;
    }
    const qint64 dueNs = baseWallNs_ + static_cast<qint64>(static_cast<double>(tick - baseTick_) * 1e6 / speed_);
    for (qint64 left = dueNs - wall_.nsecsElapsed(); left > 0; left = dueNs - wall_.nsecsElapsed()) {
        // Block on the window system's events; a single-shot timer wakes us when the tick is due.
        QTimer wake;
        wake.setSingleShot(true);
        wake.setTimerType(Qt::PreciseTimer);
        wake.start(static_cast<int>(std::min<qint64>((left + 999999) / 1000000, 1 << 30)));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        // Something that ran meanwhile (the window closed: the radio's off sequence) moved on.
        if (clock_.tickMs() > tick) return;
    }
}

// ---- the message box ----

void ReplayMessageBox::show(const QString& text) { run(text, false); }

bool ReplayMessageBox::ask(const QString& question) { return run(question, true); }

bool ReplayMessageBox::run(const QString& text, bool question) {
    const std::unique_ptr<QMessageBox> box = platform::QtMessageBox::make(text, parent_, question);
    box->setWindowModality(Qt::ApplicationModal);
    box->show();
    while (box->isVisible()) clock_.runPendingEvents(clock_.tickMs() + 1000);
    return platform::QtMessageBox::answeredYes(*box);
}

} // namespace lessons
