#pragma once
// The Classroom window: where the trainee says which class to join and who they are in it, in
// plain fields rather than on a command line. Join checks the settings and says what is wrong in
// the window itself, which stays open until they are right; the settings joined with are
// remembered for the next run, all but the password.
#include "classroom/Settings.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace screens {

class ClassroomDialog : public QDialog {
    Q_OBJECT
public:
    // How the window was closed; also what exec() returns.
    enum Choice { Cancel = QDialog::Rejected, Join = QDialog::Accepted, Leave = 2 };

    // `current` fills the fields (remembered() when the trainer is in no class); `inClass` enables
    // Leave class.
    ClassroomDialog(QWidget* parent, const classroom::Settings& current, bool inClass);

    // After Join: the settings to join with, checked and remembered.
    classroom::Settings settings() const { return settings_; }
    Choice choice() const { return static_cast<Choice>(result()); }

    // The settings of the last Join of any run, without the password; the defaults when there is
    // none. Kept in the user's configuration (QSettings, group "classroom").
    static classroom::Settings remembered();
    static void remember(const classroom::Settings& settings);

    QLineEdit* address;      // txtClassAddress
    QLineEdit* mmsi;         // txtClassMmsi
    QLineEdit* vessel;       // txtClassVessel
    QLineEdit* user;         // txtClassUser
    QLineEdit* password;     // txtClassPassword
    QCheckBox* instructor;   // chkClassInstructor
    QLabel* problem;         // lblClassProblem
    QPushButton* join;       // cmdClassJoin
    QPushButton* leave;      // cmdClassLeave
    QPushButton* cancel;     // cmdClassCancel
    QPushButton* micTest;    // cmdClassMicTest: opens the microphone test beside it

private:
    void tryJoin();
    void showProblem(const QString& text);

    classroom::Settings settings_;
};

} // namespace screens
