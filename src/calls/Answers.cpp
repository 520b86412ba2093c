#include "calls/Answers.h"

#include "core/Context.h"
#include "platform/Controls.h"
#include "radio/FrontPanel.h"
#include "core/Form.h"

namespace calls {

namespace {
constexpr int kReplyAlarmMs = 10000;
}

void ReplyAlarm(Context& c) {
    c.beep();
    c.timedWait(kReplyAlarmMs, [&c] {
        c.beep();
        ctl::toggleRedYellow(c.ui->lblStatus);
    });
    ctl::setBackColor(c.ui->lblStatus, ctl::kDisplay);
}

void ownAlertAcknowledged(Context& c) {
    Ui::frmGMDSS& ui = *c.ui;
    ui.lblChannel->setText(QStringLiteral("16"));
    c.front->toChannel16();
    // Written after the knob, whose channel display may have put the channel's use text there.
    ui.lblStatus->setText(QStringLiteral("Recv'd Distress Ack"));
    c.TimerRepeat->setEnabled(false);
}

} // namespace calls
