#include "platform/AudioFile.h"

#include "platform/SndFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <samplerate.h>

#include <algorithm>
#include <cmath>

namespace platform {

// ---- reading -------------------------------------------------------------------------------

struct AudioReader::Impl {
    SNDFILE* file = nullptr;
    ~Impl() {
        if (file) sndfile::api().sf_close(file);
    }
};

AudioReader::AudioReader() : d(std::make_unique<Impl>()) {}
AudioReader::~AudioReader() = default;

bool AudioReader::open(const QString& path) {
    const sndfile::Api& lib = sndfile::api();
    if (!lib.loaded) {
        error_ = QStringLiteral("cannot load libsndfile.so.1 (Debian package libsndfile1)");
        return false;
    }
    if (d->file) {
        lib.sf_close(d->file);
        d->file = nullptr;
    }
    SF_INFO info{};
    d->file = lib.sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!d->file) {
        error_ = QFile::exists(path) ? QString::fromUtf8(lib.sf_strerror(nullptr)) : QStringLiteral("no such file");
        return false;
    }
    if (info.channels < 1 || info.channels > 64 || info.samplerate < 1000 || info.samplerate > 768000) {
        error_ = QStringLiteral("%1 channels at %2 Hz is not a sound this program reads").arg(info.channels).arg(info.samplerate);
        lib.sf_close(d->file);
        d->file = nullptr;
        return false;
    }
    channels_ = info.channels;
    rate_ = info.samplerate;
    // Streams (a pipe) have no length.
    frames_ = info.frames > 0 && info.frames < (qint64(1) << 50) ? info.frames : -1;
    error_.clear();
    return true;
}

qint64 AudioReader::read(float* interleaved, qint64 maxFrames) {
    if (!d->file || maxFrames <= 0) return 0;
    const sndfile::Api& lib = sndfile::api();
    const sf_count_t got = lib.sf_readf_float(d->file, interleaved, maxFrames);
    if (got <= 0 && lib.sf_error(d->file) != SF_ERR_NO_ERROR) error_ = QString::fromUtf8(lib.sf_strerror(d->file));
    return std::max<sf_count_t>(got, 0);
}

// ---- resampling ----------------------------------------------------------------------------

struct Resampler::Impl {
    SRC_STATE* state = nullptr;
    ~Impl() {
        if (state) src_delete(state);
    }
};

Resampler::Resampler(int fromRate, int toRate, Resampling how)
    : d(std::make_unique<Impl>()), from_(fromRate), to_(toRate) {
    if (from_ != to_) {
        int error = 0;
        d->state = src_new(how == Resampling::Linear ? SRC_LINEAR : SRC_SINC_FASTEST, 1, &error);
    }
}

Resampler::~Resampler() = default;

void Resampler::process(const float* in, qint64 count, bool last, std::vector<float>& out) {
    if (identity() || !d->state) {
        out.insert(out.end(), in, in + count);
        return;
    }
    const double ratio = double(to_) / from_;
    SRC_DATA data{};
    data.src_ratio = ratio;
    qint64 done = 0;
    for (;;) {
        const size_t before = out.size();
        const long room = long(std::ceil((count - done) * ratio)) + 256;
        out.resize(before + size_t(room));
        data.data_in = in + done;
        data.input_frames = long(count - done);
        data.data_out = out.data() + before;
        data.output_frames = room;
        data.end_of_input = last ? 1 : 0;
        const int rc = src_process(d->state, &data);
        out.resize(before + size_t(data.output_frames_gen));
        done += data.input_frames_used;
        if (rc != 0) return;
        // Everything taken; at the end, until nothing more comes out.
        if (done >= count && (!last || data.output_frames_gen == 0)) return;
    }
}

// ---- whole files ---------------------------------------------------------------------------

std::vector<float> readMono(const QString& path, int rate, QString* error) {
    std::vector<float> mono;
    AudioReader reader;
    if (!reader.open(path)) {
        if (error) *error = reader.error();
        return mono;
    }
    const int channels = reader.channels();
    Resampler resampler(reader.sampleRate(), rate);
    constexpr qint64 kBlock = 8192;
    std::vector<float> block(size_t(kBlock * channels));
    std::vector<float> mixed(kBlock);
    for (;;) {
        const qint64 got = reader.read(block.data(), kBlock);
        for (qint64 i = 0; i < got; ++i) {
            float sum = 0;
            for (int ch = 0; ch < channels; ++ch) sum += block[size_t(i * channels + ch)];
            mixed[size_t(i)] = sum / float(channels);
        }
        resampler.process(mixed.data(), got, got == 0, mono);
        if (got == 0) break;
    }
    if (error) *error = reader.error();
    if (!reader.error().isEmpty()) mono.clear();
    return mono;
}

bool writeAudioFile(const QString& path, const std::vector<float>& samples, int rate, AudioFormat format,
                    QString* error) {
    const sndfile::Api& lib = sndfile::api();
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (!lib.loaded) return fail(QStringLiteral("cannot load libsndfile.so.1 (Debian package libsndfile1)"));
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    switch (format) {
    case AudioFormat::Wav: info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16; break;
    case AudioFormat::Flac: info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16; break;
    case AudioFormat::Opus: info.format = SF_FORMAT_OGG | SF_FORMAT_OPUS; break;
    }
    SNDFILE* f = lib.sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!f) return fail(QString::fromUtf8(lib.sf_strerror(nullptr)));
    // Opus for speech: a low bit rate is plenty (the library's scale: 0 is the highest, 1 the lowest,
    // about 6 + 250 x (1 - level) kbit/s). At 0.9, about 30 kbit/s, speech is recognised as from the
    // original (18 test phrases alike); at 0.94 (20 kbit/s) two of them came out otherwise.
    if (format == AudioFormat::Opus) {
        double level = 0.9;
        lib.sf_command(f, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
    }
    // Clipped, so that a loud sample never wraps round.
    std::vector<float> clipped(samples.size());
    std::transform(samples.begin(), samples.end(), clipped.begin(), [](float v) { return std::clamp(v, -1.0f, 1.0f); });
    const sf_count_t written = lib.sf_writef_float(f, clipped.data(), sf_count_t(clipped.size()));
    const QString problem = written == sf_count_t(clipped.size()) ? QString() : QString::fromUtf8(lib.sf_strerror(f));
    lib.sf_close(f);
    if (!problem.isEmpty()) {
        QFile::remove(path);
        return fail(problem);
    }
    return true;
}

QByteArray encodeAudio(const std::vector<float>& samples, int rate, AudioFormat format) {
    QTemporaryDir dir;
    if (!dir.isValid()) return {};
    const QString path = dir.filePath(QStringLiteral("audio"));
    if (!writeAudioFile(path, samples, rate, format)) return {};
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::vector<float> toFloat(const std::vector<qint16>& samples) {
    std::vector<float> out(samples.size());
    std::transform(samples.begin(), samples.end(), out.begin(), [](qint16 v) { return float(v) / 32768.0f; });
    return out;
}

std::vector<qint16> toInt16(const std::vector<float>& samples) {
    std::vector<qint16> out(samples.size());
    std::transform(samples.begin(), samples.end(), out.begin(), [](float v) {
        return qint16(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
    });
    return out;
}

} // namespace platform
