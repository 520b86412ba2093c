#include "voice/Recognizer.h"

#include "voice/GrammarCheck.h"
#include "voice/Sphinx.h"
#include "voice/Vocabulary.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

namespace voice {

namespace {

const char* const kStationClass = "[station]";
constexpr int kRate = 16000;
constexpr int kPaddingMs = 500;
// How much of the mixed model is the procedures' and how much general English.
constexpr float kDomainWeight = 0.85f;
// The generic model's words that are in the dictionary beside the procedures' own: the most
// frequent ones (the rest cost decoding time and are seldom said on the radio).
constexpr int kGenericWords = 6000;
// In both passes, below this mean posterior of the language model's words the grammar's are taken.
constexpr double kGrammarOverConfidence = 0.5;

// Half a second before the speech and a little after it: the decoder (and its noise estimate)
// settles on the background first. The padding is noise at the level of the recording's own
// quietest stretch, as if the key had been pressed a little sooner; the same every time.
std::vector<qint16> padded(const std::vector<qint16>& pcm) {
    constexpr size_t frame = kRate / 50;  // 20 ms
    std::vector<double> levels;
    for (size_t at = 0; at + frame <= pcm.size(); at += frame) {
        double power = 0;
        for (size_t i = at; i < at + frame; ++i) power += double(pcm[i]) * pcm[i];
        levels.push_back(std::sqrt(power / frame));
    }
    double floor = 2.0;
    if (!levels.empty()) floor = std::max(floor, *std::min_element(levels.begin(), levels.end()));
    quint32 state = 12345;
    auto noise = [&state, floor] {
        double sum = 0;  // four uniforms: about normal
        for (int k = 0; k < 4; ++k) {
            state = state * 1664525u + 1013904223u;
            sum += double(state) / 4294967296.0 - 0.5;
        }
        return qint16(std::clamp(sum * std::sqrt(3.0) * floor, -32767.0, 32767.0));
    };
    std::vector<qint16> out;
    out.reserve(pcm.size() + kRate);
    for (int i = 0; i < kRate / 2; ++i) out.push_back(noise());
    out.insert(out.end(), pcm.begin(), pcm.end());
    for (int i = 0; i < kRate * 3 / 10; ++i) out.push_back(noise());
    return out;
}


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

// A word of the decoder's output that is no word said: silence, noise, hesitation, sentence marks.
bool isFiller(const QString& w) {
    return w.isEmpty() || w.startsWith(QLatin1Char('<')) || w.startsWith(QLatin1Char('[')) || w.startsWith(QLatin1Char('+')) ||
           w.startsWith(QLatin1Char('('));
}

} // namespace

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

    ~Impl() {
        if (ps) sphinx().ps_free(ps);
        if (generic) sphinx().ngram_model_free(generic);
        if (config) sphinx().cmd_ln_free_r(config);
    }

    bool fail(const QString& why) {
        qCWarning(lcVoice).noquote() << why;
        failed = true;
        return false;
    }

    // A name as one dictionary word: "the blue crane" -> "the_blue_crane".
    static QString joined(const QString& variant) { return QString(variant).replace(QLatin1Char(' '), QLatin1Char('_')); }

    QStringList joinedNames() const {
        QStringList out;
        for (const QString& name : names)
            for (const QString& v : nameVariants(name))
                if (v.contains(QLatin1Char(' ')) && !out.contains(joined(v))) out << joined(v);
        return out;
    }
    QStringList classMembers() const {
        QStringList out;
        for (const QString& name : names)
            for (const QString& v : nameVariants(name))
                if (!out.contains(joined(v))) out << joined(v);
        return out;
    }

