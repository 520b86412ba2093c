#include "screens/DscMessages.h"

#include "air/Air.h"
#include "core/Accessibility.h"
#include "core/Context.h"
#include "calls/OnAir.h"
#include "dscwire/Codec.h"
#include "dscwire/Message.h"
#include "dscwire/Wav.h"
#include "platform/AudioFile.h"
#include "voice/RadioSound.h"
#include "platform/Controls.h"
#include "screens/ReceiverPanel.h"
#include "core/Form.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <optional>

namespace screens {
namespace {


} // namespace

DscMessagesWindow::DscMessagesWindow(QWidget* parent)
    : ToolWindow(parent, QStringLiteral("frmDscMessages"), QStringLiteral("DSC Messages")) {

    list = new QTableWidget(0, DscMessages::ColumnCount, this);
    list->setObjectName(QStringLiteral("lstDscMessages"));
    list->setHorizontalHeaderLabels(
        {QStringLiteral("No."), QStringLiteral("Time"), QStringLiteral("Direction"), QStringLiteral("From"),
         QStringLiteral("To"), QStringLiteral("Message"), QStringLiteral("Symbols")});
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setTabKeyNavigation(false); // Tab goes on to the next control; the arrows move in the list
    list->setWordWrap(false);
    list->setAlternatingRowColors(true);
    list->verticalHeader()->hide();
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->horizontalHeader()->setStretchLastSection(true);
    list->horizontalHeader()->setHighlightSections(false);
    const int widths[] = {40, 66, 116, 130, 130, 360};
    for (int col = 0; col < int(std::size(widths)); ++col) list->setColumnWidth(col, widths[col]);
    nameControl(list, QStringLiteral("DSC messages list"),
         QStringLiteral("Every DSC message sent and received in this run, newest last. The arrow keys "
                        "choose a message; Return plays it"));
    nameScrollBars(list, list->accessibleName());

    detail = new QPlainTextEdit(this);
    detail->setObjectName(QStringLiteral("txtDscDetail"));
    detail->setReadOnly(true);
    detail->setTabChangesFocus(true);
    detail->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // the lines wrap
    detail->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QPalette display = detail->palette();
    display.setColor(QPalette::Base, ctl::kDisplay);
    display.setColor(QPalette::Text, ctl::kBlack);
    detail->setPalette(display);
    detail->setFixedHeight(150);
    nameControl(detail, QStringLiteral("Selected DSC message"),
         QStringLiteral("The chosen message whole: who sent it to whom, every field in words, and its symbols"));
    nameScrollBars(detail, detail->accessibleName());

    play = toolButton(this, "cmdPlayBurst", QStringLiteral("Play"));
    nameControl(play, QStringLiteral("Play"), QStringLiteral("Plays the chosen message's DSC burst, as it sounds on channel 70"));
    save = toolButton(this, "cmdSaveWav", QStringLiteral("Save WAV..."));
    nameControl(save, QStringLiteral("Save WAV"), QStringLiteral("Saves the chosen message's DSC burst as a WAV file"));
    close = toolButton(this, "cmdDscClose", QStringLiteral("Close"));
    nameControl(close, QStringLiteral("Close DSC Messages"), QStringLiteral("Closes this window; the list stays as it is"));
    connect(close, &QPushButton::clicked, this, &QWidget::hide);

    QHBoxLayout* buttons = keyRow({play, save}, close);
    auto* layout = toolColumn(this);
    layout->addWidget(list, 1);
    layout->addWidget(detail);
    layout->addLayout(buttons);
    receiverRow = new QHBoxLayout;
    layout->addLayout(receiverRow);

    setTabOrder(list, detail);
    setTabOrder(detail, play);
    setTabOrder(play, save);
    setTabOrder(save, close);
    resize(940, 480);
}



} // namespace screens

namespace {

const QString kOwnName = QStringLiteral("Kelpo");

} // namespace

DscMessages::DscMessages(Context& ctx) : c(ctx), saveFolder_(QDir::homePath()) {
    askSavePath = [this](const QString& suggestedName) {
        return QFileDialog::getSaveFileName(window_.get(), QStringLiteral("Save DSC Burst as WAV"),
                                            QDir(saveFolder_).filePath(suggestedName),
                                            QStringLiteral("WAV files (*.wav)"));
    };
}

DscMessages::~DscMessages() = default;

void DscMessages::wire() {
    c.air->subscribe([this](const air::Transmission& t) {
        if (window_) addRow(t);
    });
    c.air->subscribeVoice([this](const air::VoiceTransmission& t) {
        if (window_) addRow(t);
    });
    QObject::connect(c.ui->cmdDscMessages, &QPushButton::clicked, c.ui->cmdDscMessages, [this] { show(); });
}

