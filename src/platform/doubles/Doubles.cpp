#include "platform/doubles/Doubles.h"

namespace platform {

int FakeSound::lengthOf(const QString& fileName) const {
    if (missing.contains(fileName)) return 0;
    return lengthsMs.value(fileName, 0);
}

int FakeSound::count(const QString& fileName) const {
    int n = 0;
    for (const auto& p : plays) n += p.file == fileName;
    return n;
}

void FakeSound::playFile(const QString& fileName) {
    plays.push_back({fileName, clock_.tickMs()});
    if (onPlay) onPlay(fileName);
    clock_.pause(lengthOf(fileName));
}

void FakeMessageBox::show(const QString& text) {
    shown.push_back({text, clock_.tickMs()});
    if (onShow) onShow(text);
    const qint64 until = clock_.tickMs() + dismissAfterMs;
    while (clock_.tickMs() < until) clock_.runPendingEvents(until);
}

bool FakeMessageBox::ask(const QString& question) {
    show(question);
    return answer;
}

QStringList FakeMessageBox::texts() const {
    QStringList out;
    for (const auto& s : shown) out << s.text;
    return out;
}

void FakeScreenMode::setMode(int width, int height) {
    requests.emplace_back(width, height);
    if (!refuse) size = QSize(width, height);
}

} // namespace platform
