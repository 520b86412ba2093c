// The reference for start-up figures: the smallest Qt Widgets program that shows a window of the
// trainer's size with one line of text, reporting its first frame the way the trainer does.
//
// Usage: reference_window [WIDTHxHEIGHT, default 819x614]
#include "platform/FirstFrame.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

namespace {

class ReferenceApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* e) override {
        const bool handled = QApplication::notify(receiver, e);
        platform::noteFirstFrame(receiver, e);
        return handled;
    }
};

} // namespace

int main(int argc, char** argv) {
    ReferenceApplication app(argc, argv);
    int width = 819, height = 614;
    if (argc > 1) std::sscanf(argv[1], "%dx%d", &width, &height);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Reference window"));
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("A minimal Qt Widgets window")));
    window.setFixedSize(width, height);
    window.show();
    return app.exec();
}