void DscMessages::make() {
    window_ = std::make_unique<screens::DscMessagesWindow>();
    screens::DscMessagesWindow& w = *window_;
    QObject::connect(w.list, &QTableWidget::currentCellChanged, &w, [this] { showSelected(); });
    // Return on a message, or a double click, plays it.
    QObject::connect(w.list, &QTableWidget::activated, &w, [this] { playSelected(); });
    QObject::connect(w.play, &QPushButton::clicked, &w, [this] { playSelected(); });
    QObject::connect(w.save, &QPushButton::clicked, &w, [this] { saveSelected(); });
    receiver_ = std::make_unique<screens::ReceiverPanel>(c, &w, w.receiverRow);
    // Both logs in the order of their times (a voice transmission is logged when it has ended).
    const auto& dsc = c.air->log();
    const auto& voice = c.air->voiceLog();
    size_t d = 0, v = 0;
    while (d < dsc.size() || v < voice.size()) {
        if (v == voice.size() || (d < dsc.size() && dsc[d].localTime <= voice[v].localTime)) addRow(dsc[d++]);
        else addRow(voice[v++]);
    }
    showSelected();
}

void DscMessages::show() {
    if (!window_) make();
    screens::showBeside(window_.get(), c.form);
    window_->list->setFocus(Qt::ActiveWindowFocusReason);
}

QString DscMessages::direction(const air::Transmission& t) {
    if (t.source == air::Source::Receiver) return QStringLiteral("Receiver");
    if (t.fromOwnRadio) return QStringLiteral("Sent");
    if (t.toOwnRadio) return QStringLiteral("Received");
    return QStringLiteral("Overheard");
}

QString DscMessages::stationName(const QString& mmsi, bool own) const {
    if (own) return kOwnName;
    if (const QString group = calls::groupName(mmsi); !group.isEmpty()) return group;
    // A directory line (the model stations have theirs too) is the name, blanks, and the nine digits of the MMSI.
    const QListWidget* directory = c.ui->lstDirectory;
    for (int i = 0; i < directory->count(); ++i) {
        const QString line = directory->item(i)->text();
        if (line.size() > 9 && line.right(9) == mmsi) {
            const QString name = line.chopped(9).trimmed();
            if (!name.isEmpty()) return name;
        }
    }
    return mmsi;
}

QString DscMessages::suggestedFileName(const air::Transmission& t) {
    return QStringLiteral("dsc-%1-%2.wav").arg(t.number, 4, 10, QLatin1Char('0')).arg(dscwire::categoryText(t.message));
}

QString DscMessages::suggestedFileName(const air::VoiceTransmission& t) {
    return QStringLiteral("voice-%1-%2.wav").arg(t.number, 4, 10, QLatin1Char('0')).arg(t.procedure);
}

void DscMessages::addRow(const air::Transmission& t) {
    const dscwire::Message& m = t.message;
    const QString from = stationName(m.selfId, t.fromOwnRadio);
    const QString to = m.address.isEmpty() ? QStringLiteral("All ships") : stationName(m.address, t.toOwnRadio);
    const QString symbols = t.error.isEmpty() ? dscwire::symbolLine(t.symbols)
                                              : QStringLiteral("(cannot be sent: %1)").arg(t.error);
    const QString cells[ColumnCount] = {QString::number(t.number), t.localTime.toString(QStringLiteral("HH:mm:ss")),
                                        direction(t), from, to, dscwire::describe(m), symbols};
    addCells(cells, t.number, false);
}

void DscMessages::addRow(const air::VoiceTransmission& t) {
    const QString what = t.words.isEmpty() ? QStringLiteral("(nothing understood)") : t.words;
    const QString cells[ColumnCount] = {voiceNumber(t),
                                        t.localTime.toString(QStringLiteral("HH:mm:ss")),
                                        direction(t),
                                        t.fromName,
                                        QStringLiteral("Voice, channel %1").arg(t.channel),
                                        QStringLiteral("%1: %2").arg(t.procedure.toUpper(), what),
                                        verdictSummary(t)};
    addCells(cells, t.number, true);
}

void DscMessages::addCells(const QString (&cells)[ColumnCount], int number, bool voice) {
    QTableWidget* list = window_->list;
    const int row = list->rowCount();
    // Stay with the newest message unless the trainee is reading an older one.
    const bool follow = list->currentRow() < 0 || list->currentRow() == row - 1;
    list->insertRow(row);
    for (int col = 0; col < ColumnCount; ++col) {
        auto* item = new QTableWidgetItem(cells[col]);
        item->setToolTip(col == Words || col == Symbols ? cells[col] : QString());
        item->setData(Qt::UserRole, number);
        item->setData(Qt::UserRole + 1, voice);
        list->setItem(row, col, item);
    }
    if (follow) {
        list->setCurrentCell(row, 0);
        list->scrollToItem(list->item(row, 0));
    }
}

