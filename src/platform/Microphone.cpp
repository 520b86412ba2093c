#include "platform/Microphone.h"

#include "platform/AudioFile.h"
#include "platform/SoundInput.h"

#include <algorithm>
#include <mutex>

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

    std::vector<float> stop(qint64) override {
        capture_.stop();
        std::lock_guard lock(mutex_);
        return std::move(heard_);
    }

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
        return true;
    }

    std::vector<float> stop(qint64 heldMs) override {
        const auto wanted = static_cast<size_t>(std::max<qint64>(heldMs, 0) * rate_ / 1000);
        std::vector<float> said(speech_.begin(), speech_.begin() + std::min(wanted, speech_.size()));
        said.resize(wanted, 0.0f);
        return said;
    }

private:
    QString path_;
    int rate_;
    bool loaded_ = false;
    std::vector<float> speech_;
};

} // namespace

std::unique_ptr<Microphone> soundServerMicrophone(int rate) { return std::make_unique<ServerMicrophone>(rate); }

std::unique_ptr<Microphone> fileMicrophone(const QString& path, int rate) {
    return std::make_unique<FileMicrophone>(path, rate);
}

} // namespace platform
