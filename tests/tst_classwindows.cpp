// The two windows of a trainer in a class, without a broker: the Classroom window checks what the
// trainee typed, joins with it and remembers it (never the password) for the next run; the
// instructor's station list keeps one row per station in MMSI order, marks a vessel in distress
// until its alert is acknowledged, and asks for freeze and reset.
#include "harness/TestMain.h"
#include "platform/Controls.h"
#include "screens/ClassroomDialog.h"
#include "screens/StationList.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTableWidget>
#include <QJsonArray>
#include <QTemporaryDir>

using screens::ClassroomDialog;
using screens::StationList;

namespace {

const QString kOtter = QStringLiteral("316123456"), kCrane = QStringLiteral("366232323"),
              kGull = QStringLiteral("338765432");

classroom::StationStatus status(const QString& mmsi, const QString& name, bool online, bool instructor = false) {
    classroom::StationStatus s;
    s.mmsi = mmsi;
    s.name = name;
    s.online = online;
    s.instructor = instructor;
    s.instance = QStringLiteral("run-") + mmsi;
    return s;
}

QStringList column(const StationList& list, int col) {
    QStringList cells;
    for (int row = 0; row < list.table->rowCount(); ++row) cells << list.table->item(row, col)->text();
    return cells;
}

QTableWidgetItem* cell(const StationList& list, const QString& mmsi, int col) {
    const int row = column(list, StationList::Mmsi).indexOf(mmsi);
    return row < 0 ? nullptr : list.table->item(row, col);
}

QDateTime at(const QString& hhmmss) {
    return QDateTime(QDate(2024, 5, 14), QTime::fromString(hhmmss, QStringLiteral("HH:mm:ss")));
}

void fill(ClassroomDialog& d, const QString& address, const QString& mmsi) {
    QTest::keyClicks(d.address, address);
    QTest::keyClicks(d.mmsi, mmsi);
}

} // namespace

class ClassWindowsTest : public QObject {
    Q_OBJECT
private slots:
    // The remembered settings go to a folder of the test's own, never the user's.
    void initTestCase() {
        QVERIFY(config_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config_.path());
    }

