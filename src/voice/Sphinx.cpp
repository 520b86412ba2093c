#include "voice/Sphinx.h"

#include "voice/Library.h"
#include "voice/Recognizer.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace voice {

Q_LOGGING_CATEGORY(lcVoice, "vhf.voice", QtWarningMsg)

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
            lib.get("ps_set_lm", s.ps_set_lm) & lib.get("ps_set_search", s.ps_set_search) &
            lib.get("ps_unset_search", s.ps_unset_search) & lib.get("ps_start_utt", s.ps_start_utt) &
            lib.get("ps_process_raw", s.ps_process_raw) & lib.get("ps_end_utt", s.ps_end_utt) &
            lib.get("ps_get_hyp", s.ps_get_hyp) & lib.get("ps_seg_iter", s.ps_seg_iter) &
            lib.get("ps_seg_next", s.ps_seg_next) & lib.get("ps_seg_word", s.ps_seg_word) &
            lib.get("ps_seg_frames", s.ps_seg_frames) & lib.get("ps_seg_prob", s.ps_seg_prob) &
            lib.get("ps_seg_free", s.ps_seg_free) & lib.get("logmath_exp", s.logmath_exp) &
            lib.get("ngram_model_read", s.ngram_model_read) & lib.get("ngram_model_retain", s.ngram_model_retain) &
            lib.get("ngram_model_free", s.ngram_model_free) & lib.get("ngram_model_set_init", s.ngram_model_set_init) &
            lib.get("ngram_model_add_class", s.ngram_model_add_class) &
            lib.get("ngram_model_get_counts", s.ngram_model_get_counts) & lib.get("ngram_word", s.ngram_word) &
            lib.get("ngram_score", s.ngram_score);
        if (!found) {
            s.problem = lib.problem() + QStringLiteral(" (Debian packages libpocketsphinx3 and libsphinxbase3)");
            return false;
        }
        if (!QFileInfo::exists(QString::fromLatin1(kModel) + QStringLiteral("/mdef")) ||
            !QFileInfo::exists(QString::fromLatin1(kCmudict)) || !QFileInfo::exists(QString::fromLatin1(kGenericLm))) {
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

namespace {

// dir lies at or below root (both absolute and cleaned).
bool isAtOrBelow(const QString& dir, const QString& root) {
    if (root.isEmpty() || dir.isEmpty()) return false;
    return dir == root || dir.startsWith(root + QLatin1Char('/'));
}

} // namespace

QString Recognizer::languageModelFile() {
    // Beside an installed program, where it was installed, and in the build tree for a program
    // (or test) that runs from the build tree itself.
    const QString exeDir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    QStringList dirs;
    if (!exeDir.isEmpty()) dirs << exeDir + QStringLiteral("/../share/vhf-dsc-trainer/voice");
    dirs << QStringLiteral(VHF_VOICE_DIR);
    const QString buildDir = QFileInfo(QStringLiteral(VHF_BUILD_DIR)).canonicalFilePath();
    if (isAtOrBelow(exeDir, buildDir)) dirs << QStringLiteral(VHF_BUILD_VOICE_DIR);
    for (const QString& dir : dirs) {
        const QFileInfo fi(QDir(QDir::cleanPath(dir)), QString::fromLatin1(kDomainLmFile));
        if (fi.isFile()) return fi.absoluteFilePath();
    }
    return QString();
}

} // namespace voice
