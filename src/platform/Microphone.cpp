#include "platform/Microphone.h"

#include "platform/AudioFile.h"
#include "platform/SoundInput.h"

#include <algorithm>
#include <mutex>
#include <utility>

namespace platform {

namespace {

class ServerMicrophone : public Microphone {
public:
    explicit ServerMicrophone(int rate)
        : rate_(rate),
          capture_([this](const float* samples, qint64 count) {
                       std::lock_guard lock(mutex_);
                       heard_.insert(heard_.end(), samples, samples + count);
                   },
                   [](const QString&) {}) {}

    bool start(QString* error) override {
        {
            std::lock_guard lock(mutex_);
            heard_.clear();
        }
        return capture_.start(QStringLiteral("@DEFAULT_SOURCE@"), rate_, error);
    }

    std::vector<float> read(qint64) override {
        std::lock_guard lock(mutex_);
        return std::exchange(heard_, {});
    }

    void stop() override { capture_.stop(); }

private:
    int rate_;
    std::mutex mutex_;
    std::vector<float> heard_;
    SoundCapture capture_;
};

class FileMicrophone : public Microphone {
public:
    FileMicrophone(QString path, int rate) : path_(std::move(path)), rate_(rate) {}

    bool start(QString* error) override {
        if (!loaded_) {
            QString why;
            speech_ = readMono(path_, rate_, &why);
            if (!why.isEmpty()) {
                if (error) *error = QStringLiteral("cannot read %1: %2").arg(path_, why);
                return false;
            }
            loaded_ = true;
        }
        given_ = 0;
        return true;
    }

    std::vector<float> read(qint64 heldMs) override {
        const auto wanted = static_cast<size_t>(std::max<qint64>(heldMs, 0) * rate_ / 1000);
        if (wanted <= given_) return {};
        std::vector<float> said(wanted - given_, 0.0f);
        if (given_ < speech_.size())
            std::copy(speech_.begin() + qsizetype(given_), speech_.begin() + qsizetype(std::min(wanted, speech_.size())),
                      said.begin());
        given_ = wanted;
        return said;
    }

    void stop() override {}

private:
    QString path_;
    int rate_;
    bool loaded_ = false;
    std::vector<float> speech_;
    size_t given_ = 0;  // samples read since the key went down
};

} // namespace

std::unique_ptr<Microphone> soundServerMicrophone(int rate) { return std::make_unique<ServerMicrophone>(rate); }

std::unique_ptr<Microphone> fileMicrophone(const QString& path, int rate) {
    return std::make_unique<FileMicrophone>(path, rate);
}

} // namespace platform
