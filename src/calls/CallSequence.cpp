#include "calls/CallSequence.h"

#include "core/Context.h"
#include "platform/Controls.h"
#include "platform/Wait.h"
#include "radio/FrontPanel.h"
#include "core/Form.h"

namespace calls {

QString mmsiLine(Context& c) { return QStringLiteral("MMSI # ") + c.s.AcceptedMMSI; }

QString displayedChannel(Context& c) {
    QString channel = c.ui->lblChannel->text();
    if (ctl::visible(c.ui->lblA)) channel += QLatin1Char('A');
    return channel;
}

void run(Context& c, const CallMember& m) {
    auto& ui = *c.ui;

    // A call is made on a marine channel: from weather mode the radio first goes back to the
    // channel it left, which the call then proposes and ends on.
    c.front->backToMarineChannel();

    // 1. Start display: DSC channel 70, the transmit lamp and the call's status.
    if (m.captureWorkingChannel) c.s.CallWorkingChannel = displayedChannel(c);
    for (QWidget* w : m.alsoHide) w->hide();
    ui.lblChannel->setText(QStringLiteral("70"));
    ui.lblA->hide();
    ui.lblTX->show();
    ui.lstCall->hide();
    ui.lblStatus->show();
    ui.lblStatus->setText(m.startStatus);
    if (m.afterStart) m.afterStart();

    // 2. Forced repaint, so that the start display is on screen while the cue plays.
    if (m.forcedRepaint) c.repaintNow();

    // 3. Beep and the cue; nothing else happens until the cue has ended.
    if (m.beepBeforeCue) c.beep();
    c.playSoundCue(m.cue, m.cueTimes);

    if (m.closingWaitOnly) {
        // 9. Delivery; the Enter key's closing wait follows.
        if (m.deliver) m.deliver();
        return;
    }

    // 4. One period of the shared wait timer, the step action once a second.
    c.timedWait(platform::kWaitPeriodMs, m.step);

    // 5. The pause: no input is handled.
    c.clock.pause(m.pauseMs);
    c.front->backToMarineChannel(); // weather mode may have been chosen during the wait

    // 6. - 8. Sent.
    c.beep();
    ui.lblTX->hide();
    c.TimerRepeat->setEnabled(true);
    c.s.CallVoiceChannel = static_cast<qint16>(ui.ScrollChannel->value());
    c.s.CallPosition = ui.lblLatLon->text();

    // 9. Delivery, 10. ending.
    if (m.deliver) m.deliver();
    if (m.finish) m.finish();
}

} // namespace calls
