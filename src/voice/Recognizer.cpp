#include "voice/Recognizer.h"

#include "voice/Library.h"
#include "voice/Vocabulary.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTemporaryDir>

// Types only: the functions are looked up at run time.
#include <pocketsphinx.h>
#include <sphinxbase/err.h>
#include <sphinxbase/jsgf.h>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace voice {

Q_LOGGING_CATEGORY(lcVoice, "vhf.voice", QtWarningMsg)

namespace {

const char* const kModel = "/usr/share/pocketsphinx/model/en-us/en-us";
const char* const kCmudict = "/usr/share/pocketsphinx/model/en-us/cmudict-en-us.dict";
constexpr int kRate = 16000;

// pocketsphinx and sphinxbase (which it brings along), loaded with the first recognition.
struct Sphinx {
    decltype(&::cmd_ln_init) cmd_ln_init = nullptr;
    decltype(&::cmd_ln_free_r) cmd_ln_free_r = nullptr;
    decltype(&::err_set_logfp) err_set_logfp = nullptr;
    decltype(&::ps_args) ps_args = nullptr;
    decltype(&::ps_init) ps_init = nullptr;
    decltype(&::ps_free) ps_free = nullptr;
    decltype(&::ps_load_dict) ps_load_dict = nullptr;
    decltype(&::cmd_ln_float_r) cmd_ln_float_r = nullptr;
    decltype(&::jsgf_parse_string) jsgf_parse_string = nullptr;
    decltype(&::jsgf_get_public_rule) jsgf_get_public_rule = nullptr;
    decltype(&::jsgf_build_fsg) jsgf_build_fsg = nullptr;
    decltype(&::jsgf_grammar_free) jsgf_grammar_free = nullptr;
    decltype(&::fsg_model_free) fsg_model_free = nullptr;
    decltype(&::ps_get_logmath) ps_get_logmath = nullptr;
    decltype(&::ps_set_fsg) ps_set_fsg = nullptr;
    decltype(&::ps_set_search) ps_set_search = nullptr;
    decltype(&::ps_unset_search) ps_unset_search = nullptr;
    decltype(&::ps_start_utt) ps_start_utt = nullptr;
    decltype(&::ps_process_raw) ps_process_raw = nullptr;
    decltype(&::ps_end_utt) ps_end_utt = nullptr;
    decltype(&::ps_get_hyp) ps_get_hyp = nullptr;
    QString problem;
};

const Sphinx& sphinx() {
    static Sphinx s;
    // Loaded once, also when the first uses come from several threads.
    static const bool loaded = [] {
        static Library lib({"libpocketsphinx.so.3"});
        const bool found =
            lib.get("cmd_ln_init", s.cmd_ln_init) & lib.get("cmd_ln_free_r", s.cmd_ln_free_r) &
            lib.get("err_set_logfp", s.err_set_logfp) & lib.get("ps_args", s.ps_args) & lib.get("ps_init", s.ps_init) &
            lib.get("ps_free", s.ps_free) & lib.get("ps_load_dict", s.ps_load_dict) &
            lib.get("cmd_ln_float_r", s.cmd_ln_float_r) & lib.get("jsgf_parse_string", s.jsgf_parse_string) &
            lib.get("jsgf_get_public_rule", s.jsgf_get_public_rule) & lib.get("jsgf_build_fsg", s.jsgf_build_fsg) &
            lib.get("jsgf_grammar_free", s.jsgf_grammar_free) & lib.get("fsg_model_free", s.fsg_model_free) &
            lib.get("ps_get_logmath", s.ps_get_logmath) & lib.get("ps_set_fsg", s.ps_set_fsg) &
            lib.get("ps_set_search", s.ps_set_search) &
            lib.get("ps_unset_search", s.ps_unset_search) & lib.get("ps_start_utt", s.ps_start_utt) &
            lib.get("ps_process_raw", s.ps_process_raw) & lib.get("ps_end_utt", s.ps_end_utt) &
            lib.get("ps_get_hyp", s.ps_get_hyp);
        if (!found) {
            s.problem = lib.problem() + QStringLiteral(" (Debian packages libpocketsphinx3 and libsphinxbase3)");
            return false;
        }
        if (!QFileInfo::exists(QString::fromLatin1(kModel) + QStringLiteral("/mdef")) ||
            !QFileInfo::exists(QString::fromLatin1(kCmudict))) {
            s.problem = QStringLiteral("the US English speech model is not installed in %1 (Debian package pocketsphinx-en-us)")
                            .arg(QString::fromLatin1(kModel));
            return false;
        }
        // Its log goes to standard error with QT_LOGGING_RULES="vhf.voice.debug=true", else nowhere.
        if (!lcVoice().isDebugEnabled()) s.err_set_logfp(nullptr);
        return true;
    }();
    Q_UNUSED(loaded);
    return s;
}

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

} // namespace

