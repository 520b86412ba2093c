// Voice through the class: frames, ends and transcripts sent and received, replays dropped.
#include "classroom/Link.h"

#include "classroom/MqttClient.h"
#include "classroom/Topics.h"

#include <mosquitto.h>  // constants only

namespace classroom {

bool Link::publishVoice(const QString& channel, const VoiceMessage& message) {
    if (!station_ || !voices().contains(message.sender)) return false;
    const bool frame = message.kind == VoiceMessage::Frame;
    if (frame && !station_->isConnected()) return false;
    const int rc = station_->publish(topics::voice(settings_.className, channel, message.sender), encodeVoice(message),
                                     frame ? 0 : 1, false);
    return rc == MOSQ_ERR_SUCCESS || (!frame && rc == MOSQ_ERR_NO_CONN);
}

void Link::dropVoice(const QString& station, const QString& topic, const QString& why) {
    const QString who = station.isEmpty() ? topic : station;
    if (voiceWarned_.contains(who)) return;
    voiceWarned_.insert(who);
    qCWarning(lcClass).noquote() << "dropped voice on" << topic << "-" << why
                                 << "(more of it from this station is dropped without a word)";
}

void Link::receivedVoice(const QString& topic, const QByteArray& payload) {
    const auto [channel, station] = topics::voiceOf(topic, settings_.className);
    if (voices().contains(station)) return;  // our own, back from the broker
    if (channel.isEmpty()) return dropVoice({}, topic, QStringLiteral("not a voice topic of a channel and a station"));
    const auto decoded = decodeVoice(payload, station);
    if (!decoded.ok()) return dropVoice(station, topic, decoded.error());
    const VoiceMessage& m = decoded.value();
    VoiceSeen& seen = voiceSeen_[m.sender];
    bool replay = false;
    switch (m.kind) {
    case VoiceMessage::Frame:
        replay = m.transmission <= seen.ended || m.transmission < seen.transmission ||
                 (m.transmission == seen.transmission && qint64(m.number) <= seen.frame);
        if (!replay) seen.transmission = m.transmission, seen.frame = m.number;
        break;
    case VoiceMessage::End:
        replay = m.transmission <= seen.ended;
        if (!replay) seen.ended = m.transmission;
        break;
    case VoiceMessage::Transcript:
        replay = m.transmission <= seen.transcript;
        if (!replay) seen.transcript = m.transmission;
        break;
    }
    if (replay)
        return dropVoice(station, topic, QStringLiteral("transmission %1, frame %2 is not newer than what came before "
                                                        "(a replay or a duplicate)").arg(m.transmission).arg(m.number));
    emit voiceReceived(channel, m);
}

} // namespace classroom
