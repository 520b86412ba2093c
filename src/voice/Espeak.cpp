#include "voice/Espeak.h"

#include "voice/Library.h"
#include "voice/Resample.h"

#include <espeak-ng/speak_lib.h>  // types and constants only: the functions are looked up at run time

#include <mutex>

namespace voice::espeak {
namespace {

struct Api {
    decltype(&::espeak_Initialize) initialize = nullptr;
    decltype(&::espeak_SetVoiceByName) setVoiceByName = nullptr;
    decltype(&::espeak_TextToPhonemes) textToPhonemes = nullptr;
    decltype(&::espeak_SetSynthCallback) setSynthCallback = nullptr;
    decltype(&::espeak_Synth) synth = nullptr;
    int rate = 0;  // of the speech it makes
    QString problem;
    std::mutex lock;
    // The voice in use: espeak-ng allocates a voice at every espeak_SetVoiceByName and keeps only
    // the last, so it is chosen only when it changes.
    QByteArray voice;

    bool use(const QByteArray& name) {
        if (name == voice) return true;
        if (setVoiceByName(name.constData()) != EE_OK) return false;
        voice = name;
        return true;
    }
};

int collect(short* wav, int count, espeak_EVENT* events) {
    if (wav && count > 0 && events && events->user_data) {
        auto* out = static_cast<std::vector<qint16>*>(events->user_data);
        out->insert(out->end(), wav, wav + count);
    }
    return 0;
}

Api& api() {
    static Api a;
    // Loaded once, also when the first uses come from several threads.
    static const bool loaded = [] {
        static Library lib({"libespeak-ng.so.1"});
        const bool found = lib.get("espeak_Initialize", a.initialize) &
                           lib.get("espeak_SetVoiceByName", a.setVoiceByName) &
                           lib.get("espeak_TextToPhonemes", a.textToPhonemes) &
                           lib.get("espeak_SetSynthCallback", a.setSynthCallback) & lib.get("espeak_Synth", a.synth);
        if (!found) {
            a.problem = lib.problem() + QStringLiteral(" (Debian package libespeak-ng1)");
            return false;
        }
        a.rate = a.initialize(AUDIO_OUTPUT_SYNCHRONOUS, 500, nullptr, espeakINITIALIZE_DONT_EXIT);
        if (a.rate <= 0) {
            a.problem = QStringLiteral("espeak-ng found no voice data (Debian package espeak-ng-data)");
            return false;
        }
        a.setSynthCallback(collect);
        return true;
    }();
    Q_UNUSED(loaded);
    return a;
}

} // namespace

QString unavailable() { return api().problem; }

QString phonemes(const QString& text) {
    Api& a = api();
    if (!a.problem.isEmpty()) return {};
    std::lock_guard<std::mutex> hold(a.lock);
    if (!a.use("en-us")) return {};
    const QByteArray utf8 = text.toUtf8();
    const void* at = utf8.constData();
    QString out;
    // One clause a call: the pointer moves on until the text is used up.
    while (at) {
        const char* ph = a.textToPhonemes(&at, espeakCHARS_UTF8, 0);
        if (!ph) break;
        if (!out.isEmpty()) out += QLatin1Char(' ');
        out += QString::fromUtf8(ph).trimmed();
    }
    return out;
}

QStringList voices() {
    return {QStringLiteral("en-us"), QStringLiteral("en-gb-x-rp"), QStringLiteral("en-gb-scotland"),
            QStringLiteral("en-029")};
}

std::vector<qint16> speak(const QString& text, const QString& voice) {
    Api& a = api();
    if (!a.problem.isEmpty()) return {};
    std::vector<qint16> made;
    {
        std::lock_guard<std::mutex> hold(a.lock);
        if (!a.use(voice.toUtf8()) && !a.use("en-us")) return {};
        const QByteArray utf8 = text.toUtf8();
        a.synth(utf8.constData(), size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8 | espeakENDPAUSE,
                nullptr, &made);
    }
    return to16k(made, a.rate);
}

} // namespace voice::espeak
