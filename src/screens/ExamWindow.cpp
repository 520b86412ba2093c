#include "screens/ExamWindow.h"

#include "core/Accessibility.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace screens {

ExamWindow::ExamWindow() : ToolWindow(nullptr, QStringLiteral("frmExam"), QStringLiteral("Mock exam")) {
    nameControl(this, QStringLiteral("Mock exam"));
    status = toolLabel(this, "lblExamStatus", QStringLiteral("Exam status"));
    card = new QPlainTextEdit(this);
    card->setObjectName(QStringLiteral("txtExamCard"));
    card->setReadOnly(true);
    card->setTabChangesFocus(true);
    card->setMinimumSize(380, 140);
    nameControl(card, QStringLiteral("Exam card"), QStringLiteral("The card to work now, as an examiner would hand it over"));

    start = toolButton(this, "cmdExamStart", QStringLiteral("Start the exam"));
    nameControl(start, QStringLiteral("Start the exam"), QStringLiteral("Ends the time to get to know the radio and gives the first card"));
    done = toolButton(this, "cmdExamDone", QStringLiteral("Card done"));
    nameControl(done, QStringLiteral("Card done"), QStringLiteral("Says this card is done and gives the next one"));
    sheet = toolButton(this, "cmdExamSheet", QStringLiteral("Sheet..."));
    nameControl(sheet, QStringLiteral("Examiner's sheet"), QStringLiteral("Writes the examiner's sheet of the exam, HTML or PDF"));
    close = toolButton(this, "cmdExamClose", QStringLiteral("Close"));
    nameControl(close, QStringLiteral("Close Mock exam"), QStringLiteral("Hides this window; the exam goes on"));
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    for (QPushButton* key : {start, done, sheet}) key->setEnabled(false);

    QVBoxLayout* column = toolColumn(this);
    column->addWidget(status);
    column->addWidget(card, 1);
    column->addLayout(keyRow({start, done, sheet}, close));
}

std::optional<ExamChoice> askExamChoice(QWidget* parent, const QStringList& profiles, const QString& candidate) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("dlgExamChoice"));
    dialog.setWindowTitle(QStringLiteral("Mock exam"));
    auto* profile = new QComboBox(&dialog);
    profile->setObjectName(QStringLiteral("cboExamProfile"));
    profile->addItems(profiles);
    nameControl(profile, QStringLiteral("Exam profile"));
    auto* seed = new QLineEdit(&dialog);
    seed->setObjectName(QStringLiteral("txtExamSeed"));
    seed->setPlaceholderText(QStringLiteral("drawn when left empty"));
    nameControl(seed, QStringLiteral("Seed"), QStringLiteral("The same seed draws the same exam; left empty, one is drawn"));
    auto* name = new QLineEdit(candidate, &dialog);
    name->setObjectName(QStringLiteral("txtExamCandidate"));
    nameControl(name, QStringLiteral("Candidate"));
    auto* keys = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(keys, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(keys, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* form = new QFormLayout(&dialog);
    form->addRow(QStringLiteral("Profile:"), profile);
    form->addRow(QStringLiteral("Seed:"), seed);
    form->addRow(QStringLiteral("Candidate:"), name);
    form->addRow(keys);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return ExamChoice{profile->currentText(), seed->text().trimmed(), name->text().trimmed()};
}

} // namespace screens
