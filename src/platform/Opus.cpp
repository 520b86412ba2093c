#include "platform/Opus.h"

#include "platform/Library.h"

#include <QLoggingCategory>

#include <opus.h>  // types and constants only: the functions are looked up at run time

namespace platform::opus {
namespace {

Q_LOGGING_CATEGORY(lcOpus, "vhf.opus", QtInfoMsg)

constexpr int kBitrate = 24000;

struct Library {
    decltype(&::opus_encoder_create) encoderCreate = nullptr;
    decltype(&::opus_encoder_destroy) encoderDestroy = nullptr;
    decltype(&::opus_encoder_ctl) encoderCtl = nullptr;
    decltype(&::opus_encode) encode = nullptr;
    decltype(&::opus_decoder_create) decoderCreate = nullptr;
    decltype(&::opus_decoder_destroy) decoderDestroy = nullptr;
    decltype(&::opus_decode) decode = nullptr;
    decltype(&::opus_packet_get_nb_samples) packetSamples = nullptr;
    QString problem;
    int lookahead = 0;
};

// Loaded once, from whichever thread comes first.
const Library& lib() {
    static const Library l = [] {
        Library l;
        void* so = dlopen("libopus.so.0", RTLD_NOW | RTLD_LOCAL);
        const bool all = resolve(so, "opus_encoder_create", l.encoderCreate) &
                         resolve(so, "opus_encoder_destroy", l.encoderDestroy) &
                         resolve(so, "opus_encoder_ctl", l.encoderCtl) & resolve(so, "opus_encode", l.encode) &
                         resolve(so, "opus_decoder_create", l.decoderCreate) &
                         resolve(so, "opus_decoder_destroy", l.decoderDestroy) & resolve(so, "opus_decode", l.decode) &
                         resolve(so, "opus_packet_get_nb_samples", l.packetSamples);
        if (!all) {
            l.problem = QStringLiteral("the Opus codec library libopus.so.0 is not installed (Debian package libopus0)");
            qCWarning(lcOpus).noquote() << "cannot load libopus.so.0: no voice between trainers";
            return l;
        }
        int error = 0;
        if (::OpusEncoder* probe = l.encoderCreate(kRate, 1, OPUS_APPLICATION_RESTRICTED_LOWDELAY, &error)) {
            l.encoderCtl(probe, OPUS_GET_LOOKAHEAD(&l.lookahead));
            l.encoderDestroy(probe);
        }
        return l;
    }();
    return l;
}

} // namespace

QString unavailable() { return lib().problem; }

Encoder::Encoder() {
    const Library& l = lib();
    if (!l.problem.isEmpty()) return;
    int error = 0;
    state_ = l.encoderCreate(kRate, 1, OPUS_APPLICATION_RESTRICTED_LOWDELAY, &error);
    if (!state_) return;
    l.encoderCtl(state_, OPUS_SET_BITRATE(kBitrate));
    l.encoderCtl(state_, OPUS_SET_SIGNAL(OPUS_SIGNAL_VOICE));
    l.encoderCtl(state_, OPUS_SET_COMPLEXITY(5));
}

Encoder::~Encoder() {
    if (state_) lib().encoderDestroy(state_);
}

QByteArray Encoder::encode(const qint16* frame) {
    if (!state_) return {};
    unsigned char packet[kMaxPacket];
    const opus_int32 n = lib().encode(state_, frame, kFrameSamples, packet, kMaxPacket);
    if (n <= 0) return {};
    return QByteArray(reinterpret_cast<const char*>(packet), n);
}

void Encoder::reset() {
    if (state_) lib().encoderCtl(state_, OPUS_RESET_STATE);
}

Decoder::Decoder() {
    const Library& l = lib();
    if (!l.problem.isEmpty()) return;
    int error = 0;
    state_ = l.decoderCreate(kRate, 1, &error);
}

Decoder::~Decoder() {
    if (state_) lib().decoderDestroy(state_);
}

bool Decoder::decode(const QByteArray& packet, std::vector<qint16>& out) {
    if (!state_ || packet.isEmpty() || packet.size() > kMaxPacket) return false;
    const auto* data = reinterpret_cast<const unsigned char*>(packet.constData());
    // A packet of another length is not one of our frames, whatever it holds.
    if (lib().packetSamples(data, opus_int32(packet.size()), kRate) != kFrameSamples) return false;
    qint16 pcm[kFrameSamples];
    if (lib().decode(state_, data, opus_int32(packet.size()), pcm, kFrameSamples, 0) != kFrameSamples) return false;
    out.assign(pcm, pcm + kFrameSamples);
    return true;
}

int Decoder::delaySamples() { return lib().lookahead; }

} // namespace platform::opus
