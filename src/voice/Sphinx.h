#pragma once
// pocketsphinx and sphinxbase, loaded at run time, and Debian's US English model they read.
// For the recogniser's own files only: sphinxbase's headers have names other headers have too.
#include <QLoggingCategory>
#include <QString>

// Types only: the functions are looked up at run time.
#include <pocketsphinx.h>
#include <sphinxbase/err.h>
#include <sphinxbase/jsgf.h>
#include <sphinxbase/ngram_model.h>

namespace voice {

Q_DECLARE_LOGGING_CATEGORY(lcVoice)

inline constexpr const char* kModel = "/usr/share/pocketsphinx/model/en-us/en-us";
inline constexpr const char* kCmudict = "/usr/share/pocketsphinx/model/en-us/cmudict-en-us.dict";
inline constexpr const char* kGenericLm = "/usr/share/pocketsphinx/model/en-us/en-us.lm.bin";
// The procedures' language model, built with the program (Recognizer::languageModelFile() finds it).
inline constexpr const char* kDomainLmFile = "procedures.lm.bin";

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
    decltype(&::ps_set_lm) ps_set_lm = nullptr;
    decltype(&::ps_set_search) ps_set_search = nullptr;
    decltype(&::ps_unset_search) ps_unset_search = nullptr;
    decltype(&::ps_start_utt) ps_start_utt = nullptr;
    decltype(&::ps_process_raw) ps_process_raw = nullptr;
    decltype(&::ps_end_utt) ps_end_utt = nullptr;
    decltype(&::ps_get_hyp) ps_get_hyp = nullptr;
    decltype(&::ps_seg_iter) ps_seg_iter = nullptr;
    decltype(&::ps_seg_next) ps_seg_next = nullptr;
    decltype(&::ps_seg_word) ps_seg_word = nullptr;
    decltype(&::ps_seg_frames) ps_seg_frames = nullptr;
    decltype(&::ps_seg_prob) ps_seg_prob = nullptr;
    decltype(&::ps_seg_free) ps_seg_free = nullptr;
    decltype(&::logmath_exp) logmath_exp = nullptr;
    decltype(&::ngram_model_read) ngram_model_read = nullptr;
    decltype(&::ngram_model_retain) ngram_model_retain = nullptr;
    decltype(&::ngram_model_free) ngram_model_free = nullptr;
    decltype(&::ngram_model_set_init) ngram_model_set_init = nullptr;
    decltype(&::ngram_model_add_class) ngram_model_add_class = nullptr;
    decltype(&::ngram_model_get_counts) ngram_model_get_counts = nullptr;
    decltype(&::ngram_word) ngram_word = nullptr;
    decltype(&::ngram_score) ngram_score = nullptr;
    QString problem;
};

// The library's functions, loaded with the first call; Sphinx::problem says why they cannot be
// used (library or model missing), empty when they can.
const Sphinx& sphinx();

} // namespace voice
