#include "screens/ClassExamPanel.h"

#include "core/Accessibility.h"
#include "exam/Pass.h"
#include "exam/Record.h"
#include "screens/ToolWindow.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTableWidget>
#include <QVBoxLayout>

namespace screens {
namespace {

enum Role { CardRole = Qt::UserRole, AttemptRole, SoundRole };

QString minutes(int seconds) { return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0')); }

// Where a trainee's exam stands, in words.
QString phaseText(const QJsonObject& p) {
    const QString phase = p.value("phase").toString();
    if (phase == QLatin1String("familiarisation")) return QStringLiteral("Getting to know the radio");
    if (phase == QLatin1String("card"))
        return QStringLiteral("Card %1 of %2 (%3), attempt %4")
            .arg(p.value("card").toInt()).arg(p.value("cards").toInt()).arg(p.value("kind").toString()).arg(p.value("attempt").toInt());
    if (phase == QLatin1String("over")) return QStringLiteral("Over");
    if (phase == QLatin1String("refused")) return QStringLiteral("Not started: ") + p.value("problem").toString();
    return phase;
}

QString timeText(const QJsonObject& p) {
    if (!p.value("seconds").isDouble()) return {};
    QString t = minutes(p.value("seconds").toInt()) + QStringLiteral(" used");
    if (p.value("left").isDouble()) t += QStringLiteral(", %1 left").arg(minutes(p.value("left").toInt()));
    return t;
}

} // namespace

const QStringList& ClassExamPanel::profiles() {
    static const QStringList shipped{QStringLiteral("src"), QStringLiteral("src-4plus2")};
    return shipped;
}

ClassExamPanel::ClassExamPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pnlClassExam"));
    table = new QTableWidget(0, ColumnCount, this);
    table->setObjectName(QStringLiteral("tblExam"));
    table->setHorizontalHeaderLabels({QStringLiteral("Trainee"), QStringLiteral("Exam"), QStringLiteral("Where"),
                                      QStringLiteral("Time"), QStringLiteral("Result")});
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setTabKeyNavigation(false);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {150, 90, 150, 100};
    for (int col = 0; col < int(std::size(widths)); ++col) table->setColumnWidth(col, widths[col]);
    nameControl(table, QStringLiteral("Exam of each trainee"),
                QStringLiteral("Each trainee's mock exam: the profile and seed, the card and attempt, the time, the result"));

    attempts = new QListWidget(this);
    attempts->setObjectName(QStringLiteral("lstExamAttempts"));
    nameControl(attempts, QStringLiteral("Attempts of the trainee"),
                QStringLiteral("The selected trainee's cards and attempts, and the spoken parts waiting for review"));
    status = toolLabel(this, "lblExamStatus", QStringLiteral("Exam status"));

    start = toolButton(this, "cmdStartExam", QStringLiteral("Start exam..."));
    nameControl(start, QStringLiteral("Start exam"), QStringLiteral("Starts a mock exam on every trainee's trainer"));
    listen = toolButton(this, "cmdExamListen", QStringLiteral("Listen"));
    nameControl(listen, QStringLiteral("Listen"), QStringLiteral("Plays the sound of the spoken part chosen for review"));
    mark = new QComboBox(this);
    mark->setObjectName(QStringLiteral("cboOverrideMark"));
    mark->addItems({QStringLiteral("passed"), QStringLiteral("failed")});
    nameControl(mark, QStringLiteral("Override mark"));
    reason = new QLineEdit(this);
    reason->setObjectName(QStringLiteral("txtOverrideReason"));
    reason->setPlaceholderText(QStringLiteral("Reason for the override"));
    nameControl(reason, QStringLiteral("Reason for the override"));
    overrideKey = toolButton(this, "cmdOverride", QStringLiteral("Override"));
    nameControl(overrideKey, QStringLiteral("Override"),
                QStringLiteral("Marks the chosen attempt as chosen, with the reason written down"));
    save = toolButton(this, "cmdSaveResults", QStringLiteral("Save results..."));
    nameControl(save, QStringLiteral("Save results"),
                QStringLiteral("Writes every trainee's examiner's sheet and record, and one table for the school, into a folder"));

    askExam = [this] { return askWithDialog(); };
    askFolder = [this] { return QFileDialog::getExistingDirectory(this, QStringLiteral("Save exam results into")); };
    connect(start, &QPushButton::clicked, this, [this] {
        if (const auto choice = askExam()) emit startRequested(*choice);
    });
    connect(save, &QPushButton::clicked, this, [this] {
        const QString folder = askFolder();
        if (!folder.isEmpty()) emit saveRequested(folder);
    });
    connect(table, &QTableWidget::itemSelectionChanged, this, &ClassExamPanel::showAttempts);
    connect(listen, &QPushButton::clicked, this, [this] {
        if (QListWidgetItem* item = attempts->currentItem(); item && !item->data(SoundRole).toString().isEmpty())
            emit listenRequested(item->data(SoundRole).toString());
    });
    connect(overrideKey, &QPushButton::clicked, this, [this] {
        QListWidgetItem* item = attempts->currentItem();
        if (!item || selectedTrainee().isEmpty()) return say(QStringLiteral("Choose a trainee's attempt first."));
        emit overrideRequested(selectedTrainee(), item->data(CardRole).toInt(), item->data(AttemptRole).toInt(),
                               mark->currentText(), reason->text());
    });

