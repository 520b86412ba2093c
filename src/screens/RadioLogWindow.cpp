#include "screens/RadioLogWindow.h"

#include "core/Accessibility.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace screens {

namespace {

// "txtLogCallSign" for the field "callSign".
QString fieldObjectName(const char* key) {
    const QString k = QString::fromLatin1(key);
    return QStringLiteral("txtLog") + k.left(1).toUpper() + k.mid(1);
}

bool isCategory(const lessons::LogField& f) { return f.member == &lessons::LogEntry::category; }

} // namespace

RadioLogWindow::RadioLogWindow(std::function<QTime()> utcNow)
    : ToolWindow(nullptr, QStringLiteral("frmRadioLog"), QStringLiteral("Radio log")), utcNow_(std::move(utcNow)) {
    nameControl(this, QStringLiteral("Radio log"));

    list = new QListWidget(this);
    list->setObjectName(QStringLiteral("lstRadioLog"));
    nameControl(list, QStringLiteral("Radio log entries"),
                QStringLiteral("The entries written, oldest first; choose one to read it again in the form"));
    nameScrollBars(list, list->accessibleName());

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    QWidget* previous = list;
    for (const lessons::LogField& f : lessons::logFields()) {
        const QString title = QString::fromLatin1(f.title);
        QWidget* field = nullptr;
        if (isCategory(f)) {
            category = new QComboBox(this);
            category->setObjectName(QStringLiteral("cboLogCategory"));
            for (const char* name : lessons::kLogCategories) category->addItem(QString::fromLatin1(name));
            field = category;
            fields.push_back(nullptr);
        } else {
            auto* edit = new QLineEdit(this);
            edit->setObjectName(fieldObjectName(f.key));
            field = edit;
            fields.push_back(edit);
        }
        nameControl(field, QStringLiteral("Log ") + title.left(1).toLower() + title.mid(1));
        auto* label = new QLabel(title + QLatin1Char(':'), this);
        label->setBuddy(field);
        form->addRow(label, field);
        setTabOrder(previous, field);
        previous = field;
    }

    addKey = toolButton(this, "cmdLogAdd", QStringLiteral("Add"));
    nameControl(addKey, QStringLiteral("Add log entry"), QStringLiteral("Enters the entry in the radio log"));
    newKey = toolButton(this, "cmdLogNew", QStringLiteral("New"));
    nameControl(newKey, QStringLiteral("New log entry"),
                QStringLiteral("Empties the form for the next entry, its time the radio's UTC time"));
    close = toolButton(this, "cmdRadioLogClose", QStringLiteral("Close"));
    nameControl(close, QStringLiteral("Close Radio log"), QStringLiteral("Closes this window"));
    for (QWidget* key : {static_cast<QWidget*>(addKey), static_cast<QWidget*>(newKey), static_cast<QWidget*>(close)}) {
        setTabOrder(previous, key);
        previous = key;
    }

    connect(addKey, &QPushButton::clicked, this, [this] { add(); });
    connect(newKey, &QPushButton::clicked, this, [this] { begin(); });
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    connect(list, &QListWidget::currentRowChanged, this, [this](int row) { open(row); });
    connect(list, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { open(list->row(item)); });

    QHBoxLayout* keys = keyRow({addKey, newKey}, close);
    auto* layout = toolColumn(this);
    layout->addWidget(list, 1);
    layout->addLayout(form);
    layout->addLayout(keys);
    resize(440, 640);
}

lessons::LogEntry RadioLogWindow::formEntry() const {
    lessons::LogEntry entry;
    const auto& all = lessons::logFields();
    for (size_t i = 0; i < all.size(); ++i)
        entry.*all[i].member = fields[i] ? fields[i]->text().trimmed() : category->currentText();
    return entry;
}

void RadioLogWindow::add() {
    if (!begun_) return; // an entry being read is in the log already
    const lessons::LogEntry entry = formEntry();
    entries_.push_back(entry);
    list->addItem(lessons::logEntrySummary(entry));
    if (onAdded) onAdded(entry);
    begin();
}

void RadioLogWindow::begin() {
    lessons::LogEntry entry;
    const QTime utc = utcNow_ ? utcNow_() : QTime();
    if (utc.isValid()) entry.time = utc.toString(QStringLiteral("HH:mm"));
    fill(entry, false);
    const QSignalBlocker quiet(list);
    list->setCurrentRow(-1);
    if (fields.front()) fields.front()->setFocus(Qt::OtherFocusReason);
}

void RadioLogWindow::open(int row) {
    if (row < 0 || row >= int(entries_.size())) return;
    fill(entries_[size_t(row)], true);
}

void RadioLogWindow::fill(const lessons::LogEntry& entry, bool reading) {
    const auto& all = lessons::logFields();
    for (size_t i = 0; i < all.size(); ++i) {
        if (!fields[i]) continue;
        fields[i]->setText(entry.*all[i].member);
        fields[i]->setCursorPosition(0);
        fields[i]->setReadOnly(reading);
    }
    category->setCurrentIndex(category->findText(entry.category));
    category->setEnabled(!reading);
    addKey->setEnabled(!reading);
    begun_ = !reading;
}

void RadioLogWindow::showEvent(QShowEvent* e) {
    if (!begun_ && list->currentRow() < 0) begin();
    ToolWindow::showEvent(e);
}

} // namespace screens
