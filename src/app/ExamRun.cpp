#include "app/ExamRun.h"

#include "core/Context.h"
#include "core/Form.h"
#include "exam/Mark.h"
#include "exam/Pass.h"
#include "exam/Sheet.h"
#include "lessons/ExerciseRun.h"
#include "lessons/Recorder.h"
#include "platform/Clock.h"
#include "screens/ExamWindow.h"
#include "screens/ExercisePanel.h"

#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>

namespace {

// "4:59", "29:00", "1:00:00".
QString clockText(qint64 seconds) {
    seconds = std::max<qint64>(seconds, 0);
    if (seconds < 3600) return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString isoUtc(const QDateTime& t) { return t.toUTC().toString(Qt::ISODate); }

// The record of an exam lies beside its lesson: 2026-12-06_10-00-00.exam.json.
QString recordPathOf(const QString& lessonPath) {
    QString path = lessonPath;
    if (path.endsWith(QLatin1String(lessons::kSuffix))) path.chop(int(qstrlen(lessons::kSuffix)));
    return path + QStringLiteral(".exam.json");
}

const char* resultWords(const QString& result) {
    if (result == QLatin1String("passed")) return "passed";
    if (result == QLatin1String("failed")) return "not passed";
    return "waiting for the examiner's review";
}

} // namespace

struct ExamRun::Impl {
    std::unique_ptr<platform::Timer> second; // the clock of the window's countdown and the limits
    qint64 phaseStartMs = 0;                 // when the time to get to know the radio began
    qint64 cardsStartMs = 0;                 // when the first card was given
    qint64 attemptStartMs = 0;
    QString lessonPath;
    QString problem; // why the record could not be written, once over
};

ExamRun::ExamRun(Context& ctx, screens::ExamWindow& window) : d(std::make_unique<Impl>()), c(ctx), window_(window) {
    d->second = c.clock.createTimer();
    d->second->setInterval(1000);
    d->second->onTick = [this] { tick(); };
    QObject::connect(window_.start, &QPushButton::clicked, &window_, [this] { beginCards(); });
    QObject::connect(window_.done, &QPushButton::clicked, &window_, [this] { cardDone(); });
    QObject::connect(window_.sheet, &QPushButton::clicked, &window_, [this] {
        const QString out = askSheetPath ? askSheetPath() : QString();
        if (out.isEmpty() || recordPath_.isEmpty()) return;
        const exam::SheetOutcome o = exam::writeSheet(recordPath_, out);
        window_.card->appendPlainText(o.written ? QStringLiteral("\nThe sheet is written: %1").arg(out) : QStringLiteral("\n") + o.problem);
    });
    askSheetPath = [this] {
        return QFileDialog::getSaveFileName(&window_, QStringLiteral("Examiner's sheet"), QString(),
                                            QStringLiteral("Web page (*.html);;PDF (*.pdf)"));
    };
}

ExamRun::~ExamRun() {
    // An exam cut short by closing the trainer still leaves its record: the card on show is
    // marked as far as it went, and what was not given is named as such.
    if (running()) stop(QStringLiteral("the trainer was closed"));
}

void ExamRun::stop(const QString& why) {
    if (phase_ == Phase::Card) {
        endAttempt(false, why);
        return;
    }
    if (phase_ == Phase::Familiarisation) finish(why);
}

QString ExamRun::start(const exam::Profile& profile, const exam::Plan& plan, const QString& candidate) {
    if (running()) return QStringLiteral("An exam is running already.");
    if (!c.lesson || !c.lesson->recording())
        return QStringLiteral("An exam is marked from its lesson, and this run records none (see the warning at start-up).");
    if (plan.cards.isEmpty()) return QStringLiteral("The exam has no cards.");
    for (const exam::DrawnCard& drawn : plan.cards)
        if (const auto x = exam::exerciseOf(drawn); !x.ok()) return x.error();
    profile_ = profile;
    plan_ = plan;
    d->lessonPath = c.lesson->path();
    recordPath_.clear();
    record_ = exam::Record{};
    record_.profile = plan.profile;
    record_.profileTitle = plan.profileTitle;
    record_.seed = qint64(plan.seed);
    record_.candidate = candidate;
    record_.started = isoUtc(c.clock.now());
    record_.pass = profile.pass;
    for (const exam::DrawnCard& drawn : plan.cards) {
        exam::CardResult card;
        card.number = drawn.number;
        card.id = drawn.card.id;
        card.kind = drawn.card.kind;
        card.section = drawn.section;
        card.mandatory = drawn.mandatory;
        card.text = drawn.filled.text;
        record_.cards.push_back(card);
    }
    // No exercise, no replay and no debrief while the exam runs: nothing may hint or judge.
    c.exercises->stop();
    if (c.exercises->window()) c.exercises->window()->hide();
    for (QPushButton* key : {c.ui->cmdExercises, c.ui->cmdLessons}) key->setEnabled(false);
    card_ = -1;
    attempt_ = 0;
    window_.sheet->setEnabled(false);
    screens::showBeside(&window_, c.form);
    if (profile.familiarisationSeconds > 0) {
        phase_ = Phase::Familiarisation;
        d->phaseStartMs = c.clock.tickMs();
        window_.card->setPlainText(
            QStringLiteral("Exam %1 (%2), seed %3: %4 cards.\n\nFirst get to know the radio: use it freely. The exam "
                           "begins when the time is up, or when you press Start the exam.")
                .arg(plan.profile, plan.profileTitle)
                .arg(plan.seed)
                .arg(plan.cards.size()));
        window_.start->setEnabled(true);
        window_.done->setEnabled(false);
        d->second->setEnabled(true);
        tick();
        if (changed) changed();
    } else {
        beginCards();
    }
    return {};
}

void ExamRun::beginCards() {
    if (phase_ != Phase::Familiarisation && phase_ != Phase::Idle) return;
    if (phase_ == Phase::Idle && plan_.cards.isEmpty()) return;
    phase_ = Phase::Card;
    d->cardsStartMs = c.clock.tickMs();
    card_ = 0;
    attempt_ = 1;
    window_.start->setEnabled(false);
    d->second->setEnabled(true);
    giveCard();
}

void ExamRun::giveCard() {
    const exam::DrawnCard& drawn = plan_.cards.at(card_);
    d->attemptStartMs = c.clock.tickMs();
    // Checked when the exam started: the card is an exercise the radio can be set to.
    if (const auto x = exam::exerciseOf(drawn); x.ok()) c.exercises->run().applyStart(x.value());
    window_.card->setPlainText(drawn.filled.text);
    window_.done->setEnabled(true);
    tick();
    for (const auto& listener : cardGiven) listener(drawn, attempt_);
    if (changed) changed();
}

void ExamRun::cardDone() {
    if (phase_ != Phase::Card) return;
    endAttempt(false);
}

void ExamRun::endAttempt(bool timedOut, const QString& stoppedBy) {
    const exam::DrawnCard& drawn = plan_.cards.at(card_);
    // The last transmission is marked with its words: those being recognised go on the air first.
    if (c.waitForVoice) c.waitForVoice(true);
    exam::AttemptSpan span;
    span.number = attempt_;
    span.startMs = d->attemptStartMs;
    span.endMs = c.clock.tickMs();
    span.timedOut = timedOut;
    exam::Attempt marked = exam::markAttempt(drawn, exam::readEntries(d->lessonPath), span, d->lessonPath);
    if (!stoppedBy.isEmpty()) {
        marked.critical << QStringLiteral("ended: %1 before the card was done").arg(stoppedBy);
        marked.passed = false;
    }
    // A failed attempt is given again while the card has attempts left; one waiting for review is
    // the examiner's to decide.
    const bool again = !timedOut && !marked.passed && marked.review.empty() && attempt_ < drawn.attempts;
    record_.cards[size_t(card_)].attempts.push_back(std::move(marked));
    if (timedOut || !stoppedBy.isEmpty()) {
        finish(stoppedBy);
        return;
    }
    if (again) {
        ++attempt_;
    } else {
        ++card_;
        attempt_ = 1;
    }
    if (card_ >= plan_.cards.size()) {
        finish();
        return;
    }
    giveCard();
}

void ExamRun::finish(const QString& stoppedBy) {
    d->second->setEnabled(false);
    phase_ = Phase::Over;
    // The cards the time (or the end of the exam) did not reach are failed for it.
    const QString unreached = stoppedBy.isEmpty()
                                  ? QStringLiteral("time-out: the exam's time ran out before this card was given")
                                  : QStringLiteral("not given: %1 before this card was given").arg(stoppedBy);
    for (exam::CardResult& card : record_.cards) {
        if (!card.attempts.empty()) continue;
        exam::Attempt missed;
        missed.number = 1;
        missed.critical << unreached;
        card.attempts.push_back(missed);
    }
    record_.ended = isoUtc(c.clock.now());
    record_.result = exam::judge(record_).result;
    recordPath_ = recordPathOf(d->lessonPath);
    QSaveFile file(recordPath_);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(exam::writeRecord(record_)) >= 0 && file.commit();
    d->problem = written ? QString() : QStringLiteral("The record could not be written to %1: %2").arg(recordPath_, file.errorString());
    if (!written) recordPath_.clear();
    for (QPushButton* key : {c.ui->cmdExercises, c.ui->cmdLessons}) key->setEnabled(true);
    window_.start->setEnabled(false);
    window_.done->setEnabled(false);
    window_.sheet->setEnabled(written);
    window_.status->setText(QStringLiteral("The exam is over: %1.").arg(QString::fromLatin1(resultWords(record_.result))));
    window_.card->setPlainText(written ? QStringLiteral("The exam is over. Its record is %1; Sheet... writes the examiner's "
                                                        "sheet from it.")
                                             .arg(recordPath_)
                                       : d->problem);
    if (changed) changed();
    if (written && finished) finished(recordPath_);
}

void ExamRun::tick() {
    const qint64 now = c.clock.tickMs();
    if (phase_ == Phase::Familiarisation) {
        const qint64 left = profile_.familiarisationSeconds - (now - d->phaseStartMs) / 1000;
        if (left <= 0) {
            beginCards();
            return;
        }
        window_.status->setText(QStringLiteral("Get to know the radio: %1 left").arg(clockText(left)));
        return;
    }
    if (phase_ != Phase::Card) return;
    const exam::DrawnCard& drawn = plan_.cards.at(card_);
    QString text = QStringLiteral("Card %1 of %2").arg(card_ + 1).arg(plan_.cards.size());
    if (drawn.attempts > 1) text += QStringLiteral(", attempt %1 of %2").arg(attempt_).arg(drawn.attempts);
    if (profile_.timeLimitSeconds > 0) {
        const qint64 left = profile_.timeLimitSeconds - (now - d->cardsStartMs) / 1000;
        if (left <= 0) {
            endAttempt(true);
            return;
        }
        text += QStringLiteral(": %1 left").arg(clockText(left));
    }
    window_.status->setText(text);
}

QJsonObject ExamRun::progress() const {
    static const char* const phases[] = {"idle", "familiarisation", "card", "over"};
    const qint64 now = c.clock.tickMs();
    QJsonObject p{{QStringLiteral("profile"), plan_.profile},
                  {QStringLiteral("seed"), QString::number(plan_.seed)},
                  {QStringLiteral("phase"), QString::fromLatin1(phases[int(phase_)])},
                  {QStringLiteral("cards"), int(plan_.cards.size())}};
    if (phase_ == Phase::Card) {
        p.insert(QStringLiteral("card"), card_ + 1);
        p.insert(QStringLiteral("kind"), plan_.cards.at(card_).card.kind);
        p.insert(QStringLiteral("attempt"), attempt_);
        p.insert(QStringLiteral("seconds"), double((now - d->cardsStartMs) / 1000));
        if (profile_.timeLimitSeconds > 0)
            p.insert(QStringLiteral("left"), double(std::max<qint64>(0, profile_.timeLimitSeconds - (now - d->cardsStartMs) / 1000)));
    }
    if (phase_ == Phase::Over) p.insert(QStringLiteral("result"), record_.result);
    return p;
}
