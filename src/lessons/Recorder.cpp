#include "lessons/Recorder.h"

#include "air/Air.h"
#include "core/Context.h"

#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QPixmap>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace lessons {

namespace {

// The recorder of the running trainer, for the end line when the program ends through exit().
Recorder* gCurrent = nullptr;
quint64 gSerial = 0;

void warn(const QString& text) { std::fprintf(stderr, "vhf-dsc-trainer: %s\n", qPrintable(text)); }

const char* mouseEventName(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress: return "press";
    case QEvent::MouseButtonRelease: return "release";
    case QEvent::MouseButtonDblClick: return "double";
    default: return "move";
    }
}

} // namespace

std::unique_ptr<Recorder> Recorder::start(Context& c, const QString& folder, qint64 builtAtTick, qint64 limitBytes) {
    if (!QDir().mkpath(folder)) {
        warn(QStringLiteral("lessons are not recorded: cannot make the folder %1").arg(folder));
        return nullptr;
    }
    if (limitBytes >= 0) pruneFolder(folder, limitBytes);
    const QString stamp = c.clock.now().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    std::unique_ptr<Recorder> r;
    // Two trainers started in the same second (a class on one computer) get a file each.
    for (int n = 1; n <= 100 && !r; ++n) {
        const QString name = n == 1 ? stamp : QStringLiteral("%1_%2").arg(stamp).arg(n);
        r.reset(new Recorder(c, QDir(folder).filePath(name + QLatin1String(kSuffix))));
        if (r->file_.open(QIODevice::WriteOnly | QIODevice::NewOnly)) break;
        const bool exists = r->file_.exists();
        const QString why = r->file_.errorString();
        r.reset();
        if (!exists) {
            warn(QStringLiteral("lessons are not recorded: cannot write in %1: %2").arg(folder, why));
            return nullptr;
        }
    }
    if (!r) {
        warn(QStringLiteral("lessons are not recorded: no free name in %1").arg(folder));
        return nullptr;
    }
    const qint64 tick = builtAtTick >= 0 ? builtAtTick : c.clock.tickMs();
    const QSize screen = c.screen.screenSize();
    QJsonObject header{{QStringLiteral("format"), kFormat},
                       {QStringLiteral("program"), QStringLiteral("vhf-dsc-trainer " VHF_VERSION)},
                       {QStringLiteral("start"), c.clock.now().addMSecs(-c.clock.tickMs()).toString(Qt::ISODateWithMs)},
                       {QStringLiteral("tick"), tick},
                       {QStringLiteral("screen"), QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height())}};
    QByteArray line = QJsonDocument(header).toJson(QJsonDocument::Compact);
    line.insert(1, "\"kind\":\"lesson\",");
    if (r->file_.write(line + '\n') < 0 || !r->file_.flush()) {
        warn(QStringLiteral("lessons are not recorded: cannot write %1: %2").arg(r->path(), r->file_.errorString()));
        return nullptr;
    }

    Recorder* self = r.get();
    c.air->subscribe([alive = self->self_](const air::Transmission& t) {
        Recorder* rec = *alive;
        if (!rec) return;
        QJsonObject m{{QStringLiteral("kind"), QStringLiteral("message")},
                      {QStringLiteral("direction"), t.source == air::Source::Receiver ? QStringLiteral("receiver")
                                                    : t.fromOwnRadio                      ? QStringLiteral("sent")
                                                    : t.toOwnRadio ? QStringLiteral("received")
                                                                   : QStringLiteral("heard")},
                      {QStringLiteral("number"), t.number},
                      {QStringLiteral("time"), t.localTime.toString(QStringLiteral("HH:mm:ss"))},
                      {QStringLiteral("category"), dscwire::categoryText(t.message)},
                      {QStringLiteral("symbols"), dscwire::symbolLine(t.symbols)},
                      {QStringLiteral("words"), dscwire::describe(t.message)}};
        if (!t.error.isEmpty()) m.insert(QStringLiteral("error"), t.error);
        // The window as it stands when the own radio sends a call.
        if (t.fromOwnRadio && rec->c.form) {
            const QString picture = picturePath(rec->path(), ++rec->sent_);
            rec->files_.writePicture(rec->c.form->grab().toImage(), picture);
            m.insert(QStringLiteral("picture"), QFileInfo(picture).fileName());
        }
        rec->write(m);
    });
    c.air->subscribeVoice([alive = self->self_](const air::VoiceTransmission& t) {
        if (Recorder* rec = *alive) rec->recordVoice(t);
    });
    // Drop-down lists and scroll bars already on the screen; those shown later are met at their Show.
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->isVisible()) {
            self->watchChoices(top);
            for (QWidget* w : top->findChildren<QWidget*>()) self->watchChoices(w);
        }
    self->startWatching();
    if (!gCurrent) {
        static const bool once = [] {
            std::atexit([] {
                if (gCurrent) gCurrent->finish();
            });
            return true;
        }();
        Q_UNUSED(once)
        gCurrent = self;
    }
    return r;
}

