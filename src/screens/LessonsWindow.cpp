#include "screens/LessonsWindow.h"

#include "core/Accessibility.h"
#include "core/Context.h"
#include "lessons/Debrief.h"
#include "lessons/Recorder.h"
#include "lessons/Summary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace screens {

namespace {

// "0:27", "12:05", "1:02:03".
QString lengthText(qint64 ms) {
    const qint64 s = (ms + 500) / 1000;
    if (s < 3600) return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2:%3").arg(s / 3600).arg(s / 60 % 60, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'));
}

// In megabytes with one decimal (of 1024 x 1024 bytes, as the limit is counted).
QString megabytes(qint64 bytes) { return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MB"); }

} // namespace

LessonsWindow::LessonsWindow(Context& ctx)
    : ToolWindow(nullptr, QStringLiteral("frmLessons"), QStringLiteral("Lessons")), c(ctx) {
    nameControl(this, QStringLiteral("Lessons"));

    list = new QTableWidget(0, ColumnCount, this);
    list->setObjectName(QStringLiteral("lstLessons"));
    list->setHorizontalHeaderLabels({QStringLiteral("Date and time"), QStringLiteral("Length"), QStringLiteral("Exercise"),
                                     QStringLiteral("Calls"), QStringLiteral("Transmissions")});
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setTabKeyNavigation(false); // Tab goes on to the next control; the arrows move in the list
    list->verticalHeader()->hide();
    list->horizontalHeader()->setHighlightSections(false);
    list->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list->horizontalHeader()->setSectionResizeMode(Exercise, QHeaderView::Stretch);
    nameControl(list, QStringLiteral("Lessons"),
                QStringLiteral("The lessons recorded, newest first: date and time, length, exercise, the DSC calls "
                               "sent and the spoken transmissions made"));
    nameScrollBars(list, list->accessibleName());

    folderSize = toolLabel(this, "lblLessonsFolder", QStringLiteral("Lessons folder"));
    status = toolLabel(this, "lblLessonsStatus", QStringLiteral("Lessons status"));

    replayKey = toolButton(this, "cmdLessonReplay", QStringLiteral("Replay"));
    nameControl(replayKey, QStringLiteral("Replay lesson"),
                QStringLiteral("Plays the chosen lesson back on a radio window of its own"));
    debriefKey = toolButton(this, "cmdLessonDebrief", QStringLiteral("Debrief..."));
    nameControl(debriefKey, QStringLiteral("Debrief lesson"),
                QStringLiteral("Writes the debrief of the chosen lesson: results, timeline and pictures, in HTML or PDF"));
    deleteKey = toolButton(this, "cmdLessonDelete", QStringLiteral("Delete"));
    nameControl(deleteKey, QStringLiteral("Delete lesson"),
                QStringLiteral("Deletes the chosen lesson with its pictures and voice, once you say yes"));
    close = toolButton(this, "cmdLessonsClose", QStringLiteral("Close"));
    nameControl(close, QStringLiteral("Close Lessons"), QStringLiteral("Closes this window"));

    connect(replayKey, &QPushButton::clicked, this, [this] { replay(); });
    connect(debriefKey, &QPushButton::clicked, this, [this] { debrief(); });
    connect(deleteKey, &QPushButton::clicked, this, [this] { remove(); });
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    connect(list, &QTableWidget::itemSelectionChanged, this, [this] {
        for (QPushButton* key : {replayKey, debriefKey, deleteKey}) key->setEnabled(chosenFiles() != nullptr);
    });
    // The lesson of this run (or of another trainer of this process) has ended: its last lines are in.
    connect(&lessons::LessonEnds::instance(), &lessons::LessonEnds::ended, this, [this] {
        if (isVisible()) refresh();
    });

    askDebriefPath = [this] { return askDebriefFile(this); };
    startProgram = [](const QStringList& arguments) {
        return QProcess::startDetached(QCoreApplication::applicationFilePath(), arguments);
    };

    QHBoxLayout* keys = keyRow({replayKey, debriefKey, deleteKey}, close);
    auto* layout = toolColumn(this);
    layout->addWidget(list, 1);
    layout->addWidget(folderSize);
    layout->addWidget(status);
    layout->addLayout(keys);
    setTabOrder(list, replayKey);
    setTabOrder(replayKey, debriefKey);
    setTabOrder(debriefKey, deleteKey);
    setTabOrder(deleteKey, close);
    resize(600, 400);
}

QString LessonsWindow::folder() const {
    if (c.lesson) folder_ = QFileInfo(c.lesson->path()).absolutePath();
    return folder_.isEmpty() ? lessons::defaultFolder() : folder_;
}

bool LessonsWindow::isRecording(const QString& path) const {
    return c.lesson && c.lesson->recording() && QFileInfo(c.lesson->path()) == QFileInfo(path);
}

void LessonsWindow::showEvent(QShowEvent* e) {
    refresh();
    ToolWindow::showEvent(e);
}

void LessonsWindow::refresh() {
    const QString dir = folder();
    const QString was = chosen();
    std::vector<lessons::LessonFiles> found = lessons::lessonsIn(dir);
    std::reverse(found.begin(), found.end()); // newest first
    rows_ = std::move(found);
    qint64 total = 0;
    list->clearSelection();
    list->setRowCount(int(rows_.size()));
    for (int row = 0; row < int(rows_.size()); ++row) {
        const lessons::LessonFiles& l = rows_[size_t(row)];
        total += l.bytes;
        const QString path = QDir(dir).filePath(l.files.first());
        const lessons::Summary s = lessons::summarize(path);
        QString when = s.start.isValid() ? s.start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : l.name;
        if (isRecording(path)) when += QStringLiteral(" (recording)");
        const QString cells[ColumnCount] = {when, lengthText(s.lengthMs), s.exercises.join(QStringLiteral(", ")),
                                            QString::number(s.calls), QString::number(s.transmissions)};
        for (int col = 0; col < ColumnCount; ++col) {
            auto* item = new QTableWidgetItem(cells[col]);
            if (col == Calls || col == Transmissions) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            // A damaged lesson says where it stops.
            item->setToolTip(s.problem.isEmpty() ? (col == Exercise ? cells[col] : QString()) : s.problem);
            list->setItem(row, col, item);
        }
        if (path == was) list->selectRow(row);
    }
    emit list->itemSelectionChanged();
    folderSize->setText(QStringLiteral("%1 lessons in %2: %3 of %4; the oldest go first when the folder is full.")
                            .arg(rows_.size())
                            .arg(QDir::toNativeSeparators(dir), megabytes(total), megabytes(lessons::kFolderLimitBytes)));
    folderSize->setAccessibleDescription(folderSize->text());
}

const lessons::LessonFiles* LessonsWindow::chosenFiles() const {
    const QList<QTableWidgetItem*> picked = list->selectedItems();
    if (picked.isEmpty()) return nullptr;
    const int row = picked.first()->row();
    return row >= 0 && row < int(rows_.size()) ? &rows_[size_t(row)] : nullptr;
}

QString LessonsWindow::chosen() const {
    const lessons::LessonFiles* l = chosenFiles();
    return l ? QDir(folder()).filePath(l->files.first()) : QString();
}

void LessonsWindow::say(const QString& text) {
    status->setText(text);
    status->setAccessibleDescription(text);
}

void LessonsWindow::replay() {
    const QString path = chosen();
    if (path.isEmpty()) return;
    // The replay reads the pictures and voice of this run's lesson too.
    if (isRecording(path)) c.lesson->flushFiles();
    say(startProgram({QStringLiteral("--replay"), path})
            ? QStringLiteral("Replaying %1 on a window of its own.").arg(QFileInfo(path).fileName())
            : QStringLiteral("The replay of %1 could not be started.").arg(QFileInfo(path).fileName()));
}

void LessonsWindow::debrief() {
    const QString path = chosen();
    if (path.isEmpty()) return;
    const QString out = askDebriefPath();
    if (!out.isEmpty()) say(writeDebriefSaying(c, path, out));
}

void LessonsWindow::remove() {
    const lessons::LessonFiles* l = chosenFiles();
    if (!l) return;
    const QString path = chosen();
    const QString when = list->item(list->selectedItems().first()->row(), When)->text();
    if (isRecording(path)) {
        say(QStringLiteral("The lesson of %1 is being recorded: it can be deleted once the trainer is closed.").arg(when));
        return;
    }
    if (!c.messages.ask(QStringLiteral("Delete the lesson of %1 with its pictures and voice?").arg(when))) return;
    const lessons::LessonFiles gone = *l;
    say(lessons::removeLesson(folder(), gone) ? QStringLiteral("The lesson of %1 is deleted.").arg(when)
                                              : QStringLiteral("The lesson of %1 could not be deleted whole.").arg(when));
    refresh();
}

QString askDebriefFile(QWidget* parent) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save Debrief"),
                                        QDir::home().filePath(QStringLiteral("debrief.html")),
                                        QStringLiteral("Debrief (*.html *.pdf)"));
}

QString writeDebriefSaying(Context& c, const QString& lesson, const QString& out) {
    if (c.lesson && QFileInfo(c.lesson->path()) == QFileInfo(lesson)) c.lesson->flushFiles();
    const lessons::DebriefOutcome done = lessons::writeDebrief(lesson, out);
    if (!done.written) return QStringLiteral("No debrief written: %1").arg(done.problem);
    return QStringLiteral("Debrief written to %1").arg(out);
}

} // namespace screens
