#pragma once
#include <QString>
#include <functional>

namespace screens {

// Watches typed keys for the sequence T, K, M, which opens the copyright notice.
class TKM {
public:
    explicit TKM(std::function<void()> showNotice) : showNotice_(std::move(showNotice)) {}
    // One key code, as the key-down event reports it (upper-case letter codes).
    void setChar(int keyCode);
    void ShowNotice() { showNotice_(); }
    const QString& lastLetters() const { return last_; }

private:
    QString last_ = QStringLiteral("   ");
    std::function<void()> showNotice_;
};

} // namespace screens