Recorder::Recorder(Context& ctx, const QString& path)
    : c(ctx), file_(path), serial_(++gSerial), self_(std::make_shared<Recorder*>(this)) {}

Recorder::~Recorder() {
    finish();
    *self_ = nullptr;
    if (gCurrent == this) gCurrent = nullptr;
}

LessonEnds& LessonEnds::instance() {
    // Never destroyed: the last lesson may end at exit, after the statics have gone.
    static auto* ends = new LessonEnds;
    return *ends;
}

void Recorder::finish() {
    stopWatching();
    const bool ending = file_.isOpen();
    if (ending) write(QJsonObject{{QStringLiteral("kind"), QStringLiteral("end")}});
    file_.close();
    files_.flush();
    if (ending) emit LessonEnds::instance().ended(path());
}

void Recorder::recordResult(const QJsonObject& result) {
    write(QJsonObject{{QStringLiteral("kind"), QStringLiteral("result")}, {QStringLiteral("result"), result}});
}

void Recorder::recordLogEntry(const LogEntry& entry) {
    write(QJsonObject{{QStringLiteral("kind"), QStringLiteral("log")}, {QStringLiteral("entry"), logEntryJson(entry)}});
}

void Recorder::recordVoice(const air::VoiceTransmission& t) {
    if (!file_.isOpen()) return;
    QJsonArray verdicts;
    for (const air::VoiceVerdict& v : t.verdicts) {
        QJsonObject o{{QStringLiteral("element"), v.element}, {QStringLiteral("ok"), v.ok}, {QStringLiteral("text"), v.text}};
        if (v.unclear) o.insert(QStringLiteral("unclear"), true); // neither right nor wrong: not heard clearly
        verdicts.append(o);
    }
    const qint64 now = c.clock.tickMs();
    QJsonObject line{{QStringLiteral("kind"), QStringLiteral("voice")},
                     {QStringLiteral("direction"), t.fromOwnRadio      ? QStringLiteral("sent")
                                                   : t.heardByOwnRadio ? QStringLiteral("received")
                                                                       : QStringLiteral("not heard")},
                     {QStringLiteral("number"), t.number},
                     {QStringLiteral("time"), t.localTime.toString(QStringLiteral("HH:mm:ss"))},
                     // The key went down that long before the words were known.
                     {QStringLiteral("keyed"), now - std::clamp<qint64>(t.localTime.msecsTo(c.clock.now()), 0, now)},
                     {QStringLiteral("ms"), t.durationMs()},
                     {QStringLiteral("channel"), t.channel},
                     {QStringLiteral("power"), t.power},
                     {QStringLiteral("from"), t.fromMmsi},
                     {QStringLiteral("name"), t.fromName},
                     {QStringLiteral("words"), t.words},
                     {QStringLiteral("procedure"), t.procedure},
                     {QStringLiteral("verdicts"), verdicts}};
    if (!t.notJudged.isEmpty()) line.insert(QStringLiteral("notJudged"), t.notJudged);
    if (!t.audio.empty()) {
        const QString audio = voicePath(path(), t.number);
        files_.writeVoice(t.audio, audio);
        line.insert(QStringLiteral("audio"), QFileInfo(audio).fileName());
    }
    write(line);
}

void Recorder::write(QJsonObject line) {
    if (!file_.isOpen()) return;
    // The time and the kind first, for a reader's eye (kinds are plain words of ours); the rest
    // in the order JSON keeps.
    const QByteArray kind = line.take(QStringLiteral("kind")).toString().toLatin1();
    QByteArray text = "{\"t\":" + QByteArray::number(c.clock.tickMs()) + ",\"kind\":\"" + kind + '"';
    const QByteArray rest = QJsonDocument(line).toJson(QJsonDocument::Compact);
    text += rest.size() > 2 ? ',' + rest.mid(1) : QByteArray("}");
    text += '\n';
    if (file_.write(text) != text.size() || !file_.flush()) {
        // A full disk, a folder taken away: the lesson ends here, the trainer goes on.
        warn(QStringLiteral("the lesson is no longer recorded: %1: %2").arg(path(), file_.errorString()));
        file_.close();
        stopWatching();
    }
}

