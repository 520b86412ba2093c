// vhf-dsc-trainer: a marine VHF radio with a DSC controller, for GMDSS training.
#include "app/Trainer.h"
#include "platform/Display.h"
#include "platform/MessageBox.h"
#include "platform/PulseSound.h"
#include "platform/RealClock.h"
#include "platform/XRandrScreenMode.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (!platform::displayAvailable()) {
        std::fprintf(stderr, "vhf-dsc-trainer: cannot open a display (is DISPLAY or WAYLAND_DISPLAY set?)\n");
        return 1;
    }
    TrainerApplication app(argc, argv);
    platform::closeDisplayProbe();
    QGuiApplication::setDesktopFileName("io.github.vhfdsctrainer.VhfDscTrainer");
    platform::RealClock clock;
    platform::PulseSound sound(clock);
    platform::QtMessageBox messages;
    platform::XRandrScreenMode screen;
    Trainer trainer(Services{clock, sound, messages, screen, [] { std::exit(0); }});
    messages.setParent(trainer.window());
    trainer.window()->show();
    return app.exec();
}
