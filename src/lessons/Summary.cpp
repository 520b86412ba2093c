#include "lessons/Summary.h"

#include "lessons/Lesson.h"

#include <algorithm>

namespace lessons {

Summary summarize(const QString& path) {
    Summary s;
    Reader reader(path);
    if (!reader.open()) {
        s.problem = reader.error();
        return s;
    }
    const Header& header = reader.header();
    s.start = header.start.addMSecs(header.tick);
    qint64 last = header.tick;
    for (Entry e; reader.next(e);) {
        last = std::max(last, e.t);
        const bool sent = e.json.value(QLatin1String("direction")).toString() == QLatin1String("sent");
        if (e.kind == QLatin1String("message")) s.calls += sent;
        else if (e.kind == QLatin1String("voice")) s.transmissions += sent;
        else if (e.kind == QLatin1String("result")) {
            const QString title = e.json.value(QLatin1String("result")).toObject().value(QLatin1String("exercise")).toString();
            if (!title.isEmpty() && !s.exercises.contains(title)) s.exercises << title;
        }
    }
    s.lengthMs = last - header.tick;
    s.problem = reader.error();
    return s;
}

} // namespace lessons