    bool writeDictionary(const QStringList& words, QString* path) {
        *path = dir.filePath(QStringLiteral("vocabulary%1.dict").arg(generation));
        QStringList plain, multi;
        for (const QString& w : words) (w.contains(QLatin1Char('_')) ? multi : plain) << w;
        QString text = pronunciations.dictionary(plain);
        // A joined name is said as its words one after another.
        for (const QString& w : multi) {
            const QStringList parts = w.split(QLatin1Char('_'), Qt::SkipEmptyParts);
            const QHash<QString, QStringList> p = pronunciations.lookup(parts);
            QStringList phones;
            for (const QString& part : parts) phones << p.value(part).value(0);
            text += w + QLatin1Char(' ') + phones.join(QLatin1Char(' ')) + QLatin1Char('\n');
        }
        QFile f(*path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
        f.write(text.toUtf8());
        return f.error() == QFile::NoError;
    }

    // The grammar made into the decoder's search `name`, step by step: ps_set_jsgf_string() of
    // this pocketsphinx does the same but never frees the parsed grammar.
    bool setGrammar(const QByteArray& name, const QByteArray& jsgfText) {
        const Sphinx& s = sphinx();
        jsgf_t* parsed = s.jsgf_parse_string(jsgfText.constData(), nullptr);
        if (!parsed) return false;
        jsgf_rule_t* top = s.jsgf_get_public_rule(parsed);
        fsg_model_t* fsg = top ? s.jsgf_build_fsg(parsed, top, s.ps_get_logmath(ps),
                                                  float(s.cmd_ln_float_r(config, "-lw")))
                               : nullptr;
        const bool taken = fsg && s.ps_set_fsg(ps, name.constData(), fsg) >= 0;
        if (fsg) s.fsg_model_free(fsg);
        s.jsgf_grammar_free(parsed);
        return taken;
    }

    // The procedures' model with the names as its station class, mixed with general English,
    // made into the decoder's search `name`.
    bool setLanguageModel(const QByteArray& name, const QString& domainFile) {
        const Sphinx& s = sphinx();
        logmath_t* lmath = s.ps_get_logmath(ps);
        ngram_model_t* domain = s.ngram_model_read(config, domainFile.toLocal8Bit().constData(), NGRAM_AUTO, lmath);
        if (!domain) return false;
        QList<QByteArray> members;
        for (const QString& m : classMembers()) members << m.toUtf8();
        if (members.isEmpty()) members << QByteArrayLiteral("kelpo");
        std::vector<char*> words;
        for (QByteArray& m : members) words.push_back(m.data());
        // Each name as likely as any other.
        const std::vector<float32> shares(words.size(), 1.0f / float32(words.size()));
        if (s.ngram_model_add_class(domain, kStationClass, 1.0f, words.data(), shares.data(), int32(words.size())) < 0) {
            s.ngram_model_free(domain);
            return false;
        }
        ngram_model_t* models[2] = {domain, s.ngram_model_retain(generic)};
        char domainName[] = "procedures";
        char genericName[] = "english";
        char* modelNames[2] = {domainName, genericName};
        const float32 weights[2] = {kDomainWeight, 1.0f - kDomainWeight};
        ngram_model_t* set = s.ngram_model_set_init(config, models, modelNames, weights, 2);
        if (!set) {
            s.ngram_model_free(domain);
            s.ngram_model_free(generic);
            return false;
        }
        const bool taken = s.ps_set_lm(ps, name.constData(), set) >= 0;
        s.ngram_model_free(set);  // the search keeps its own reference
        return taken;
    }

    // Every word of a model, without sentence marks and class names.
    QStringList modelWords(ngram_model_t* lm) const {
        const Sphinx& s = sphinx();
        const uint32* counts = s.ngram_model_get_counts(lm);
        QStringList out;
        for (uint32 wid = 0; counts && wid < counts[0]; ++wid) {
            const char* w = s.ngram_word(lm, int32(wid));
            if (!w || !*w || isFiller(QString::fromUtf8(w))) continue;
            out << QString::fromUtf8(w);
        }
        return out;
    }

    // The decoder with the grammar and the language model of the current names; false (said
    // once) when it cannot be.
    bool ready() {
        if (failed) return false;
        const Sphinx& s = sphinx();
        if (!s.problem.isEmpty() || !dir.isValid())
            return fail(QStringLiteral("no speech recognition: ") + (s.problem.isEmpty() ? dir.errorString() : s.problem));
        if (ps && !stale) return true;
        QElapsedTimer timer;
        timer.start();
        ++generation;
        const QString domainFile = languageModelFile();
        if (domainFile.isEmpty()) return fail(QStringLiteral("the procedures' language model %1 is not found").arg(QString::fromLatin1(kDomainLmFile)));
        QString dictPath;
        if (!ps) {
            // A first, small dictionary: the decoder's logarithm tables are needed to read the models.
            if (!writeDictionary(grammarWords(names), &dictPath))
                return fail(QStringLiteral("cannot write the recogniser's dictionary in ") + dir.path());
            const QByteArray dict = dictPath.toLocal8Bit();
            const char* log = lcVoice().isDebugEnabled() ? "/dev/stderr" : "/dev/null";
            // A recorded transmission: nothing of it removed as silence (the first and last words
            // would be clipped), dither for the exact digital silence of synthesized speech (with a
            // fixed seed), the cepstral mean of the whole transmission. A wider word beam than
            // the default (7e-29): with the grammar the default drops the right word at the end of
            // a phrase in room noise. Noise and hesitations are taken by the model's fillers more
            // readily than by default (1e-8). A second pass over the lattice gives each word's
            // posterior.
            config = s.cmd_ln_init(nullptr, s.ps_args(), TRUE, "-hmm", kModel, "-dict", dict.constData(), "-logfn",
                                   log, "-samprate", "16000", "-wbeam", "1e-40", "-bestpath", "yes", "-cmn", "batch",
                                   "-remove_silence", "no", "-dither", "yes", "-seed", "1", "-fillprob", "1e-3", nullptr);
            ps = config ? s.ps_init(config) : nullptr;
            if (!ps) return fail(QStringLiteral("pocketsphinx could not load the model in ") + QString::fromLatin1(kModel));
            generic = s.ngram_model_read(config, kGenericLm, NGRAM_AUTO, s.ps_get_logmath(ps));
            if (!generic) return fail(QStringLiteral("pocketsphinx could not read ") + QString::fromLatin1(kGenericLm));
            // The generic model's most frequent words.
            std::vector<std::pair<int32, QString>> scored;
            for (const QString& w : modelWords(generic))
                scored.emplace_back(s.ngram_score(generic, w.toUtf8().constData(), nullptr), w);
            const size_t keep = std::min<size_t>(scored.size(), kGenericWords);
            std::partial_sort(scored.begin(), scored.begin() + qsizetype(keep), scored.end(),
                              [](const auto& a, const auto& b) { return a.first > b.first; });
            for (size_t i = 0; i < keep; ++i) genericWords << scored[i].second;
            ngram_model_t* domain = s.ngram_model_read(config, domainFile.toLocal8Bit().constData(), NGRAM_AUTO, s.ps_get_logmath(ps));
            if (!domain) return fail(QStringLiteral("pocketsphinx could not read ") + domainFile);
            domainWords = modelWords(domain);
            s.ngram_model_free(domain);
        }
        QSet<QString> all(domainWords.begin(), domainWords.end());
        for (const QString& w : genericWords) all.insert(w);
        for (const QString& w : grammarWords(names)) all.insert(w);
        for (const QString& w : joinedNames()) all.insert(w);
        QStringList words(all.begin(), all.end());
        words.sort();
        if (words != dictWords) {
            if (!writeDictionary(words, &dictPath))
                return fail(QStringLiteral("cannot write the recogniser's dictionary in ") + dir.path());
            if (s.ps_load_dict(ps, dictPath.toLocal8Bit().constData(), nullptr, nullptr) < 0)
                return fail(QStringLiteral("pocketsphinx could not load the new dictionary"));
            dictWords = words;
        }
        const QString g = grammar(names);
        const QByteArray gname = QStringLiteral("procedures%1").arg(generation).toLatin1();
        if (!setGrammar(gname, g.toUtf8())) return fail(QStringLiteral("pocketsphinx did not take the procedures' grammar"));
        const QByteArray lname = QStringLiteral("language%1").arg(generation).toLatin1();
        if (!setLanguageModel(lname, domainFile)) return fail(QStringLiteral("pocketsphinx did not take the language model ") + domainFile);
        if (!grammarSearch.isEmpty()) s.ps_unset_search(ps, grammarSearch.toLatin1().constData());
        if (!lmSearch.isEmpty()) s.ps_unset_search(ps, lmSearch.toLatin1().constData());
        grammarSearch = QString::fromLatin1(gname);
        lmSearch = QString::fromLatin1(lname);
        check = std::make_unique<GrammarCheck>(g);
        stale = false;
        loadSeconds = timer.nsecsElapsed() / 1e9;
        qCDebug(lcVoice) << "recogniser ready in" << loadSeconds << "s," << words.size() << "words";
        return true;
    }

    // One recognition of the (padded) audio with a search.
    Pass decode(const QString& search, const std::vector<qint16>& audio) {
        const Sphinx& s = sphinx();
        Pass pass;
        if (s.ps_set_search(ps, search.toLatin1().constData()) < 0 || s.ps_start_utt(ps) < 0) return pass;
        s.ps_process_raw(ps, audio.data(), audio.size(), FALSE, TRUE);
        // The best path so far, kept in case the speech ends where the grammar does not let a
        // transmission end (cut off in the middle of a position, say): then pocketsphinx gives no
        // final result, but the words up to there are still what was said.
        const char* partial = s.ps_get_hyp(ps, nullptr);
        const QString sofar = QString::fromUtf8(partial ? partial : "");
        s.ps_end_utt(ps);
        const char* final = s.ps_get_hyp(ps, nullptr);
        pass.final = final != nullptr;
        if (final) {
            logmath_t* lmath = s.ps_get_logmath(ps);
            static const QRegularExpression alternative(QStringLiteral("\\(\\d+\\)$"));
            for (ps_seg_t* seg = s.ps_seg_iter(ps); seg; seg = s.ps_seg_next(seg)) {
                QString w = QString::fromUtf8(s.ps_seg_word(seg));
                int32 ascr = 0, lscr = 0, lback = 0;
                const int32 prob = s.ps_seg_prob(seg, &ascr, &lscr, &lback);
                pass.acoustic += ascr;
                w.remove(alternative);
                int sf = 0, ef = 0;
                s.ps_seg_frames(seg, &sf, &ef);
                pass.frames = std::max(pass.frames, ef + 1);
                if (isFiller(w)) continue;
                const double posterior = std::clamp(s.logmath_exp(lmath, prob), 0.0, 1.0);
                const int start = std::max(0, sf * 10 - kPaddingMs), end = std::max(start, (ef + 1) * 10 - kPaddingMs);
                // A joined name gives each of its words, with the name's confidence, its time shared
                // among them.
                const QStringList parts = w.split(QLatin1Char('_'), Qt::SkipEmptyParts);
                for (qsizetype k = 0; k < parts.size(); ++k)
                    pass.words.append({parts[k], posterior, start + int((end - start) * k / parts.size()),
                                       start + int((end - start) * (k + 1) / parts.size())});
            }
        } else {
            static const QRegularExpression filler(QStringLiteral("<[^>]*>|\\[[^\\]]*\\]|\\(\\d+\\)"));
            QString words = sofar;
            words.remove(filler);
            words.replace(QLatin1Char('_'), QLatin1Char(' '));
            // The words of a path cut off, without times; their confidence unknown.
            for (const QString& w : words.split(QLatin1Char(' '), Qt::SkipEmptyParts)) pass.words.append({w, 0.5, 0, 0});
        }
        return pass;
    }

    // The grammar's pass, kept only when its grammar allows the words (or, cut off, begins so).
    Pass grammarPass(const std::vector<qint16>& audio) {
        Pass p = decode(grammarSearch, audio);
        const QString text = p.text();
        const bool allowed = p.final ? check->allows(text) : check->begins(text);
        if (!allowed) {
            qCDebug(lcVoice).noquote() << "grammar pass rejected:" << text;
            return {};
        }
        return p;
    }
};

Recognizer::Recognizer() : d(std::make_unique<Impl>()) {}

void Recognizer::setMode(Mode mode) { d->mode = mode; }
Recognizer::Mode Recognizer::mode() const { return d->mode; }
Recognizer::~Recognizer() = default;

QString Recognizer::unavailable() { return sphinx().problem; }

double Recognizer::loadSeconds() const { return d->loadSeconds; }

void Recognizer::setNames(const QStringList& stationNames) {
    if (stationNames == d->names) return;
    d->names = stationNames;
    d->stale = true;  // the grammar and the model's names are rebuilt at the next recognition
}

Hearing Recognizer::hear(const std::vector<qint16>& pcm16k) {
    if (pcm16k.empty() || !d->ready()) return {};
    const std::vector<qint16> audio = padded(pcm16k);
    Pass chosen;
    QString name;
    switch (d->mode) {
    case Mode::Grammar:
        chosen = d->grammarPass(audio);
        name = QStringLiteral("grammar");
        break;
    case Mode::LanguageModel:
        chosen = d->decode(d->lmSearch, audio);
        name = QStringLiteral("language model");
        break;
    case Mode::Both: {
        chosen = d->decode(d->lmSearch, audio);
        name = QStringLiteral("language model");
        const Pass g = d->grammarPass(audio);
        qCDebug(lcVoice) << "acoustic per frame: language model" << double(chosen.acoustic) / std::max(1, chosen.frames)
                         << "grammar" << double(g.acoustic) / std::max(1, g.frames) << "confidence" << chosen.meanConfidence()
                         << g.meanConfidence();
        // The grammar's words where the free model heard little with confidence and the grammar
        // found a whole transmission. (The grammar's own posteriors say nothing here: its search
        // in this pocketsphinx gives every word a posterior of 1.)
        if (!g.words.isEmpty() && g.final && chosen.meanConfidence() < kGrammarOverConfidence) {
            chosen = g;
            name = QStringLiteral("grammar");
        }
        break;
    }
    }
    Hearing h;
    h.detail = chosen.words;
    h.words = chosen.text();
    h.pass = name;
    return h;
}

} // namespace voice
