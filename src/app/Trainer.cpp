#include "app/Trainer.h"

#include "air/Air.h"
#include "core/Accessibility.h"
#include "app/ClassroomSession.h"
#include "app/ExamActors.h"
#include "app/ExamRun.h"
#include "app/Lessons.h"
#include "app/NmeaOutput.h"
#include "app/Talk.h"
#include "calls/CallTime.h"
#include "calls/DistressAlert.h"
#include "calls/Senders.h"
#include "dsc/CallComposer.h"
#include "dsc/Logs.h"
#include "dsc/Menu.h"
#include "dsc/OwnStation.h"
#include "lessons/Recorder.h"
#include "platform/Controls.h"
#include "platform/FirstFrame.h"
#include "platform/Input.h"
#include "platform/Look.h"
#include "radio/ChannelSelector.h"
#include "radio/FrontPanel.h"
#include "radio/ScreenSizePanel.h"
#include "screens/DscMessages.h"
#include "screens/ExamWindow.h"
#include "screens/ExercisePanel.h"
#include "screens/InfoWindows.h"
#include "core/TKM.h"
#include "screens/LessonsWindow.h"
#include "screens/RadioLogWindow.h"
#include "stations/Classmates.h"
#include "stations/CoastGuard.h"
#include "stations/SecondVessel.h"
#include "stations/StationVoices.h"
#include "core/Form.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLocale>
#include <QPointer>

namespace {
QPointer<MainWindow> gPreviewWindow; // the window whose keys are previewed
}

TrainerApplication::TrainerApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TrainerApplication::notify(QObject* receiver, QEvent* e) {
    // A lesson being recorded or replayed sees the event first; a replay keeps the user's hands off.
    if (platform::input::beforeEvent(receiver, e)) {
        platform::input::afterEvent(receiver, e);
        return true;
    }
    const bool handled = deliver(receiver, e);
    platform::input::afterEvent(receiver, e);
    return handled;
}

bool TrainerApplication::deliver(QObject* receiver, QEvent* e) {
    const QEvent::Type type = e->type();
    const bool input = type == QEvent::KeyPress || type == QEvent::MouseButtonPress ||
                       type == QEvent::MouseButtonDblClick;
    if (input && gPreviewWindow && receiver->isWidgetType() &&
        static_cast<QWidget*>(receiver)->window() == gPreviewWindow) {
        // Too many waits running inside each other: the window is busy, as during a pause.
        if (!gPreviewWindow->context().acceptsInput()) return true;
        // notify() runs once per key event; the event's travel up to the parents happens inside it.
        if (type == QEvent::KeyPress) {
            const auto* k = static_cast<QKeyEvent*>(e);
            gPreviewWindow->Form_KeyDown(k->key(), k->modifiers());
        }
    }
    const bool handled = QApplication::notify(receiver, e);
    platform::noteFirstFrame(receiver, e);
    return handled;
}

MainWindow::MainWindow(Context& ctx) : c(ctx) {}

void MainWindow::Form_KeyDown(int keyCode, Qt::KeyboardModifiers modifiers) {
    // Ctrl+L anywhere on the window opens the radio log.
    const auto others = Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier;
    if (keyCode == Qt::Key_L && modifiers.testFlag(Qt::ControlModifier) && !(modifiers & others)) {
        c.ui->cmdRadioLog->click();
        return;
    }
    // F2 anywhere on the window opens the DSC message window. (Letters are taken: see TKM.)
    if (keyCode == Qt::Key_F2) c.dscMessages->show();
    if (!c.s.KeyWatcher)
        c.s.KeyWatcher = std::make_unique<screens::TKM>([this] { c.info->showCopyright(); });
    c.s.KeyWatcher->setChar(keyCode);
}

void MainWindow::closeEvent(QCloseEvent* e) {
    // The window is never closed by itself: power-off ends the whole program.
    e->ignore();
    if (closing_) return;
    closing_ = true;
    c.front->cmdOnOff_Click();
    closing_ = false;
}

