#pragma once
// libsndfile, loaded with its first use (dlopen) rather than with the program: it brings a dozen
// codec libraries along, and the window shows sooner without them. A dependency of the package
// all the same; without it no sound file is read and none is written.
#include <sndfile.h>

namespace platform::sndfile {

struct Api {
    decltype(&::sf_open) sf_open = nullptr;
    decltype(&::sf_readf_short) sf_readf_short = nullptr;
    decltype(&::sf_readf_float) sf_readf_float = nullptr;
    decltype(&::sf_writef_float) sf_writef_float = nullptr;
    decltype(&::sf_command) sf_command = nullptr;
    decltype(&::sf_error) sf_error = nullptr;
    decltype(&::sf_strerror) sf_strerror = nullptr;
    decltype(&::sf_close) sf_close = nullptr;
    bool loaded = false;
};

// Loaded at the first call (thread-safe), with a warning when it cannot be.
const Api& api();

} // namespace platform::sndfile
