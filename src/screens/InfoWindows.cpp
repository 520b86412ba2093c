#include "screens/InfoWindows.h"

#include "core/Context.h"
#include "platform/Controls.h"
#include "screens/InfoScreens.h"
#include "core/Form.h"

InfoWindows::InfoWindows(Context& ctx) : c(ctx) {}
InfoWindows::~InfoWindows() = default;

void InfoWindows::wire() { ctl::onClick(c.ui->Image3, [this] { Image3_Click(); }); }

void InfoWindows::Image3_Click() {
    if (!info_) info_ = std::make_unique<screens::InfoTKM>();
    info_->show();
}

void InfoWindows::showCopyright() {
    if (!copyright_) copyright_ = std::make_unique<screens::Copyright>();
    copyright_->show();
}
