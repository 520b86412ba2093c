#pragma once
// WAV files of DSC audio: RIFF, PCM, 16-bit, mono, 48 kHz, nothing else.
#include "dscwire/Codec.h"

namespace dscwire {

QByteArray toWav(const Samples& audio);
// Anything but our one format gives an error naming what is wrong with it.
Result<Samples> fromWav(const QByteArray& bytes);

bool writeWavFile(const QString& path, const Samples& audio, QString* error = nullptr);
Result<Samples> readWavFile(const QString& path);

} // namespace dscwire
