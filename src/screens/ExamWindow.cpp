#include "screens/ExamWindow.h"

#include "core/Accessibility.h"

#include <QLabel>
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

} // namespace screens
