// A lesson file as --replay and --debrief read it, line by line to its end or its first fault.
#include "Fuzz.h"

#include "lessons/Lesson.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::MemoryFile file(data, size);
    lessons::Reader reader(file.path());
    if (!reader.open()) {
        fuzz::require(!reader.error().isEmpty(), "a lesson that cannot be read says why");
        return 0;
    }
    lessons::Entry entry;
    int lines = 0;
    while (reader.next(entry)) {
        fuzz::require(entry.line > lines, "lines come in order");
        lines = entry.line;
    }
    return 0;
}
