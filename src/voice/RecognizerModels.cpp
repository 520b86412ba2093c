// Building the recogniser's decoder: the acoustic model, the dictionary of the words it may hear,
// the procedures' grammar and the language model mixed with general English, again whenever the
// station names change.
#include "voice/RecognizerModels.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSet>

#include <algorithm>

namespace voice {

namespace {

const char* const kStationClass = "[station]";
// How much of the mixed model is the procedures' and how much general English.
constexpr float kDomainWeight = 0.85f;
// The generic model's words that are in the dictionary beside the procedures' own: the most
// frequent ones (the rest cost decoding time and are seldom said on the radio).
constexpr int kGenericWords = 6000;

} // namespace

Recognizer::Impl::~Impl() {
    if (ps) sphinx().ps_free(ps);
    if (generic) sphinx().ngram_model_free(generic);
    if (config) sphinx().cmd_ln_free_r(config);
}

bool Recognizer::Impl::fail(const QString& why) {
    qCWarning(lcVoice).noquote() << why;
    failed = true;
    return false;
}

QString Recognizer::Impl::joined(const QString& variant) { return QString(variant).replace(QLatin1Char(' '), QLatin1Char('_')); }

QStringList Recognizer::Impl::joinedNames() const {
    QStringList out;
    for (const QString& name : names)
        for (const QString& v : nameVariants(name))
            if (v.contains(QLatin1Char(' ')) && !out.contains(joined(v))) out << joined(v);
    return out;
}
QStringList Recognizer::Impl::classMembers() const {
    QStringList out;
    for (const QString& name : names)
        for (const QString& v : nameVariants(name))
            if (!out.contains(joined(v))) out << joined(v);
    return out;
}

bool Recognizer::Impl::writeDictionary(const QStringList& words, QString* path) {
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

bool Recognizer::Impl::setGrammar(const QByteArray& name, const QByteArray& jsgfText) {
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

bool Recognizer::Impl::setLanguageModel(const QByteArray& name, const QString& domainFile) {
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

QStringList Recognizer::Impl::modelWords(ngram_model_t* lm) const {
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

bool Recognizer::Impl::ready() {
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

} // namespace voice
