#include "screens/ExercisePanel.h"

#include "core/Accessibility.h"
#include "core/Context.h"
#include "lessons/Debrief.h"
#include "lessons/ExerciseRun.h"
#include "lessons/Recorder.h"
#include "platform/Controls.h"
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
#include <QVBoxLayout>

namespace screens {
namespace {


} // namespace

ExerciseWindow::ExerciseWindow(QWidget* parent)
    : ToolWindow(parent, QStringLiteral("frmExercise"), QStringLiteral("Exercise")) {
    nameControl(this, QStringLiteral("Exercise"));

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

    score = new QLabel(this);
    score->setObjectName(QStringLiteral("lblExerciseScore"));
    score->setWordWrap(true);
    score->setTextInteractionFlags(Qt::TextSelectableByMouse);
    nameControl(score, QStringLiteral("Score"));

    open = toolButton(this, "cmdExerciseOpen", QStringLiteral("Open..."));
    nameControl(open, QStringLiteral("Open exercise"), QStringLiteral("Opens an exercise file and starts it"));
    stop = toolButton(this, "cmdExerciseStop", QStringLiteral("Stop"));
    nameControl(stop, QStringLiteral("Stop exercise"), QStringLiteral("Ends the exercise now and gives the score"));
    debrief = toolButton(this, "cmdExerciseDebrief", QStringLiteral("Debrief..."));
    nameControl(debrief, QStringLiteral("Debrief"),
                QStringLiteral("Writes the debrief of this lesson so far: results, timeline and pictures, in HTML or PDF"));
    close = toolButton(this, "cmdExerciseClose", QStringLiteral("Close"));
    nameControl(close, QStringLiteral("Close Exercise"),
                QStringLiteral("Closes this window; a running exercise goes on"));
    connect(close, &QPushButton::clicked, this, &QWidget::hide);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(open);
    buttons->addWidget(stop);
    buttons->addWidget(debrief);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    layout->addWidget(title);
    layout->addWidget(briefing);
    layout->addWidget(tasks, 1);
    layout->addWidget(score);
    layout->addLayout(buttons);

    setTabOrder(briefing, tasks);
    setTabOrder(tasks, open);
    setTabOrder(open, stop);
    setTabOrder(stop, debrief);
    setTabOrder(debrief, close);
    resize(620, 480);
}



} // namespace screens

namespace {
const QColor kDoneColour(0, 112, 0);
const QColor kWrongColour(192, 0, 0);
} // namespace

ExercisePanel::ExercisePanel(Context& ctx) : c(ctx) {
    const QStringList folders = lessons::exerciseFolders();
    folder_ = folders.isEmpty() ? QDir::homePath() : folders.first();
    askDebriefPath = [this] {
        return QFileDialog::getSaveFileName(window_.get(), QStringLiteral("Save Debrief"),
                                            QDir::home().filePath(QStringLiteral("debrief.html")),
                                            QStringLiteral("Debrief (*.html *.pdf)"));
    };
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
    QObject::connect(w.open, &QPushButton::clicked, &w, [this] { chooseAndOpen(); });
    QObject::connect(w.stop, &QPushButton::clicked, &w, [this] { stop(); });
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
    c.lesson->flushFiles();
    const lessons::DebriefOutcome done = lessons::writeDebrief(c.lesson->path(), outPath);
    if (!done.written) return QStringLiteral("No debrief written: %1").arg(done.problem);
    return QStringLiteral("Debrief written to %1").arg(outPath);
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
        w.briefing->setPlainText(QStringLiteral("Open... chooses an exercise file. The trainer sets the radio up, "
                                                "gives you the situation and the tasks, and checks each call."));
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
