#include "screens/StationList.h"

#include "core/Accessibility.h"
#include "lessons/Report.h"
#include "platform/Controls.h"
#include "screens/ClassExamPanel.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonArray>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace screens {
namespace {

const QColor kGrey(96, 96, 96);

bool isDistressAcknowledgement(const dscwire::Message& m) {
    return m.format == dscwire::code::kAllShips && m.category == dscwire::code::kDistressCategory &&
           m.command1 == dscwire::code::kDistressAck;
}

// The call in a few words: its kind ("Individual call", "Distress alert", ...: what describe()
// puts before the first comma), and its category where the kind does not already say it.
QString callWords(const dscwire::Message& m) {
    const QString kind = dscwire::describe(m).section(QStringLiteral(", "), 0, 0);
    const QString category = dscwire::categoryText(m);
    if (kind.contains(category, Qt::CaseInsensitive)) return kind;
    return QStringLiteral("%1 (%2)").arg(kind, category);
}

QString count(qsizetype n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

const QString kFreeze = QStringLiteral("Freeze class");
const QString kUnfreeze = QStringLiteral("Unfreeze class");

} // namespace

StationList::StationList(QWidget* parent)
    : ToolWindow(parent, QStringLiteral("frmStations"), QStringLiteral("Class stations")) {

    table = new QTableWidget(0, ColumnCount, this);
    table->setObjectName(QStringLiteral("tblStations"));
    table->setHorizontalHeaderLabels({QStringLiteral("MMSI"), QStringLiteral("Vessel"), QStringLiteral("Station"),
                                      QStringLiteral("On air"), QStringLiteral("Last call"), QStringLiteral("Distress"),
                                      QStringLiteral("Exercise")});
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setTabKeyNavigation(false); // Tab goes on to the buttons; the arrows move in the list
    table->setWordWrap(false);
    table->setAlternatingRowColors(true);
    table->verticalHeader()->hide();
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->horizontalHeader()->setStretchLastSection(true);
    table->horizontalHeader()->setHighlightSections(false);
    const int widths[] = {90, 190, 70, 60, 280};
    for (int col = 0; col < int(std::size(widths)); ++col) table->setColumnWidth(col, widths[col]);
    nameControl(table, QStringLiteral("Class stations list"),
                QStringLiteral("Every station of the class by MMSI: its vessel, whether it is online, the channel "
                               "it is transmitting on, its last call and whether it is in distress"));
    nameScrollBars(table, table->accessibleName());

    summary = new QLabel(this);
    summary->setObjectName(QStringLiteral("lblStationsSummary"));
    summary->setTextFormat(Qt::PlainText);
    nameControl(summary, QStringLiteral("Class summary"));

    freeze = toolButton(this, "cmdFreeze", kFreeze);
    reset = toolButton(this, "cmdReset", QStringLiteral("Reset class"));
    nameControl(reset, QStringLiteral("Reset class"),
                QStringLiteral("Puts every trainer of the class back to its start, at once and without asking"));
    debriefs = toolButton(this, "cmdSaveDebriefs", QStringLiteral("Save debriefs..."));
    nameControl(debriefs, QStringLiteral("Save debriefs"),
                QStringLiteral("Writes one debrief page for every station of the class into a folder"));
    close = toolButton(this, "cmdStationsClose", QStringLiteral("Close"));
    nameControl(close, QStringLiteral("Close class stations"),
                QStringLiteral("Closes this window; the class goes on"));
    setFrozen(false);

    connect(freeze, &QPushButton::clicked, this, [this] {
        setFrozen(!frozen());
        emit freezeRequested(frozen());
    });
    connect(reset, &QPushButton::clicked, this, &StationList::resetRequested);
    askFolder = [this] { return QFileDialog::getExistingDirectory(this, QStringLiteral("Save debriefs into")); };
    connect(debriefs, &QPushButton::clicked, this, [this] {
        const QString folder = askFolder();
        if (folder.isEmpty()) return;
        const auto saved = saveDebriefs(folder);
        summary->setText(saved.ok() ? QStringLiteral("Debriefs saved in %1: %2 pages").arg(folder).arg(saved.value().size())
                                    : saved.error());
    });
    connect(close, &QPushButton::clicked, this, &QWidget::hide);

    // The instructor's ears and voice: a loudspeaker for any channel, or all of them, and a talk key
    // for the coast station or The Blue Crane on any channel.
    listen = new QComboBox(this);
    listen->setObjectName(QStringLiteral("cboListen"));
    listen->addItem(QStringLiteral("The radio's channel"), QString());
    listen->addItem(QStringLiteral("All channels"), QStringLiteral("all"));
    for (const QString& ch : voiceChannels()) listen->addItem(QStringLiteral("Channel %1").arg(ch), ch);
    nameControl(listen, QStringLiteral("Listen to"), QStringLiteral("What the loudspeaker plays of the class: the radio's channel, "
                                                                    "every channel at once, or one channel"));
    connect(listen, &QComboBox::activated, this, [this] { emit listenChanged(listen->currentData().toString()); });
    talkAs = new QComboBox(this);
    talkAs->setObjectName(QStringLiteral("cboTalkAs"));
    nameControl(talkAs, QStringLiteral("Talk as"), QStringLiteral("The station the talk key speaks for"));
    talkChannel = new QComboBox(this);
    talkChannel->setObjectName(QStringLiteral("cboTalkChannel"));
    talkChannel->addItems(voiceChannels());
    talkChannel->setCurrentText(QStringLiteral("16"));
    nameControl(talkChannel, QStringLiteral("Talk on channel"), QStringLiteral("The channel the talk key speaks on"));
    talk = toolButton(this, "cmdTalkAs", QStringLiteral("Talk"));
    nameControl(talk, QStringLiteral("Talk, hold"),
                QStringLiteral("Held, the microphone speaks to the class as the chosen station on the chosen channel"));
    connect(talk, &QPushButton::pressed, this, [this] {
        emit talkPressed(talkAs->currentText(), talkAs->currentData().toString(), talkChannel->currentText());
    });
    connect(talk, &QPushButton::released, this, &StationList::talkReleased);
    auto* voiceRow = new QHBoxLayout;
    auto* listenLabel = new QLabel(QStringLiteral("Listen to:"), this);
    listenLabel->setBuddy(listen);
    auto* talkLabel = new QLabel(QStringLiteral("Talk as:"), this);
    talkLabel->setBuddy(talkAs);
    auto* onLabel = new QLabel(QStringLiteral("on"), this);
    onLabel->setBuddy(talkChannel);
    for (QWidget* w : std::initializer_list<QWidget*>{listenLabel, listen, talkLabel, talkAs, onLabel, talkChannel, talk})
        voiceRow->addWidget(w);
    voiceRow->addStretch(1);

    QHBoxLayout* buttons = keyRow({freeze, reset, debriefs}, close);
    auto* layout = toolColumn(this);
    layout->addWidget(table, 1);
    layout->addWidget(summary);
    layout->addLayout(voiceRow);
    exam = new ClassExamPanel(this);
    layout->addWidget(exam, 1);
    layout->addLayout(buttons);

    setTabOrder(table, listen);
    setTabOrder(listen, talkAs);
    setTabOrder(talkAs, talkChannel);
    setTabOrder(talkChannel, talk);
    setTabOrder(talk, exam->table);
    setTabOrder(exam->save, freeze);
    setTabOrder(freeze, reset);
    setTabOrder(reset, debriefs);
    setTabOrder(debriefs, close);
    showSummary();
    resize(880, 640);
}

const QStringList& StationList::voiceChannels() {
    static const QStringList channels{"06", "08", "09", "10", "12", "13", "14", "16", "17", "22A", "24", "25", "26",
                                      "27", "28", "67", "68", "69", "71", "72", "73", "74", "77", "84", "85", "86", "87", "88"};
    return channels;
}

void StationList::setTalkers(const QList<std::pair<QString, QString>>& talkers) {
    talkAs->clear();
    for (const auto& [name, mmsi] : talkers) talkAs->addItem(name, mmsi);
}

void StationList::setTransmitting(const QString& mmsi, const QString& channel) {
    if (mmsi.isEmpty()) return;
    entry(mmsi).onAir = channel;
    showRow(mmsi);
    showSummary();
}

void StationList::setFrozen(bool frozen) {
    frozen_ = frozen;
    freeze->setText(frozen ? kUnfreeze : kFreeze);
    nameControl(freeze, freeze->text(),
                frozen ? QStringLiteral("Lets every trainer of the class go on")
                       : QStringLiteral("Stops every trainer of the class until it is unfrozen"));
}

void StationList::setStation(const classroom::StationStatus& status) {
    if (status.mmsi.isEmpty()) return;
    Entry& e = entry(status.mmsi);
    e.status = status;
    e.reported = true;
    showRow(status.mmsi);
    showSummary();
}

void StationList::noteCall(const dscwire::Message& message, const QDateTime& localTime) {
    if (message.selfId.isEmpty()) return;
    Entry& sender = entry(message.selfId);
    sender.lastCallTime = localTime;
    sender.lastCall = callWords(message);
    sender.lastCallWhole = dscwire::describe(message);
    const QString when = localTime.toString(QStringLiteral("HH:mm:ss  "));
    sender.timeline << when + QStringLiteral("sent: ") + sender.lastCallWhole;
    if (entries_.contains(message.address))
        entries_[message.address].timeline << when + QStringLiteral("received: ") + sender.lastCallWhole;
    if (message.format == dscwire::code::kDistress) sender.inDistress = true;
    showRow(message.selfId);
    // A vessel that is not in the list was never marked: nothing to clear.
    if (isDistressAcknowledgement(message) && entries_.contains(message.distressMmsi)) {
        entries_[message.distressMmsi].inDistress = false;
        showRow(message.distressMmsi);
    }
    showSummary();
}

void StationList::clearCalls() {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        it->lastCallTime = QDateTime();
        it->lastCall.clear();
        it->lastCallWhole.clear();
        it->inDistress = false;
        showRow(it.key());
    }
    showSummary();
}

