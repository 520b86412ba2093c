#include "voice/Library.h"

#include <dlfcn.h>

namespace voice {

Library::Library(std::initializer_list<const char*> names) {
    for (const char* name : names) {
        handle_ = dlopen(name, RTLD_NOW | RTLD_LOCAL);
        if (handle_) {
            name_ = name;
            return;
        }
        const char* why = dlerror();
        if (problem_.isEmpty())
            problem_ = QStringLiteral("cannot load %1: %2")
                           .arg(QString::fromLatin1(name), QString::fromLocal8Bit(why ? why : "unknown reason"));
    }
}

void* Library::symbol(const char* name) {
    if (!handle_) return nullptr;
    void* f = dlsym(handle_, name);
    if (!f && problem_.isEmpty())
        problem_ = QStringLiteral("%1 has no %2").arg(QString::fromLatin1(name_), QString::fromLatin1(name));
    return f;
}

} // namespace voice