    void wrongSettingsKeepTheWindowOpen_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("mmsi");
        QTest::addColumn<QString>("problem");
        QTest::newRow("no scheme") << "school-server/deck-1" << kOtter << "must look like mqtt://HOST[:PORT]/CLASS";
        QTest::newRow("no class") << "mqtt://school-server/" << kOtter << "has no class name";
        QTest::newRow("short MMSI") << "mqtt://school-server/deck-1" << "31612345" << "Your MMSI # must be 9 digits long";
    }
    void wrongSettingsKeepTheWindowOpen() {
        QFETCH(QString, address);
        QFETCH(QString, mmsi);
        QFETCH(QString, problem);
        ClassroomDialog d(nullptr, classroom::Settings{}, false);
        d.show();
        QSignalSpy finished(&d, &QDialog::finished);
        QVERIFY(d.problem->text().isEmpty());
        fill(d, address, mmsi);
        QTest::mouseClick(d.join, Qt::LeftButton);
        QVERIFY2(d.problem->text().contains(problem), qPrintable(d.problem->text()));
        QCOMPARE(d.problem->palette().color(QPalette::WindowText), ctl::kRed);
        QVERIFY(d.isVisible());
        QCOMPARE(finished.count(), 0);
        QVERIFY(ClassroomDialog::remembered().host.isEmpty());
    }

    // Join hands over the parsed settings; the next run finds them again, but not the password.
    void joinsAndRemembersAllButThePassword() {
        ClassroomDialog d(nullptr, ClassroomDialog::remembered(), false);
        d.show();
        QVERIFY(!d.leave->isEnabled());
        QCOMPARE(d.password->echoMode(), QLineEdit::Password);
        fill(d, "mqtts://school-server:8884/deck-1", "316-123-456x"); // only digits get in
        QCOMPARE(d.mmsi->text(), kOtter);
        QTest::keyClicks(d.vessel, "Sea Otter");
        QTest::keyClicks(d.user, "alice");
        QTest::keyClicks(d.password, "gale-warning-7");
        d.instructor->setChecked(true);
        QTest::mouseClick(d.join, Qt::LeftButton);
        QVERIFY2(d.problem->text().isEmpty(), qPrintable(d.problem->text()));
        QVERIFY(!d.isVisible());
        QCOMPARE(d.choice(), ClassroomDialog::Join);

        classroom::Settings joined;
        joined.host = "school-server";
        joined.port = 8884;
        joined.tls = true;
        joined.className = "deck-1";
        joined.user = "alice";
        joined.password = "gale-warning-7";
        joined.mmsi = kOtter;
        joined.vesselName = "Sea Otter";
        joined.instructor = true;
        const auto fields = [](const classroom::Settings& s) {
            return QStringList{s.host, QString::number(s.port), s.tls ? "tls" : "plain", s.className, s.user,
                               s.password, s.mmsi, s.vesselName, s.instructor ? "instructor" : "trainee"};
        };
        QCOMPARE(fields(d.settings()), fields(joined));

        joined.password.clear();
        QCOMPARE(fields(ClassroomDialog::remembered()), fields(joined));
        QFile file(QSettings(QStringLiteral("vhf-dsc-trainer"), QStringLiteral("vhf-dsc-trainer")).fileName());
        QVERIFY2(file.fileName().startsWith(config_.path()), qPrintable(file.fileName()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.readAll().contains("gale-warning-7"));

        ClassroomDialog next(nullptr, ClassroomDialog::remembered(), false);
        QCOMPARE(next.address->text(), QString("mqtts://school-server:8884/deck-1"));
        QCOMPARE(next.user->text(), QString("alice"));
        QVERIFY(next.password->text().isEmpty());
    }

    void leaveAndCancel_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("choice");
        QTest::newRow("leave") << "cmdClassLeave" << int(ClassroomDialog::Leave);
        QTest::newRow("cancel") << "cmdClassCancel" << int(ClassroomDialog::Cancel);
    }
    void leaveAndCancel() {
        QFETCH(QString, button);
        QFETCH(int, choice);
        ClassroomDialog d(nullptr, ClassroomDialog::remembered(), true);
        d.show();
        auto* b = d.findChild<QPushButton*>(button);
        QVERIFY(b && b->isEnabled());
        QTest::mouseClick(b, Qt::LeftButton);
        QVERIFY(!d.isVisible());
        QCOMPARE(int(d.choice()), choice);
    }

    // Reports in any order, and again when a station changes, make one row each in MMSI order.
    void oneRowPerStationByMmsi() {
        StationList list;
        list.setStation(status(kCrane, "The Blue Crane", true));
        list.setStation(status(kOtter, "Sea Otter", true, true));
        list.setStation(status(kGull, "Gull", true));
        list.setStation(status(kCrane, "The Blue Crane", false));
        QCOMPARE(column(list, StationList::Mmsi), QStringList({kOtter, kGull, kCrane}));
        QCOMPARE(column(list, StationList::Vessel), QStringList({"Sea Otter (instructor)", "Gull", "The Blue Crane"}));
        QCOMPARE(column(list, StationList::Station), QStringList({"Online", "Online", "Offline"}));
        QCOMPARE(list.summary->text(), QString("2 stations online, 1 offline"));
    }

    // A distress alert marks its sender until a distress acknowledgement names it; the last call
    // column shows each sender's newest call.
    void distressMarkedUntilAcknowledged() {
        StationList list;
        list.setStation(status(kOtter, "Sea Otter", true, true));
        list.setStation(status(kCrane, "The Blue Crane", true));
        const auto alert = dscwire::Message::distressAlert(kCrane, 100, dscwire::Position::of(1, 42, 21, 70, 55),
                                                           QTime(14, 2));
        list.noteCall(alert, at("10:02:13"));
        QCOMPARE(cell(list, kCrane, StationList::Distress)->text(), QString("IN DISTRESS"));
        QCOMPARE(cell(list, kCrane, StationList::Distress)->foreground().color(), ctl::kRed);
        QCOMPARE(cell(list, kCrane, StationList::LastCall)->text(), QString("10:02:13 Distress alert"));
        QCOMPARE(list.summary->text(), QString("2 stations online, 1 in distress"));

        // A routine call from a station that never reported gets a row of its own; no mark moves.
        list.noteCall(dscwire::Message::individual(kOtter, dscwire::code::kRoutine, kGull, 6), at("10:02:40"));
        QCOMPARE(column(list, StationList::Mmsi), QStringList({kOtter, kGull, kCrane}));
        QCOMPARE(column(list, StationList::LastCall)[1], QString("10:02:40 Individual call (routine)"));
        QCOMPARE(column(list, StationList::Distress), QStringList({"", "", "IN DISTRESS"}));

        list.noteCall(dscwire::Message::distressAcknowledgement(kOtter, alert), at("10:03:05"));
        QCOMPARE(column(list, StationList::Distress), QStringList({"", "", ""}));
        QCOMPARE(column(list, StationList::LastCall),
                 QStringList({"10:03:05 Distress acknowledgement", "10:02:40 Individual call (routine)",
                              "10:02:13 Distress alert"}));
        QCOMPARE(list.summary->text(), QString("2 stations online"));

        // A reset of the class forgets the calls and the marks, not the stations.
        list.noteCall(alert, at("10:04:00"));
        list.clearCalls();
        QCOMPARE(column(list, StationList::Distress), QStringList({"", "", ""}));
        QCOMPARE(column(list, StationList::LastCall), QStringList({"", "", ""}));
        QCOMPARE(list.table->rowCount(), 3);
    }

    // Freeze toggles and asks; the state the link reports changes the button without asking again.
    void freezeAndReset() {
        StationList list;
        QSignalSpy freezes(&list, &StationList::freezeRequested);
        QSignalSpy resets(&list, &StationList::resetRequested);
        list.show();
        QTest::mouseClick(list.freeze, Qt::LeftButton);
        QVERIFY(list.frozen());
        QCOMPARE(list.freeze->text(), QString("Unfreeze class"));
        QTest::mouseClick(list.freeze, Qt::LeftButton);
        QVERIFY(!list.frozen());
        QCOMPARE(list.freeze->text(), QString("Freeze class"));
        list.setFrozen(true);
        QCOMPARE(list.freeze->text(), QString("Unfreeze class"));
        QCOMPARE(static_cast<const QList<QList<QVariant>>&>(freezes), (QList<QList<QVariant>>{{true}, {false}}));
        QTest::mouseClick(list.reset, Qt::LeftButton);
        QCOMPARE(resets.count(), 1);
    }

    // A trainee's results show in its row; the debriefs, one page per trainee, hold its results and
    // its calls, and are written by the button into the folder asked for.
    void resultsAndDebriefs() {
        StationList list;
        list.setStation(status(kOtter, "Sea Otter", true, true));
        list.setStation(status(kCrane, "The Blue Crane", true));
        const QJsonObject results{
            {"exercise", "Fire on board"}, {"score", "Score: 1 of 2"}, {"finished", true},
            {"tasks", QJsonArray{QJsonObject{{"task", "Send a distress alert"}, {"verdict", "fail"},
                                             {"reason", "nature: Flooding, expected Fire"}, {"seconds", 12.5}}}}};
        list.setResults(kCrane, results);
        QCOMPARE(cell(list, kCrane, StationList::Exercise)->text(), QString("Fire on board: Score: 1 of 2"));
        list.noteCall(dscwire::Message::distressAlert(kCrane, 101, dscwire::Position::unknown(), QTime()), at("10:02:13"));

        QTemporaryDir folder;
        list.askFolder = [&] { return folder.path(); };
        QTest::mouseClick(list.debriefs, Qt::LeftButton);
        // The instructor's own station gets none.
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{kCrane + ".html"});
        QFile page(folder.filePath(kCrane + ".html"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        QVERIFY(html.contains("The Blue Crane, MMSI 366232323"));
        QVERIFY(html.contains("nature: Flooding, expected Fire"));
        QVERIFY(html.contains("10:02:13  sent: Distress alert"));
        QVERIFY(list.summary->text().endsWith(": 1 pages"));
    }

private:
    QTemporaryDir config_;
};

TRAINER_TEST_MAIN(ClassWindowsTest)
#include "tst_classwindows.moc"
