// The DSC calls other than distress: the common transmit sequence as each call plays it, what
// each call delivers to the two stations, and the radio's state afterwards.
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "platform/Controls.h"
#include "radio/ChannelSelector.h"

#include <QScrollBar>

namespace {

const QString kBlueCraneLine = QStringLiteral("The Blue Crane            366232323");
const QString kCoastGuardLine = QStringLiteral("Boston Coast Guard    003669927");
const QString kVoxLine = QStringLiteral("Vox's Sweetness        367010203");
const QString kMmsiLine = QStringLiteral("MMSI # 316123456");
const QStringList kDesignedCG{"MMSI#", "Vessel's Name", "Nature of Call", "Voice to Use", "Position", "Date/Time",
                              "Priority of Call"};
const QStringList kDesignedBC{"MMSI#",    "Nature of Call", "Voice Channel to Use", "Position",
                              "Date Time", "Priority",       "Messages"};

QStringList coastGuardFields(Harness& h) {
    QStringList out;
    for (const char* n : {"txtCG1", "CGVesselName", "txtCG2", "txtCG3", "txtCG4", "txtCG5", "txtCG6"}) out << h.text(n);
    return out;
}
QStringList vesselFields(Harness& h) {
    QStringList out;
    for (const char* n : {"txtBC1", "txtBC2", "txtBC3", "txtBC4", "txtBC5", "txtBC6", "txtBC7"}) out << h.text(n);
    return out;
}

// How the call is addressed: "dir:<line>", "typed:<mmsi>", "group:<row>" or nothing.
void address(Harness& h, const QString& how) {
    if (how.startsWith("dir:")) h.chooseItem("lstDirectory", how.mid(4));
    else if (how.startsWith("typed:")) h.type("txtDirectory", how.mid(6));
    else if (how.startsWith("group:")) h.chooseItem("lstGroup", how.mid(6).toInt());
}

// Call key, the call types in order, the addressee; Enter is left to the caller.
void compose(Harness& h, const QStringList& types, const QString& how = {}) {
    h.click("cmdCall");
    for (const QString& t : types) h.chooseItem("lstCall", t);
    address(h, how);
}

// Every paint of the channel number, with the channel it showed.
struct PaintLog : QObject {
    struct Paint {
        qint64 at;
        QString channel;
    };
    Harness& h;
    std::vector<Paint> paints;
    explicit PaintLog(Harness& harness) : h(harness) {
        // Painting needs a window on screen (the offscreen one).
        if (!QTest::qWaitForWindowExposed(h.window())) qWarning("window not exposed");
        h.advance(0); // and nothing pending from before
        qApp->installEventFilter(this);
    }
    ~PaintLog() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o == h.ui().lblChannel && e->type() == QEvent::Paint) paints.push_back({h.now(), h.text("lblChannel")});
        return false;
    }
    bool showedAtOrBefore(const QString& channel, qint64 tick) const {
        for (const Paint& p : paints)
            if (p.at <= tick && p.channel == channel) return true;
        return false;
    }
};

struct Sample {
    QColor cg, bc;
    QString channel, status;
    bool tx;
};

} // namespace

