#include "Fuzz.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace fuzz {

void ensureApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

MemoryFile::MemoryFile(const uint8_t* data, size_t size) {
    fd_ = memfd_create("fuzz-input", MFD_CLOEXEC);
    require(fd_ >= 0, "memfd_create");
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd_, data + done, size - done);
        require(n > 0, "writing the input");
        done += size_t(n);
    }
}

MemoryFile::~MemoryFile() { ::close(fd_); }

QString MemoryFile::path() const { return QStringLiteral("/proc/self/fd/%1").arg(fd_); }

void require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz: does not hold: %s\n", what);
    std::abort();
}

} // namespace fuzz
