#pragma once
// The trainer's link to its class: real DSC calls exchanged with the other trainers of the class
// through an MQTT broker (Mosquitto), and who is there. Runs on the event loop of the thread that
// owns it (the window's), never blocking it; keeps reconnecting in the background with a growing
// pause while the broker cannot be reached.
//
// Joining: a short look at the retained status of the own MMSI first (a separate connection with
// a throw-away client id, so that a trainer already online under this MMSI is not thrown off by
// the broker's session takeover); if another run of a trainer is online with it, this link is
// Refused and the other one is sent a notice. Then the station's own session: client id from
// class and MMSI, clean session off, QoS 1, so calls sent while it was away reach it when it
// returns, and its own QoS 1 calls sent while away go out once it is back.
//
// Received calls, statuses, commands and notices are signalled in the turn of the event loop that
// read them from the socket, outside libmosquitto: a slot may publish, stop the link or delete it.
// A broker given by name is looked up on a short-lived thread of its own; an address needs none.
// Qt Core only, and libmosquitto is loaded with the first start() (MqttClient.h); without it the
// link is Refused and says so.
#include "classroom/Envelope.h"
#include "classroom/ExamMessages.h"
#include "classroom/Settings.h"
#include "classroom/VoiceFrame.h"

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcClass)

namespace classroom {

class MqttClient;

enum class LinkState {
    Connecting,  // first attempt under way
    Online,
    Offline,     // not reachable or connection lost; trying again in the background
    Refused,     // the broker or the class said no (reason given); stays so until start()
};
QString stateText(LinkState state);

class Link : public QObject {
    Q_OBJECT
public:
    // `settings` must have no problem() (the link then stays Refused with it as the reason).
    explicit Link(const Settings& settings, QObject* parent = nullptr);
    ~Link() override;  // says offline and leaves

    void start();
    // Leaves the class: status offline, clean disconnect, no more reconnecting.
    void stop();

    LinkState state() const { return state_; }
    QString reason() const { return reason_; }
    const Settings& settings() const { return settings_; }
    QString instance() const { return instance_; }
    // Every station whose status was seen, self included, by MMSI.
    QList<StationStatus> stations() const { return stations_.values(); }

    // Puts a call on the class's channel 70 (QoS 1), on the subtopic of the call's self-ID, which
    // must be one of the station's voices. While offline it is queued and goes out once the link is
    // back. False (and why) when the message cannot be put into characters or is not the station's.
    bool publishCall(const dscwire::Message& message, QString* error = nullptr);
    // The own exercise's results, kept on the broker for an instructor who joins later.
    bool publishResult(const QJsonObject& results);
    // Instructor only; `retain` keeps it for stations that join later.
    bool publishCommand(const QString& command, bool retain = false);
    // A mock exam (ExamMessages.h): started on a trainee's trainer (instructor only), and the
    // trainee's progress and result record, kept on the broker for the instructor.
    bool publishExamStart(const QString& trainee, const ExamStart& start);
    bool publishExamProgress(const ExamProgress& progress);
    bool publishExamRecord(const ExamRecordFiles& files);
    // Voice on a channel (Topics.h, VoiceFrame.h), as one of the station's voices (the message's
    // sender). A frame goes out only while online (QoS 0: a frame late is no use); an end or a
    // transcript waits for the link to come back, as a call does. False when not sent.
    bool publishVoice(const QString& channel, const VoiceMessage& message);
    // Voice from `station` on `topic` dropped, and why: logged the first time for that station only
    // (voice comes fifty frames a second). Also for what is found wrong after the link's checks.
    void dropVoice(const QString& station, const QString& topic, const QString& why);
    // A new number for a transmission of this station: above every number of its earlier runs.
    quint64 nextTransmission() { return seqBase_ + ++transmissions_; }

    // A new vessel name, or a new MMSI (which leaves the class under the old one and joins again).
    void announce(const QString& vesselName, const QString& mmsi);

    // The MMSIs this station may send calls as: its own, and for the instructor's station the
    // model stations it plays (the coast station, the second vessel). Calls from them that come
    // back from the broker are not received again.
    void setVoices(const QStringList& mmsis) { voices_ = mmsis; }
    QStringList voices() const;

    // Milliseconds between reconnect attempts: the first pause, doubled up to the last.
    void setBackoff(int firstMs, int maxMs) { backoffFirst_ = firstMs; backoffMax_ = maxMs; }

signals:
    void stateChanged(classroom::LinkState state, const QString& reason);
    void callReceived(const QString& sender, const dscwire::Message& message, const QDateTime& sent);
    void stationChanged(const classroom::StationStatus& status);
    void commandReceived(const QString& command, const QString& sender);
    void noticeReceived(const QString& text);
    // A trainee's exercise results (the instructor's link only).
    void resultReceived(const QString& mmsi, const QJsonObject& results);
    // The instructor started an exam on this trainer (a trainee's link only).
    void examStartReceived(const classroom::ExamStart& start);
    // A trainee's exam progress and result record (the instructor's link only).
    void examProgressReceived(const QString& mmsi, const classroom::ExamProgress& progress);
    void examRecordReceived(const QString& mmsi, const classroom::ExamRecordFiles& files);
    // Voice of another station, checked (its own topic, no replay); `channel` is the topic's.
    void voiceReceived(const QString& channel, const classroom::VoiceMessage& message);

private:
    void setState(LinkState state, const QString& reason);
    void attempt();
    void resolved(quint64 lookup, const QString& address, const QString& error);
    void probe(const QString& address);
    void probeMessage(const QString& topic, const QByteArray& payload);
    void probeDone();
    void join();
    void joined(int connack);
    void lost(const QString& reason);
    void retryLater();
    void refuse(const QString& reason);
    void dropProbe();
    void makeStation();
    void received(const QString& topic, const QByteArray& payload, bool retained);
    void receivedCall(const QString& topic, const QByteArray& payload);
    void receivedStatus(const QString& topic, const QByteArray& payload);
    void receivedVoice(const QString& topic, const QByteArray& payload);
    bool receivedExam(const QString& topic, const QByteArray& payload);
    void subscribeExam();
    StationStatus ownStatus(bool online) const;

    Settings settings_;
    QString instance_;
    LinkState state_ = LinkState::Connecting;
    QString reason_;
    bool running_ = false;
    bool everOnline_ = false;

    QString address_;                    // the broker's address for this attempt
    struct Mailbox;                      // where a look-up's answer is posted while this link lives
    std::shared_ptr<Mailbox> mailbox_;
    quint64 lookup_ = 0;                 // the look-up whose answer is awaited; older ones are ignored
    QPointer<MqttClient> probe_;
    int probeLastMid_ = -1;
    QString conflictInstance_;
    MqttClient* station_ = nullptr;      // the station's own session, kept across reconnects
    QTimer retry_;
    int backoffFirst_ = 500, backoffMax_ = 8000, backoff_ = 500;

    qint64 seqBase_ = 0;
    qint64 sent_ = 0;
    QHash<QString, qint64> lastSeq_;     // newest sequence number seen from each sender
    QHash<QString, StationStatus> stations_;
    qint64 transmissions_ = 0;
    // The newest voice seen from each sender: frames (transmission, frame), ends, transcripts.
    struct VoiceSeen {
        quint64 transmission = 0;
        qint64 frame = -1;
        quint64 ended = 0;
        quint64 transcript = 0;
    };
    QHash<QString, VoiceSeen> voiceSeen_;
    QSet<QString> voiceWarned_;  // the topics' stations whose bad voice has been logged
    QStringList voices_;
};

} // namespace classroom

Q_DECLARE_METATYPE(classroom::LinkState)