class CallsTest : public QObject {
    Q_OBJECT
private slots:
    // The common sequence as each call plays it, from the start display to the radio's state
    // right after the call.
    void sequence_data() {
        QTest::addColumn<QStringList>("types");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("from");
        QTest::addColumn<bool>("late");          // sent after the Enter key's closing wait
        QTest::addColumn<QString>("startStatus");
        QTest::addColumn<QString>("cue");
        QTest::addColumn<int>("times");
        QTest::addColumn<bool>("repaint");       // start display painted before the cue
        QTest::addColumn<bool>("beep");          // beep before the cue
        QTest::addColumn<QString>("flashing");   // "CG BC", "BC", "CG" or ""
        QTest::addColumn<int>("pauseMs");        // 0: no pause (the group call)
        QTest::addColumn<QString>("statusAfter"); // "*" = the channel's own use text
        QTest::addColumn<QString>("channelAfter");
        QTest::addColumn<bool>("repeat");        // TimerRepeat switched on

        QTest::newRow("Urgency on 16") << QStringList{"Urgency"} << "" << "16" << false << "Sending Urgency"
                                       << "Burglar.wav" << 2 << false << true << "CG BC" << 3000
                                       << "Waiting for Urgency Ack" << "16" << true;
        QTest::newRow("Urgency from 68") << QStringList{"Urgency"} << "" << "68" << false << "Sending Urgency"
                                         << "Burglar.wav" << 2 << false << true << "CG BC" << 3000
                                         << "Calling and Emergency" << "16" << true;
        QTest::newRow("Safety on 16") << QStringList{"Safety"} << "" << "16" << false << "Sending Safety Call"
                                      << "Boing.wav" << 1 << true << true << "CG BC" << 1000
                                      << "Sending Safety Call" << "16" << true;
        QTest::newRow("Safety from 68") << QStringList{"Safety"} << "" << "68" << false << "Sending Safety Call"
                                        << "Boing.wav" << 1 << true << true << "CG BC" << 1000
                                        << "Calling and Emergency" << "16" << true;
        QTest::newRow("All Ships from 68") << QStringList{"All Ships"} << "" << "68" << true << "Sending All Ships"
                                           << "Boing.wav" << 1 << true << true << "BC" << 1000 << "*" << "68"
                                           << true;
        QTest::newRow("Routine to The Blue Crane")
            << QStringList{"Routine"} << "dir:" + kBlueCraneLine << "68" << false << "Sending Routine Call"
            << "Phone.wav" << 5 << true << true << "BC" << 1000 << "Routine Call Transmitted" << "68" << true;
        QTest::newRow("Routine to the Coast Guard")
            << QStringList{"Routine"} << "dir:" + kCoastGuardLine << "68" << false << "Sending Routine Call"
            << "Phone.wav" << 5 << true << true << "CG" << 1000 << "Routine Call Transmitted" << "68" << true;
        QTest::newRow("Routine to another vessel")
            << QStringList{"Routine"} << "dir:" + kVoxLine << "68" << false << "Sending Routine Call" << "Phone.wav"
            << 5 << true << true << "" << 1000 << "Routine Call Transmitted" << "68" << true;
        QTest::newRow("Position request to The Blue Crane")
            << QStringList{"Request Position"} << "dir:" + kBlueCraneLine << "68" << true << "Position Request"
            << "Phone.wav" << 10 << true << true << "BC" << 1000 << "*" << "68" << true;
        QTest::newRow("Polling to The Blue Crane")
            << QStringList{"Polling"} << "dir:" + kBlueCraneLine << "68" << true << "TX Polling Request"
            << "Phone.wav" << 10 << true << true << "BC" << 1000 << "*" << "68" << true;
        QTest::newRow("Polling with no addressee")
            << QStringList{"Polling"} << "" << "68" << true << "TX Polling Request" << "Phone.wav" << 10 << true
            << true << "" << 1000 << "*" << "68" << true;
        QTest::newRow("Group #3") << QStringList{"Group"} << "group:7" << "68" << false << "TX Group Call"
                                  << "Phone.wav" << 10 << false << false << "BC" << 0 << "" << "" << false;
        QTest::newRow("Group #1") << QStringList{"Group"} << "group:0" << "68" << false << "TX Group Call"
                                  << "Phone.wav" << 10 << false << false << "" << 0 << "" << "" << false;
    }
    void sequence() {
        QFETCH(QStringList, types);
        QFETCH(QString, to);
        QFETCH(QString, from);
        QFETCH(bool, late);
        QFETCH(QString, startStatus);
        QFETCH(QString, cue);
        QFETCH(int, times);
        QFETCH(bool, repaint);
        QFETCH(bool, beep);
        QFETCH(QString, flashing);
        QFETCH(int, pauseMs);
        QFETCH(QString, statusAfter);
        QFETCH(QString, channelAfter);
        QFETCH(bool, repeat);

        Harness h;
        QVERIFY(h.tuneTo(from));
        if (statusAfter == "*") statusAfter = h.text("lblStatus");
        compose(h, types, to);
        h.advance(0); // everything composed is on screen
        PaintLog log(h);

        const qint64 t0 = h.now();
        const qint64 cueStart = t0 + (late ? 5000 : 0);
        const qint64 waitStart = cueStart + qint64(h.sound.lengthOf(cue)) * times;
        std::vector<Sample> samples;
        for (int k = 0; k < 4; ++k)
            h.at(waitStart + 1500 + 1000 * k, [&] {
                samples.push_back({h.back("txtCG1"), h.back("txtBC1"), h.text("lblChannel"), h.text("lblStatus"),
                                   h.visible("lblTX")});
            });
        // Scheduled inside the pause: it can only run once the pause is over.
        qint64 ranAt = -1;
        QString statusThen, channelThen;
        bool txThen = true;
        if (pauseMs > 0)
            h.at(waitStart + 5000 + 100, [&] {
                ranAt = h.now();
                statusThen = h.text("lblStatus");
                channelThen = h.text("lblChannel");
                txThen = h.visible("lblTX");
            });

        h.click("cmdEnter");
        h.advance(0);

        // The cue, played the given number of times from its start, and nothing else meanwhile.
        std::vector<platform::FakeSound::Play> cuePlays;
        for (const auto& p : h.sound.plays)
            if (p.startMs >= cueStart && p.startMs < waitStart) cuePlays.push_back(p);
        QCOMPARE(int(cuePlays.size()), times);
        for (const auto& p : cuePlays) QCOMPARE(p.file, cue);
        QCOMPARE(cuePlays.front().startMs, cueStart);
        QCOMPARE(std::count(h.sound.beeps.begin(), h.sound.beeps.end(), cueStart) > 0, beep);

        // Forced repaint: the window showed "70" before the cue began; otherwise only later.
        QCOMPARE(log.showedAtOrBefore("70", cueStart), repaint);
        QVERIFY(log.showedAtOrBefore("70", waitStart + 1500)); // on screen once events run

        // The wait: the start display, and the flashing boxes one step a second.
        QCOMPARE(int(samples.size()), 4);
        const QColor window = ctl::windowColor();
        for (int k = 0; k < 4; ++k) {
            const QColor flash = k % 2 == 0 ? ctl::kRed : ctl::kYellow;
            QCOMPARE(samples[k].channel, QString("70"));
            QVERIFY(samples[k].tx);
            QCOMPARE(samples[k].status, startStatus);
            QCOMPARE(samples[k].cg, flashing.contains("CG") ? flash : window);
            QCOMPARE(samples[k].bc, flashing.contains("BC") ? flash : window);
        }

        if (pauseMs > 0) {
            // The pause took its length and ran no events; the call has ended when they run again.
            QCOMPARE(ranAt, waitStart + 5000 + pauseMs);
            QVERIFY(!txThen);
            QCOMPARE(statusThen, statusAfter);
            QCOMPARE(channelThen, channelAfter);
            QCOMPARE(std::count(h.sound.beeps.begin(), h.sound.beeps.end(), waitStart + 5000 + pauseMs), 1L);
        }
        QCOMPARE(h.c().TimerRepeat->isEnabled(), repeat);
        if (repeat) QCOMPARE(h.c().TimerRepeat->interval(), 60000);
    }

