// The trainer right after start-up.
#include "harness/Harness.h"
#include "harness/TestMain.h"

#include "platform/FontsAhead.h"

#include <QFontDatabase>
#include <QListWidget>
#include <fontconfig/fontconfig.h>

// A font file of the family, from fontconfig.
QString fontFile(const char* family) {
    FcPattern* p = FcPatternCreate();
    FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcObjectSet* fields = FcObjectSetBuild(FC_FILE, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, p, fields);
    FcChar8* file = nullptr;
    QString path;
    if (fonts && fonts->nfont > 0 && FcPatternGetString(fonts->fonts[0], FC_FILE, 0, &file) == FcResultMatch)
        path = QString::fromUtf8(reinterpret_cast<const char*>(file));
    if (fonts) FcFontSetDestroy(fonts);
    FcObjectSetDestroy(fields);
    FcPatternDestroy(p);
    return path;
}

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void defaultsAfterStart() {
        Harness h;
        QCOMPARE(h.text("lblMMSI"), QString("MMSI# = 316123456"));
        QCOMPARE(h.c().s.TxPower, QString("25W"));
        QCOMPARE(h.c().s.ChannelLabel, QString("84"));
        QCOMPARE(h.c().s.PrevScrollValue, qint16(16));
        QCOMPARE(h.items("lstDistress").size(), 23);
        QCOMPARE(h.items("lstDistress").last(), QString());
        QCOMPARE(h.items("lstDistress").first(), QString("UTC 15:15"));
        QCOMPARE(h.text("lblTime"), QString("6-Dec"));
        for (const char* hidden : {"lblTX", "lblA", "lblTime", "ComboMessage", "txtTime", "lstMenu", "lstCall",
                                   "lstDirectory", "lstGroup", "lstReceived", "lstDistress", "lblNewMMSI",
                                   "lblNewMenu", "lblUTCDifference", "FrameScreenSize"})
            QVERIFY2(!h.visible(hidden), hidden);
        QCOMPARE(h.text("txtLatLon"), QString("L##°##.#'N  Lo###°##.#'W"));
        QCOMPARE(h.text("txtTime"), QString("##:##"));
        QCOMPARE(h.text("txtUTC"), QString("#.#"));
        QCOMPARE(h.text("ComboMessage"), QString("Nature of Distress"));
        QVERIFY(!h.c().s.DisplayModeChanged);
        QCOMPARE(h.c().Timer5Second->interval(), 5000);
        QVERIFY(!h.c().Timer5Second->isEnabled());
        QVERIFY(h.c().Timer1->isEnabled());
        QVERIFY(!h.c().TimerRepeat->isEnabled());
    }

    // The set-up of the window's faces of type is worked out before the window is built. Every
    // face on the first frame must be among them, and each of them must be put to fontconfig
    // exactly as Qt puts it when it opens the face, or its answer is never taken; likewise the list
    // of every font, made ahead for Qt's font database.
    void windowFacesAndFontListAreWorkedOutAhead() {
        Harness h;
        QSet<QString> ahead, shown;
        const auto faceName = [](const QString& family, int points, bool bold) {
            return QStringLiteral("%1 %2%3").arg(family).arg(points).arg(bold ? " bold" : "");
        };
        for (const platform::fontsAhead::Face& f : windowFaces()) ahead << faceName(f.family, f.points, f.bold);
        for (QWidget* w : h.window()->findChildren<QWidget*>())
            if (w->isVisible()) shown << faceName(w->font().family(), w->font().pointSize(), w->font().bold());
        QVERIFY2(ahead.contains(shown), qPrintable(QStringList((shown - ahead).values()).join(", ")));

        // Qt's faces opened afresh: an application font added and taken away empties its caches.
        QVERIFY(QFontDatabase::addApplicationFont(fontFile("Liberation Sans")) >= 0);
        QVERIFY(QFontDatabase::removeAllApplicationFonts());
        platform::fontsAhead::listFonts();
        platform::fontsAhead::workOut(windowFaces(), h.window()->logicalDpiY());
        h.window()->grab();
        QCOMPARE(platform::fontsAhead::answered(), int(windowFaces().size()) + 1); // and the font list
        platform::fontsAhead::forget();
    }

    // The radio's lists, hidden until a menu or a call shows one, are made when first reached for,
    // none with the window. Made late, a list is the designed one: in its place with its lines,
    // under the lists after it and the controls made with the window, named for screen readers and
    // in its place in the Tab order.
    void listsAreMadeWhenFirstReachedFor() {
        Harness h;
        QVERIFY(h.window()->findChildren<QListWidget*>().isEmpty());
        QListWidget* distress = h.ui().lstDistress; // made first, though the menu lies under it
        h.click("cmdMenu");
        auto* menu = h.window()->findChild<QListWidget*>(QStringLiteral("lstMenu"));
        QVERIFY(menu && menu->isVisible());
        QCOMPARE(menu->geometry(), QRect(141, 315, 185, 100));
        QCOMPARE(menu->item(6)->text(), QString("Exit this menu"));
        const QObjectList stack = h.window()->children();
        QVERIFY(stack.indexOf(menu) < stack.indexOf(distress));
        QVERIFY(stack.indexOf(distress) < stack.indexOf(h.find("txtMMSI")));
        QCOMPARE(menu->accessibleName(), QString("DSC menu"));
        QCOMPARE(h.find("ComboMessage")->nextInFocusChain(), menu);
    }
};

TRAINER_TEST_MAIN(StartupTest)
#include "tst_startup.moc"
