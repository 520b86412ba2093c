// An eight-hour classroom session on virtual time: the own distress alert repeating unacknowledged
// for the first hour, an alert of the second vessel every five minutes, and hundreds of calls of
// every kind answered from the second vessel's panel. The heap may grow only by the log lines the
// session adds.
#include "harness/Harness.h"
#include "harness/TestMain.h"

#include <malloc.h>
#if defined(__SANITIZE_ADDRESS__)
// From the AddressSanitizer runtime (g++ ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

size_t heapInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

constexpr qint64 kMinute = 60 * 1000;
constexpr qint64 kHour = 60 * kMinute;

int rowOf(Harness& h, const QString& list, const QString& startsWith) {
    const QStringList items = h.items(list);
    for (int i = 0; i < items.size(); ++i)
        if (items[i].startsWith(startsWith)) return i;
    return -1;
}

} // namespace

class SoakTest : public QObject {
    Q_OBJECT

    Harness* h = nullptr;
    int calls = 0;

    // A call chosen from the Call key, with the second vessel answering during the sequence.
    void call(int kind) {
        Harness& t = *h;
        const int blueCrane = rowOf(t, "lstDirectory", "The Blue Crane");
        t.click("cmdCall");
        switch (kind % 6) {
        case 0: // routine call, answered "Able to Comply" during the closing wait
            t.chooseItem("lstCall", "Routine");
            t.chooseItem("lstDirectory", blueCrane);
            t.after(9500, [&t] {
                t.click("cmdBCEnter");
                if (t.items("lstBC").contains("Able to Comply")) t.chooseItem("lstBC", "Able to Comply");
            });
            break;
        case 1: // urgency and safety in one press
            t.chooseItem("lstCall", "Urgency");
            t.chooseItem("lstCall", "Safety");
            break;
        case 2: // group "#3", joined by the vessel
            t.chooseItem("lstCall", "Group");
            t.chooseItem("lstGroup", 7);
            t.after(6000, [&t] { t.click("cmdBCEnter"); });
            break;
        case 3: // position request, answered after it
            t.chooseItem("lstCall", "Request Position");
            t.chooseItem("lstDirectory", blueCrane);
            break;
        case 4: // polling
            t.chooseItem("lstCall", "Polling");
            t.chooseItem("lstDirectory", blueCrane);
            break;
        case 5: // all ships, and a routine call the vessel cannot take
            t.chooseItem("lstCall", "All Ships");
            break;
        }
        t.click("cmdEnter");
        if (kind % 6 == 3 || kind % 6 == 4) t.click("cmdBCEnter");
        t.click("cmdBCClear");
        ++calls;
    }

private slots:
    void eightHourSession() {
        Harness t;
        h = &t;
        const int startLines = t.items("lstDistress").size();
        int ownAlerts = 0;
        int vesselAlerts = 0;
        size_t heapAfterFirstHour = 0;
        int linesAfterFirstHour = 0;
        auto countOwnAlerts = [&] {
            int n = 0;
            for (const auto& p : t.sound.plays) n += p.file == "Burglar.wav";
            return n;
        };

        // First hour: the own alert, never acknowledged, and the vessel's alerts every five minutes.
        t.chooseCombo("ComboMessage", "Fire");
        t.hold("cmdDistress", 5500);
        for (qint64 slot = 0; slot < 12; ++slot) {
            t.clock.advanceTo(slot * 5 * kMinute + 2 * kMinute);
            t.hold("cmdBCDistress", 5500);
            ++vesselAlerts;
        }
        t.clock.advanceTo(kHour);
        // A vessel's alert plays the alarm twice; an own alert plays it in pairs for three seconds.
        const int len = t.sound.lengthsMs["Burglar.wav"];
        const int perOwnAlert = 2 * ((3000 + 2 * len - 1) / (2 * len));
        ownAlerts = (countOwnAlerts() - 2 * vesselAlerts) / perOwnAlert;
        QVERIFY2(ownAlerts >= 55, qPrintable(QString::number(ownAlerts)));
        QCOMPARE(t.c().s.CallTypeDistress, QString("Distress"));
        t.click("cmdAcknowledge");
        t.click("cmdClear");

        for (int hour = 1; hour < 8; ++hour) {
            // The doubles' own records are not the trainer's memory.
            t.sound.plays.clear();
            t.sound.plays.shrink_to_fit();
            t.sound.beeps.clear();
            t.sound.beeps.shrink_to_fit();
            t.messages.shown.clear();
            t.messages.shown.shrink_to_fit();
            if (hour == 2) {
                heapAfterFirstHour = heapInUse();
                linesAfterFirstHour = t.items("lstDistress").size();
            }
            for (qint64 slot = 0; slot < 12; ++slot) {
                const qint64 slotStart = hour * kHour + slot * 5 * kMinute;
                t.clock.advanceTo(slotStart);
                t.hold("cmdBCDistress", 5500);
                ++vesselAlerts;
                t.advance(kMinute);
                t.click("cmdAcknowledge");
                t.click("CGClear");
                for (int i = 0; i < 4; ++i) call(static_cast<int>(slot) * 4 + i);
                QVERIFY2(t.now() < slotStart + 5 * kMinute, "a slot's calls overran five minutes");
            }
        }
        t.clock.advanceTo(8 * kHour);

        const int lines = t.items("lstDistress").size();
        QCOMPARE(lines, startLines + 8 * vesselAlerts);
        const qint64 growth = static_cast<qint64>(heapInUse()) - static_cast<qint64>(heapAfterFirstHour);
        const int newLines = lines - linesAfterFirstHour;
        // A log line costs its list item and its text: well under 1 KiB each; allow 256 KiB for
        // caches that fill once (fonts, glyphs, pixmaps).
        const qint64 allowance = newLines * 1024 + 256 * 1024;
        qInfo("soak: 8 simulated hours, %d own alerts, %d vessel alerts, %d calls; heap grew %lld bytes over "
              "hours 2-8 for %d new log lines (allowed %lld)",
              ownAlerts, vesselAlerts, calls, growth, newLines, allowance);
        QVERIFY(calls >= 300);
        QVERIFY2(growth <= allowance, qPrintable(QString::number(growth)));
        h = nullptr;
    }
};

TRAINER_TEST_MAIN(SoakTest)
#include "tst_soak.moc"
