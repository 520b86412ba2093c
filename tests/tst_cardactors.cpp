// The model stations' part of exam cards: The Blue Crane's distress alert on a card of a distress
// alert received, and the coast station reading out a card's dictation.
#include "air/Air.h"
#include "app/ExamActors.h"
#include "exam/Draw.h"
#include "exam/Random.h"
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "stations/StationVoices.h"

#include <QRegularExpression>

namespace {

// A card of the shipped bank, its slots filled.
exam::DrawnCard drawn(const QString& id) {
    const auto bank = exam::loadShippedCards();
    if (!bank.ok()) qFatal("%s", qPrintable(bank.error()));
    for (const exam::Card& card : bank.value())
        if (card.id == id) {
            exam::Random random(7);
            return {1, card, exam::fill(card, random), QStringLiteral("test"), true, 1};
        }
    qFatal("no card %s", qPrintable(id));
}

} // namespace

class CardActorsTest : public QObject {
    Q_OBJECT
private slots:
    void blueCraneSendsHerAlert() {
        Harness h;
        actOnExamCard(h.c(), drawn(QStringLiteral("received-blue-crane")), 1);
        h.advance(15000);
        const auto& log = h.c().air->log();
        const auto alert = std::find_if(log.begin(), log.end(), [](const air::Transmission& t) {
            return t.message.selfId == QLatin1String("366232323") && t.message.format == dscwire::code::kDistress;
        });
        QVERIFY(alert != log.end());
        QVERIFY(alert->toOwnRadio);
        QCOMPARE(alert->message.nature, *dscwire::natureFromText(QStringLiteral("Fire")));
        QCOMPARE(h.text("lblStatus"), QString("Waiting for Ack"));
    }

    void coastStationReadsTheDictation() {
        Harness h;
        const exam::DrawnCard card = drawn(QStringLiteral("dictation-mayday"));
        actOnExamCard(h.c(), card, 1);
        h.c().stationVoices->waitIdle();
        const auto& log = h.c().air->voiceLog();
        QCOMPARE(log.size(), size_t(1));
        QCOMPARE(log[0].fromName, QString("Boston Coast Guard"));
        QCOMPARE(log[0].channel, QString("16"));
        QVERIFY(log[0].heardByOwnRadio);
        QVERIFY(log[0].durationMs() > 10000);
        // The vessel's name and call sign spelled, every figure said in words.
        const QString vessel = card.filled.values.value(QStringLiteral("vessel")).toLower();
        QVERIFY2(log[0].words.contains(vessel + QStringLiteral(" i spell ")), qPrintable(log[0].words));
        QCOMPARE(log[0].words.count(QStringLiteral(" i spell ")), 2);
        QVERIFY2(!log[0].words.contains(QRegularExpression(QStringLiteral("\\d"))), qPrintable(log[0].words));
    }
};

TRAINER_TEST_MAIN(CardActorsTest)
#include "tst_cardactors.moc"
