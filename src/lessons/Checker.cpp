#include "lessons/Checker.h"

#include "air/Air.h"

#include <algorithm>

namespace lessons {

Checker::Checker(Exercise exercise, qint64 startMs)
    : exercise_(std::move(exercise)), startMs_(startMs), verdicts_(static_cast<size_t>(exercise_.tasks.size())) {}

int Checker::firstOpen(std::optional<Kind> kind) const {
    return firstOpenWhere([&kind](const Task& t) { return !kind || t.expect.kind == *kind; });
}

int Checker::firstOpenWhere(const std::function<bool(const Task&)>& wanted) const {
    for (int i = 0; i < exercise_.tasks.size(); ++i)
        if (verdicts_[size_t(i)].state == TaskState::Open && wanted(exercise_.tasks[i])) return i;
    return -1;
}

namespace {
bool spoken(const Task& t) { return t.expect.kind == Kind::Voice; }
} // namespace

int Checker::message(const air::Transmission& t, qint64 nowMs) {
    if (finished()) return -1;
    const std::optional<Kind> kind = kindOf(t.message);
    if (!kind) return -1;
    if (isSentKind(*kind) ? !t.fromOwnRadio : !t.toOwnRadio) return -1;
    if (const int task = firstOpen(kind); task >= 0) {
        answer(task, mismatches(exercise_.tasks[task].expect, t.message), nowMs);
        return task;
    }
    const bool asked = std::any_of(exercise_.tasks.begin(), exercise_.tasks.end(),
                                   [&](const Task& task) { return task.expect.kind == *kind; });
    if (isReceivedKind(*kind) || asked) return -1;
    const int current = firstOpenWhere([](const Task& t) { return !spoken(t); });
    if (current < 0) return -1;
    answer(current,
           {QStringLiteral("kind: %1, expected %2")
                .arg(kindName(*kind), kindName(exercise_.tasks[current].expect.kind))},
           nowMs);
    return current;
}

int Checker::voice(const air::VoiceTransmission& t, qint64 nowMs) {
    if (finished() || !t.fromOwnRadio || t.procedure.isEmpty() || t.procedure == QLatin1String("none")) return -1;
    auto ofProcedure = [&t](const Task& task) { return spoken(task) && task.expect.procedure == t.procedure; };
    if (const int task = firstOpenWhere(ofProcedure); task >= 0) {
        Verdict& v = verdicts_[size_t(task)];
        // Not heard clearly: as a station would, the exercise asks for it again.
        if (const QStringList unclear = unclearElements(exercise_.tasks[task].expect, t); !unclear.isEmpty()) {
            v.sayAgain = sayAgainText(unclear);
            return task;
        }
        v.sayAgain.clear();
        answer(task, mismatches(exercise_.tasks[task].expect, t), nowMs);
        return task;
    }
    if (std::any_of(exercise_.tasks.begin(), exercise_.tasks.end(), ofProcedure)) return -1;
    const int current = firstOpenWhere(spoken);
    if (current < 0) return -1;
    answer(current, {QStringLiteral("procedure: %1, expected %2").arg(t.procedure, exercise_.tasks[current].expect.procedure)},
           nowMs);
    return current;
}

int Checker::ownMmsi(const QString& mmsi, qint64 nowMs) {
    if (finished()) return -1;
    const int task = firstOpen(Kind::OwnMmsi);
    if (task < 0) return -1;
    const QString& wanted = exercise_.tasks[task].expect.mmsi;
    QStringList reasons;
    if (mmsi != wanted) reasons << QStringLiteral("mmsi: %1, expected %2").arg(mmsi, wanted);
    answer(task, reasons, nowMs);
    return task;
}

void Checker::answer(int task, QStringList reasons, qint64 nowMs) {
    Verdict& v = verdicts_[size_t(task)];
    v.ms = nowMs - startMs_;
    const int limit = exercise_.tasks[task].timeLimitSeconds;
    // A voice task's limit runs from the answer to the task before it: the spoken half follows its call.
    qint64 from = 0;
    bool running = true;
    if (spoken(exercise_.tasks[task]) && task > 0) {
        const Verdict& before = verdicts_[size_t(task - 1)];
        running = before.state != TaskState::Open;
        from = before.ms;
    }
    if (limit > 0 && running && v.ms - from > qint64(limit) * 1000)
        reasons << QStringLiteral("took %1 s, limit %2 s").arg((v.ms - from + 999) / 1000).arg(limit);
    v.state = reasons.isEmpty() ? TaskState::Done : TaskState::Wrong;
    v.reason = reasons.join(QStringLiteral("; "));
}

bool Checker::finished() const { return stopped_ || firstOpen() < 0; }

int Checker::done() const {
    return int(std::count_if(verdicts_.begin(), verdicts_.end(),
                             [](const Verdict& v) { return v.state == TaskState::Done; }));
}

int Checker::answered() const {
    return int(std::count_if(verdicts_.begin(), verdicts_.end(),
                             [](const Verdict& v) { return v.state != TaskState::Open; }));
}

QString Checker::resultText(int task) const {
    const Verdict& v = verdicts_.at(size_t(task));
    switch (v.state) {
    case TaskState::Done: return QStringLiteral("done");
    case TaskState::Wrong: return QStringLiteral("wrong: ") + v.reason;
    case TaskState::Open: break;
    }
    if (finished()) return QStringLiteral("not answered");
    return v.sayAgain.isEmpty() ? QStringLiteral("open") : v.sayAgain;
}

QString Checker::scoreText() const {
    const int total = int(verdicts_.size());
    if (finished()) return QStringLiteral("Score: %1 of %2").arg(done()).arg(total);
    return QStringLiteral("Running: %1 of %2 tasks answered").arg(answered()).arg(total);
}

} // namespace lessons
