// An exam profile as --exam reads it.
#include "Fuzz.h"

#include "exam/Profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto p = exam::parseProfile(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)),
                                      QStringLiteral("fuzz.json"));
    fuzz::require(p.ok() || p.error().startsWith(QLatin1String("fuzz.json line ")), "a fault is told with the file and line");
    fuzz::require(!p.ok() || !p.value().sections.isEmpty(), "a profile has sections");
    return 0;
}
