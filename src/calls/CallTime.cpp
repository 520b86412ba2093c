#include "calls/CallTime.h"

#include "app/Context.h"
#include "platform/Controls.h"
#include "ui_frmGMDSS.h"

#include <QLocale>

QString callTimeText(Context& c) {
    const Ui::frmGMDSS& ui = *c.ui;
    if (ui.GPSOn->isChecked()) {
        // The GPS gives the time: the computer's clock moved on by the differential of txtUTC,
        // of which only the first character (whole hours) and the last (5 = half an hour) count.
        const QString utc = ui.txtUTC->text();
        QDateTime t = c.clock.now();
        if (!utc.isEmpty()) {
            const int hours = utc.front().isDigit() ? utc.front().digitValue() : 0;
            t = t.addSecs(qint64(hours) * 3600);
            if (utc.back() == QLatin1Char('5')) t = t.addSecs(30 * 60);
        }
        return QLocale::system().toString(t, QLocale::ShortFormat);
    }
    return c.clock.now().date().toString(QStringLiteral("MM-dd-yyyy")) + QLatin1Char(' ') + ui.txtTime->text();
}

void GetTime(Context& c) { ctl::setText(c.ui->txtBC5, callTimeText(c)); }
