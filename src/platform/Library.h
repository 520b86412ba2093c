#pragma once
// Libraries opened with their first use (dlopen) rather than with the program, so that starting
// it loads none of them: a function of such a library looked up by its name.
#include <dlfcn.h>

namespace platform {

// Sets `function` to the library's function of that name (nullptr without the library or the
// function); true when it was found.
template <typename F>
bool resolve(void* library, const char* name, F& function) {
    function = library ? reinterpret_cast<F>(dlsym(library, name)) : nullptr;
    return function != nullptr;
}

} // namespace platform
