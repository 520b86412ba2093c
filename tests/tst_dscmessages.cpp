// The DSC message window: every message of the run as the own radio saw it, its burst played
// without holding anything up and saved as a WAV file that decodes back to the message, and new
// messages shown as they go on the air. VHF_DSC_SCREENSHOT=file.png saves a picture of the window.
#include "air/Air.h"
#include "dscwire/Wav.h"
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "screens/DscMessages.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

namespace {

// The own radio calls The Blue Crane, which answers Able to Comply in the Enter key's closing wait.
void routineCallAnswered(Harness& h) {
    h.after(5 * 500 + 5000 + 1000 + 500, [&h] {
        h.click("cmdBCEnter");
        h.chooseItem("lstBC", "Able to Comply");
    });
    h.click("cmdCall");
    h.chooseItem("lstCall", "Routine");
    h.chooseItem("lstDirectory", "The Blue Crane            366232323");
    h.click("cmdEnter");
}

screens::DscMessagesWindow& window(Harness& h) {
    if (!h.c().dscMessages->window()) qFatal("the DSC message window was never opened");
    return *h.c().dscMessages->window();
}

// Time, direction, from, to, words and symbols of a row.
QStringList row(Harness& h, int r) {
    QStringList cells;
    for (int col = DscMessages::Time; col <= DscMessages::Symbols; ++col) cells << window(h).list->item(r, col)->text();
    return cells;
}

// The message the symbols of a row stand for.
dscwire::Message readSymbols(const QString& line) {
    QList<int> symbols;
    for (const QString& s : line.split(QLatin1Char(' '))) symbols << s.toInt();
    const auto m = dscwire::fromSymbols(symbols);
    if (!m.ok()) qFatal("%s", qPrintable(m.error()));
    return m.value();
}

} // namespace

class DscMessagesTest : public QObject {
    Q_OBJECT
private slots:
    void listsTheCallAndItsAnswer_data() {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("F2") << true;
        QTest::newRow("DSC Messages button") << false;
    }
    void listsTheCallAndItsAnswer() {
        QFETCH(bool, byKey);
        Harness h;
        routineCallAnswered(h);
        QVERIFY(!h.c().dscMessages->window());
        if (byKey) h.keyDown(Qt::Key_F2);
        else h.click("cmdDscMessages");
        QCOMPARE(h.find("frmDscMessages"), &window(h));
        QVERIFY(window(h).isVisible());
        QCOMPARE(window(h).windowTitle(), QString("DSC Messages"));
        QCOMPARE(window(h).list->rowCount(), 2);
        const auto& log = h.c().air->log();
        const QStringList call = row(h, 0), answer = row(h, 1);
        QCOMPARE(call.mid(1, 3), QStringList({"Sent", "Kelpo", "The Blue Crane"}));
        QCOMPARE(answer.mid(1, 3), QStringList({"Received", "The Blue Crane", "Kelpo"}));
        QCOMPARE(call[0], log[0].localTime.toString("HH:mm:ss"));
        QVERIFY2(call[0].startsWith("10:00:"), qPrintable(call[0]));
        QVERIFY2(call[4].startsWith("Individual call, to 366232323, from 316123456, category: routine"), qPrintable(call[4]));
        QVERIFY2(answer[4].startsWith("Able to comply, to 316123456, from 366232323"), qPrintable(answer[4]));
        QCOMPARE(answer[4], dscwire::describe(log[1].message));
        // The symbol lines are the messages themselves.
        QVERIFY2(call[5].startsWith("120 120 "), qPrintable(call[5]));
        QCOMPARE(readSymbols(call[5]), log[0].message);
        QCOMPARE(readSymbols(answer[5]), log[1].message);
        // The newest is chosen and shown whole.
        const QString detail = window(h).detail->toPlainText();
        QVERIFY2(detail.contains("From: The Blue Crane (366232323)") && detail.contains(answer[4]) &&
                     detail.contains("Symbols: " + answer[5]),
                 qPrintable(detail));
    }