const std::vector<platform::fontsAhead::Face>& windowFaces() {
    // In the order the window first needs them: the window's own type (frmGMDSS.ui; the text fields
    // are made in it), then the types of the fields, of the channel displays and of the keys.
    static const std::vector<platform::fontsAhead::Face> faces{
        {"Liberation Sans", 8, false},        {"Liberation Sans", 12, true},        {"Liberation Sans", 9, true},
        {"Liberation Sans", 14, true},        {"Liberation Sans Narrow", 30, true}, {"Liberation Sans Narrow", 40, true},
        {"Liberation Sans", 10, true},        {"Liberation Sans", 8, true}};
    return faces;
}

Trainer::Trainer(Services services) : ctx_(std::make_unique<Context>(std::move(services))) {
    Q_INIT_RESOURCE(pictures);
    Q_INIT_RESOURCE(pictures2x);
    Context& c = *ctx_;
    const qint64 builtAt = c.clock.tickMs();
    // The coloured keys and drop-down lists in their own colours.
    ctl::useDesignedFaces();
    window_ = new MainWindow(c);
    c.form = window_;
    c.ui = new Ui::frmGMDSS;
    // A line edit lays out its empty text in the application's type as it is made, before the
    // window's type reaches it; with the desktop's type that would load a face the window never
    // shows (a few milliseconds). While the window is built the application's type is the
    // window's own (the first of its faces); afterwards the desktop's again, for every other window
    // and message.
    const QFont desktopType = QGuiApplication::font();
    const platform::fontsAhead::Face& own = windowFaces().front();
    QFont windowType = desktopType;
    windowType.setFamilies({QString::fromLatin1(own.family)});
    windowType.setPointSize(own.points);
    windowType.setBold(own.bold);
    QGuiApplication::setFont(windowType);
    c.ui->setupUi(window_);
    QGuiApplication::setFont(desktopType);
    window_->setObjectName(QStringLiteral("frmGMDSS"));
    // The keypad drawn on the radio is one control array: twelve buttons named command1.
    for (int i = 1; i <= 12; ++i) {
        if (auto* key = window_->findChild<QWidget*>(QStringLiteral("command1_%1").arg(i))) {
            key->setObjectName(QStringLiteral("command1"));
            key->setProperty("index", i);
        }
    }
    ctl::setComboText(c.ui->ComboMessage, QStringLiteral("Nature of Distress"));
    ctl::setComboText(c.ui->comboBC, QStringLiteral("Nature of Distress"));
    describeControls(window_, *c.ui);

    c.Timer1 = c.clock.createTimer();
    c.Timer5Second = c.clock.createTimer();
    c.TimerRepeat = c.clock.createTimer();
    c.Timer1->setInterval(500);
    c.Timer1->setEnabled(true);
    c.TimerRepeat->setInterval(60000);
    c.Timer5Second->onTick = [&c] { c.Timer5Second->setEnabled(false); };

    c.channel = std::make_unique<ChannelSelector>(c);
    c.front = std::make_unique<FrontPanel>(c);
    c.screenSize = std::make_unique<ScreenSizePanel>(c);
    c.menu = std::make_unique<Menu>(c);
    c.own = std::make_unique<OwnStation>(c);
    c.composer = std::make_unique<CallComposer>(c);
    c.logs = std::make_unique<Logs>(c);
    c.distress = std::make_unique<DistressAlert>(c);
    c.senders = std::make_unique<Senders>(c);
    c.coastGuard = std::make_unique<CoastGuard>(c);
    c.secondVessel = std::make_unique<SecondVessel>(c);
    c.info = std::make_unique<InfoWindows>(c);
    c.air = std::make_unique<air::Air>(c.clock, [&c] { return c.s.AcceptedMMSI; });
    c.dscMessages = std::make_unique<DscMessages>(c);
    c.nmea = std::make_unique<NmeaOutput>(c);
    c.exercises = std::make_unique<ExercisePanel>(c);
    c.talk = std::make_unique<Talk>(c);
    c.stationVoices = std::make_unique<StationVoices>(
        c, StationVoices::OwnRadio{[&c] { return c.talk->speaker(); },
                                   [&c](const QString& channel) { return c.talk->hears(channel); },
                                   [&c] { return c.classroom && c.classroom->inClass(); }});
    c.waitForVoice = [&c](bool ownRadio) {
        if (ownRadio && c.talk) c.talk->waitIdle();
        if (!ownRadio && c.stationVoices) c.stationVoices->waitIdle();
    };
    c.Timer1->onTick = [&c] { c.own->Timer1_Timer(); };
    c.TimerRepeat->onTick = [&c] { c.distress->TimerRepeat_Timer(); };

    c.channel->wire();
    c.front->wire();
    c.screenSize->wire();
    c.menu->wire();
    c.own->wire();
    c.composer->wire();
    c.logs->wire();
    c.distress->wire();
    c.coastGuard->wire();
    c.secondVessel->wire();
    c.info->wire();
    c.dscMessages->wire();
    c.exercises->wire();
    c.talk->wire();
    c.stationVoices->wire();
    // A class reaches the exam runner through a door of its own on the window.
    auto* examDoor = new ExamDoor(window_);
    examDoor->start = [this](const QString& profile, quint64 seed, const QString& who) { return startExam(profile, seed, who); };
    examDoor->run = [this] { return &examRun(); };
    QObject::connect(c.ui->cmdClassroom, &QPushButton::clicked, c.ui->cmdClassroom,
                     [&c] { ClassroomSession::of(c).openDialog(); });
    c.exercises->onExam = [this] { chooseExam(); };
    askExam = [this](const QStringList& profiles, const QString& candidate) {
        return screens::askExamChoice(window_, profiles, candidate);
    };
    QObject::connect(c.ui->cmdLessons, &QPushButton::clicked, c.ui->cmdLessons, [this] { showLessons(); });
    QObject::connect(c.ui->cmdRadioLog, &QPushButton::clicked, c.ui->cmdRadioLog, [this] { showRadioLog(); });
    // The folder is kept within its limit once the window is up (main): reading a folder of
    // many lessons is no work for the way to the first frame.
    if (recordsLessons()) c.lesson = lessons::Recorder::start(c, lessons::defaultFolder(), builtAt, -1);

    Form_Load();
}

