// An exercise file as the Exercises window and --exercise open it.
#include "Fuzz.h"

#include "lessons/Exercise.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto e = lessons::parseExercise(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)),
                                          QStringLiteral("fuzz.json"));
    fuzz::require(e.ok() || e.error().startsWith(QLatin1String("fuzz.json")), "a fault is told with the file's name");
    return 0;
}
