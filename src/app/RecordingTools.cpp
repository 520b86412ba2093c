#include "app/RecordingTools.h"

#include "air/Voice.h"
#include "calls/CallSequence.h"
#include "core/Form.h"
#include "dscwire/Codec.h"
#include "dscwire/Receiver.h"
#include "platform/AudioFile.h"
#include "voice/Procedure.h"
#include "voice/Recognizer.h"
#include "voice/Spelling.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {
constexpr int kUsageError = 2;
}

// --decode: every call found in a recording, or in raw samples on standard input ("-"), one line
// each in words, written the moment the call has ended.
int decodeRecording(const QString& path, int rate) {
    const QString name = path == QLatin1String("-") ? QStringLiteral("standard input") : path;
    int found = 0;
    const dscwire::Found print = [&](const dscwire::Decoded& d) {
        if (d.ok()) {
            ++found;
            std::printf("%s: %s\n", qPrintable(dscwire::categoryText(*d.message)), qPrintable(dscwire::describe(*d.message)));
            std::fflush(stdout);
        } else {
            std::fprintf(stderr, "vhf-dsc-trainer: %s: %s\n", qPrintable(name), qPrintable(d.error));
        }
    };
    QString error;
    const bool read = path == QLatin1String("-") ? dscwire::decodeRaw(STDIN_FILENO, rate, print, &error)
                                                 : dscwire::decodeFile(path, print, &error);
    if (!read) {
        std::fprintf(stderr, "vhf-dsc-trainer: %s: %s\n", qPrintable(name), qPrintable(error));
        return kUsageError;
    }
    if (found == 0) std::fprintf(stderr, "vhf-dsc-trainer: %s: no DSC call found\n", qPrintable(name));
    return found > 0 ? 0 : 1;
}

// --transcribe: the words heard in a recording of one transmission, how they were judged, and what
// was spelled in it, for the radio as it starts: Kelpo (316123456) speaking, the stations of its
// directory known.
// With `verbose`, each word with its confidence, and the recognition that gave them.
int transcribeRecording(const QString& path, bool verbose) {
    QString error;
    const std::vector<float> audio = platform::readMono(path, 16000, &error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "vhf-dsc-trainer: %s: %s\n", qPrintable(path), qPrintable(error));
        return kUsageError;
    }
    if (const QString why = voice::Recognizer::unavailable(); !why.isEmpty()) {
        std::fprintf(stderr, "vhf-dsc-trainer: cannot recognise speech: %s\n", qPrintable(why));
        return kUsageError;
    }
    QStringList directory;
    for (const char* line : kDirectoryAtStart) directory << QString::fromUtf8(line);
    voice::Speaker speaker{{QStringLiteral("Kelpo"), QStringLiteral("316123456")}, voice::stationsFromDirectory(directory)};
    for (const voice::Station& model : {voice::Station{QStringLiteral("Boston Coast Guard"), calls::kCoastGuardMMSI},
                                        voice::Station{QStringLiteral("The Blue Crane"), calls::kBlueCraneMMSI}})
        if (std::none_of(speaker.known.begin(), speaker.known.end(), [&](const voice::Station& s) { return s.mmsi == model.mmsi; }))
            speaker.known << model;
    QStringList names{speaker.own.name};
    for (const voice::Station& s : speaker.known) names << s.name;
    voice::Recognizer recognizer;
    recognizer.setNames(names);
    const voice::Hearing hearing = recognizer.hear(platform::toInt16(audio));
    const QString& words = hearing.words;
    const voice::Judgement j = voice::judge(hearing, speaker);
    std::printf("heard: %s\nprocedure: %s\n", qPrintable(words), qPrintable(voice::kindName(j.kind)));
    for (const voice::Element& e : j.elements)
        std::printf("%s: %s: %s\n", qPrintable(e.id), qPrintable(voice::markOf(e)), qPrintable(e.verdict));
    for (const QString& spelled : voice::spellings(words.split(QLatin1Char(' '), Qt::SkipEmptyParts)))
        std::printf("spelled: %s\n", qPrintable(spelled));
    if (verbose) {
        std::printf("recognised by: %s\n", qPrintable(hearing.pass.isEmpty() ? QStringLiteral("nothing") : hearing.pass));
        for (const voice::HeardWord& w : j.heard)
            std::printf("  %-12s %.2f  %.2f-%.2f s\n", qPrintable(w.word), w.confidence, w.startMs / 1000.0, w.endMs / 1000.0);
    }
    std::fflush(stdout);
    return words.isEmpty() ? 1 : 0;
}
