// The microphone's level while the talk key is held: what the meter beside the key costs the
// window per captured block (the block's level worked out, the bar given it and repainted at once),
// beside the 20 ms the block lasts; and the check of a whole transmission as the key comes up, for
// the longest one the radio lets through (five minutes, cut by the transmit time-out).
//
// Usage: bench_miclevel [BLOCKS=3000]
// Every summary line starts with "ROW |" for a table.
#include "air/Voice.h"
#include "screens/MicLevelBar.h"
#include "voice/Level.h"

#include <QApplication>
#include <QPixmap>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {
double nowMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int blocks = argc > 1 ? std::atoi(argv[1]) : 3000;
    // Speech-like: a tone whose loudness swells and falls twice a second.
    std::vector<float> said(size_t(blocks) * air::kFrameSamples);
    for (size_t i = 0; i < said.size(); ++i)
        said[i] = float(0.4 * std::fabs(std::sin(i * M_PI * 2 / air::kVoiceRate)) * std::sin(i * 0.17));

    screens::MicLevelBar bar;
    bar.resize(122, 20);
    // Painted into a picture of its own, as the window's backing store would be: the offscreen
    // platform's repaint() of a window never shown on a screen may paint nothing.
    QPixmap canvas(bar.size());
    const double start = nowMs();
    for (int b = 0; b < blocks; ++b) {
        bar.setBlock(voice::blockLevel(said.data() + size_t(b) * air::kFrameSamples, air::kFrameSamples), b * air::kFrameMs);
        bar.render(&canvas);
    }
    const double perBlock = (nowMs() - start) / blocks;
    std::printf("ROW | Level meter per 20 ms block (level + repaint of the bar) | %.3f ms | %.2f %% of the block |\n",
                perBlock, perBlock / air::kFrameMs * 100);

    std::vector<short> longest(size_t(5 * 60 * air::kVoiceRate));
    for (size_t i = 0; i < longest.size(); ++i) longest[i] = short(said[i % said.size()] * 32767);
    const double t0 = nowMs();
    const voice::Measure m = voice::measure(longest, air::kVoiceRate);
    std::printf("ROW | Level check of a 5-minute transmission as the key comes up | %.1f ms | %s |\n", nowMs() - t0,
                voice::loudnessName(m.loudness));
    return 0;
}
