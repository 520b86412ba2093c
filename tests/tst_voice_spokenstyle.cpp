// Text read out for copying: figures in the spoken style, positions in words, names and call
// signs spelled.
#include "voice/SpokenStyle.h"

#include <QTest>

class SpokenStyleTest : public QObject {
    Q_OBJECT
private slots:
    void readOut_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("spelled");
        QTest::addColumn<QString>("said");
        QTest::newRow("figures") << "MMSI 366172308, 4 persons." << QStringList{}
                                 << "MMSI tree six six wun seven too tree zero ait, fower persons.";
        QTest::newRow("time") << "since 14:59 UTC" << QStringList{} << "since wun fower fife niner UTC";
        QTest::newRow("position")
            << "at 42°21.3'N 070°48.9'W." << QStringList{}
            << "at fower too degrees too wun decimal tree minutes north, zero seven zero degrees fower ait decimal "
               "niner minutes west.";
        QTest::newRow("name said three times, and a call sign")
            << "MAYDAY, Red Fox, Red Fox, Red Fox, call sign WDQ1905. Red Fox is sinking." << QStringList{"Red Fox", "WDQ1905"}
            << "MAYDAY, Red Fox, Red Fox, Red Fox, I spell Romeo Echo Delta Foxtrot Oscar Xray, call sign W D Q wun "
               "niner zero fife, I spell Whiskey Delta Quebec wun niner zero fife. Red Fox is sinking.";
    }
    void readOut() {
        QFETCH(QString, text);
        QFETCH(QStringList, spelled);
        QFETCH(QString, said);
        QCOMPARE(voice::inSpokenStyle(text, spelled), said);
    }
};

QTEST_GUILESS_MAIN(SpokenStyleTest)
#include "tst_voice_spokenstyle.moc"
