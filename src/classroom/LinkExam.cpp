// A class's mock exam on the link: the instructor's start to each trainee, the trainees' progress
// and result records back to the instructor. Each side subscribes only to its own part: a trainee
// hears the start meant for it, never another trainee's progress or cards.
#include "classroom/Link.h"

#include "classroom/MqttClient.h"
#include "classroom/Topics.h"

#include <mosquitto.h>  // constants only


namespace classroom {

void Link::subscribeExam() {
    const QString& cls = settings_.className;
    if (settings_.instructor) {
        station_->subscribe(topics::allExamProgress(cls), 1);
        station_->subscribe(topics::allExamRecords(cls), 1);
    } else {
        station_->subscribe(topics::examStart(cls, settings_.mmsi), 1);
    }
}

bool Link::publishExamStart(const QString& trainee, const ExamStart& start) {
    if (!settings_.instructor || !station_ || !dscwire::isMmsi(trainee)) return false;
    const int rc = station_->publish(topics::examStart(settings_.className, trainee), encodeExamStart(start), 1, false);
    return rc == MOSQ_ERR_SUCCESS || rc == MOSQ_ERR_NO_CONN;
}

bool Link::publishExamProgress(const ExamProgress& progress) {
    if (!station_) return false;
    const int rc = station_->publish(topics::examProgress(settings_.className, settings_.mmsi),
                                     encodeExamProgress(progress), 1, true);
    return rc == MOSQ_ERR_SUCCESS || rc == MOSQ_ERR_NO_CONN;
}

bool Link::publishExamRecord(const ExamRecordFiles& files) {
    const QByteArray payload = encodeExamRecord(files);
    if (!station_ || payload.size() > kMaxExamRecord) return false;
    const int rc = station_->publish(topics::examRecord(settings_.className, settings_.mmsi), payload, 1, true);
    return rc == MOSQ_ERR_SUCCESS || rc == MOSQ_ERR_NO_CONN;
}

// True when the topic is one of the exam's (handled or dropped here).
bool Link::receivedExam(const QString& topic, const QByteArray& payload) {
    const QString& cls = settings_.className;
    const auto drop = [&](const QString& why) {
        qCWarning(lcClass).noquote() << "dropped an exam message on" << topic << "-" << why;
        return true;
    };
    if (topic == topics::examStart(cls, settings_.mmsi)) {
        if (payload.isEmpty()) return true;
        const auto start = decodeExamStart(payload);
        if (!start.ok()) return drop(start.error());
        // Only an instructor's station starts exams.
        const auto sender = stations_.constFind(start.value().sender);
        if (sender == stations_.cend() || !sender->instructor) return drop(QStringLiteral("not from the instructor"));
        emit examStartReceived(start.value());
        return true;
    }
    if (const QString from = topics::stationOf(topic, cls, QStringLiteral("examprogress")); !from.isEmpty()) {
        if (payload.isEmpty() || !settings_.instructor) return true;
        const auto progress = decodeExamProgress(payload);
        if (!progress.ok() || !dscwire::isMmsi(from)) return drop(progress.ok() ? QStringLiteral("no MMSI") : progress.error());
        emit examProgressReceived(from, progress.value());
        return true;
    }
    if (const QString from = topics::stationOf(topic, cls, QStringLiteral("examrecord")); !from.isEmpty()) {
        if (payload.isEmpty() || !settings_.instructor) return true;
        const auto files = decodeExamRecord(payload);
        if (!files.ok() || !dscwire::isMmsi(from)) return drop(files.ok() ? QStringLiteral("no MMSI") : files.error());
        emit examRecordReceived(from, files.value());
        return true;
    }
    return false;
}

} // namespace classroom
