#include "platform/PulseSound.h"

#include "platform/Library.h"
#include "platform/SndFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLoggingCategory>

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <numbers>
#include <thread>
#include <vector>

namespace platform {

Q_LOGGING_CATEGORY(lcSound, "vhf.sound", QtWarningMsg)

namespace {

// Sanity limits for a cue file: anything outside them is not a sound we play.
constexpr int kMaxChannels = 8;
constexpr int kMinRate = 4000;
constexpr int kMaxRate = 192000;
constexpr sf_count_t kMaxSeconds = 30;
// Beeps and samples waiting beyond this are dropped, so that a burst of them never plays on for long.
constexpr size_t kMaxQueuedSounds = 4;

struct Pcm {
    int rate = 0;
    int channels = 0;
    std::vector<int16_t> samples; // interleaved
    bool playable() const { return rate > 0 && channels > 0 && !samples.empty(); }
    int lengthMs() const {
        const auto frames = static_cast<qint64>(samples.size()) / channels;
        return static_cast<int>(frames * 1000 / rate);
    }
};

// The PulseAudio simple API is loaded with the first cue or beep, as libsndfile is, not with the
// program: the window shows sooner. Without libsndfile every cue is silent and takes no time, as a
// missing file; without the simple API a cue takes its length, as with no sound server.
struct PulseLibrary {
    decltype(&::pa_simple_new) pa_simple_new = nullptr;
    decltype(&::pa_simple_write) pa_simple_write = nullptr;
    decltype(&::pa_simple_drain) pa_simple_drain = nullptr;
    decltype(&::pa_simple_free) pa_simple_free = nullptr;
    bool pulse = false;
};

const PulseLibrary& pulseLibrary() {
    static const PulseLibrary libs = [] {
        PulseLibrary l;
        void* pulse = dlopen("libpulse-simple.so.0", RTLD_NOW | RTLD_LOCAL);
        l.pulse = resolve(pulse, "pa_simple_new", l.pa_simple_new) &
                  resolve(pulse, "pa_simple_write", l.pa_simple_write) &
                  resolve(pulse, "pa_simple_drain", l.pa_simple_drain) & resolve(pulse, "pa_simple_free", l.pa_simple_free);
        if (!l.pulse) qCWarning(lcSound, "cannot load libpulse-simple.so.0: no sound is played");
        return l;
    }();
    return libs;
}

struct CacheEntry {
    QDateTime modified;
    qint64 size = -1;
    std::shared_ptr<const Pcm> pcm;
};

bool isWav(int format) {
    const int major = format & SF_FORMAT_TYPEMASK;
    return major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX || major == SF_FORMAT_RF64;
}

// Decodes the whole file; an unreadable, non-WAV or absurd file gives an empty Pcm.
Pcm decode(const QString& path) {
    Pcm pcm;
    const sndfile::Api& lib = sndfile::api();
    if (!lib.loaded) return pcm;
    SF_INFO info{};
    SNDFILE* f = lib.sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!f) return pcm;
    const bool sane = isWav(info.format) && info.channels >= 1 && info.channels <= kMaxChannels &&
                      info.samplerate >= kMinRate && info.samplerate <= kMaxRate && info.frames > 0 &&
                      info.frames <= kMaxSeconds * info.samplerate;
    if (sane) {
        std::vector<int16_t> samples(static_cast<size_t>(info.frames) * info.channels);
        const sf_count_t got = lib.sf_readf_short(f, samples.data(), info.frames);
        // A file that ends before the frames its header promises is damaged: play none of it.
        if (got == info.frames && lib.sf_error(f) == SF_ERR_NO_ERROR) {
            pcm.rate = info.samplerate;
            pcm.channels = info.channels;
            pcm.samples = std::move(samples);
        }
    }
    lib.sf_close(f);
    return pcm;
}

// Plays the samples blocking; false when no sound server could be reached.
bool playBlocking(const Pcm& pcm, const char* what) {
    const PulseLibrary& lib = pulseLibrary();
    if (!lib.pulse) return false;
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_S16NE;
    spec.rate = static_cast<uint32_t>(pcm.rate);
    spec.channels = static_cast<uint8_t>(pcm.channels);
    int error = 0;
    pa_simple* s = lib.pa_simple_new(nullptr, "vhf-dsc-trainer", PA_STREAM_PLAYBACK, nullptr, what, &spec, nullptr,
                                 nullptr, &error);
    if (!s) return false;
    if (lib.pa_simple_write(s, pcm.samples.data(), pcm.samples.size() * sizeof(int16_t), &error) == 0)
        lib.pa_simple_drain(s, &error);
    lib.pa_simple_free(s);
    return true;
}

// About 100 ms of an 880 Hz tone, with short ramps so that it does not click.
Pcm makeBeep() {
    Pcm pcm;
    pcm.rate = 22050;
    pcm.channels = 1;
    const int n = pcm.rate / 10;
    const int ramp = pcm.rate / 200;
    pcm.samples.resize(n);
    for (int i = 0; i < n; ++i) {
        const double envelope = std::min({1.0, double(i) / ramp, double(n - 1 - i) / ramp});
        pcm.samples[i] = static_cast<int16_t>(12000.0 * envelope * std::sin(2.0 * std::numbers::pi * 880.0 * i / pcm.rate));
    }
    return pcm;
}

} // namespace