    // Play (or Return on the list) hands the burst over and returns: no virtual time passes. Save
    // writes it as a WAV file that decodes back to the message, or says why it could not.
    void playsAndSavesTheBurst() {
        Harness h;
        routineCallAnswered(h);
        h.click("cmdDscMessages");
        window(h).list->setCurrentCell(0, 0);
        const qint64 before = h.now();
        h.click(window(h).play);
        QCOMPARE(h.sound.samplePlays.size(), size_t(1));
        const auto& play = h.sound.samplePlays[0];
        QCOMPARE(play.sampleRate, 48000);
        QCOMPARE(play.samples, qint64(640 * 40)); // dot pattern and 62 characters at 1200 baud
        QCOMPARE(play.lengthMs(), qint64(533));
        QCOMPARE(play.startMs, before);
        QApplication::setActiveWindow(&window(h));
        window(h).list->setFocus();
        h.keyDown(Qt::Key_Return);
        QCOMPARE(h.sound.samplePlays.size(), size_t(2));
        QCOMPARE(h.now(), before);

        QTemporaryDir dir;
        QString offered;
        h.c().dscMessages->askSavePath = [&](const QString& name) { return dir.filePath(offered = name); };
        h.click(window(h).save);
        QCOMPARE(offered, QString("dsc-0001-routine.wav"));
        const auto audio = dscwire::readWavFile(dir.filePath(offered));
        QVERIFY2(audio.ok(), qPrintable(audio.error()));
        const dscwire::Decoded decoded = dscwire::decodeAudio(audio.value());
        QVERIFY2(decoded.ok(), qPrintable(decoded.error));
        QCOMPARE(*decoded.message, h.c().air->log()[0].message);
        QCOMPARE(h.messages.shown.size(), size_t(0));
        h.c().dscMessages->askSavePath = [&](const QString&) { return dir.filePath("no such folder/burst.wav"); };
        h.click(window(h).save);
        QCOMPARE(h.messages.texts().size(), 1);
        const QString text = h.messages.texts()[0];
        QVERIFY2(text.startsWith("The DSC burst was not saved: cannot write ") && text.contains("no such folder/burst.wav"),
                 qPrintable(text));
    }

    // A message that goes on the air while the window is open is listed at once and chosen; one
    // between two other stations is overheard, their names taken from the directory.
    void followsTheAir() {
        Harness h;
        h.keyDown(Qt::Key_F2);
        QCOMPARE(window(h).list->rowCount(), 0);
        QVERIFY(!window(h).play->isEnabled());
        h.c().air->transmit(dscwire::Message::individual("366232323", dscwire::code::kRoutine, "316416622", 72));
        QCOMPARE(window(h).list->rowCount(), 1);
        QCOMPARE(row(h, 0).mid(1, 3), QStringList({"Overheard", "Tarvik's Madness", "The Blue Crane"}));
        QCOMPARE(window(h).list->currentRow(), 0);
        QVERIFY(window(h).play->isEnabled());
    }

    // A voice element not heard clearly is told as such, and not counted as wrong.
    void unclearVoiceElement() {
        air::VoiceTransmission t;
        t.verdicts = {{"position", false, "position not heard clearly", true},
                      {"nature", false, "no nature of distress given"},
                      {"persons", true, "4 persons on board"}};
        QCOMPARE(DscMessages::verdictSummary(t), QString("1 of 3 elements wrong, 1 unclear"));
        const QStringList detail = DscMessages::voiceDetail(t).split('\n');
        QVERIFY(detail.contains("Wrong: no nature of distress given"));
        QVERIFY(detail.contains("Not heard clearly: position not heard clearly"));
        QVERIFY(detail.contains("  unclear: position not heard clearly"));
        QVERIFY(detail.contains("  WRONG: no nature of distress given"));
    }

    // A distress alert and its acknowledgement go to all ships; the picture shows them with a
    // routine call and its answer.
    void distressAndRoutineCalls() {
        Harness h;
        h.chooseCombo("ComboMessage", "Fire");
        h.hold("cmdDistress", 5500);
        h.click("cmdAcknowledge");
        routineCallAnswered(h);
        h.click("cmdDscMessages");
        QCOMPARE(window(h).list->rowCount(), 4);
        QCOMPARE(row(h, 0).mid(1, 3), QStringList({"Sent", "Kelpo", "All ships"}));
        QCOMPARE(row(h, 1).mid(1, 3), QStringList({"Received", "Boston Coast Guard", "All ships"}));
        QVERIFY2(row(h, 0)[4].startsWith("Distress alert, from 316123456, nature: Fire"), qPrintable(row(h, 0)[4]));
        QVERIFY2(row(h, 1)[4].startsWith("Distress acknowledgement, from 003669927"), qPrintable(row(h, 1)[4]));
        QCOMPARE(DscMessages::suggestedFileName(h.c().air->log()[0]), QString("dsc-0001-distress.wav"));
        if (const QString file = qEnvironmentVariable("VHF_DSC_SCREENSHOT"); !file.isEmpty()) {
            window(h).list->setCurrentCell(1, 0);
            QVERIFY2(window(h).grab().save(file), qPrintable(file));
        }
    }
};

TRAINER_TEST_MAIN(DscMessagesTest)
#include "tst_dscmessages.moc"