Trainer::~Trainer() {
    if (gPreviewWindow == window_) gPreviewWindow = nullptr;
    exam_.reset();
    examWindow_.reset();
    lessons_.reset();
    radioLog_.reset();
    Context& c = *ctx_;
    // No transmission is heard or recognised once the window goes.
    c.stationVoices.reset();
    c.talk.reset();
    // The lesson ends before the window goes.
    c.lesson.reset();
    // The class first: it listens to the air and the window.
    c.classroom.reset();
    c.classmates.reset();
    c.Timer1.reset();
    c.Timer5Second.reset();
    c.TimerRepeat.reset();
    delete window_;
    delete c.ui;
}

screens::LessonsWindow& Trainer::lessonsWindow() {
    if (!lessons_) lessons_ = std::make_unique<screens::LessonsWindow>(*ctx_);
    return *lessons_;
}

void Trainer::showLessons() { screens::showBeside(&lessonsWindow(), window_); }

screens::RadioLogWindow& Trainer::radioLogWindow() {
    if (!radioLog_) {
        Context& c = *ctx_;
        // The time a call would carry now: the GPS's, or the one entered by hand.
        radioLog_ = std::make_unique<screens::RadioLogWindow>([&c] {
            const QTime t = callTimeUtc(c);
            return t.isValid() ? t : gpsTimeUtc(c);
        });
        radioLog_->onAdded = [&c](const lessons::LogEntry& entry) {
            if (c.lesson) c.lesson->recordLogEntry(entry);
        };
    }
    return *radioLog_;
}

void Trainer::showRadioLog() { screens::showBeside(&radioLogWindow(), window_); }

ExamRun& Trainer::examRun() {
    if (!exam_) {
        examWindow_ = std::make_unique<screens::ExamWindow>();
        exam_ = std::make_unique<ExamRun>(*ctx_, *examWindow_);
        // The model stations play their part of a card: an alert to receive, a message to copy.
        exam_->cardGiven.push_back([this](const exam::DrawnCard& card, int attempt) { actOnExamCard(*ctx_, card, attempt); });
    }
    return *exam_;
}

