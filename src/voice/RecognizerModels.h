#pragma once
// Inside the recogniser (voice/Recognizer.h): the decoder with Debian's acoustic model, its
// dictionary, the procedures' grammar and the language model mixed with general English, built at
// the first recognition and again when the station names change (RecognizerModels.cpp); and the
// passes over a transmission's audio with those searches (Recognizer.cpp).
// For the recogniser's own files only: it brings sphinxbase's headers along (voice/Sphinx.h).
#include "voice/GrammarCheck.h"
#include "voice/Recognizer.h"
#include "voice/Sphinx.h"
#include "voice/Vocabulary.h"

#include <QTemporaryDir>

namespace voice {

// A word of the decoder's output that is no word said: silence, noise, hesitation, sentence marks.
bool isFiller(const QString& w);

// One pass over a transmission: its words, each with its posterior and time.
struct Pass {
    QList<HeardWord> words;
    long long acoustic = 0;  // the acoustic score of the whole path, silences and fillers too
    int frames = 0;
    bool final = false;  // the search reached an end of its model (else the words are the best path so far)
    double meanConfidence() const {
        if (words.isEmpty()) return 0;
        double sum = 0;
        for (const HeardWord& w : words) sum += w.confidence;
        return sum / double(words.size());
    }
    QString text() const {
        QStringList t;
        for (const HeardWord& w : words) t << w.word;
        return t.join(QLatin1Char(' '));
    }
};

struct Recognizer::Impl {
    ps_decoder_t* ps = nullptr;
    cmd_ln_t* config = nullptr;
    ngram_model_t* generic = nullptr;  // general English, kept between rebuilds
    QStringList genericWords;          // its most frequent words
    QStringList domainWords;           // the words of the procedures' model
    QTemporaryDir dir;
    Pronunciations pronunciations{QString::fromLatin1(kCmudict)};
    QStringList names;
    QStringList dictWords;  // the words in the decoder's dictionary
    QString grammarSearch;  // the searches in use; empty until built
    QString lmSearch;
    std::unique_ptr<GrammarCheck> check;
    bool stale = true;      // the names have changed since
    int generation = 0;
    bool failed = false;
    Mode mode = Mode::LanguageModel;
    double loadSeconds = 0;

    ~Impl();

    // The decoder with the grammar and the language model of the current names; false (said
    // once) when it cannot be.
    bool ready();
    // One recognition of the (padded) audio with a search.
    Pass decode(const QString& search, const std::vector<qint16>& audio);
    // The grammar's pass, kept only when its grammar allows the words (or, cut off, begins so).
    Pass grammarPass(const std::vector<qint16>& audio);

private:
    bool fail(const QString& why);
    // A name as one dictionary word: "the blue crane" -> "the_blue_crane".
    static QString joined(const QString& variant);
    QStringList joinedNames() const;
    QStringList classMembers() const;
    bool writeDictionary(const QStringList& words, QString* path);
    // The grammar made into the decoder's search `name`, step by step: ps_set_jsgf_string() of
    // this pocketsphinx does the same but never frees the parsed grammar.
    bool setGrammar(const QByteArray& name, const QByteArray& jsgfText);
    // The procedures' model with the names as its station class, mixed with general English,
    // made into the decoder's search `name`.
    bool setLanguageModel(const QByteArray& name, const QString& domainFile);
    // Every word of a model, without sentence marks and class names.
    QStringList modelWords(ngram_model_t* lm) const;
};

} // namespace voice
