#include "screens/ClassroomDialog.h"

#include "screens/ToolWindow.h"

#include "core/Accessibility.h"
#include "platform/Controls.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSettings>
#include <QVBoxLayout>

namespace screens {
namespace {

// The program sets no organization or application name, and a QSettings made without them would
// land in "Unknown Organization": name the file ourselves (~/.config/vhf-dsc-trainer/).
const QString kSettingsOwner = QStringLiteral("vhf-dsc-trainer");
const QString kGroup = QStringLiteral("classroom");

QString addressOf(classroom::Settings s) {
    if (s.host.isEmpty()) return {};
    // The user name has a field of its own; in the address too it would say the same thing twice.
    s.user.clear();
    return s.url();
}

QLineEdit* field(QWidget* parent, const char* objectName, const QString& text) {
    auto* f = new QLineEdit(parent);
    f->setObjectName(QString::fromLatin1(objectName));
    f->setText(text);
    f->setCursorPosition(0);
    return f;
}

QLabel* caption(QWidget* parent, const char* objectName, const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(objectName));
    l->setBuddy(buddy);
    return l;
}

} // namespace

ClassroomDialog::ClassroomDialog(QWidget* parent, const classroom::Settings& current, bool inClass)
    : QDialog(parent), settings_(current) {
    setObjectName(QStringLiteral("frmClassroom"));
    setWindowTitle(QStringLiteral("Classroom"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kWindowBackground);
    setPalette(pal);
    setAutoFillBackground(true);

    const QString example = QStringLiteral("mqtt://school-server/deck-1");
    address = field(this, "txtClassAddress", addressOf(current));
    address->setPlaceholderText(example);
    address->setToolTip(QStringLiteral("The address your instructor gave you, e.g. %1").arg(example));
    nameControl(address, QStringLiteral("Class address"),
                QStringLiteral("The address your instructor gave you, for example %1").arg(example));

    mmsi = field(this, "txtClassMmsi", current.mmsi);
    mmsi->setMaxLength(9);
    mmsi->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), mmsi));
    mmsi->setPlaceholderText(QStringLiteral("nine digits"));
    nameControl(mmsi, QStringLiteral("Your MMSI"), QStringLiteral("Your station's MMSI in the class, nine digits"));

    vessel = field(this, "txtClassVessel", current.vesselName);
    nameControl(vessel, QStringLiteral("Vessel name"), QStringLiteral("The name the class sees for your station"));

    user = field(this, "txtClassUser", current.user);
    nameControl(user, QStringLiteral("User name"), QStringLiteral("Only if your instructor gave you one"));

    password = field(this, "txtClassPassword", current.password);
    password->setEchoMode(QLineEdit::Password);
    nameControl(password, QStringLiteral("Password"),
                QStringLiteral("Only if your instructor gave you one; it is not kept for the next time"));

    instructor = new QCheckBox(QStringLiteral("&Instructor's station"), this);
    instructor->setObjectName(QStringLiteral("chkClassInstructor"));
    instructor->setChecked(current.instructor);
    nameControl(instructor, QStringLiteral("Instructor's station"),
                QStringLiteral("Tick it on the instructor's own trainer only"));

    problem = new QLabel(this);
    problem->setObjectName(QStringLiteral("lblClassProblem"));
    problem->setWordWrap(true);
    problem->setTextFormat(Qt::PlainText);
    QPalette red = problem->palette();
    red.setColor(QPalette::WindowText, ctl::kRed);
    problem->setPalette(red);
    showProblem(QString());

    join = toolButton(this, "cmdClassJoin", QStringLiteral("&Join"));
    join->setDefault(true); // Return in any field joins
    nameControl(join, QStringLiteral("Join"), QStringLiteral("Joins the class with these settings"));
    leave = toolButton(this, "cmdClassLeave", QStringLiteral("&Leave class"));
    leave->setEnabled(inClass);
    nameControl(leave, QStringLiteral("Leave class"), QStringLiteral("Leaves the class this trainer is in"));
    cancel = toolButton(this, "cmdClassCancel", QStringLiteral("Cancel"));
    nameControl(cancel, QStringLiteral("Cancel"), QStringLiteral("Closes this window and changes nothing"));

    micTest = toolButton(this, "cmdClassMicTest", QStringLiteral("&Microphone Test..."));
    nameControl(micTest, QStringLiteral("Microphone Test"),
                QStringLiteral("Opens the microphone test: record a sentence, hear it back, see its level and the words the trainer heard"));

    connect(join, &QPushButton::clicked, this, &ClassroomDialog::tryJoin);
    connect(leave, &QPushButton::clicked, this, [this] { done(Leave); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(caption(this, "lblClassAddress", QStringLiteral("Class &address:"), address), address);
    form->addRow(caption(this, "lblClassMmsi", QStringLiteral("Your &MMSI:"), mmsi), mmsi);
    form->addRow(caption(this, "lblClassVessel", QStringLiteral("&Vessel name:"), vessel), vessel);
    form->addRow(caption(this, "lblClassUser", QStringLiteral("&User name:"), user), user);
    form->addRow(caption(this, "lblClassPassword", QStringLiteral("&Password:"), password), password);
    form->addRow(QString(), instructor);
    form->addRow(QString(), micTest);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(join);
    buttons->addWidget(leave);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->addLayout(form);
    layout->addWidget(problem);
    layout->addStretch(1);
    layout->addLayout(buttons);

    setTabOrder(address, mmsi);
    setTabOrder(mmsi, vessel);
    setTabOrder(vessel, user);
    setTabOrder(user, password);
    setTabOrder(password, instructor);
    setTabOrder(instructor, micTest);
    setTabOrder(micTest, join);
    setTabOrder(join, leave);
    setTabOrder(leave, cancel);
    address->setFocus(Qt::OtherFocusReason);
    resize(460, sizeHint().height());
}

void ClassroomDialog::showProblem(const QString& text) {
    problem->setText(text);
    // The label takes no focus: its description is where a screen reader finds what is wrong.
    nameControl(problem, QStringLiteral("Problem with the class settings"),
                text.isEmpty() ? QStringLiteral("None") : text);
    // The window was sized without a problem to show: grow it to the lines this one wraps into.
    if (QLayout* l = layout()) {
        if (const int needed = l->totalHeightForWidth(width()); needed > height()) resize(width(), needed);
    }
}

void ClassroomDialog::tryJoin() {
    classroom::Settings base;
    base.mmsi = mmsi->text().trimmed();
    base.vesselName = vessel->text().trimmed();
    base.user = user->text().trimmed();
    base.password = password->text();
    base.instructor = instructor->isChecked();
    const auto parsed = classroom::Settings::fromUrl(address->text(), base);
    if (!parsed.ok()) {
        showProblem(parsed.error());
        address->setFocus(Qt::OtherFocusReason);
        return;
    }
    // The address is right by now; what else can be wrong is the MMSI.
    if (const QString p = parsed.value().problem(); !p.isEmpty()) {
        showProblem(p);
        (dscwire::isMmsi(base.mmsi) ? address : mmsi)->setFocus(Qt::OtherFocusReason);
        return;
    }
    showProblem(QString());
    settings_ = parsed.value();
    remember(settings_);
    accept();
}

classroom::Settings ClassroomDialog::remembered() {
    QSettings store(kSettingsOwner, kSettingsOwner);
    store.beginGroup(kGroup);
    classroom::Settings s;
    s.mmsi = store.value(QStringLiteral("mmsi")).toString();
    s.vesselName = store.value(QStringLiteral("vessel")).toString();
    s.user = store.value(QStringLiteral("user")).toString();
    s.instructor = store.value(QStringLiteral("instructor"), false).toBool();
    const QString address = store.value(QStringLiteral("address")).toString();
    // An address that no longer reads (the file edited by hand) is forgotten, the rest is kept.
    if (const auto parsed = classroom::Settings::fromUrl(address, s); parsed.ok()) return parsed.value();
    return s;
}

void ClassroomDialog::remember(const classroom::Settings& settings) {
    QSettings store(kSettingsOwner, kSettingsOwner);
    store.beginGroup(kGroup);
    store.setValue(QStringLiteral("address"), addressOf(settings));
    store.setValue(QStringLiteral("mmsi"), settings.mmsi);
    store.setValue(QStringLiteral("vessel"), settings.vesselName);
    store.setValue(QStringLiteral("user"), settings.user);
    store.setValue(QStringLiteral("instructor"), settings.instructor);
    // The password stays in memory for this run only.
    store.remove(QStringLiteral("password"));
}

} // namespace screens
