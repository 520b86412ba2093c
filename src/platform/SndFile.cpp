#include "platform/SndFile.h"

#include "platform/Library.h"

#include <QLoggingCategory>

namespace platform::sndfile {

const Api& api() {
    static const Api lib = [] {
        Api l;
        void* so = dlopen("libsndfile.so.1", RTLD_NOW | RTLD_LOCAL);
        l.loaded = resolve(so, "sf_open", l.sf_open) & resolve(so, "sf_readf_short", l.sf_readf_short) &
                   resolve(so, "sf_readf_float", l.sf_readf_float) & resolve(so, "sf_writef_float", l.sf_writef_float) &
                   resolve(so, "sf_command", l.sf_command) & resolve(so, "sf_error", l.sf_error) &
                   resolve(so, "sf_strerror", l.sf_strerror) & resolve(so, "sf_close", l.sf_close);
        if (!l.loaded) qWarning("cannot load libsndfile.so.1: no sound file can be read or written");
        return l;
    }();
    return lib;
}

} // namespace platform::sndfile
