// The radio worked from the keyboard: the channel knob turned with the arrow keys, and the two
// hold-to-send distress keys held with the Space bar as the mouse holds them.
#include "harness/Focus.h"
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "platform/Controls.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace {

// Everything the trainee and the test doubles can observe: the controls' texts, visibility and
// colours, the keyboard focus, the sounds with their ticks, the messages and the alert state.
QStringList observe(Harness& h) {
    QStringList out;
    for (QWidget* w : h.window()->findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_"))) continue;
        QString text = w->windowTitle();
        if (auto* l = qobject_cast<QLabel*>(w)) text = l->text();
        else if (auto* e = qobject_cast<QLineEdit*>(w)) text = e->text();
        else if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
        else if (auto* cb = qobject_cast<QComboBox*>(w)) text = ctl::comboText(cb);
        else if (auto* l = qobject_cast<QListWidget*>(w))
            for (int i = 0; i < l->count(); ++i) text += l->item(i)->text() + QLatin1Char('|');
        out << QStringLiteral("%1 '%2' %3 %4/%5")
                   .arg(idOf(w), text, ctl::visible(w) ? QStringLiteral("shown") : QStringLiteral("hidden"),
                        ctl::backColor(w).name(), ctl::foreColor(w).name());
    }
    out << QStringLiteral("focus %1").arg(focusId());
    for (const auto& p : h.sound.plays) out << QStringLiteral("play %1 @%2").arg(p.file).arg(p.startMs);
    for (qint64 b : h.sound.beeps) out << QStringLiteral("beep @%1").arg(b);
    for (const auto& m : h.messages.shown) out << QStringLiteral("message %1 @%2").arg(m.text).arg(m.atMs);
    out << QStringLiteral("distress '%1' repeat %2 wait %3")
               .arg(h.c().s.CallTypeDistress)
               .arg(h.c().TimerRepeat->isEnabled())
               .arg(h.c().Timer5Second->isEnabled());
    return out;
}

enum class Input { Mouse, Space, SpaceRepeating };

// Holds a distress key for ms with the mouse or the Space bar (auto-repeating at 30 per second,
// as a keyboard does), lets the program run on for another minute and a half, and tells what it
// observed then.
QStringList holdAndObserve(Harness& h, const QString& key, qint64 ms, Input input) {
    switch (input) {
    case Input::Mouse: h.hold(key, ms); break;
    case Input::Space: h.holdKey(key, Qt::Key_Space, ms); break;
    case Input::SpaceRepeating: h.holdKey(key, Qt::Key_Space, ms, 33); break;
    }
    h.advance(90000);
    return observe(h);
}

// The same, with the mouse, on a trainer of its own: what a Space hold must match.
QStringList observeMouseHold(const QString& key, qint64 ms) {
    Harness h;
    return holdAndObserve(h, key, ms, Input::Mouse);
}

} // namespace

class KeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void knobTurnsWithTheArrowKeys_data() {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<int>("direction");
        QTest::newRow("Right: up") << Qt::Key_Right << +1;
        QTest::newRow("Left: down") << Qt::Key_Left << -1;
    }
    // The knob takes the focus by Tab like the keys of the radio, and each press of an arrow key
    // turns it one step, as a click on its arrow does.
    void knobTurnsWithTheArrowKeys() {
        QFETCH(Qt::Key, key);
        QFETCH(int, direction);
        QStringList byClick, byKey;
        {
            Harness h;
            for (int i = 0; i < 3; ++i) {
                h.stepKnob(direction);
                byClick << h.designator();
            }
        }
        {
            Harness h;
            h.find("cmdHiLow")->setFocus(Qt::TabFocusReason);
            pressTab(h, true);
            QCOMPARE(focusId(), QString("ScrollChannel"));
            for (int i = 0; i < 3; ++i) {
                h.keyDown(key);
                h.keyUp(key);
                byKey << h.designator();
            }
        }
        QCOMPARE(byKey, byClick);
        QVERIFY(byKey.first() != QLatin1String("16"));
    }

    void spaceHoldSendsTheAlertAsTheMouseDoes_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("holdMs");
        QTest::addColumn<bool>("repeating");
        for (const char* key : {"cmdDistress", "cmdBCDistress"})
            for (int ms : {5000, 7500})
                for (bool repeating : {false, true})
                    QTest::addRow("%s %d ms%s", key, ms, repeating ? " auto-repeating" : "")
                        << QString(key) << ms << repeating;
    }
    // Holding Space on a focused distress key for five seconds does exactly what holding the
    // mouse button does: the count on the key, the alert on the radio and both stations, the
    // sounds at the same ticks. A held key's auto-repeat changes nothing.
    void spaceHoldSendsTheAlertAsTheMouseDoes() {
        QFETCH(QString, key);
        QFETCH(int, holdMs);
        QFETCH(bool, repeating);
        const QStringList byMouse = observeMouseHold(key, holdMs);
        QStringList bySpace;
        {
            Harness h;
            bySpace = holdAndObserve(h, key, holdMs, repeating ? Input::SpaceRepeating : Input::Space);
            // The alert went out: the Coast Guard display shows it and the radio waits for the
            // acknowledgement, counted from the press.
            QCOMPARE(h.text("txtCG6"), QString("Distress"));
            QCOMPARE(h.text("lblStatus"), QString("Waiting for Ack"));
            QVERIFY(h.playsOf("Burglar.wav") > 0);
            for (int i = 0; i < 5; ++i) QCOMPARE(h.sound.beeps.at(i), qint64(1000 * (i + 1)));
            if (key == QLatin1String("cmdBCDistress")) QCOMPARE(h.text("txtCG1").left(15), QString("MMSI #366232323"));
            else QCOMPARE(h.text("txtCG1"), QString("MMSI # 316123456"));
        }
        QCOMPARE(bySpace, byMouse);
    }

    void shortSpacePressOpensTheNatureList_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("holdMs");
        QTest::addColumn<bool>("repeating");
        for (const auto& [key, list] :
             {std::pair{"cmdDistress", "ComboMessage"}, std::pair{"cmdBCDistress", "comboBC"}})
            for (int ms : {100, 2500, 3900})
                for (bool repeating : {false, true})
                    QTest::addRow("%s %d ms%s", key, ms, repeating ? " auto-repeating" : "")
                        << QString(key) << QString(list) << ms << repeating;
    }
    // A short press of Space opens the key's Nature of Distress list with the focus in it, and
    // sends nothing: the same as a short click.
    void shortSpacePressOpensTheNatureList() {
        QFETCH(QString, key);
        QFETCH(QString, list);
        QFETCH(int, holdMs);
        QFETCH(bool, repeating);
        const QStringList byMouse = observeMouseHold(key, holdMs);
        QStringList bySpace;
        {
            Harness h;
            h.holdKey(key, Qt::Key_Space, holdMs, repeating ? 33 : 0);
            QVERIFY(h.visible(list));
            QCOMPARE(focusId(), list);
            h.advance(90000);
            QCOMPARE(h.text("txtCG6"), QString("Priority of Call"));
            QCOMPARE(h.playsOf("Burglar.wav"), 0);
            QCOMPARE(h.c().s.CallTypeDistress, QString());
            bySpace = observe(h);
        }
        QCOMPARE(bySpace, byMouse);
    }

    void autoRepeatDoesNotRestartTheCount_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("pairs");
        for (const char* key : {"cmdDistress", "cmdBCDistress"}) {
            QTest::addRow("%s, release and press", key) << QString(key) << true;
            QTest::addRow("%s, presses only", key) << QString(key) << false;
        }
    }
    // While Space is held, the keyboard repeats it (a release and a press both marked as repeats,
    // or presses alone, depending on the system). None of them is a new press: the count goes on
    // from the first press, one second a step, and ends on ":05" five seconds after it.
    void autoRepeatDoesNotRestartTheCount() {
        QFETCH(QString, key);
        QFETCH(bool, pairs);
        Harness h;
        h.find(key)->setFocus(Qt::TabFocusReason);
        const qint64 t0 = h.now();
        QStringList captions;
        for (int i = 0; i <= 5; ++i) h.at(t0 + 500 + 1000 * i, [&] { captions << h.text(key); });
        for (qint64 t = t0 + 100; t < t0 + 5400; t += 40)
            h.at(t, [&h, pairs] {
                if (pairs) h.keyUp(Qt::Key_Space, true);
                h.keyDown(Qt::Key_Space, true);
            });
        bool stillDown = false;
        h.at(t0 + 5450, [&] { stillDown = static_cast<QAbstractButton*>(h.find(key))->isDown(); });
        h.at(t0 + 5500, [&h] { h.keyUp(Qt::Key_Space); });
        h.keyDown(Qt::Key_Space);
        h.clock.advanceTo(t0 + 5500);
        QCOMPARE(captions, QStringList({":00", ":01 Seconds", ":02 Seconds", ":03 Seconds", ":04 Seconds", ":05"}));
        QVERIFY(stillDown);
        for (int i = 0; i < 5; ++i) QCOMPARE(h.sound.beeps.at(i), t0 + 1000 * (i + 1));
        QCOMPARE(h.text("txtCG6"), QString("Distress"));
    }
};

TRAINER_TEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"
