#pragma once
// Faces of type set up ahead, for start-up. Qt sets up every face it opens (its hinting and
// smoothing) with a fontconfig substitution and match of its own, some 0.2 ms each on the main
// thread, and the radio's window opens eight. The faces it will open are known before it is built:
// the same questions are put to fontconfig on another thread while the window is being built, and
// when Qt asks one of exactly those its answer is handed over; every other question goes to
// fontconfig as always. This program's executable answers fontconfig's FcConfigSubstitute,
// FcDefaultSubstitute and FcFontMatch for that (see FontsAhead.cpp).
#include <vector>

namespace platform::fontsAhead {

struct Face {
    const char* family;
    int points;
    bool bold;
};

// Puts the questions Qt will put for `faces` on a screen of `dpi` logical dots per inch, and keeps
// the answers until forget(). Call after FcInit(), on any thread; answers are handed over as soon
// as each is known.
void workOut(const std::vector<Face>& faces, double dpi);

// How many of the faces worked out ahead Qt has asked for so far.
int answered();

// Drops the answers (once the window is up): every question goes to fontconfig again.
void forget();

} // namespace platform::fontsAhead
