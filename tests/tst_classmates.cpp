// The window's stations meeting classmates' calls, on virtual time and without a broker: the
// calls are handed to the classmates' door as the classroom link hands them over.
#include "air/Air.h"
#include "calls/CallSequence.h"
#include "calls/OnAir.h"
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "stations/Classmates.h"

using dscwire::Message;
namespace code = dscwire::code;

namespace {

const QString kOwn = QStringLiteral("316123456");
const QString kMate = QStringLiteral("316000002");

struct Class {
    Harness h;
    explicit Class(bool instructor = false) {
        h.c().classmates = std::make_unique<Classmates>(h.c());
        mates().setInstructor(instructor);
        mates().setName(kMate, QStringLiteral("Wave Dancer"));
    }
    Classmates& mates() { return *h.c().classmates; }
    // A classmate's call: on the air, then to the stations, as the link delivers it.
    void receive(const Message& m) {
        h.c().air->transmit(m);
        mates().receive(m);
        h.advance(0);
    }
    const Message& lastOnAir() { return h.c().air->log().back().message; }
};

} // namespace

class TestClassmates : public QObject {
    Q_OBJECT
private slots:
    void distressAlertIsLoggedAndAlarmed() {
        Class k;
        const int beeps = k.h.beepCount();
        k.receive(Message::distressAlert(kMate, 100, dscwire::Position::of(1, 42, 21, 70, 55), QTime(12, 0)));
        QCOMPARE(k.h.items("lstReceived").mid(0, 5),
                 (QStringList{"MMSI# " + kMate, "Vessel: Wave Dancer", "Distress", "Fire", "Voice Channel 16"}));
        QCOMPARE(k.h.items("lstReceived").at(5), QStringLiteral("L42°21'N  Lo070°55'W"));
        QVERIFY(k.h.items("lstDistress").contains("Vessel: Wave Dancer"));
        QCOMPARE(k.h.playsOf("Burglar.wav"), 2);
        QVERIFY(k.h.beepCount() >= beeps + 4);  // a beep a second of the announcement
    }

    // A call to the own radio rings; "Unable to Comply" then a reason answers it on the air.
    void individualCallAnsweredUnableBusy() {
        Class k;
        k.receive(Message::individual(kOwn, code::kRoutine, kMate, 72));
        QCOMPARE(k.h.items("lstReceived"), (QStringList{"MMSI# " + kMate, "Vessel: Wave Dancer", "Routine",
                                                       "Voice Channel 72", QString(19, '_'), "Able to Comply",
                                                       "Unable to Comply"}));
        QCOMPARE(k.h.playsOf("Phone.wav"), 5);
        k.h.chooseItem("lstReceived", "Unable to Comply");
        QCOMPARE(k.h.items("lstReceived").first(), QStringLiteral("No Reason Given"));
        k.h.chooseItem("lstReceived", "Busy");
        const Message& answer = k.lastOnAir();
        QCOMPARE(answer.address, kMate);
        QCOMPARE(answer.selfId, kOwn);
        QCOMPARE(answer.command1, code::kUnableToComply);
        QCOMPARE(answer.command2, 102);
        QCOMPARE(answer.eos, code::kAcknowledgement);
        QCOMPARE(k.h.text("lblStatus"), QStringLiteral("Unable to Comply: Busy"));
    }

    // Position requests and polls to the own radio are answered at once, with its position.
    void requestsAreAnsweredAutomatically() {
        Class k;
        k.h.click("GPSOn");
        const QString position = k.h.text("lblLatLon");
        k.receive(Message::positionRequest(kOwn, kMate));
        QCOMPARE(k.lastOnAir().command1, code::kShipPosition);
        QCOMPARE(k.lastOnAir().eos, code::kAcknowledgement);
        QCOMPARE(k.lastOnAir().address, kMate);
        QCOMPARE(k.lastOnAir().position, calls::positionOnAir(position));
        k.receive(Message::polling(kOwn, kMate));
        QCOMPARE(k.lastOnAir().command1, code::kPolling);
        QCOMPARE(k.lastOnAir().address, kMate);
        // A call to someone else is not answered.
        const int before = int(k.h.c().air->log().size());
        k.receive(Message::polling(QStringLiteral("316999999"), kMate));
        QCOMPARE(int(k.h.c().air->log().size()), before + 1);
    }

    // The instructor's coast station acknowledges a classmate's alert; the alerting trainee's
    // radio, receiving it, ends its own alert as the coast station's acknowledgement does.
    void distressAcknowledgedThroughTheClass() {
        Class instructor(true);
        const Message alert = Message::distressAlert(kMate, 101, dscwire::Position::unknown(), QTime());
        instructor.receive(alert);
        QCOMPARE(instructor.h.text("txtCG1"), "MMSI # " + kMate);
        QCOMPARE(instructor.h.text("txtCG2"), QStringLiteral("Flooding"));
        instructor.h.click("cmdAcknowledge");
        const Message ack = instructor.lastOnAir();
        QCOMPARE(ack.command1, code::kDistressAck);
        QCOMPARE(ack.distressMmsi, kMate);
        QCOMPARE(ack.selfId, calls::kCoastGuardMMSI);
        // The instructor's own radio was not part of it.
        QVERIFY(instructor.h.text("lblStatus") != QLatin1String("Recv'd Distress Ack"));

        Class trainee;
        trainee.h.c().s.AcceptedMMSI = kMate;
        trainee.h.c().s.CallTypeDistress = QStringLiteral("Distress");
        trainee.h.c().TimerRepeat->setEnabled(true);
        trainee.receive(ack);
        QCOMPARE(trainee.h.text("lblStatus"), QStringLiteral("Recv'd Distress Ack"));
        QVERIFY(!trainee.h.c().TimerRepeat->isEnabled());
        QCOMPARE(trainee.h.text("lblChannel"), QStringLiteral("16"));
    }

    // On the instructor's trainer a classmate's call to the second vessel shows on its panel, and
    // the panel's own keys answer it to the class.
    void secondVesselAnswersAClassmate() {
        Class instructor(true);
        instructor.receive(Message::individual(calls::kBlueCraneMMSI, code::kRoutine, kMate, 72));
        QCOMPARE(instructor.h.text("txtBC1"), "MMSI # " + kMate);
        QCOMPARE(instructor.h.text("txtBC7"), QStringLiteral("Vessel: Wave Dancer"));
        instructor.h.click("cmdBCEnter");
        instructor.h.chooseItem("lstBC", "Unable to Comply");
        instructor.h.chooseItem("lstBC2", "Busy");
        instructor.h.click("cmdBCEnter");
        instructor.h.advance(12000);
        const Message& answer = instructor.lastOnAir();
        QCOMPARE(answer.selfId, calls::kBlueCraneMMSI);
        QCOMPARE(answer.address, kMate);
        QCOMPARE(answer.command1, code::kUnableToComply);
        QCOMPARE(answer.command2, 102);
    }
};

TRAINER_TEST_MAIN(TestClassmates)
#include "tst_classmates.moc"
