#include "dsc/OwnStation.h"

#include "core/Context.h"
#include "calls/CallTime.h"
#include "dsc/MaskedEntry.h"
#include "dscwire/Message.h"
#include "radio/ChannelSelector.h"
#include "platform/Controls.h"
#include "core/Form.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLocale>

namespace {

const QString kGpsPosition = QStringLiteral("L42°21.0'N  Lo070°55.7'W");
const QString kPositionReset = QStringLiteral("L00°00.0'N  Lo000°00.0'W");
const QString kTimeReset = QStringLiteral("00:00");

// Runs a handler when the field loses the focus to another control of the program (not when the
// whole window loses it, nor for a popup).
class FocusLossFilter : public QObject {
public:
    FocusLossFilter(QObject* parent, std::function<void()> handler) : QObject(parent), handler_(std::move(handler)) {}
    bool eventFilter(QObject* watched, QEvent* e) override {
        // Nothing to check while the window goes away.
        if (e->type() == QEvent::FocusOut && static_cast<QWidget*>(watched)->window()->isVisible()) {
            const Qt::FocusReason why = static_cast<QFocusEvent*>(e)->reason();
            if (why != Qt::ActiveWindowFocusReason && why != Qt::PopupFocusReason) handler_();
        }
        return false;
    }

private:
    std::function<void()> handler_;
};

// The number formed by the text's leading digits; 0 when it starts with anything else.
int leadingValue(const QString& text) {
    int value = 0;
    for (QChar ch : text) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) break;
        value = value * 10 + (ch.unicode() - '0');
    }
    return value;
}

// The clock line: the time in the system's long time format, without the time zone that Qt's
// long format adds.
QString clockText(const QTime& t) {
    const QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    QString plain;
    bool quoted = false;
    for (QChar ch : format) {
        if (ch == QLatin1Char('\'')) quoted = !quoted;
        if (!quoted && ch == QLatin1Char('t')) continue;
        plain += ch;
    }
    return QLocale::system().toString(t, plain.trimmed());
}

} // namespace

void OwnStation::wire() {
    Ui::frmGMDSS& ui = *c.ui;
    // Clear cancels the entry: the focus going to it checks nothing, so that a typed MMSI is
    // never accepted (nor announced, nor sent) on its way out; Clear then puts the old text back.
    ui.txtMMSI->installEventFilter(new FocusLossFilter(ui.txtMMSI, [this] {
        if (QApplication::focusWidget() != c.ui->cmdClear) txtMMSI_LostFocus();
    }));
    ui.txtTime->installEventFilter(new FocusLossFilter(ui.txtTime, [this] { txtTime_LostFocus(); }));
    QObject::connect(ui.txtLatLon, &QLineEdit::textChanged, ui.txtLatLon, [this] { txtLatLon_Change(); });
    QObject::connect(ui.GPSOn, &QAbstractButton::clicked, ui.GPSOn, [this] { GPSOn_Click(); });
    QObject::connect(ui.GPSOff, &QAbstractButton::clicked, ui.GPSOff, [this] { GPSOff_Click(); });
    new MaskedEntry(ui.txtTime, QStringLiteral("##:##"));
    new MaskedEntry(ui.txtLatLon, QStringLiteral("L##°##.#'N  Lo###°##.#'W"));
    new MaskedEntry(ui.txtUTC, QStringLiteral("#.#"));
}

void OwnStation::txtMMSI_LostFocus() {
    if (mmsiCheckRunning_) return;
    mmsiCheckRunning_ = true;
    Ui::frmGMDSS& ui = *c.ui;
    const QString t = ui.txtMMSI->text();
    if (dscwire::isMmsi(t)) {
        c.s.OwnMMSI = t;
        const bool changed = c.s.AcceptedMMSI != t;
        c.s.AcceptedMMSI = t;
        if (changed) {
            const auto listeners = c.ownMmsiListeners; // a listener may add another
            for (const auto& listener : listeners) listener();
        }
    } else {
        c.message(QStringLiteral("Your MMSI # must be 9 digits long"));
    }
    // A refused text stays in the field for correction; the line keeps the MMSI the radio sends.
    ui.lblMMSI->setText(c.s.AcceptedMMSI);
    c.channel->RestoreChannelDisplay();
    mmsiCheckRunning_ = false;
}

void OwnStation::txtLatLon_Change() {
    Ui::frmGMDSS& ui = *c.ui;
    // The reset below runs this check once more, nested; it passes. Deeper nesting could only come
    // from a change made while a refusal's message is open: that change is just shown.
    if (positionCheckDepth_ >= 2) {
        ui.lblLatLon->setText(ui.txtLatLon->text());
        return;
    }
    ++positionCheckDepth_;
    struct Limit {
        int start; // 0-based
        int length;
        int max;
        const char* message;
    };
    static const Limit limits[] = {
        {1, 2, 90, "Degrees of Latitude must be between 0 and 90°"},
        {4, 2, 60, "Minutes of Latitude must be between 0 and 60°"},
        {14, 3, 180, "Degrees of Longitude must be between 0 and 180°"},
        {18, 2, 60, "Minutes of Longitude must be between 0 and 60°"},
    };
    for (const Limit& l : limits) {
        const int value = leadingValue(ui.txtLatLon->text().mid(l.start, l.length));
        if (value < 0 || value > l.max) {
            c.message(QString::fromUtf8(l.message));
            ctl::setText(ui.txtLatLon, kPositionReset);
            ui.txtLatLon->setFocus();
        }
    }
    ui.lblLatLon->setText(ui.txtLatLon->text());
    --positionCheckDepth_;
}

void OwnStation::txtTime_LostFocus() {
    if (timeCheckRunning_) return;
    timeCheckRunning_ = true;
    Ui::frmGMDSS& ui = *c.ui;
    if (leadingValue(ui.txtTime->text().left(2)) > 23) {
        c.message(QStringLiteral("Hours must be from 0 to 23"));
        ctl::setText(ui.txtTime, kTimeReset);
    }
    if (leadingValue(ui.txtTime->text().right(2)) > 59) {
        c.message(QStringLiteral("Minutes must be from 0 to 59"));
        ctl::setText(ui.txtTime, kTimeReset);
    }
    timeCheckRunning_ = false;
}

void OwnStation::GPSOn_Click() {
    Ui::frmGMDSS& ui = *c.ui;
    ui.Line1->show();
    ui.lblLatLon->show();
    ui.lblTime->show();
    ui.txtTime->hide();
    ui.lblLatLon->setText(kGpsPosition);
    c.s.GPSActive = QStringLiteral("True");
}

void OwnStation::GPSOff_Click() {
    Ui::frmGMDSS& ui = *c.ui;
    c.s.GPSActive = QStringLiteral("False");
    ui.Line1->hide();
    ui.lblLatLon->hide();
    ui.lblTime->hide();
    ui.txtTime->hide();
}

void OwnStation::Timer1_Timer() {
    if (c.s.GPSActive != QLatin1String("True")) return;
    const QString now = clockText(c.clock.now().time());
    if (c.ui->lblTime->text() != now) c.ui->lblTime->setText(now);
}

void OwnStation::GetTime() { ::GetTime(c); }