StationList::Entry& StationList::entry(const QString& mmsi) {
    auto it = entries_.find(mmsi);
    if (it != entries_.end()) return *it;
    it = entries_.insert(mmsi, Entry{});
    it->status.mmsi = mmsi;
    const int row = static_cast<int>(std::distance(entries_.begin(), it));
    table->insertRow(row);
    for (int col = 0; col < ColumnCount; ++col) table->setItem(row, col, new QTableWidgetItem);
    return *it;
}

void StationList::showRow(const QString& mmsi) {
    const auto it = entries_.constFind(mmsi);
    if (it == entries_.constEnd()) return;
    const Entry& e = *it;
    const int row = static_cast<int>(std::distance(entries_.constBegin(), it));
    QString vessel = e.status.name;
    if (e.status.instructor) vessel = (vessel + QStringLiteral(" (instructor)")).trimmed();
    const QString station = !e.reported ? QString() : e.status.online ? QStringLiteral("Online") : QStringLiteral("Offline");
    const QString lastCall = e.lastCall.isEmpty() ? QString()
                                                  : QStringLiteral("%1 %2").arg(e.lastCallTime.toString(QStringLiteral("HH:mm:ss")),
                                                                                e.lastCall);
    const QString exercise = e.results.isEmpty() ? QString()
                                                 : QStringLiteral("%1: %2").arg(e.results.value("exercise").toString(),
                                                                                e.results.value("score").toString());
    const QString onAir = e.onAir.isEmpty() ? QString() : QStringLiteral("TX %1").arg(e.onAir);
    const QString cells[ColumnCount] = {mmsi, vessel, station, onAir, lastCall,
                                        e.inDistress ? QStringLiteral("IN DISTRESS") : QString(), exercise};
    for (int col = 0; col < ColumnCount; ++col) table->item(row, col)->setText(cells[col]);
    table->item(row, LastCall)->setToolTip(e.lastCallWhole);
    table->item(row, Station)->setForeground(e.reported && !e.status.online ? kGrey : ctl::kBlack);
    QTableWidgetItem* distress = table->item(row, Distress);
    distress->setForeground(ctl::kRed);
    QFont bold = distress->font();
    bold.setBold(true);
    distress->setFont(bold);
}

