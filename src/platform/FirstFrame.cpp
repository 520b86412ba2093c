#include "platform/FirstFrame.h"

#include <QTimer>

namespace platform {

namespace {

// Waits for the window's first expose, then queues the work behind the paint that it triggers.
class FirstExpose : public QObject {
public:
    FirstExpose(QWindow* window, std::function<void()> then) : QObject(window), then_(std::move(then)) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, watched, then_);
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> then_;
};

} // namespace

void afterFirstFrame(QWindow* window, std::function<void()> then) { new FirstExpose(window, std::move(then)); }

} // namespace platform
