// The screen mode over XRandR on a real X server (Xvfb, started here), where the modes the trainer
// asks for do not exist: every refusal is ignored and the trainer goes on as before.
#include "app/Trainer.h"
#include "harness/Harness.h"
#include "platform/XRandrScreenMode.h"
#include "radio/FrontPanel.h"
#include "radio/ScreenSizePanel.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

pid_t gServer = 0;

// Starts Xvfb on a free display; Xvfb writes the display number to the pipe once it is ready.
QByteArray startXvfb() {
    int fds[2];
    if (pipe(fds) != 0) return {};
    const QByteArray fd = QByteArray::number(fds[1]);
    const char* argv[] = {"Xvfb", "-displayfd", fd.constData(), "-noreset", "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                          nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const int rc = posix_spawnp(&gServer, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    QByteArray number;
    if (rc == 0) {
        char ch;
        while (read(fds[0], &ch, 1) == 1 && ch != '\n') number += ch;
    } else {
        gServer = 0;
    }
    close(fds[0]);
    return number.isEmpty() ? QByteArray() : ":" + number;
}

void stopXvfb() {
    if (gServer > 0) {
        kill(gServer, SIGTERM);
        waitpid(gServer, nullptr, 0);
        gServer = 0;
    }
}

} // namespace

class XRandrTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != "xcb") QSKIP("no X server could be started (is Xvfb installed?)");
    }

    void sizeIsTheScreens() {
        platform::XRandrScreenMode screen;
        QCOMPARE(screen.screenSize(), QSize(1024, 768));
    }

    void modesTheServerDoesNotOfferAreIgnored_data() {
        QTest::addColumn<QSize>("wanted");
        QTest::newRow("800 x 600") << QSize(800, 600);
        QTest::newRow("odd size") << QSize(333, 222);
        QTest::newRow("larger than the screen") << QSize(4096, 4096);
        QTest::newRow("zero") << QSize(0, 0);
        QTest::newRow("negative") << QSize(-1, -5);
        QTest::newRow("the current size") << QSize(1024, 768);
    }
    void modesTheServerDoesNotOfferAreIgnored() {
        QFETCH(QSize, wanted);
        platform::XRandrScreenMode screen;
        screen.setMode(wanted.width(), wanted.height());
        QCOMPARE(screen.screenSize(), QSize(1024, 768));
    }

    // The whole panel and power-off on the real X server: no message, no crash, the flag set.
    void trainerGoesOnWhenTheModeIsRefused() {
        platform::VirtualClock clock;
        platform::FakeSound sound(clock);
        platform::FakeMessageBox messages(clock);
        platform::XRandrScreenMode screen;
        int ends = 0;
        Trainer trainer(Services{clock, sound, messages, screen, [&] { ++ends; }});
        Context& c = trainer.context();
        QCOMPARE(c.OriginalScreenWidth, 1024.0f);
        c.screenSize->cmdChangeScreenSize_Click();
        c.screenSize->OptScreenSize1_Click();
        QVERIFY(c.s.DisplayModeChanged);
        c.front->cmdOnOff_Click();
        QCOMPARE(ends, 1);
        QVERIFY(messages.shown.empty());
        QCOMPARE(screen.screenSize(), QSize(1024, 768));
    }
};

int main(int argc, char** argv) {
    const QByteArray display = startXvfb();
    if (!display.isEmpty()) {
        qputenv("DISPLAY", display);
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int status;
    {
        TrainerApplication app(argc, argv);
        XRandrTest test;
        status = QTest::qExec(&test, argc, argv);
    }
    stopXvfb();
    return status;
}

#include "tst_xrandr.moc"
