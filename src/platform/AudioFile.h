#pragma once
// Sound files of any format libsndfile reads (WAV, FLAC, Ogg Vorbis and Opus, AIFF, ...), read in
// blocks so that an hour of audio needs no more memory than a block, and written as WAV, FLAC or
// Opus; and a resampler (libsamplerate) that turns a stream at one rate into another. libsndfile
// is loaded with its first use, not with the program (it brings a dozen codec libraries along).
#include <QString>

#include <memory>
#include <vector>

namespace platform {

// Reads one file from its start, a block at a time.
class AudioReader {
public:
    AudioReader();
    ~AudioReader();
    AudioReader(const AudioReader&) = delete;
    AudioReader& operator=(const AudioReader&) = delete;

    // Opens the file; false with error() saying why (missing, not a sound file, no channels...).
    bool open(const QString& path);
    const QString& error() const { return error_; }
    int channels() const { return channels_; }
    int sampleRate() const { return rate_; }
    qint64 frames() const { return frames_; } // as the header says; may be unknown (-1)

    // Up to maxFrames frames, interleaved, as floats from -1 to 1; 0 at the end of the file (or
    // on a read error, which error() then tells).
    qint64 read(float* interleaved, qint64 maxFrames);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    QString error_;
    int channels_ = 0;
    int rate_ = 0;
    qint64 frames_ = -1;
};

// A stream of samples at one rate made into the same stream at another, in pieces of any size:
// libsamplerate's fastest band-limited converter, or its linear interpolation where speed matters
// more than the top of the band.
enum class Resampling { Sinc, Linear };

class Resampler {
public:
    Resampler(int fromRate, int toRate, Resampling how = Resampling::Sinc);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    // Adds the next piece and appends what is ready to `out`; `last` drains the rest.
    void process(const float* in, qint64 count, bool last, std::vector<float>& out);
    bool identity() const { return from_ == to_; }

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    int from_;
    int to_;
};

// A whole file as one channel (all channels mixed) at `rate`; empty with `error` set when it
// cannot be read. For short files: a transmission, a test phrase.
std::vector<float> readMono(const QString& path, int rate, QString* error = nullptr);

enum class AudioFormat { Wav, Flac, Opus };
// Writes mono samples (-1 to 1) at `rate` as a file of the format; Opus takes 8, 12, 16, 24 or
// 48 kHz. False with `error` set when it cannot.
bool writeAudioFile(const QString& path, const std::vector<float>& samples, int rate, AudioFormat format,
                    QString* error = nullptr);
// The file as bytes (for a page that carries its audio inside it); empty when it cannot be made.
QByteArray encodeAudio(const std::vector<float>& samples, int rate, AudioFormat format);

// 16-bit samples from floats and back.
std::vector<float> toFloat(const std::vector<qint16>& samples);
std::vector<qint16> toInt16(const std::vector<float>& samples);

} // namespace platform