QString DscMessages::voiceNumber(const air::VoiceTransmission& t) { return QStringLiteral("V%1").arg(t.number); }

QString DscMessages::direction(const air::VoiceTransmission& t) {
    const QString way = t.fromOwnRadio ? QStringLiteral("Sent") : t.heardByOwnRadio ? QStringLiteral("Received") : QStringLiteral("Not heard");
    return t.doubled ? way + QStringLiteral(" (double)") : way;
}

QString DscMessages::verdictSummary(const air::VoiceTransmission& t) {
    if (!t.notJudged.isEmpty()) return QStringLiteral("not judged: %1").arg(t.notJudged);
    // An element not heard clearly is neither right nor wrong.
    const auto wrong = std::count_if(t.verdicts.begin(), t.verdicts.end(),
                                     [](const air::VoiceVerdict& v) { return !v.ok && !v.unclear; });
    const auto unclear = std::count_if(t.verdicts.begin(), t.verdicts.end(),
                                       [](const air::VoiceVerdict& v) { return !v.ok && v.unclear; });
    if (t.verdicts.isEmpty()) return QStringLiteral("no procedure recognised");
    if (wrong == 0 && unclear == 0) return QStringLiteral("all %1 elements right").arg(t.verdicts.size());
    if (unclear == 0) return QStringLiteral("%1 of %2 elements wrong").arg(wrong).arg(t.verdicts.size());
    if (wrong == 0) return QStringLiteral("%1 of %2 elements unclear").arg(unclear).arg(t.verdicts.size());
    return QStringLiteral("%1 of %2 elements wrong, %3 unclear").arg(wrong).arg(t.verdicts.size()).arg(unclear);
}

QString DscMessages::voiceDetail(const air::VoiceTransmission& t) {
    QStringList lines;
    lines << QStringLiteral("Voice %1, %2 at %3 on %4: channel %5, %6, %7 s")
                 .arg(t.number)
                 .arg(direction(t).toLower(), t.localTime.toString(QStringLiteral("HH:mm:ss")),
                      t.localTime.toString(QStringLiteral("d MMM yyyy")), t.channel, t.power)
                 .arg(double(t.durationMs()) / 1000.0, 0, 'f', 1)
          << QStringLiteral("From: %1 (%2)").arg(t.fromName, t.fromMmsi);
    if (t.doubled)
        lines << QStringLiteral("DOUBLE: another station transmitted on channel %1 at the same time; both were heard garbled")
                     .arg(t.channel);
    if (t.framesReceived > 0 || t.framesSent > 0)
        lines << QStringLiteral("Through the class: %1 of %2 frames%3")
                     .arg(t.framesReceived)
                     .arg(t.framesSent)
                     .arg(t.cut ? QStringLiteral(", cut off (a link was lost)") : QString());
    lines << QString()
          << (t.notJudged.isEmpty()
                  ? QStringLiteral("Heard: %1").arg(t.words.isEmpty() ? QStringLiteral("(nothing understood)") : t.words)
                  : QStringLiteral("Not judged: the speech was %1").arg(t.notJudged))
          << QStringLiteral("Procedure: %1").arg(t.procedure);
    // What went wrong first, then the whole form element by element.
    QStringList wrong, unclear;
    for (const air::VoiceVerdict& v : t.verdicts) {
        if (v.ok) continue;
        (v.unclear ? unclear : wrong) << v.text;
    }
    if (!wrong.isEmpty()) lines << QStringLiteral("Wrong: %1").arg(wrong.join(QStringLiteral("; ")));
    if (!unclear.isEmpty()) lines << QStringLiteral("Not heard clearly: %1").arg(unclear.join(QStringLiteral("; ")));
    for (const air::VoiceVerdict& v : t.verdicts)
        lines << QStringLiteral("  %1 %2").arg(v.ok ? QStringLiteral("right:") : v.unclear ? QStringLiteral("unclear:") : QStringLiteral("WRONG:"),
                                               v.text);
    return lines.join(QLatin1Char('\n'));
}

const air::Transmission* DscMessages::selected() const {
    if (!window_) return nullptr;
    const QTableWidgetItem* item = window_->list->item(window_->list->currentRow(), 0);
    if (!item || item->data(Qt::UserRole + 1).toBool()) return nullptr;
    const int number = item->data(Qt::UserRole).toInt();
    const auto& log = c.air->log();
    if (number < 1 || number > static_cast<int>(log.size())) return nullptr;
    return &log[static_cast<size_t>(number - 1)];
}

const air::VoiceTransmission* DscMessages::selectedVoice() const {
    if (!window_) return nullptr;
    const QTableWidgetItem* item = window_->list->item(window_->list->currentRow(), 0);
    if (!item || !item->data(Qt::UserRole + 1).toBool()) return nullptr;
    const int number = item->data(Qt::UserRole).toInt();
    const auto& log = c.air->voiceLog();
    if (number < 1 || number > static_cast<int>(log.size())) return nullptr;
    return &log[static_cast<size_t>(number - 1)];
}

