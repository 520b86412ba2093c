#include "screens/InfoScreens.h"

#include "core/Pictures.h"

#include <QCloseEvent>
#include <QColor>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace screens {
namespace {

const QColor kBackground(192, 192, 255);

void paintBackground(QWidget* w) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, kBackground);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

// The window's Close button, which only hides the window, centred in a row of its own.
QHBoxLayout* closeButtonRow(QWidget* window, const char* name) {
    auto* close = new QPushButton(QStringLiteral("Close"), window);
    close->setObjectName(QString::fromLatin1(name));
    QObject::connect(close, &QPushButton::clicked, window, &QWidget::hide);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(close);
    row->addStretch(1);
    return row;
}

QLabel* textLabel(QWidget* parent, const char* name, const QString& text, int pointSize = 9,
                  bool bold = false) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    QFont f = l->font();
    f.setPointSize(pointSize);
    f.setBold(bold);
    l->setFont(f);
    l->setWordWrap(true);
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    return l;
}

// Our windows are separate top-level windows even when a parent is given.
Qt::WindowFlags topLevelFlags() {
    return Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
}

} // namespace

InfoTKM::InfoTKM(QWidget* parent) : QWidget(parent, topLevelFlags()) {
    setObjectName(QStringLiteral("InfoTKM"));
    setWindowTitle(QStringLiteral("VHF DSC Trainer"));
    paintBackground(this);

    auto* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("Image1"));
    logo->setPixmap(QPixmap::fromImage(pictures::image(QStringLiteral("logo"), 2)));
    logo->setScaledContents(true);
    logo->setFixedSize(96, 96);

    auto* title = textLabel(this, "Label1", QStringLiteral("VHF DSC Trainer"), 16, true);
    auto* version = textLabel(this, "Label2", QStringLiteral("Version 3.0"), 10, true);
    auto* purpose = textLabel(
        this, "Label3",
        QStringLiteral("A training program for the practice of marine VHF radio and Digital "
                       "Selective Calling (GMDSS) procedures: channel selection, distress, "
                       "urgency, safety and routine calls, and the replies of a coast station "
                       "and of another vessel."));
    auto* notice = textLabel(
        this, "Label4",
        QStringLiteral("For training only. Nothing is transmitted: every call is simulated on "
                       "this screen."));
    auto* licence = textLabel(
        this, "Label5",
        QStringLiteral("Free software: you may use, copy, change and share it under the terms "
                       "of the licence that comes with it."),
        8);


    auto* head = new QHBoxLayout;
    head->addWidget(logo, 0, Qt::AlignTop);
    auto* headText = new QVBoxLayout;
    headText->addWidget(title);
    headText->addWidget(version);
    headText->addStretch(1);
    head->addLayout(headText, 1);

    auto* buttons = closeButtonRow(this, "Command1");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->setSpacing(10);
    layout->addLayout(head);
    layout->addWidget(purpose);
    layout->addWidget(notice);
    layout->addWidget(licence);
    layout->addStretch(1);
    layout->addLayout(buttons);

    setFixedSize(420, 340);
}

void InfoTKM::closeEvent(QCloseEvent* event) {
    hide();
    event->ignore();
}

Copyright::Copyright(QWidget* parent) : QWidget(parent, topLevelFlags()) {
    setObjectName(QStringLiteral("Copyright"));
    setWindowTitle(QStringLiteral("Copyright"));
    paintBackground(this);

    auto* title = textLabel(this, "Label1", QStringLiteral("vhf-dsc-trainer"), 14, true);
    auto* authors = textLabel(
        this, "Label2",
        QStringLiteral("Copyright \u00A9 the vhf-dsc-trainer developers."), 10, true);
    auto* licence = textLabel(
        this, "Label3",
        QStringLiteral("This program is free software: you may use, copy, change and share it "
                       "under the terms of the licence distributed with it. It comes with no "
                       "warranty of any kind."));
    auto* scenario = textLabel(
        this, "Label4",
        QStringLiteral("The training scenario that goes with the program, with its vessels, "
                       "coast station and calls, was written by the authors of the companion "
                       "course material."));


    auto* buttons = closeButtonRow(this, "cmdCloseCopywrite");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->setSpacing(10);
    layout->addWidget(title);
    layout->addWidget(authors);
    layout->addWidget(licence);
    layout->addWidget(scenario);
    layout->addStretch(1);
    layout->addLayout(buttons);

    setFixedSize(400, 280);
}

void Copyright::closeEvent(QCloseEvent* event) {
    hide();
    event->ignore();
}

} // namespace screens