    // What each call writes into the Coast Guard display and the second vessel's panel.
    void delivery_data() {
        QTest::addColumn<QStringList>("types");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QStringList>("cg");
        QTest::addColumn<QStringList>("bc");
        const QString pos = "L42°47.3'N  Lo070°21.0'W";
        const QString time = "12-06-2026 14:30";
        const QString kelpo = "Vessel: Kelpo";

        QTest::newRow("Urgency from 68")
            << QStringList{"Urgency"} << "" << "68"
            << QStringList{kMmsiLine, kelpo, "Fire", "Voice Channel 68", pos, time, "Urgency"}
            << QStringList{kMmsiLine, "Fire", "Voice Channel 16", pos, time, "Urgency", kelpo};
        QTest::newRow("Urgency from 20A")
            << QStringList{"Urgency"} << "" << "20A"
            << QStringList{kMmsiLine, kelpo, "Fire", "Voice Channel 20", pos, time, "Urgency"}
            << QStringList{kMmsiLine, "Fire", "Voice Channel 16", pos, time, "Urgency", kelpo};
        QTest::newRow("Safety from 68")
            << QStringList{"Safety"} << "" << "68"
            << QStringList{kMmsiLine, kelpo, "All Ships", "Voice Channel 16", pos, time, "Safety"}
            << QStringList{kMmsiLine, "All Ships", "Voice Channel 16", pos, time, "Safety", kelpo};
        QTest::newRow("All Ships from 22A")
            << QStringList{"All Ships"} << "" << "22A" << kDesignedCG
            << QStringList{kMmsiLine, "All Ships", "Voice Channel 22A", pos, time, "", kelpo};
        QTest::newRow("Routine to The Blue Crane from 22A")
            << QStringList{"Routine"} << "dir:" + kBlueCraneLine << "22A" << kDesignedCG
            << QStringList{kMmsiLine, "Routine", "Voice Channel 22A", pos, time, "", kelpo};
        QTest::newRow("Routine to the Coast Guard")
            << QStringList{"Routine"} << "dir:" + kCoastGuardLine << "68"
            << QStringList{kMmsiLine, kelpo, "", "Voice Channel 68", pos, time, "Routine"} << kDesignedBC;
        QTest::newRow("Routine to 003669999 typed")
            << QStringList{"Routine"} << "typed:003669999" << "68"
            << QStringList{kMmsiLine, kelpo, "", "Voice Channel 68", pos, time, "Routine"} << kDesignedBC;
        QTest::newRow("Routine to another vessel")
            << QStringList{"Routine"} << "dir:" + kVoxLine << "68" << kDesignedCG << kDesignedBC;
        QTest::newRow("Routine to a short typed number")
            << QStringList{"Routine"} << "typed:3662" << "68" << kDesignedCG << kDesignedBC;
        QTest::newRow("Position request to The Blue Crane")
            << QStringList{"Request Position"} << "dir:" + kBlueCraneLine << "68" << kDesignedCG
            << QStringList{kMmsiLine, "Position Request", "Voice Channel 68", "", time, "", kelpo};
        QTest::newRow("Polling to The Blue Crane")
            << QStringList{"Polling"} << "typed:366232323" << "68" << kDesignedCG
            << QStringList{kMmsiLine, "Polling Request", "Voice Channel 68", "", time, "", kelpo};
        QTest::newRow("Group #3") << QStringList{"Group"} << "group:7" << "68" << kDesignedCG
                                  << QStringList{"316123456", "", "Voice Channel 68", pos, time, "Group Call", kelpo};
        QTest::newRow("Group line of The Blue Crane")
            << QStringList{"Group"} << "group:9" << "68" << kDesignedCG << kDesignedBC;
    }
    void delivery() {
        QFETCH(QStringList, types);
        QFETCH(QString, to);
        QFETCH(QString, from);
        QFETCH(QStringList, cg);
        QFETCH(QStringList, bc);
        Harness h;
        h.c().s.DistressNature = "Fire";
        ctl::setText(h.ui().txtTime, "14:30");
        h.ui().lblLatLon->setText("L42°47.3'N  Lo070°21.0'W");
        QVERIFY(h.tuneTo(from));
        compose(h, types, to);
        h.click("cmdEnter");
        QCOMPARE(coastGuardFields(h), cg);
        QCOMPARE(vesselFields(h), bc);
    }

