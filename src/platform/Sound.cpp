#include "platform/Sound.h"

namespace platform {

void PlaySoundCue(Sound& sound, const QString& fileName, int times) {
    for (int i = 1; i <= times; ++i) sound.playFile(fileName);
}

} // namespace platform
