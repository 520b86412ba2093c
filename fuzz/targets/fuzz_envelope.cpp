// What a class's broker hands over: calls, station statuses, commands and voice, as the link checks
// them. A call that passes the checks is sent on again by the trainer: it must make the same
// envelope. Voice that passes them is made again the same, and its sound goes to the Opus decoder.
#include "Fuzz.h"

#include "air/Voice.h"
#include "classroom/Envelope.h"
#include "classroom/VoiceFrame.h"
#include "platform/Opus.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray payload(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString topic = QStringLiteral("316123456");
    const auto call = classroom::decodeCall(payload, topic);
    if (call.ok()) {
        const classroom::CallEnvelope& e = call.value();
        const auto again = classroom::encodeCall(e.sender, e.seq, e.sent, e.message);
        fuzz::require(again.ok(), "a call that was accepted can be put in an envelope again");
        const auto back = classroom::decodeCall(again.value(), topic);
        fuzz::require(back.ok() && back.value().message == e.message && back.value().seq == e.seq,
                      "an envelope made again reads back the same");
    }
    const auto status = classroom::decodeStatus(payload, topic);
    if (status.ok()) {
        const auto back = classroom::decodeStatus(classroom::encodeStatus(status.value()), topic);
        fuzz::require(back.ok() && back.value() == status.value(), "a status made again reads back the same");
    }
    classroom::decodeCommand(payload);
    const auto voice = classroom::decodeVoice(payload, topic);
    if (voice.ok()) {
        const classroom::VoiceMessage& v = voice.value();
        const auto back = classroom::decodeVoice(classroom::encodeVoice(v), topic);
        fuzz::require(back.ok() && back.value().kind == v.kind && back.value().transmission == v.transmission &&
                          back.value().number == v.number && back.value().packet == v.packet &&
                          back.value().words == v.words && back.value().verdicts.size() == v.verdicts.size(),
                      "voice made again reads back the same");
        std::vector<qint16> pcm;
        platform::opus::Decoder decoder;
        if (decoder.decode(v.packet, pcm)) fuzz::require(pcm.size() == size_t(air::kFrameSamples), "a decoded frame is 20 ms");
    }
    return 0;
}