struct PulseSound::Impl {
    explicit Impl(Clock& c) : clock(c) {}

    Clock& clock;
    QHash<QString, CacheEntry> cache;
    bool stillClock = false; // the clock does not move while a cue plays (a replay)
    bool silent = false;

    // The worker that plays beeps and samples one after the other: started with the first of them,
    // stopped and joined with the object.
    struct Queued {
        std::shared_ptr<const Pcm> pcm;
        const char* what;
    };
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Queued> queue;
    bool stopping = false;
    std::thread worker;
    std::shared_ptr<const Pcm> beepPcm;

    QString locate(const QString& name) const {
        const QString appDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
        for (const QString& dir : soundSearchDirs(appDir, QDir::currentPath())) {
            const QFileInfo fi(QDir(dir), name);
            if (fi.isFile()) return fi.absoluteFilePath();
        }
        return {};
    }

    std::shared_ptr<const Pcm> load(const QString& name) {
        const QString path = locate(name);
        if (path.isEmpty()) {
            qCDebug(lcSound).noquote() << "cue" << name << "not found";
            return {};
        }
        qCDebug(lcSound).noquote() << "cue" << name << "from" << path;
        const QFileInfo fi(path);
        auto it = cache.find(path);
        if (it != cache.end() && it->modified == fi.lastModified() && it->size == fi.size()) return it->pcm;
        auto pcm = std::make_shared<const Pcm>(decode(path));
        cache.insert(path, CacheEntry{fi.lastModified(), fi.size(), pcm});
        return pcm;
    }

    // The live stream: its own thread and its own connection to the server, opened with the first
    // samples and kept; without a server it is tried again after a while, and what comes meanwhile
    // is dropped.
    struct Stream {
        std::mutex mutex;
        std::condition_variable wake;
        std::deque<int16_t> waiting;
        int rate = 0;
        bool stopping = false;
        std::thread thread;
    } stream;

    void runStream() {
        const PulseLibrary& lib = pulseLibrary();
        pa_simple* s = nullptr;
        int openRate = 0;
        qint64 retryAt = 0;
        std::vector<int16_t> block;
        std::unique_lock lock(stream.mutex);
        for (;;) {
            stream.wake.wait(lock, [this] { return stream.stopping || !stream.waiting.empty(); });
            if (stream.stopping) break;
            block.assign(stream.waiting.begin(), stream.waiting.end());
            stream.waiting.clear();
            const int rate = stream.rate;
            lock.unlock();
            if (s && openRate != rate) {
                lib.pa_simple_free(s);
                s = nullptr;
            }
            const qint64 now = QDateTime::currentMSecsSinceEpoch();
            if (!s && lib.pulse && now >= retryAt) {
                pa_sample_spec spec{PA_SAMPLE_S16NE, static_cast<uint32_t>(rate), 1};
                pa_buffer_attr attr{};
                attr.maxlength = attr.prebuf = attr.minreq = attr.fragsize = static_cast<uint32_t>(-1);
                attr.tlength = static_cast<uint32_t>(rate * 60 / 1000 * sizeof(int16_t));
                int error = 0;
                s = lib.pa_simple_new(nullptr, "vhf-dsc-trainer", PA_STREAM_PLAYBACK, nullptr, "voice", &spec, nullptr,
                                      &attr, &error);
                openRate = rate;
                if (!s) retryAt = now + 5000;
            }
            int error = 0;
            if (s && lib.pa_simple_write(s, block.data(), block.size() * sizeof(int16_t), &error) != 0) {
                lib.pa_simple_free(s);
                s = nullptr;
                retryAt = now + 5000;
            }
            lock.lock();
        }
        lock.unlock();
        if (s) lib.pa_simple_free(s);
    }

    void streamOut(const qint16* samples, qint64 count, int rate) {
        std::lock_guard lock(stream.mutex);
        if (stream.stopping) return;
        if (!stream.thread.joinable()) stream.thread = std::thread([this] { runStream(); });
        if (rate != stream.rate) stream.waiting.clear();
        stream.rate = rate;
        stream.waiting.insert(stream.waiting.end(), samples, samples + count);
        const auto second = static_cast<size_t>(rate);
        if (stream.waiting.size() > second)
            stream.waiting.erase(stream.waiting.begin(), stream.waiting.end() - qsizetype(second));
        stream.wake.notify_one();
    }