void DscMessages::showSelected() {
    if (const air::VoiceTransmission* v = selectedVoice()) {
        window_->play->setEnabled(!v->audio.empty());
        window_->save->setEnabled(!v->audio.empty());
        window_->detail->setPlainText(voiceDetail(*v));
        return;
    }
    const air::Transmission* t = selected();
    window_->play->setEnabled(t && t->error.isEmpty());
    window_->save->setEnabled(t && t->error.isEmpty());
    if (!t) {
        window_->detail->setPlainText(c.air->log().empty() && c.air->voiceLog().empty()
                                          ? QStringLiteral("No DSC message sent or received yet.")
                                          : QString());
        return;
    }
    const dscwire::Message& m = t->message;
    const QString from = QStringLiteral("%1 (%2)").arg(stationName(m.selfId, t->fromOwnRadio), m.selfId);
    const QString to = m.address.isEmpty()
                           ? QStringLiteral("All ships")
                           : QStringLiteral("%1 (%2)").arg(stationName(m.address, t->toOwnRadio), m.address);
    QStringList lines;
    lines << QStringLiteral("Message %1, %2 at %3 on %4")
                 .arg(t->number)
                 .arg(t->source == air::Source::Receiver ? QStringLiteral("heard by the receiver") : direction(*t).toLower(),
                      t->localTime.toString(QStringLiteral("HH:mm:ss")),
                      t->localTime.toString(QStringLiteral("d MMM yyyy")))
          << QStringLiteral("From: %1").arg(from) << QStringLiteral("To:   %1").arg(to) << QString()
          << dscwire::describe(m) << QString();
    if (t->error.isEmpty()) lines << QStringLiteral("Symbols: %1").arg(dscwire::symbolLine(t->symbols));
    else lines << QStringLiteral("This message cannot be sent: %1").arg(t->error);
    window_->detail->setPlainText(lines.join(QLatin1Char('\n')));
}

std::vector<float> DscMessages::selectedSound(int* rate, QString* error) const {
    if (const air::VoiceTransmission* v = selectedVoice()) {
        *rate = air::kVoiceRate;
        // A station as the own radio's loudspeaker gave it; the trainee as the microphone took it.
        const std::vector<qint16> pcm = v->fromOwnRadio ? v->audio : voice::radioSound(v->audio, quint32(v->number));
        return platform::toFloat(pcm);
    }
    const air::Transmission* t = selected();
    if (!t || !t->error.isEmpty()) return {};
    const auto audio = dscwire::encodeAudio(t->message);
    if (!audio.ok()) {
        *error = audio.error();
        return {};
    }
    *rate = dscwire::kSampleRate;
    return platform::toFloat(std::vector<qint16>(audio.value().cbegin(), audio.value().cend()));
}

void DscMessages::playSelected() {
    int rate = 0;
    QString error;
    const std::vector<float> sound = selectedSound(&rate, &error);
    if (!error.isEmpty()) {
        c.message(QStringLiteral("This message cannot be played: %1").arg(error));
        return;
    }
    if (sound.empty()) return;
    const std::vector<qint16> pcm = platform::toInt16(sound);
    c.sound.playSamples(QList<qint16>(pcm.begin(), pcm.end()), rate);
}

void DscMessages::saveSelected() {
    const air::VoiceTransmission* v = selectedVoice();
    const air::Transmission* t = selected();
    if (!v && (!t || !t->error.isEmpty())) return;
    // The dialog runs events (the logs may grow): take what is needed before it.
    const QString suggested = v ? suggestedFileName(*v) : suggestedFileName(*t);
    const std::optional<dscwire::Message> message = v ? std::nullopt : std::optional(t->message);
    int rate = 0;
    QString error;
    const std::vector<float> speech = v ? selectedSound(&rate, &error) : std::vector<float>();
    QString path = askSavePath(suggested);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".wav");
    bool saved = false;
    if (!message) {
        saved = platform::writeAudioFile(path, speech, rate, platform::AudioFormat::Wav, &error);
    } else if (const auto audio = dscwire::encodeAudio(*message); !audio.ok()) {
        error = audio.error();
    } else {
        // A burst is written exactly as the modem makes it: 48 kHz, 16-bit.
        saved = dscwire::writeWavFile(path, audio.value(), &error);
    }
    if (saved) {
        saveFolder_ = QFileInfo(path).absolutePath();
        return;
    }
    c.message(QStringLiteral("%1 was not saved: %2").arg(message ? QStringLiteral("The DSC burst") : QStringLiteral("The voice"), error));
}
