#include "screens/ExercisePanel.h"

#include "core/Accessibility.h"
#include "core/Context.h"
#include "lessons/ExerciseRun.h"
#include "lessons/Recorder.h"
#include "platform/Controls.h"
#include "screens/LessonsWindow.h"
#include "core/Form.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace screens {

ExerciseWindow::ExerciseWindow(QWidget* parent)
    : ToolWindow(parent, QStringLiteral("frmExercise"), QStringLiteral("Exercise")) {
    nameControl(this, QStringLiteral("Exercise"));

    shipped = new QTreeWidget(this);
    shipped->setObjectName(QStringLiteral("lstExercises"));
    shipped->setHeaderLabels({QStringLiteral("Exercise"), QStringLiteral("Briefing")});
    shipped->setRootIsDecorated(false);
    shipped->setItemsExpandable(false);
    shipped->setUniformRowHeights(true);
    shipped->setEditTriggers(QAbstractItemView::NoEditTriggers);
    shipped->setFixedHeight(130);
    shipped->header()->setStretchLastSection(true);
    nameControl(shipped, QStringLiteral("Exercises"),
                QStringLiteral("The exercises that come with the trainer, by title with the start of the briefing; "
                               "double-click one or press Return to start it"));
    nameScrollBars(shipped, shipped->accessibleName());

    title = new QLabel(this);
    title->setObjectName(QStringLiteral("lblExerciseTitle"));
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    title->setFont(bold);
    title->setWordWrap(true);
    nameControl(title, QStringLiteral("Exercise title"));

    briefing = new QPlainTextEdit(this);
    briefing->setObjectName(QStringLiteral("txtExerciseBriefing"));
    briefing->setReadOnly(true);
    briefing->setTabChangesFocus(true);
    briefing->setFixedHeight(110);
    nameControl(briefing, QStringLiteral("Briefing"), QStringLiteral("The situation the exercise puts you in"));
    nameScrollBars(briefing, briefing->accessibleName());

    tasks = new QTableWidget(0, ExercisePanel::ColumnCount, this);
    tasks->setObjectName(QStringLiteral("lstExerciseTasks"));
    tasks->setHorizontalHeaderLabels(
        {QStringLiteral("No."), QStringLiteral("Task"), QStringLiteral("Result"), QStringLiteral("Time")});
    tasks->setSelectionBehavior(QAbstractItemView::SelectRows);
    tasks->setSelectionMode(QAbstractItemView::SingleSelection);
    tasks->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tasks->setTabKeyNavigation(false); // Tab goes on to the next control; the arrows move in the list
    tasks->setWordWrap(true);
    tasks->verticalHeader()->hide();
    tasks->horizontalHeader()->setHighlightSections(false);
    tasks->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    tasks->horizontalHeader()->setSectionResizeMode(ExercisePanel::Task, QHeaderView::Stretch);
    tasks->horizontalHeader()->setSectionResizeMode(ExercisePanel::Result, QHeaderView::Stretch);
    tasks->setColumnWidth(ExercisePanel::Number, 36);
    tasks->setColumnWidth(ExercisePanel::Time, 56);
    // The lines of a task wrap: its row grows and shrinks with the width of the window.
    connect(tasks->horizontalHeader(), &QHeaderView::sectionResized, tasks, &QTableView::resizeRowsToContents);
    nameControl(tasks, QStringLiteral("Tasks"),
                QStringLiteral("What to do, one task a line, with its result: open, done, or wrong and why, and "
                               "the time from the start of the exercise"));
    nameScrollBars(tasks, tasks->accessibleName());

    score = toolLabel(this, "lblExerciseScore", QStringLiteral("Score"));

    open = toolButton(this, "cmdExerciseOpen", QStringLiteral("Open..."));
    nameControl(open, QStringLiteral("Open exercise"), QStringLiteral("Opens an exercise file and starts it"));
    stop = toolButton(this, "cmdExerciseStop", QStringLiteral("Stop"));
    nameControl(stop, QStringLiteral("Stop exercise"), QStringLiteral("Ends the exercise now and gives the score"));
    debrief = toolButton(this, "cmdExerciseDebrief", QStringLiteral("Debrief..."));
    nameControl(debrief, QStringLiteral("Debrief"),
                QStringLiteral("Writes the debrief of this lesson so far: results, timeline and pictures, in HTML or PDF"));
    exam = toolButton(this, "cmdExerciseExam", QStringLiteral("Mock exam..."));
    nameControl(exam, QStringLiteral("Mock exam"),
                QStringLiteral("Sits a mock practical exam: choose the profile, the seed and the candidate's name"));
    close = toolButton(this, "cmdExerciseClose", QStringLiteral("Close"));
    nameControl(close, QStringLiteral("Close Exercise"),
                QStringLiteral("Closes this window; a running exercise goes on"));
    connect(close, &QPushButton::clicked, this, &QWidget::hide);

    QHBoxLayout* buttons = keyRow({open, stop, debrief}, close);
    // The exam is no exercise: its key stands apart, beside the score, and keeps the window as
    // narrow as the room beside the radio.
    auto* scoreRow = new QHBoxLayout;
    scoreRow->addWidget(score, 1);
    scoreRow->addWidget(exam);
    auto* layout = toolColumn(this);
    layout->addWidget(shipped);
    layout->addWidget(title);
    layout->addWidget(briefing);
    layout->addWidget(tasks, 1);
    layout->addLayout(scoreRow);
    layout->addLayout(buttons);

    setTabOrder(shipped, briefing);
    setTabOrder(briefing, tasks);
    setTabOrder(tasks, open);
    setTabOrder(open, stop);
    setTabOrder(stop, debrief);
    setTabOrder(debrief, exam);
    setTabOrder(exam, close);
    resize(620, 600);
}



} // namespace screens

