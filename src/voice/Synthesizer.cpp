#include "voice/Synthesizer.h"

#include "voice/Espeak.h"
#include "voice/Library.h"
#include "voice/Resample.h"

#include <QHash>
#include <QRegularExpression>

// Types only: the functions are looked up at run time.
#include <flite/flite.h>

#include <map>
#include <memory>
#include <mutex>

namespace voice {
namespace {

const char* const kFliteVoices[] = {"rms", "slt", "awb", "kal16"};

// flite and each of its voices (a library of its own), loaded with the first phrase spoken.
// flite keeps state per voice that is not safe to share between threads: one lock for all.
struct Flite {
    decltype(&::flite_init) init = nullptr;
    decltype(&::flite_text_to_wave) textToWave = nullptr;
    decltype(&::delete_wave) deleteWave = nullptr;
    std::vector<std::unique_ptr<Library>> voiceLibraries;  // kept: the voices point into them
    std::map<QString, cst_voice*> voices;  // those whose library loaded, by name
    QStringList names;                     // in the order of kFliteVoices
    QString problem;
    std::mutex lock;
};

Flite& flite() {
    static Flite f;
    // Loaded once, also when the first uses come from several threads.
    static const bool loaded = [] {
        static Library lib({"libflite.so.1"});
        if (!(lib.get("flite_init", f.init) & lib.get("flite_text_to_wave", f.textToWave) &
              lib.get("delete_wave", f.deleteWave))) {
            f.problem = lib.problem() + QStringLiteral(" (Debian package libflite1)");
            return false;
        }
        f.init();
        for (const char* name : kFliteVoices) {
            const QByteArray file = QByteArrayLiteral("libflite_cmu_us_") + name + QByteArrayLiteral(".so.1");
            const QByteArray function = QByteArrayLiteral("register_cmu_us_") + name;
            f.voiceLibraries.push_back(std::make_unique<Library>(std::initializer_list<const char*>{file.constData()}));
            cst_voice* (*reg)(const char*) = nullptr;
            if (!f.voiceLibraries.back()->get(function.constData(), reg)) continue;
            if (cst_voice* v = reg(nullptr)) {
                f.voices[QString::fromLatin1(name)] = v;
                f.names << QString::fromLatin1(name);
            }
        }
        if (f.names.isEmpty()) f.problem = QStringLiteral("no flite voice could be loaded (Debian package libflite1)");
        return true;
    }();
    Q_UNUSED(loaded);
    return f;
}

// Words a synthesizer would say wrongly, spelt as they are said on the radio.
QString respelled(const QString& text) {
    static const std::vector<std::pair<QRegularExpression, QString>> table = [] {
        std::vector<std::pair<QRegularExpression, QString>> t;
        for (const auto& [word, said] : std::initializer_list<std::pair<const char*, const char*>>{
                 {"securite", "say cure ee tay"}, {"seelonce", "see lonce"}, {"feenee", "fee nay"},
                 {"xray", "x-ray"}, {"mmsi", "M M S I"}, {"utc", "U T C"}})
            t.emplace_back(QRegularExpression(QStringLiteral("\\b%1\\b").arg(QString::fromLatin1(word)),
                                              QRegularExpression::CaseInsensitiveOption),
                           QString::fromLatin1(said));
        return t;
    }();
    QString out = text;
    for (const auto& [word, said] : table) out.replace(word, said);
    return out;
}

} // namespace

QStringList Synthesizer::voices() {
    Flite& f = flite();
    if (f.problem.isEmpty()) return f.names;
    return espeak::unavailable().isEmpty() ? espeak::voices() : QStringList();
}

QString Synthesizer::unavailable() {
    Flite& f = flite();
    if (f.problem.isEmpty()) return {};
    const QString e = espeak::unavailable();
    return e.isEmpty() ? QString() : f.problem + QStringLiteral("; ") + e;
}

std::vector<qint16> Synthesizer::speak(const QString& text, const QString& voice) {
    const QString said = respelled(text);
    Flite& f = flite();
    if (!f.problem.isEmpty()) {
        const QStringList others = espeak::voices();
        return espeak::speak(said, others.contains(voice) ? voice : others.first());
    }
    std::vector<qint16> out;
    int rate = 16000;
    {
        std::lock_guard<std::mutex> hold(f.lock);
        const auto v = f.voices.find(voice);
        cst_voice* chosen = v != f.voices.end() ? v->second : f.voices.at(f.names.first());
        cst_wave* w = f.textToWave(said.toUtf8().constData(), chosen);
        if (!w) return {};
        // Mono in every voice we load; the first channel otherwise.
        const int channels = std::max(1, w->num_channels);
        for (int i = 0; i < w->num_samples; ++i) out.push_back(w->samples[i * channels]);
        rate = w->sample_rate;
        f.deleteWave(w);
    }
    return to16k(out, rate);
}

} // namespace voice
