#include "dscwire/Wav.h"

#include <QFile>
#include <QtEndian>

namespace dscwire {
namespace {

void put16(QByteArray& b, quint16 v) { char c[2]; qToLittleEndian(v, c); b.append(c, 2); }
void put32(QByteArray& b, quint32 v) { char c[4]; qToLittleEndian(v, c); b.append(c, 4); }
quint16 get16(const char* p) { return qFromLittleEndian<quint16>(p); }
quint32 get32(const char* p) { return qFromLittleEndian<quint32>(p); }

} // namespace

QByteArray toWav(const Samples& audio) {
    const quint32 dataBytes = quint32(audio.size() * 2);
    QByteArray b;
    b.reserve(44 + dataBytes);
    b.append("RIFF", 4);
    put32(b, 36 + dataBytes);
    b.append("WAVEfmt ", 8);
    put32(b, 16);
    put16(b, 1);               // PCM
    put16(b, 1);               // mono
    put32(b, kSampleRate);
    put32(b, kSampleRate * 2); // bytes per second
    put16(b, 2);               // bytes per frame
    put16(b, 16);
    b.append("data", 4);
    put32(b, dataBytes);
    for (qint16 s : audio) put16(b, quint16(s));
    return b;
}

Result<Samples> fromWav(const QByteArray& bytes) {
    using R = Result<Samples>;
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return R::bad(QStringLiteral("not a WAV file (no RIFF/WAVE header)"));
    bool haveFormat = false;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const quint32 size = get32(bytes.constData() + at + 4);
        const qsizetype body = at + 8;
        if (id == "fmt ") {
            if (size < 16 || body + 16 > bytes.size()) return R::bad(QStringLiteral("WAV format chunk is truncated"));
            const char* f = bytes.constData() + body;
            const quint16 tag = get16(f), channels = get16(f + 2), bits = get16(f + 14);
            const quint32 rate = get32(f + 4);
            if (tag == 3) return R::bad(QStringLiteral("WAV holds floating-point samples; 16-bit PCM is needed"));
            if (tag != 1 && tag != 0xfffe) return R::bad(QStringLiteral("WAV is not PCM (format tag %1)").arg(tag));
            if (channels != 1) return R::bad(QStringLiteral("WAV has %1 channels; mono is needed").arg(channels));
            if (bits != 16) return R::bad(QStringLiteral("WAV has %1-bit samples; 16-bit is needed").arg(bits));
            if (rate != quint32(kSampleRate))
                return R::bad(QStringLiteral("WAV sample rate is %1 Hz; %2 Hz is needed").arg(rate).arg(kSampleRate));
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) return R::bad(QStringLiteral("WAV data comes before its format chunk"));
            if (body + qint64(size) > bytes.size())
                return R::bad(QStringLiteral("WAV is truncated: %1 of %2 data bytes present")
                                  .arg(bytes.size() - body).arg(size));
            Samples out(size / 2);
            for (qsizetype i = 0; i < out.size(); ++i)
                out[i] = qint16(get16(bytes.constData() + body + 2 * i));
            return R::good(out);
        }
        at = body + size + (size & 1);
    }
    return R::bad(haveFormat ? QStringLiteral("WAV is truncated: no data chunk")
                             : QStringLiteral("WAV is truncated: no format chunk"));
}

bool writeWavFile(const QString& path, const Samples& audio, QString* error) {
    QFile f(path);
    const QByteArray bytes = toWav(audio);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        if (error) *error = QStringLiteral("cannot write %1: %2").arg(path, f.errorString());
        return false;
    }
    return true;
}

Result<Samples> readWavFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return Result<Samples>::bad(QStringLiteral("cannot read %1: %2").arg(path, f.errorString()));
    return fromWav(f.readAll());
}

} // namespace dscwire
