// The windows of a trainer in a class, without a broker: the Classroom window checks what the
// trainee typed, joins with it and remembers it (never the password) for the next run.
#include "harness/TestMain.h"
#include "platform/Controls.h"
#include "screens/ClassroomDialog.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

using screens::ClassroomDialog;

namespace {

const QString kOtter = QStringLiteral("316123456");

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

private:
    QTemporaryDir config_;
};

TRAINER_TEST_MAIN(ClassWindowsTest)
#include "tst_classwindows.moc"
