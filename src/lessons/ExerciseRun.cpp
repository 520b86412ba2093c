#include "lessons/ExerciseRun.h"

#include "air/Air.h"
#include "core/Context.h"
#include "calls/CallSequence.h"
#include "dsc/Menu.h"
#include "dsc/OwnStation.h"
#include "lessons/Recorder.h"
#include "platform/Controls.h"
#include "radio/ChannelSelector.h"
#include "radio/FrontPanel.h"
#include "core/Form.h"

#include <QJsonArray>
#include <QScrollBar>

namespace lessons {
namespace {
// What the manual entries hold before anything was entered.
const QString kNoPosition = QStringLiteral("L##°##.#'N  Lo###°##.#'W");
const QString kNoTime = QStringLiteral("##:##");
} // namespace

ExerciseRun::ExerciseRun(Context& ctx) : c(ctx) {
    c.air->subscribe([this](const air::Transmission& t) {
        if (checker_ && checker_->message(t, c.clock.tickMs()) >= 0) notify();
    });
    c.air->subscribeVoice([this](const air::VoiceTransmission& t) {
        if (checker_ && checker_->voice(t, c.clock.tickMs()) >= 0) notify();
    });
    c.ownMmsiListeners.push_back([this] {
        if (checker_ && checker_->ownMmsi(c.s.AcceptedMMSI, c.clock.tickMs()) >= 0) notify();
    });
}

ExerciseRun::~ExerciseRun() = default;

QString ExerciseRun::open(const QString& path) {
    const auto loaded = loadExercise(path);
    if (!loaded.ok()) return loaded.error();
    // The exercise that ran is over; setting the radio up must not answer anything.
    checker_.reset();
    const QString problem = applyStart(loaded.value());
    if (problem.isEmpty()) checker_ = std::make_unique<Checker>(loaded.value(), c.clock.tickMs());
    reported_.assign(checker_ ? checker_->verdicts().size() : 0, TaskState::Open);
    reportedSayAgain_.assign(reported_.size(), QString());
    reportedEnd_ = false;
    notify();
    return problem;
}

void ExerciseRun::stop() {
    if (!checker_ || checker_->finished()) return;
    checker_->stop();
    notify();
}

void ExerciseRun::notify() {
    reportNewVerdicts();
    if (changed) changed();
}

namespace {
QJsonObject taskResult(const Checker& k, int i) {
    const Verdict& v = k.verdicts().at(size_t(i));
    // An open voice task last heard unclearly waits for the trainee to say it again.
    const bool sayAgain = v.state == TaskState::Open && !v.sayAgain.isEmpty() && !k.finished();
    QJsonObject r{{QStringLiteral("exercise"), k.exercise().title},
                  {QStringLiteral("task"), k.exercise().tasks.at(size_t(i)).title},
                  {QStringLiteral("verdict"), v.state == TaskState::Done    ? QStringLiteral("pass")
                                              : v.state == TaskState::Wrong ? QStringLiteral("fail")
                                              : sayAgain                    ? QStringLiteral("say again")
                                                                            : k.resultText(i)},
                  {QStringLiteral("reason"), sayAgain ? v.sayAgain : v.reason}};
    if (v.ms >= 0) r.insert(QStringLiteral("seconds"), double(v.ms) / 1000.0);
    return r;
}
} // namespace

QJsonObject ExerciseRun::summary() const {
    if (!checker_) return {};
    QJsonArray tasks;
    for (int i = 0; i < int(checker_->verdicts().size()); ++i) tasks.append(taskResult(*checker_, i));
    return {{QStringLiteral("exercise"), checker_->exercise().title},
            {QStringLiteral("score"), checker_->scoreText()},
            {QStringLiteral("finished"), checker_->finished()},
            {QStringLiteral("tasks"), tasks}};
}

// Each verdict once, as it is given, into the lesson; the score at the end. The class hears the
// whole summary at each of them.
void ExerciseRun::reportNewVerdicts() {
    if (!checker_) return;
    bool news = false;
    for (int i = 0; i < int(reported_.size()); ++i) {
        const Verdict& v = checker_->verdicts().at(size_t(i));
        const TaskState now = v.state;
        // A voice task not heard clearly: the lesson keeps what it was asked to say again.
        const QString sayAgain = now == TaskState::Open ? v.sayAgain : QString();
        const bool askedAgain = !sayAgain.isEmpty() && sayAgain != reportedSayAgain_[size_t(i)];
        reportedSayAgain_[size_t(i)] = sayAgain;
        if (now == reported_[size_t(i)] && !askedAgain) continue;
        reported_[size_t(i)] = now;
        news = true;
        if (c.lesson) c.lesson->recordResult(taskResult(*checker_, i));
    }
    if (checker_->finished() && !reportedEnd_) {
        reportedEnd_ = true;
        news = true;
        if (c.lesson)
            c.lesson->recordResult({{QStringLiteral("exercise"), checker_->exercise().title},
                                    {QStringLiteral("task"), QStringLiteral("Score")},
                                    {QStringLiteral("verdict"), checker_->scoreText()}});
    }
    if (!news) return;
    const QJsonObject all = summary();
    for (const auto& listener : c.resultListeners) listener(all);
}

QString ExerciseRun::applyStart(const Exercise& x) {
    const StartState& s = x.start;
    Ui::frmGMDSS& ui = *c.ui;
    // Whatever the display has open goes, as Clear would take it away: an unfinished entry is undone,
    // pending call choices are forgotten and the channel display comes back.
    if (!c.s.MenuEntry.isEmpty()) c.menu->cmdClear_Click();
    c.front->backToMarineChannel();
    c.channel->RestoreChannelDisplay();

    if (!s.mmsi.isEmpty() && s.mmsi != c.s.AcceptedMMSI) {
        ctl::setText(ui.txtMMSI, s.mmsi);
        c.own->txtMMSI_LostFocus();
    }
    // Without the GPS the position and time are what the file says, or nothing entered yet: a
    // position left from the GPS or an earlier exercise must not go out in a distress alert.
    const bool manual = !s.position.isEmpty() || !s.time.isEmpty();
    if (s.gps.has_value() || manual) (s.gps.value_or(false) ? ui.GPSOn : ui.GPSOff)->click();
    if (!s.gps.value_or(false) && (s.gps.has_value() || manual)) {
        ctl::setText(ui.txtLatLon, s.position.isEmpty() ? kNoPosition : s.position);
        ctl::setText(ui.txtTime, s.time.isEmpty() ? kNoTime : s.time);
    }
    // The U/I/C key steps through the plans; each press puts the knob on 16.
    for (int i = 0; i < 3 && !s.plan.isEmpty() && c.s.ChannelPlan != s.plan; ++i) c.front->cmdMode_Click();
    const QString onChannel = calls::displayedChannel(c);
    if (!s.channel.isEmpty() && !tuneTo(s.channel)) {
        tuneTo(onChannel); // back where it was, rather than wherever the search ended
        return QStringLiteral("%1 line %2: channel %3 is not on the %4 plan")
            .arg(x.fileName)
            .arg(s.channelLine)
            .arg(s.channel, c.s.ChannelPlan);
    }
    return {};
}

bool ExerciseRun::tuneTo(const QString& designator) {
    QScrollBar* knob = c.ui->ScrollChannel;
    // The knob turned as the trainee turns it, one click of its arrows at a time: up to its top, then
    // down to its bottom. Paired channels of the USA plan share a position, so the display tells
    // whether a click still moved anything.
    for (const auto action : {QAbstractSlider::SliderSingleStepAdd, QAbstractSlider::SliderSingleStepSub}) {
        for (int i = 0; i < 200; ++i) {
            if (calls::displayedChannel(c) == designator) return true;
            const int position = knob->value();
            const QString shown = calls::displayedChannel(c);
            knob->triggerAction(action);
            if (knob->value() == position && calls::displayedChannel(c) == shown) break;
        }
    }
    return calls::displayedChannel(c) == designator;
}

} // namespace lessons