    QWidget* order[] = {table, attempts, listen, mark, reason, overrideKey, start, save};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    auto* review = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{listen, mark, reason, overrideKey}) review->addWidget(w);
    review->setStretchFactor(reason, 1);
    auto* keys = new QHBoxLayout;
    keys->addWidget(start);
    keys->addWidget(save);
    keys->addStretch(1);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    auto* lists = new QHBoxLayout;
    lists->addWidget(table, 3);
    lists->addWidget(attempts, 2);
    column->addLayout(lists, 1);
    column->addWidget(status);
    column->addLayout(review);
    column->addLayout(keys);
}

std::optional<ClassExamPanel::Choice> ClassExamPanel::askWithDialog() {
    QDialog d(this);
    d.setObjectName(QStringLiteral("frmStartExam"));
    d.setWindowTitle(QStringLiteral("Start exam"));
    auto* profile = new QComboBox(&d);
    profile->setObjectName(QStringLiteral("cboExamProfile"));
    profile->addItems(profiles());
    nameControl(profile, QStringLiteral("Profile"));
    const quint64 seed = QRandomGenerator::global()->bounded(1000000000u);
    auto* one = new QRadioButton(QStringLiteral("One seed for all: %1").arg(seed), &d);
    one->setObjectName(QStringLiteral("optOneSeed"));
    one->setChecked(true);
    auto* each = new QRadioButton(QStringLiteral("One seed each (drawn at the start, shown in the list)"), &d);
    each->setObjectName(QStringLiteral("optSeedEach"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Start"));
    connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    auto* layout = new QVBoxLayout(&d);
    layout->addWidget(new QLabel(QStringLiteral("Profile:"), &d));
    for (QWidget* w : std::initializer_list<QWidget*>{profile, one, each, buttons}) layout->addWidget(w);
    if (d.exec() != QDialog::Accepted) return std::nullopt;
    return Choice{profile->currentText(), one->isChecked(), seed};
}

int ClassExamPanel::rowOf(const QString& mmsi) {
    auto it = rows_.find(mmsi);
    if (it == rows_.end()) {
        it = rows_.insert(mmsi, Row{});
        const int row = int(std::distance(rows_.begin(), it));
        table->insertRow(row);
        for (int col = 0; col < ColumnCount; ++col) table->setItem(row, col, new QTableWidgetItem);
    }
    return int(std::distance(rows_.begin(), it));
}

void ClassExamPanel::setStarted(const QString& mmsi, const QString& candidate, const QString& profile, quint64 seed) {
    rowOf(mmsi);
    rows_[mmsi] = Row{candidate, QStringLiteral("%1, seed %2").arg(profile).arg(seed), {{"phase", "starting"}}, {}};
    showRow(mmsi);
}

void ClassExamPanel::setProgress(const QString& mmsi, const QJsonObject& progress) {
    rowOf(mmsi);
    rows_[mmsi].progress = progress;
    showRow(mmsi);
}

void ClassExamPanel::setRecord(const QString& mmsi, const QString& recordPath) {
    rowOf(mmsi);
    rows_[mmsi].recordPath = recordPath;
    showRow(mmsi);
    if (selectedTrainee() == mmsi) showAttempts();
}

void ClassExamPanel::say(const QString& text) {
    status->setText(text);
    status->setAccessibleDescription(text);
}

QString ClassExamPanel::selectedTrainee() const {
    const int row = table->currentRow();
    return row < 0 || row >= rows_.size() ? QString() : std::next(rows_.begin(), row).key();
}

void ClassExamPanel::showRow(const QString& mmsi) {
    const int row = rowOf(mmsi);
    const Row& r = rows_[mmsi];
    QString result = r.progress.value("result").toString();
    if (!r.recordPath.isEmpty()) {
        const exam::RecordRead read = exam::readRecordFile(r.recordPath);
        result = read.integrity == exam::Integrity::Intact ? exam::judge(read.record).result
                                                           : QStringLiteral("record changed or unreadable");
    }
    const QString cells[ColumnCount] = {QStringLiteral("%1 (%2)").arg(r.candidate, mmsi), r.exam, phaseText(r.progress),
                                        timeText(r.progress), result};
    for (int col = 0; col < ColumnCount; ++col) table->item(row, col)->setText(cells[col]);
}

// The selected trainee's attempts, each card's in order, and under each its review flags.
void ClassExamPanel::showAttempts() {
    attempts->clear();
    const QString mmsi = selectedTrainee();
    if (mmsi.isEmpty() || rows_[mmsi].recordPath.isEmpty()) return;
    const QString path = rows_[mmsi].recordPath;
    const exam::RecordRead read = exam::readRecordFile(path);
    const QDir folder = QFileInfo(path).dir();
    const auto add = [this](const QString& text, int card, int attempt, const QString& sound) {
        auto* item = new QListWidgetItem(text, attempts);
        item->setData(CardRole, card);
        item->setData(AttemptRole, attempt);
        item->setData(SoundRole, sound);
    };
    for (const exam::CardResult& card : read.record.cards)
        for (const exam::Attempt& a : card.attempts) {
            add(QStringLiteral("Card %1 (%2), attempt %3: %4")
                    .arg(card.number).arg(card.kind).arg(a.number)
                    .arg(a.passed ? QStringLiteral("passed") : QStringLiteral("failed")),
                card.number, a.number, {});
            for (const exam::ReviewFlag& f : a.review)
                add(QStringLiteral("    review %1: %2").arg(f.element, f.sound), card.number, a.number,
                    f.sound.isEmpty() || f.sound.contains(QLatin1Char('/')) ? QString() : folder.filePath(f.sound));
        }
    for (const exam::Override& o : read.record.overrides)
        new QListWidgetItem(QStringLiteral("Override: card %1, attempt %2 %3: %4").arg(o.card).arg(o.attempt).arg(o.mark, o.reason),
                            attempts);
}

} // namespace screens