QString Trainer::startExam(const QString& profileName, quint64 seed, const QString& candidate) {
    const QString path = exam::findProfile(profileName);
    const auto profile = exam::loadProfile(path);
    if (!profile.ok()) return profile.error();
    const auto bank = exam::loadShippedCards();
    if (!bank.ok()) return bank.error();
    const auto plan = exam::drawExam(profile.value(), bank.value(), seed);
    if (!plan.ok()) return plan.error();
    return examRun().start(profile.value(), plan.value(), candidate);
}

void Trainer::chooseExam() {
    QStringList profiles;
    for (const QString& folder : exam::examFolders())
        for (const QFileInfo& file : QDir(folder).entryInfoList({QStringLiteral("*.json")}, QDir::Files, QDir::Name))
            if (!profiles.contains(file.completeBaseName())) profiles << file.completeBaseName();
    const auto choice = askExam ? askExam(profiles, qEnvironmentVariable("USER")) : std::nullopt;
    if (!choice) return;
    bool ok = true;
    const quint64 seed = choice->seed.isEmpty() ? quint64(ctx_->clock.now().toMSecsSinceEpoch()) % 1000000000u
                                                : choice->seed.toULongLong(&ok);
    const QString problem = !ok ? QStringLiteral("The seed is a whole number, not '%1'.").arg(choice->seed)
                                : startExam(choice->profile, seed,
                                            choice->candidate.isEmpty() ? QStringLiteral("Candidate") : choice->candidate);
    if (!problem.isEmpty()) ctx_->message(problem);
}

// The start-up procedure, step by step.
void Trainer::Form_Load() {
    Context& c = *ctx_;
    Ui::frmGMDSS& ui = *c.ui;
    gPreviewWindow = window_; // 1. key preview
    c.s.TxPower = QStringLiteral("25W");
    c.s.OwnMMSI = QStringLiteral("316123456");
    c.s.AcceptedMMSI = c.s.OwnMMSI;
    ctl::setText(ui.txtMMSI, QStringLiteral("316123456"));
    // 4. The knob's move from its designed 84 runs the channel display while the plan, the mode
    // and the previous position are still unset.
    c.channel->setKnob(16);
    c.s.ChannelLabel = QStringLiteral("84");
    c.s.ChannelPlan = QStringLiteral("USA");
    c.s.ChWxMode = QStringLiteral("CH");
    ui.lblMMSI->setText(QStringLiteral("MMSI# = ") + ui.txtMMSI->text());
    ui.lblNewMMSI->hide();
    ui.lblNewMenu->hide();
    ui.lblTX->hide();
    ui.lblTime->setText(QLocale(QLocale::English).toString(c.clock.now().date(), QStringLiteral("d-MMM")));
    ui.lblTime->hide();
    ui.lblUTCDifference->hide();
    ui.lblA->setText(QStringLiteral("A"));
    ui.lblA->hide();
    c.s.PrevScrollValue = 16;
    ui.txtTime->hide();
    ui.ComboMessage->hide();
    c.Timer5Second->setEnabled(false);
    c.Timer5Second->setInterval(5000);
    const QSize screen = c.screen.screenSize();
    c.OriginalScreenWidth = static_cast<float>(screen.width());
    c.OriginalScreenHeight = static_cast<float>(screen.height());
    ui.lblScreenSize->setText(c.screenSize->originalSizeText());
    static const char* const distressLog[] = {
        "UTC 15:15", "Tarvik's Madness ", "316416622", "Distress call", "MOB", "L42°47.3'N", "L069°21.0'W",
        "_____________________", "",
        "11:39  ", "338357697", "Distress call", "Grounding", "no position received", "_____________________", "",
        "10:35", "316257387", "Distress call", "Grounding", "no position received", "_____________________", ""};
    ui.lstDistress.whenMade([](QListWidget* log) {
        for (const char* line : distressLog) log->addItem(QString::fromUtf8(line));
    });
    c.s.DisplayModeChanged = false;
    ctl::setText(ui.txtLatLon, QStringLiteral("L##°##.#'N  Lo###°##.#'W"));
    ctl::setText(ui.txtTime, QStringLiteral("##:##"));
    ctl::setText(ui.txtUTC, QStringLiteral("#.#"));
    ui.lstDirectory.whenMade([&c](QListWidget*) { c.logs->sortDirectory(); });
}