    // Where the radio is after the call: channel 16 or the working channel, redrawn.
    void channelAfterwards_data() {
        QTest::addColumn<QStringList>("types");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("knob");
        QTest::addColumn<QString>("status");
        QTest::newRow("Urgency") << QStringList{"Urgency"} << "" << "68" << 16 << "Calling and Emergency";
        QTest::newRow("Safety") << QStringList{"Safety"} << "" << "68" << 16 << "Calling and Emergency";
        QTest::newRow("Routine") << QStringList{"Routine"} << "dir:" + kVoxLine << "22A" << 22
                                 << "Routine Call Transmitted";
        QTest::newRow("All Ships") << QStringList{"All Ships"} << "" << "22A" << 22 << "*";
        QTest::newRow("Polling") << QStringList{"Polling"} << "dir:" + kVoxLine << "22A" << 22 << "*";
    }
    void channelAfterwards() {
        QFETCH(QStringList, types);
        QFETCH(QString, to);
        QFETCH(QString, from);
        QFETCH(int, knob);
        QFETCH(QString, status);
        Harness h;
        QVERIFY(h.tuneTo(from));
        if (status == "*") status = h.text("lblStatus");
        compose(h, types, to);
        h.click("cmdEnter");
        QCOMPARE(h.ui().ScrollChannel->value(), knob);
        QCOMPARE(h.text("lblStatus"), status);
        QVERIFY(!h.visible("lblTX"));
        QVERIFY(h.visible("lblStatus"));
        if (knob == 16) QCOMPARE(h.designator(), QString("16"));
        else QCOMPARE(h.designator(), from);
    }

