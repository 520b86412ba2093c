#include "radio/ScreenSizePanel.h"

#include "core/Context.h"
#include "platform/Controls.h"
#include "platform/ScreenMode.h"
#include "core/Form.h"

#include <QPushButton>
#include <QRadioButton>
#include <charconv>

namespace {

// A single-precision number in its shortest decimal form, without blanks ("1024", "1024.5").
QString shortestDecimal(float value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return QString::fromLatin1(buffer, static_cast<int>(result.ptr - buffer));
}

} // namespace

void ScreenSizePanel::wire() {
    Ui::frmGMDSS& ui = *c.ui;
    QObject::connect(ui.cmdChangeScreenSize, &QPushButton::clicked, ui.cmdChangeScreenSize,
                     [this] { cmdChangeScreenSize_Click(); });
    QObject::connect(ui.OptScreenSize1, &QRadioButton::clicked, ui.OptScreenSize1, [this] { OptScreenSize1_Click(); });
    QObject::connect(ui.optScreenSize2, &QRadioButton::clicked, ui.optScreenSize2, [this] { optScreenSize2_Click(); });
    QObject::connect(ui.optScreenSize3, &QRadioButton::clicked, ui.optScreenSize3, [this] { optScreenSize3_Click(); });
    ctl::onClick(ui.FrameScreenSize, [this] { FrameScreenSize_Click(); });
    ctl::onClick(ui.lblScreenSize, [this] { lblScreenSize_Click(); });
    // A click on the label is the label's alone; it does not reach the panel below it.
    ui.lblScreenSize->setAttribute(Qt::WA_NoMousePropagation);
}

void ScreenSizePanel::cmdChangeScreenSize_Click() {
    Ui::frmGMDSS& ui = *c.ui;
    if (ctl::visible(ui.FrameScreenSize)) {
        ui.FrameScreenSize->hide();
        return;
    }
    ui.FrameScreenSize->show();
    ui.lblScreenSize->show();
    ui.OptScreenSize1->show();
    ui.optScreenSize2->show();
    ui.optScreenSize3->show();
}

void ScreenSizePanel::FrameScreenSize_Click() { c.ui->FrameScreenSize->hide(); }

void ScreenSizePanel::lblScreenSize_Click() { c.ui->lblScreenSize->setText(originalSizeText()); }

void ScreenSizePanel::OptScreenSize1_Click() {
    platform::SetDisplayMode(c.screen, 800, 600);
    c.ui->FrameScreenSize->hide();
    c.s.DisplayModeChanged = true;
}

void ScreenSizePanel::optScreenSize2_Click() {
    platform::SetDisplayMode(c.screen, 1024, 768);
    c.s.DisplayModeChanged = true;
    c.ui->FrameScreenSize->hide();
}

void ScreenSizePanel::optScreenSize3_Click() {
    // Going back to the starting size does not count as a change of its own.
    platform::SetDisplayMode(c.screen, c.OriginalScreenWidth, c.OriginalScreenHeight);
    c.ui->FrameScreenSize->hide();
}

QString ScreenSizePanel::originalSizeText() const {
    return QStringLiteral("Original size is ") + shortestDecimal(c.OriginalScreenWidth) + QStringLiteral(" x ") +
           shortestDecimal(c.OriginalScreenHeight);
}