struct Recognizer::Impl {
    ps_decoder_t* ps = nullptr;
    cmd_ln_t* config = nullptr;
    QTemporaryDir dir;
    Pronunciations pronunciations{QString::fromLatin1(kCmudict)};
    QStringList names;
    QStringList dictWords;  // the words in the decoder's dictionary
    QString search;         // the name of the grammar in use; empty until it is built
    bool stale = true;      // the names have changed since
    int generation = 0;
    bool failed = false;
    Mode mode = Mode::Grammar;

    ~Impl() {
        if (ps) sphinx().ps_free(ps);
        if (config) sphinx().cmd_ln_free_r(config);
    }

    bool writeDictionary(const QStringList& words, QString* path) {
        *path = dir.filePath(QStringLiteral("vocabulary%1.dict").arg(generation));
        QFile f(*path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
        f.write(pronunciations.dictionary(words).toUtf8());
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

    // The decoder with the grammar of the current names; false (said once) when it cannot be.
    bool ready() {
        if (failed) return false;
        const Sphinx& s = sphinx();
        if (!s.problem.isEmpty() || !dir.isValid()) {
            qCWarning(lcVoice).noquote() << "no speech recognition:" << (s.problem.isEmpty() ? dir.errorString() : s.problem);
            failed = true;
            return false;
        }
        if (ps && !stale) return true;
        ++generation;
        const QStringList words = grammarWords(names);
        QString dictPath;
        if (!writeDictionary(words, &dictPath)) {
            qCWarning(lcVoice).noquote() << "cannot write the recogniser's dictionary in" << dir.path();
            failed = true;
            return false;
        }
        if (!ps) {
            const QByteArray dict = dictPath.toLocal8Bit();
            const char* log = lcVoice().isDebugEnabled() ? "/dev/stderr" : "/dev/null";
            // A wider word beam than the default (7e-29): with a grammar of this size the default
            // drops the right word at the end of a phrase in room noise. No second pass over a
            // lattice: the grammar's path is the answer. The cepstral mean of each transmission
            // is its own.
            config = s.cmd_ln_init(nullptr, s.ps_args(), TRUE, "-hmm", kModel, "-dict", dict.constData(), "-logfn",
                                   log, "-samprate", "16000", "-wbeam", "1e-40", "-bestpath", "no", "-cmn", "batch", nullptr);
            ps = config ? s.ps_init(config) : nullptr;
            if (!ps) {
                qCWarning(lcVoice) << "pocketsphinx could not load the model in" << kModel;
                failed = true;
                return false;
            }
        } else if (words != dictWords) {
            if (s.ps_load_dict(ps, dictPath.toLocal8Bit().constData(), nullptr, nullptr) < 0) {
                qCWarning(lcVoice) << "pocketsphinx could not load the new dictionary";
                failed = true;
                return false;
            }
        }
        dictWords = words;
        const QByteArray name = QStringLiteral("procedures%1").arg(generation).toLatin1();
        if (!setGrammar(name, grammar(names).toUtf8()) || s.ps_set_search(ps, name.constData()) < 0) {
            qCWarning(lcVoice) << "pocketsphinx did not take the procedures' grammar";
            failed = true;
            return false;
        }
        if (!search.isEmpty()) s.ps_unset_search(ps, search.toLatin1().constData());
        search = QString::fromLatin1(name);
        stale = false;
        return true;
    }
};

Recognizer::Recognizer() : d(std::make_unique<Impl>()) {}

void Recognizer::setMode(Mode mode) { d->mode = mode; }
Recognizer::Mode Recognizer::mode() const { return d->mode; }
Recognizer::~Recognizer() = default;

QString Recognizer::unavailable() { return sphinx().problem; }

void Recognizer::setNames(const QStringList& stationNames) {
    if (stationNames == d->names) return;
    d->names = stationNames;
    d->stale = true;  // the grammar is rebuilt at the next recognition
}

Hearing Recognizer::hear(const std::vector<qint16>& pcm16k) {
    if (pcm16k.empty() || !d->ready()) return {};
    const Sphinx& s = sphinx();
    const std::vector<qint16> audio = padded(pcm16k);
    if (s.ps_start_utt(d->ps) < 0) return {};
    s.ps_process_raw(d->ps, audio.data(), audio.size(), FALSE, TRUE);
    // The best path so far, kept in case the speech ends where the grammar does not let a
    // transmission end (cut off in the middle of a position, say): then pocketsphinx gives no
    // final result, but the words up to there are still what was said.
    const char* partial = s.ps_get_hyp(d->ps, nullptr);
    const QByteArray sofar = partial ? QByteArray(partial) : QByteArray();
    s.ps_end_utt(d->ps);
    const char* final = s.ps_get_hyp(d->ps, nullptr);
    QString words = QString::fromUtf8(final ? QByteArray(final) : sofar);
    static const QRegularExpression filler(QStringLiteral("<[^>]*>|\\[[^\\]]*\\]|\\(\\d+\\)"));
    words.remove(filler);
    Hearing h = Hearing::certain(words);
    h.pass = QStringLiteral("grammar");
    return h;
}

// ---- the worker ----

namespace {
// The names the grammar needs for a job: those set, and every station of its speaker.
QStringList namesFor(QStringList names, const Speaker& speaker) {
    for (const Station& st : QList<Station>{speaker.own} + speaker.known)
        if (!st.name.isEmpty() && !names.contains(st.name)) names << st.name;
    return names;
}
} // namespace

RecognitionWorker::RecognitionWorker(QObject* parent) : QObject(parent) {
    qRegisterMetaType<voice::Judgement>();
    thread_ = std::thread([this] { run(); });
}

RecognitionWorker::~RecognitionWorker() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        stop_ = true;
        jobs_.clear();
    }
    wake_.notify_all();
    thread_.join();
}

