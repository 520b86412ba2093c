#include "app/ClassExam.h"

#include "app/ExamRun.h"
#include "classroom/Link.h"
#include "core/Context.h"
#include "core/Form.h"
#include "dsc/OwnStation.h"
#include "exam/Results.h"
#include "exam/Sheet.h"
#include "platform/AudioFile.h"
#include "platform/Controls.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>

namespace {

const QString kDoor = QStringLiteral("examDoor");

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

ExamDoor::ExamDoor(QObject* window) : QObject(window) { setObjectName(kDoor); }

ExamDoor* ExamDoor::of(QObject* window) {
    return window ? window->findChild<ExamDoor*>(kDoor, Qt::FindDirectChildrenOnly) : nullptr;
}

ClassExam::ClassExam(Context& ctx, classroom::Link& link, screens::ClassExamPanel* panel, QObject* parent)
    : QObject(parent), c(ctx), link_(link), panel_(panel),
      folder_(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/class-exams")) {
    connect(&link, &classroom::Link::examStartReceived, this, &ClassExam::startReceived);
    connect(&link, &classroom::Link::examRecordReceived, this, &ClassExam::recordReceived);
    connect(&link, &classroom::Link::examProgressReceived, this,
            [this](const QString& mmsi, const classroom::ExamProgress& p) {
                if (panel_ && !exam_.isEmpty() && p.exam == exam_) panel_->setProgress(mmsi, p.progress);
            });
    if (!panel) return;
    connect(panel, &screens::ClassExamPanel::startRequested, this, [this](const screens::ClassExamPanel::Choice& choice) {
        const QString problem = start(choice);
        if (!problem.isEmpty()) panel_->say(problem);
    });
    connect(panel, &screens::ClassExamPanel::overrideRequested, this,
            [this](const QString& mmsi, int card, int attempt, const QString& mark, const QString& reason) {
                const QString problem = overrideMark(mmsi, card, attempt, mark, reason);
                panel_->say(problem.isEmpty() ? QStringLiteral("Card %1, attempt %2 overridden: %3").arg(card).arg(attempt).arg(mark)
                                              : problem);
            });
    connect(panel, &screens::ClassExamPanel::listenRequested, this, &ClassExam::play);
    connect(panel, &screens::ClassExamPanel::saveRequested, this, [this](const QString& folder) {
        const auto saved = saveResults(folder);
        panel_->say(saved.ok() ? QStringLiteral("Results saved in %1: %2 files").arg(folder).arg(saved.value().size())
                               : saved.error());
    });
}

// ---- the instructor's side

QString ClassExam::start(const screens::ClassExamPanel::Choice& choice) {
    QList<classroom::StationStatus> trainees;
    for (const classroom::StationStatus& s : link_.stations())
        if (s.online && !s.instructor && s.mmsi != link_.settings().mmsi) trainees << s;
    if (trainees.isEmpty()) return QStringLiteral("No trainee is online: no exam was started.");
    exam_ = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss-")) +
            QString::number(QRandomGenerator::global()->bounded(0x10000u), 16);
    records_.clear();
    for (const classroom::StationStatus& s : trainees) {
        const quint64 seed = choice.oneSeed ? choice.seed : QRandomGenerator::global()->bounded(1000000000u);
        const QString candidate = s.name.isEmpty() ? s.mmsi : s.name;
        link_.publishExamStart(s.mmsi, {link_.settings().mmsi, exam_, choice.profile, seed, candidate});
        if (panel_) panel_->setStarted(s.mmsi, candidate, choice.profile, seed);
    }
    if (panel_)
        panel_->say(QStringLiteral("Exam %1 started for %2 trainees%3.")
                        .arg(choice.profile).arg(trainees.size())
                        .arg(choice.oneSeed ? QStringLiteral(", seed %1").arg(choice.seed) : QStringLiteral(", a seed each")));
    return {};
}

void ClassExam::recordReceived(const QString& mmsi, const classroom::ExamRecordFiles& files) {
    if (exam_.isEmpty() || files.exam != exam_) return;
    const QString dir = QDir(folder_).filePath(exam_ + QLatin1Char('/') + mmsi);
    QDir(dir).removeRecursively(); // a trainee's record replaces what it sent before
    bool ok = QDir().mkpath(dir) && writeFile(QDir(dir).filePath(files.name), files.record);
    for (auto it = files.sounds.cbegin(); ok && it != files.sounds.cend(); ++it)
        ok = writeFile(QDir(dir).filePath(it.key()), it.value());
    if (!ok) {
        if (panel_) panel_->say(QStringLiteral("Cannot keep the record of %1 in %2").arg(mmsi, dir));
        return;
    }
    records_[mmsi] = QDir(dir).filePath(files.name);
    if (panel_) panel_->setRecord(mmsi, records_[mmsi]);
}

QString ClassExam::overrideMark(const QString& mmsi, int card, int attempt, const QString& mark, const QString& reason) {
    const QString path = records_.value(mmsi);
    if (path.isEmpty()) return QStringLiteral("No record of %1 has come yet.").arg(mmsi);
    exam::RecordRead read = exam::readRecordFile(path);
    if (read.integrity != exam::Integrity::Intact)
        return QStringLiteral("The record of %1 was changed since it was written: no override.").arg(mmsi);
    const QString at = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    if (const QString problem = exam::addOverride(read.record, {card, attempt, mark, reason, at}); !problem.isEmpty())
        return problem;
    if (!writeFile(path, exam::writeRecord(read.record))) return QStringLiteral("Cannot write %1").arg(path);
    if (panel_) panel_->setRecord(mmsi, path);
    return {};
}

dscwire::Result<QStringList> ClassExam::saveResults(const QString& folder) const {
    using R = dscwire::Result<QStringList>;
    QStringList written;
    std::vector<exam::Record> records;
    for (auto it = records_.cbegin(); it != records_.cend(); ++it) {
        const QDir from = QFileInfo(*it).dir();
        const QDir to(QDir(folder).filePath(it.key()));
        if (!QDir().mkpath(to.path())) return R::bad(QStringLiteral("Cannot make %1").arg(to.path()));
        for (const QString& name : from.entryList(QDir::Files)) {
            if (!writeFile(to.filePath(name), readFile(from.filePath(name))))
                return R::bad(QStringLiteral("Cannot write %1").arg(to.filePath(name)));
            written << to.filePath(name);
        }
        const QString sheet = to.filePath(QStringLiteral("sheet.html"));
        const exam::SheetOutcome outcome = exam::writeSheet(to.filePath(QFileInfo(*it).fileName()), sheet);
        if (!outcome.written) return R::bad(outcome.problem);
        written << sheet;
        records.push_back(exam::readRecordFile(*it).record);
    }
    const QString csv = QDir(folder).filePath(QStringLiteral("results.csv"));
    if (!writeFile(csv, exam::resultsCsv(records).toUtf8())) return R::bad(QStringLiteral("Cannot write %1").arg(csv));
    written << csv;
    return R::good(written);
}

void ClassExam::play(const QString& soundPath) {
    QString error;
    const std::vector<float> sound = platform::readMono(soundPath, 16000, &error);
    if (sound.empty()) {
        if (panel_) panel_->say(QStringLiteral("Cannot play %1: %2").arg(soundPath, error));
        return;
    }
    const std::vector<qint16> pcm = platform::toInt16(sound);
    c.sound.playSamples(QList<qint16>(pcm.begin(), pcm.end()), 16000);
}

// ---- the trainee's side

void ClassExam::startReceived(const classroom::ExamStart& s) {
    ExamDoor* door = ExamDoor::of(c.form);
    ExamRun* run = door && door->start && door->run ? door->run() : nullptr;
    QString problem = run ? QString() : QStringLiteral("this trainer cannot run exams");
    if (run) {
        // Hooked first: a profile without time to get to know the radio gives its first card at once.
        hook(run);
        exam_ = s.exam;
        problem = door->start(s.profile, s.seed, s.candidate);
    }
    if (!problem.isEmpty()) {
        run_ = nullptr;
        exam_.clear();
        link_.publishExamProgress({s.exam, {{"phase", "refused"}, {"problem", problem}}});
        return;
    }
    progressed();
}

// The runner tells the class, besides whoever it told before.
void ClassExam::hook(ExamRun* run) {
    run_ = run;
    const QPointer<ClassExam> self(this);
    auto changed = run->changed;
    run->changed = [self, changed, run] {
        if (changed) changed();
        if (self && self->run_ == run) self->progressed();
    };
    run->cardGiven.push_back([self, run](const exam::DrawnCard&, int) {
        if (self && self->run_ == run) self->keepClassMmsi();
    });
    auto finished = run->finished;
    run->finished = [self, finished, run](const QString& path) {
        if (finished) finished(path);
        if (self && self->run_ == run) self->finished(path);
    };
}

void ClassExam::keepClassMmsi() {
    const QString mmsi = link_.settings().mmsi;
    if (c.s.AcceptedMMSI == mmsi) return;
    ctl::setText(c.ui->txtMMSI, mmsi);
    c.own->txtMMSI_LostFocus();
}

void ClassExam::progressed() {
    if (run_ && !exam_.isEmpty()) link_.publishExamProgress({exam_, run_->progress()});
}

void ClassExam::finished(const QString& recordPath) {
    if (exam_.isEmpty()) return;
    progressed();
    classroom::ExamRecordFiles files{exam_, QFileInfo(recordPath).fileName(), readFile(recordPath), {}};
    const QDir beside = QFileInfo(recordPath).dir();
    for (const exam::CardResult& card : exam::readRecordFile(recordPath).record.cards)
        for (const exam::Attempt& a : card.attempts)
            for (const exam::ReviewFlag& f : a.review)
                if (classroom::plainFileName(f.sound) && beside.exists(f.sound))
                    files.sounds.insert(f.sound, readFile(beside.filePath(f.sound)));
    if (!link_.publishExamRecord(files))
        qCWarning(lcClass).noquote() << "the exam's record did not go to the instructor:" << recordPath;
    run_ = nullptr;
    exam_.clear();
}
