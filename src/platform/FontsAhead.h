#pragma once
// Faces of type set up ahead, for start-up. Qt sets up every face it opens (its hinting and
// smoothing) with a fontconfig substitution and match of its own, some 0.2 ms each on the main
// thread, and the radio's window opens eight. The faces it will open are known before it is built:
// the same questions are put to fontconfig on another thread before Qt comes to them, and when Qt
// asks one of exactly those its answer is handed over; every other question goes to
// fontconfig as always. Likewise the list of every font that Qt's font database makes when first
// used (0.2 ms more). This program's executable answers fontconfig's FcConfigSubstitute,
// FcDefaultSubstitute, FcFontMatch and FcFontList for that (see FontsAhead.cpp).
#include <vector>

namespace platform::fontsAhead {

struct Face {
    const char* family;
    int points;
    bool bold;
};

// Lists every font as Qt's font database will ask when first used, and keeps the list until Qt
// takes it or forget(). Call after FcInit(), on any thread.
void listFonts();

// Puts the questions Qt will put for `faces` on a screen of `dpi` logical dots per inch, and keeps
// the answers until forget(). Call after FcInit(), on any thread; answers are handed over as soon
// as each is known.
void workOut(const std::vector<Face>& faces, double dpi);

// How many of the answers made ahead (the faces worked out, the font list) Qt has taken so far.
int answered();

// Drops the answers and the list (once the window is up): every question goes to fontconfig again.
void forget();

} // namespace platform::fontsAhead