void Recorder::watchChoices(QWidget* w) {
    // Once for each recorder: a drop-down list or scroll bar is shown again and again.
    static const char* const kWatched = "vhf.lesson.recorder";
    auto* box = qobject_cast<QComboBox*>(w);
    auto* slider = qobject_cast<QAbstractSlider*>(w);
    if ((!box && !slider) || w->property(kWatched).toULongLong() == serial_) return;
    w->setProperty(kWatched, serial_);
    if (box) {
        QObject::connect(box, &QComboBox::activated, &connections_, [this, box](int index) {
            // A pick in the open list (the events that made it were not recorded), or a script's.
            if (inPopup_.empty() && platform::input::comboBeingPicked() != box) return;
            write(QJsonObject{{QStringLiteral("kind"), QStringLiteral("choose")},
                              {QStringLiteral("control"), controlPath(box)},
                              {QStringLiteral("index"), index},
                              {QStringLiteral("text"), box->itemText(index)},
                              {QStringLiteral("label"), controlLabel(box, QPointF())}});
        });
    } else {
        QObject::connect(slider, &QAbstractSlider::actionTriggered, &connections_, [this, slider](int action) {
            // Only the steps the scroll bar repeats by itself while its arrow is held: the press
            // that started them is recorded.
            if (sliderTimers_.empty() || sliderTimers_.back().second != slider) return;
            write(QJsonObject{{QStringLiteral("kind"), QStringLiteral("step")},
                              {QStringLiteral("control"), controlPath(slider)},
                              {QStringLiteral("action"), action},
                              {QStringLiteral("position"), slider->sliderPosition()}});
        });
    }
}

bool Recorder::before(QObject* receiver, QEvent* e, bool fromUser) {
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        if (!fromUser || !receiver->isWidgetType()) break;
        auto* w = static_cast<QWidget*>(receiver);
        // The open list of a drop-down (or a menu): what the user does there is recorded as its
        // outcome, the pick or the closing, which a replay can make whatever the timing.
        if (w->window()->windowType() == Qt::Popup) inPopup_.push_back(e);
        else recordInput(w, e);
        break;
    }
    case QEvent::Timer:
        if (auto* slider = qobject_cast<QAbstractSlider*>(receiver)) sliderTimers_.emplace_back(e, slider);
        break;
    case QEvent::Show:
        if (receiver->isWidgetType()) watchChoices(static_cast<QWidget*>(receiver));
        break;
    case QEvent::Hide:
        if (receiver->isWidgetType() && static_cast<QWidget*>(receiver)->windowType() == Qt::Popup)
            write(QJsonObject{{QStringLiteral("kind"), QStringLiteral("close-popup")}});
        break;
    default: break;
    }
    return false;
}

void Recorder::after(QObject*, QEvent* e) {
    if (!inPopup_.empty() && inPopup_.back() == e) inPopup_.pop_back();
    if (!sliderTimers_.empty() && sliderTimers_.back().first == e) sliderTimers_.pop_back();
}

void Recorder::recordInput(QWidget* w, QEvent* e) {
    const QString control = controlPath(w);
    QJsonObject line;
    if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) {
        const auto* k = static_cast<QKeyEvent*>(e);
        const bool press = e->type() == QEvent::KeyPress;
        line = QJsonObject{{QStringLiteral("kind"), QStringLiteral("key")},
                           {QStringLiteral("event"), press ? QStringLiteral("press") : QStringLiteral("release")},
                           {QStringLiteral("control"), control},
                           {QStringLiteral("key"), k->key()},
                           {QStringLiteral("text"), k->text()}};
        if (k->isAutoRepeat()) line.insert(QStringLiteral("repeat"), true);
        if (press) line.insert(QStringLiteral("label"), controlLabel(w, QPointF()));
        if (k->modifiers()) line.insert(QStringLiteral("mods"), int(k->modifiers()));
    } else if (e->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(e);
        line = QJsonObject{{QStringLiteral("kind"), QStringLiteral("wheel")},
                           {QStringLiteral("control"), control},
                           {QStringLiteral("x"), wheel->position().x()},
                           {QStringLiteral("y"), wheel->position().y()},
                           {QStringLiteral("dx"), wheel->angleDelta().x()},
                           {QStringLiteral("dy"), wheel->angleDelta().y()}};
        if (wheel->buttons()) line.insert(QStringLiteral("buttons"), int(wheel->buttons()));
        if (wheel->modifiers()) line.insert(QStringLiteral("mods"), int(wheel->modifiers()));
    } else {
        const auto* m = static_cast<QMouseEvent*>(e);
        // Moves matter only while a button is held (a drag, a finger sliding off a held key).
        if (e->type() == QEvent::MouseMove && m->buttons() == Qt::NoButton) return;
        line = QJsonObject{{QStringLiteral("kind"), QStringLiteral("mouse")},
                           {QStringLiteral("event"), QLatin1String(mouseEventName(e->type()))},
                           {QStringLiteral("control"), control},
                           {QStringLiteral("x"), m->position().x()},
                           {QStringLiteral("y"), m->position().y()},
                           {QStringLiteral("button"), int(m->button())},
                           {QStringLiteral("buttons"), int(m->buttons())}};
        if (m->modifiers()) line.insert(QStringLiteral("mods"), int(m->modifiers()));
        if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick)
            line.insert(QStringLiteral("label"), controlLabel(w, m->position()));
    }
    write(line);
}

} // namespace lessons