void RecognitionWorker::setNames(const QStringList& stationNames) {
    std::lock_guard<std::mutex> hold(lock_);
    names_ = stationNames;
}

void RecognitionWorker::submit(quint64 id, std::vector<qint16> pcm16k, Speaker speaker) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        jobs_.push_back({id, std::move(pcm16k), std::move(speaker)});
        ++submitted_;
    }
    wake_.notify_one();
}

void RecognitionWorker::waitIdle() {
    for (;;) {
        quint64 submitted = 0;
        {
            std::unique_lock<std::mutex> hold(lock_);
            done_.wait(hold, [this] { return finished_ == submitted_; });
            submitted = submitted_;
        }
        // The results are posted to this object: deliver them now, in order.
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        if (reported_ >= submitted) return;
    }
}

void RecognitionWorker::run() {
    Recognizer recognizer;
    for (;;) {
        Job job;
        QStringList names;
        {
            std::unique_lock<std::mutex> hold(lock_);
            wake_.wait(hold, [this] { return stop_ || !jobs_.empty(); });
            if (stop_) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
            names = names_;
        }
        recognizer.setNames(namesFor(names, job.speaker));
        const Hearing hearing = recognizer.hear(job.pcm);
        const QString words = hearing.words;
        const Judgement judgement = judge(hearing, job.speaker);
        QMetaObject::invokeMethod(
            this,
            [this, id = job.id, words, judgement] {
                ++reported_;
                emit recognised(id, words, judgement);
            },
            Qt::QueuedConnection);
        {
            std::lock_guard<std::mutex> hold(lock_);
            ++finished_;
        }
        done_.notify_all();
    }
}

} // namespace voice