    // Urgency and Safety reach channel 16 from weather mode by leaving weather mode first.
    void channel16FromWeatherMode_data() {
        QTest::addColumn<QString>("type");
        QTest::newRow("Urgency") << "Urgency";
        QTest::newRow("Safety") << "Safety";
    }
    void channel16FromWeatherMode() {
        QFETCH(QString, type);
        Harness h;
        compose(h, {type});
        h.click("cmdCHWX"); // weather mode after the call was chosen
        QCOMPARE(h.c().s.ChWxMode, QString("WX"));
        h.click("cmdEnter");
        QCOMPARE(h.c().s.ChWxMode, QString("CH"));
        QCOMPARE(h.ui().ScrollChannel->maximum(), 88);
        QCOMPARE(h.ui().ScrollChannel->value(), 16);
        QCOMPARE(h.text("lblChannel"), QString("16"));
        QCOMPARE(h.fore("lblChannel"), ctl::kBlack);
        QVERIFY(h.visible("lblPower"));
        // Back in channel mode, the knob walks the marine channels again.
        h.ui().ScrollChannel->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(h.text("lblChannel"), QString("17"));
    }

    // A call chosen and then sent in weather mode uses the marine channel the radio left, and the
    // radio ends it on a marine channel.
    void callFromWeatherModeUsesTheMarineChannel_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("voice");
        QTest::addColumn<QString>("endChannel");
        QTest::newRow("Urgency") << "Urgency" << "" << "txtCG3" << "Voice Channel 22" << "16";
        QTest::newRow("Routine") << "Routine" << "dir:" + kBlueCraneLine << "txtBC3" << "Voice Channel 22A" << "22";
    }
    void callFromWeatherModeUsesTheMarineChannel() {
        QFETCH(QString, type);
        QFETCH(QString, how);
        QFETCH(QString, field);
        QFETCH(QString, voice);
        QFETCH(QString, endChannel);
        Harness h;
        h.c().channel->setKnob(22);
        compose(h, {type}, how);
        h.click("cmdCHWX");
        h.click("cmdEnter");
        QCOMPARE(h.text(field), voice);
        QCOMPARE(h.c().s.ChWxMode, QString("CH"));
        QCOMPARE(h.text("lblChannel"), endChannel);
        QCOMPARE(h.fore("lblChannel"), ctl::kBlack);
    }

    // Input given during the pause is handled only after it: a Clear on the Coast Guard display
    // clicked in the pause finds the call already delivered and empties it.
    void pauseTakesNoInput_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("cueMs");
        QTest::addColumn<int>("pauseMs");
        QTest::newRow("Urgency, 3 s") << "Urgency" << 1400 << 3000;
        QTest::newRow("Safety, 1 s") << "Safety" << 600 << 1000;
    }
    void pauseTakesNoInput() {
        QFETCH(QString, type);
        QFETCH(int, cueMs);
        QFETCH(int, pauseMs);
        Harness h;
        compose(h, {type});
        const qint64 pauseStart = h.now() + cueMs + 5000;
        qint64 clearedAt = -1;
        QObject::connect(h.ui().CGClear, &QAbstractButton::clicked, [&] { clearedAt = h.now(); });
        h.at(pauseStart + pauseMs / 2, [&] { h.click("CGClear"); });
        h.click("cmdEnter");
        QCOMPARE(clearedAt, pauseStart + pauseMs);
        QCOMPARE(coastGuardFields(h), kDesignedCG);
        QCOMPARE(h.back("txtCG1"), ctl::windowColor());
        QCOMPARE(h.text("txtBC6"), type); // the panel got the call
    }

    // Coast Guard stations take neither position requests nor polling: one box a second while
    // the boxes are dismissed at once, the last one when a box stays open past the period.
    void coastGuardRefusals_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("dismissAfterMs");
        QTest::addColumn<int>("boxes");
        QTest::addColumn<QString>("text");
        const QString pos = "Coast Guard Stations do not send Position Reports";
        const QString poll = "Coast Guard Stations do not accept Polling Requests";
        QTest::newRow("position, dismissed at once") << "Request Position" << "dir:" + kCoastGuardLine << 0 << 4 << pos;
        QTest::newRow("position, box open 1.5 s") << "Request Position" << "dir:" + kCoastGuardLine << 1500 << 2 << pos;
        QTest::newRow("position, box open past the period")
            << "Request Position" << "dir:" + kCoastGuardLine << 6000 << 1 << pos;
        QTest::newRow("polling 003669999, dismissed at once") << "Polling" << "typed:003669999" << 0 << 4 << poll;
        QTest::newRow("polling 003669927, box open past the period")
            << "Polling" << "typed:003669927" << 4500 << 1 << poll;
    }
    void coastGuardRefusals() {
        QFETCH(QString, type);
        QFETCH(QString, to);
        QFETCH(int, dismissAfterMs);
        QFETCH(int, boxes);
        QFETCH(QString, text);
        Harness h;
        QVERIFY(h.tuneTo("68"));
        const QString channelStatus = h.text("lblStatus");
        compose(h, {type}, to);
        h.messages.dismissAfterMs = dismissAfterMs;
        const qint64 waitStart = h.now() + 5000 + 10 * 500; // closing wait, then ten rings
        h.click("cmdEnter");
        QCOMPARE(int(h.messages.shown.size()), boxes);
        for (int k = 0; k < boxes; ++k) {
            QCOMPARE(h.messages.shown[k].text, text);
            QCOMPARE(h.messages.shown[k].atMs, waitStart + 1000 + k * (1000 + dismissAfterMs));
        }
        // The rest of the call still runs; the Coast Guard display stays as it was.
        QCOMPARE(coastGuardFields(h), kDesignedCG);
        QCOMPARE(vesselFields(h), kDesignedBC);
        QCOMPARE(h.back("txtCG1"), ctl::windowColor());
        QCOMPARE(h.text("lblStatus"), channelStatus);
        QCOMPARE(h.designator(), QString("68"));
        QVERIFY(h.c().TimerRepeat->isEnabled());
    }

    // A routine call to the Coast Guard, acknowledged there: the coast station's answer and the
    // radio's reply alarm.
    void routineCallAcknowledgedByTheCoastGuard() {
        Harness h;
        compose(h, {"Routine"}, "dir:" + kCoastGuardLine);
        h.click("cmdEnter");
        QCOMPARE(h.text("lblStatus"), QString("Routine Call Transmitted"));
        QCOMPARE(h.text("txtCG6"), QString("Routine"));
        const int beepsBefore = h.beepCount();
        std::vector<QColor> flashes;
        h.after(1500, [&] { flashes.push_back(h.back("lblStatus")); });
        h.after(2500, [&] { flashes.push_back(h.back("lblStatus")); });
        const qint64 t = h.now();
        h.click("cmdAcknowledge");
        QCOMPARE(h.text("lblStatus"), QString("Boston Coast Guard Ack"));
        QCOMPARE(h.now() - t, 10000);
        QVERIFY(h.beepCount() - beepsBefore >= 9);
        QCOMPARE(flashes, (std::vector<QColor>{ctl::kRed, ctl::kYellow}));
        QCOMPARE(h.back("lblStatus"), ctl::kDisplay);
        QCOMPARE(h.c().s.CallTypeRoutine, QString());
    }

    // The group call "#3": the own MMSI bare in the panel's MMSI box, which flashes in the Enter
    // key's closing wait; the repeat timer stays off.
    void groupCallFlashesInTheClosingWait() {
        Harness h;
        compose(h, {"Group"}, "group:7");
        std::vector<QColor> bc;
        const qint64 waitStart = h.now() + 10 * 500;
        for (int k = 0; k < 4; ++k) h.at(waitStart + 1500 + 1000 * k, [&] { bc.push_back(h.back("txtBC1")); });
        h.click("cmdEnter");
        QCOMPARE(h.now(), waitStart + 5000); // no pause of its own
        QCOMPARE(bc, (std::vector<QColor>{ctl::kRed, ctl::kYellow, ctl::kRed, ctl::kYellow}));
        QCOMPARE(h.text("txtBC1"), QString("316123456"));
        QVERIFY(!h.c().TimerRepeat->isEnabled());
        QVERIFY(!h.visible("lblTX"));
        QVERIFY(!h.visible("lstGroup"));
        QCOMPARE(h.text("lblStatus"), QString("Calling and Emergency"));
    }

    // During a routine call to The Blue Crane its MMSI box shows the caller from the first second
    // on, even when the panel was cleared before.
    void routineWritesTheCallerIntoAClearedPanel() {
        Harness h;
        h.click("cmdBCClear");
        compose(h, {"Routine"}, "dir:" + kBlueCraneLine);
        QString atFirstStep;
        h.after(500 * 5 + 1100, [&] { atFirstStep = h.text("txtBC1"); });
        h.click("cmdEnter");
        QCOMPARE(atFirstStep, kMmsiLine);
    }

    // The MMSI line is built from the own MMSI the check accepted, not from what the field holds.
    void mmsiLineCarriesTheAcceptedMmsi() {
        Harness h;
        ctl::setText(h.ui().txtMMSI, "");
        compose(h, {"Safety"});
        h.click("cmdEnter");
        QCOMPARE(h.text("txtCG1"), kMmsiLine);
        QCOMPARE(h.text("txtBC1"), kMmsiLine);
    }

    // The call time with the GPS on: local time moved on by the differential.
    void callTimeWithGps() {
        Harness h;
        h.click("GPSOn");
        ctl::setText(h.ui().txtUTC, "4.5");
        compose(h, {"Urgency"});
        const QDateTime expected = h.clock.now().addMSecs((4 * 3600 + 1800) * 1000 + 1400 + 5000 + 3000);
        h.click("cmdEnter");
        QCOMPARE(h.text("txtCG5"), QLocale::system().toString(expected, QLocale::ShortFormat));
        QCOMPARE(h.text("txtBC5"), h.text("txtCG5"));
    }
};

TRAINER_TEST_MAIN(CallsTest)
#include "tst_calls.moc"
