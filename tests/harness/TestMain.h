#pragma once
#include "app/Trainer.h"

#include <QTest>

// Like QTEST_MAIN, with the trainer's own application object (it gives the window its key
// preview) on the offscreen platform (unless the test is started on a configured one).
#define TRAINER_TEST_MAIN(TestClass)                                                               \
    int main(int argc, char** argv) {                                                              \
        if (!qEnvironmentVariable("QT_QPA_PLATFORM").startsWith("offscreen"))                        \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        TrainerApplication app(argc, argv);                                                        \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestClass tc;                                                                              \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