void StationList::showSummary() {
    qsizetype online = 0, offline = 0, inDistress = 0;
    QStringList talking;
    for (auto it = entries_.cbegin(); it != entries_.cend(); ++it) {
        const Entry& e = *it;
        if (e.reported) ++(e.status.online ? online : offline);
        if (e.inDistress) ++inDistress;
        if (!e.onAir.isEmpty())
            talking << QStringLiteral("%1 on %2").arg(e.status.name.isEmpty() ? it.key() : e.status.name, e.onAir);
    }
    QStringList parts{count(online, "station online", "stations online")};
    if (offline > 0) parts << QStringLiteral("%1 offline").arg(offline);
    if (inDistress > 0) parts << QStringLiteral("%1 in distress").arg(inDistress);
    if (!talking.isEmpty()) parts << QStringLiteral("transmitting: ") + talking.join(QStringLiteral(", "));
    summary->setText(parts.join(QStringLiteral(", ")));
    summary->setAccessibleDescription(summary->text());
}



void StationList::setResults(const QString& mmsi, const QJsonObject& results) {
    entry(mmsi).results = results;
    showRow(mmsi);
}

namespace {
// One trainee's page: its exercise's results, then its calls as the class saw them.
lessons::Report debriefOf(const QString& mmsi, const QString& name, const QJsonObject& results,
                          const QStringList& timeline) {
    const auto esc = [](const QString& s) { return s.toHtmlEscaped(); };
    lessons::Report report;
    report.title = QStringLiteral("%1, MMSI %2").arg(name.isEmpty() ? QStringLiteral("Station") : name, mmsi);
    report.style = QStringLiteral(".fail{color:#c00} .pass{color:#060}");
    lessons::ReportTable exercise{QStringLiteral("Exercise"), QStringLiteral("No exercise results."),
                                  {{QStringLiteral("Task")}, {QStringLiteral("Verdict")}, {QStringLiteral("Reason")},
                                   {QStringLiteral("Time"), QStringLiteral("time")}},
                                  {}};
    if (!results.isEmpty()) {
        report.intro = QStringLiteral("<p>%1: %2</p>\n")
                           .arg(esc(results.value("exercise").toString()), esc(results.value("score").toString()));
        for (const QJsonValue& v : results.value("tasks").toArray()) {
            const QJsonObject t = v.toObject();
            const QString verdict = t.value("verdict").toString();
            const QJsonValue secs = t.value("seconds");
            exercise.rows.push_back(
                {{{esc(t.value("task").toString()), {}},
                  {esc(verdict), verdict},
                  {esc(t.value("reason").toString()), {}},
                  {secs.isDouble() ? QStringLiteral("%1 s").arg(secs.toDouble(), 0, 'f', 1) : QString(), {}}}});
        }
    }
    lessons::ReportTable calls{QStringLiteral("Calls"), QStringLiteral("No calls."), {{QStringLiteral("Call")}}, {}};
    for (const QString& line : timeline) calls.rows.push_back({{{esc(line), {}}}});
    report.tables = {exercise, calls};
    return report;
}
} // namespace

dscwire::Result<QStringList> StationList::saveDebriefs(const QString& folder) const {
    using R = dscwire::Result<QStringList>;
    QStringList written;
    for (auto it = entries_.constBegin(); it != entries_.constEnd(); ++it) {
        const Entry& e = *it;
        if (e.status.instructor) continue;
        const QString html = lessons::reportHtml(debriefOf(it.key(), e.status.name, e.results, e.timeline), false);
        QFile f(QDir(folder).filePath(it.key() + QStringLiteral(".html")));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(html.toUtf8()) < 0)
            return R::bad(QStringLiteral("Cannot write %1: %2").arg(f.fileName(), f.errorString()));
        written << f.fileName();
    }
    return R::good(written);
}

} // namespace screens
