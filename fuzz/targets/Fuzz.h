#pragma once
// What the fuzz targets share: the entry libFuzzer calls, an application object for the readers
// that want one, and the input as a file for those that read files.
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fuzz {

// Made on first use and kept for the process.
void ensureApplication();

// The bytes as a file in memory (no disk), open for as long as the object lives; path() names it.
class MemoryFile {
public:
    MemoryFile(const uint8_t* data, size_t size);
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    QString path() const;

private:
    int fd_ = -1;
};

// A check that must hold whatever the input: aborts (a finding) when it does not.
void require(bool condition, const char* what);

} // namespace fuzz
