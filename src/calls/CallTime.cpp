#include "calls/CallTime.h"

#include "core/Context.h"
#include "platform/Controls.h"
#include "core/Form.h"

#include <QDateTime>
#include <QLocale>

namespace {

// The local time moved on by the time differential of txtUTC.
QDateTime utcByDifferential(Context& c) {
    // The computer's clock moved on by the differential of txtUTC, of which only the first
    // character (whole hours) and the last (5 = half an hour) count.
    const QString utc = c.ui->txtUTC->text();
    QDateTime t = c.clock.now();
    if (!utc.isEmpty()) {
        const int hours = utc.front().isDigit() ? utc.front().digitValue() : 0;
        t = t.addSecs(qint64(hours) * 3600);
        if (utc.back() == QLatin1Char('5')) t = t.addSecs(30 * 60);
    }
    return t;
}

} // namespace

QString callTimeText(Context& c) {
    const Ui::frmGMDSS& ui = *c.ui;
    if (ui.GPSOn->isChecked()) return QLocale::system().toString(utcByDifferential(c), QLocale::ShortFormat);
    return c.clock.now().date().toString(QStringLiteral("MM-dd-yyyy")) + QLatin1Char(' ') + ui.txtTime->text();
}

QTime gpsTimeUtc(Context& c) {
    const QTime t = utcByDifferential(c).time();
    return QTime(t.hour(), t.minute());
}

QTime callTimeUtc(Context& c) {
    if (c.ui->GPSOn->isChecked()) return gpsTimeUtc(c);
    // The manual time, as entered; "##:##" (never entered) is no time at all.
    return QTime::fromString(c.ui->txtTime->text(), QStringLiteral("HH:mm"));
}

void GetTime(Context& c) { ctl::setText(c.ui->txtBC5, callTimeText(c)); }