namespace {
const QColor kDoneColour(0, 112, 0);
const QColor kWrongColour(192, 0, 0);
} // namespace

ExercisePanel::ExercisePanel(Context& ctx) : c(ctx) {
    const QStringList folders = lessons::exerciseFolders();
    folder_ = folders.isEmpty() ? QDir::homePath() : folders.first();
    askDebriefPath = [this] { return screens::askDebriefFile(window_.get()); };
    askOpenPath = [this] {
        return QFileDialog::getOpenFileName(window_.get(), QStringLiteral("Open Exercise"), folder_,
                                            QStringLiteral("Exercises (*.json)"));
    };
}

ExercisePanel::~ExercisePanel() = default;

void ExercisePanel::wire() {
    run_ = std::make_unique<lessons::ExerciseRun>(c);
    run_->changed = [this] {
        if (window_) refresh();
    };
    QObject::connect(c.ui->cmdExercises, &QPushButton::clicked, c.ui->cmdExercises, [this] { show(); });
}

void ExercisePanel::make() {
    window_ = std::make_unique<screens::ExerciseWindow>();
    screens::ExerciseWindow& w = *window_;
    // The shipped exercises, each once (the first folder that has a file of its name gives it).
    QStringList names;
    for (const QString& dir : lessons::exerciseFolders()) {
        for (const QFileInfo& file : QDir(dir).entryInfoList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
            if (names.contains(file.fileName())) continue;
            const auto x = lessons::loadExercise(file.filePath());
            if (!x.ok()) continue;
            names << file.fileName();
            const QString briefing = x.value().briefing.section(QLatin1Char('\n'), 0, 0);
            auto* item = new QTreeWidgetItem(w.shipped, {x.value().title, briefing});
            item->setData(0, Qt::UserRole, file.filePath());
            item->setToolTip(1, x.value().briefing);
        }
    }
    w.shipped->resizeColumnToContents(0);
    // A double click or Return starts one.
    QObject::connect(w.shipped, &QTreeWidget::itemActivated, &w, [this](QTreeWidgetItem* item) {
        if (item) open(item->data(0, Qt::UserRole).toString());
    });
    QObject::connect(w.open, &QPushButton::clicked, &w, [this] { chooseAndOpen(); });
    QObject::connect(w.stop, &QPushButton::clicked, &w, [this] { stop(); });
    QObject::connect(w.exam, &QPushButton::clicked, &w, [this] {
        if (onExam) onExam();
    });
    QObject::connect(w.debrief, &QPushButton::clicked, &w, [this] {
        const QString out = askDebriefPath();
        if (!out.isEmpty()) window_->score->setText(debrief(out));
    });
    refresh();
}

void ExercisePanel::show() {
    if (!window_) make();
    screens::showBeside(window_.get(), c.form);
}

QString ExercisePanel::open(const QString& path) {
    if (!window_) make();
    problem_ = run_->open(path);
    if (problem_.isEmpty()) folder_ = QFileInfo(path).absolutePath();
    refresh();
    show();
    return problem_;
}

void ExercisePanel::stop() { run_->stop(); }

QString ExercisePanel::debrief(const QString& outPath) {
    if (!c.lesson) return QStringLiteral("This run is not recorded: there is no lesson to debrief.");
    return screens::writeDebriefSaying(c, c.lesson->path(), outPath);
}

void ExercisePanel::chooseAndOpen() {
    const QString path = askOpenPath();
    if (!path.isEmpty()) open(path);
}

void ExercisePanel::refresh() {
    screens::ExerciseWindow& w = *window_;
    const lessons::Checker* checker = run_->checker();
    w.stop->setEnabled(checker && !checker->finished());
    QTableWidget* list = w.tasks;
    if (!checker) {
        w.title->setText(QStringLiteral("No exercise"));
        w.briefing->setPlainText(QStringLiteral("Start an exercise of the list with a double click or Return, or "
                                                "Open... a file of your own. The trainer sets the radio up, gives you "
                                                "the situation and the tasks, and checks each call."));
        list->setRowCount(0);
        w.score->setText(problem_);
        describeLabels();
        return;
    }
    const lessons::Exercise& x = checker->exercise();
    w.title->setText(x.title);
    if (w.briefing->toPlainText() != x.briefing) w.briefing->setPlainText(x.briefing);
    list->setRowCount(int(x.tasks.size()));
    for (int i = 0; i < x.tasks.size(); ++i) {
        const lessons::Verdict& v = checker->verdicts()[size_t(i)];
        const QString cells[ColumnCount] = {QString::number(i + 1), x.tasks[i].title, checker->resultText(i),
                                            v.ms < 0 ? QString() : QStringLiteral("%1 s").arg((v.ms + 999) / 1000)};
        for (int col = 0; col < ColumnCount; ++col) {
            auto* item = new QTableWidgetItem(cells[col]);
            item->setToolTip(col == Task || col == Result ? cells[col] : QString());
            if (col == Result && v.state != lessons::TaskState::Open)
                item->setForeground(v.state == lessons::TaskState::Done ? kDoneColour : kWrongColour);
            list->setItem(i, col, item);
        }
    }
    list->resizeRowsToContents();
    w.score->setText(problem_.isEmpty() ? checker->scoreText() : problem_ + QLatin1Char('\n') + checker->scoreText());
    describeLabels();
}

void ExercisePanel::describeLabels() {
    // A screen reader speaks a label by its name: what it shows goes with it as its description.
    for (QLabel* label : {window_->title, window_->score}) label->setAccessibleDescription(label->text());
}
