// Speech to words: each transmission padded and decoded with the language model, the grammar or
// both, the better pass taken.
#include "voice/Recognizer.h"

#include "voice/RecognizerModels.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace voice {

namespace {

constexpr int kRate = 16000;
constexpr int kPaddingMs = 500;
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

} // namespace

bool isFiller(const QString& w) {
    return w.isEmpty() || w.startsWith(QLatin1Char('<')) || w.startsWith(QLatin1Char('[')) || w.startsWith(QLatin1Char('+')) ||
           w.startsWith(QLatin1Char('('));
}

Pass Recognizer::Impl::decode(const QString& search, const std::vector<qint16>& audio) {
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

Pass Recognizer::Impl::grammarPass(const std::vector<qint16>& audio) {
    Pass p = decode(grammarSearch, audio);
    const QString text = p.text();
    const bool allowed = p.final ? check->allows(text) : check->begins(text);
    if (!allowed) {
        qCDebug(lcVoice).noquote() << "grammar pass rejected:" << text;
        return {};
    }
    return p;
}

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