    void runWorker() {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return stopping || !queue.empty(); });
            if (stopping) return;
            const Queued next = std::move(queue.front());
            queue.pop_front();
            lock.unlock();
            playBlocking(*next.pcm, next.what); // without a server: nothing
            lock.lock();
        }
    }

    // Hands the sound to the worker (started on first use); returns at once.
    void enqueue(std::shared_ptr<const Pcm> pcm, const char* what) {
        std::lock_guard lock(mutex);
        if (stopping) return;
        if (!worker.joinable()) worker = std::thread([this] { runWorker(); });
        if (queue.size() < kMaxQueuedSounds) queue.push_back({std::move(pcm), what});
        wake.notify_one();
    }
};

namespace {

// dir lies at or below root (both absolute and cleaned).
bool isAtOrBelow(const QString& dir, const QString& root) {
    if (root.isEmpty() || dir.isEmpty()) return false;
    if (root == QLatin1String("/")) return dir.startsWith(QLatin1Char('/'));
    return dir == root || dir.startsWith(root + QLatin1Char('/'));
}

} // namespace

QStringList soundSearchDirs(const QString& appDir, const QString& cwd, const QString& installedDir,
                            const QString& buildDir, const QString& buildSoundsDir) {
    QStringList dirs;
    auto add = [&dirs](const QString& dir) {
        if (dir.isEmpty()) return;
        const QString clean = QDir::cleanPath(dir);
        if (!dirs.contains(clean)) dirs << clean;
    };
    add(cwd);
    const QString exeDir = appDir.isEmpty() ? QString() : QDir::cleanPath(appDir);
    if (!exeDir.isEmpty()) add(exeDir + QStringLiteral("/../share/vhf-dsc-trainer/sounds"));
    add(installedDir);
    // The build tree's cues serve only programs that run from the build tree itself: an installed
    // copy must never lean on a build folder that happens to be still around.
    if (isAtOrBelow(exeDir, buildDir.isEmpty() ? QString() : QDir::cleanPath(buildDir))) add(buildSoundsDir);
    return dirs;
}

QStringList soundSearchDirs(const QString& appDir, const QString& cwd) {
    // The build folder as the executable sees it: its path with any symbolic links resolved.
    static const QString buildDir = [] {
        const QString canonical = QFileInfo(QStringLiteral(VHF_BUILD_DIR)).canonicalFilePath();
        return canonical.isEmpty() ? QStringLiteral(VHF_BUILD_DIR) : canonical;
    }();
    const QString exeDir = appDir.isEmpty() ? QString() : QFileInfo(appDir).canonicalFilePath();
    return soundSearchDirs(exeDir.isEmpty() ? appDir : exeDir, cwd, QStringLiteral(VHF_SOUNDS_DIR), buildDir,
                           QStringLiteral(VHF_BUILD_SOUNDS_DIR));
}

PulseSound::PulseSound(Clock& clock) : d(std::make_unique<Impl>(clock)) {}

PulseSound::~PulseSound() {
    {
        std::lock_guard lock(d->mutex);
        d->stopping = true;
    }
    d->wake.notify_all();
    if (d->worker.joinable()) d->worker.join();
    {
        std::lock_guard lock(d->stream.mutex);
        d->stream.stopping = true;
    }
    d->stream.wake.notify_all();
    if (d->stream.thread.joinable()) d->stream.thread.join();
}

void PulseSound::playFile(const QString& fileName) {
    const auto pcm = d->load(fileName);
    if (!pcm || !pcm->playable()) return;
    // No sound server: the cue still takes its time, so that sequences keep their rhythm.
    const bool heard = !d->silent && playBlocking(*pcm, QFile::encodeName(fileName).constData());
    if (!heard || d->stillClock) d->clock.pause(pcm->lengthMs());
}

void PulseSound::replayOnStillClock(bool audible) {
    d->stillClock = true;
    d->silent = !audible;
}

void PulseSound::beep() {
    if (d->silent) return;
    if (!d->beepPcm) d->beepPcm = std::make_shared<const Pcm>(makeBeep());
    d->enqueue(d->beepPcm, "beep");
}

void PulseSound::playSamples(const QList<qint16>& samples, int sampleRate) {
    if (d->silent) return;
    // The same sanity limits as for a cue file.
    if (samples.isEmpty() || sampleRate < kMinRate || sampleRate > kMaxRate ||
        samples.size() > kMaxSeconds * sampleRate)
        return;
    auto pcm = std::make_shared<Pcm>();
    pcm->rate = sampleRate;
    pcm->channels = 1;
    pcm->samples.assign(samples.cbegin(), samples.cend());
    d->enqueue(std::move(pcm), "samples");
}

void PulseSound::streamSamples(const qint16* samples, qint64 count, int sampleRate) {
    if (d->silent || count <= 0 || sampleRate < kMinRate || sampleRate > kMaxRate) return;
    d->streamOut(samples, count, sampleRate);
}

} // namespace platform
