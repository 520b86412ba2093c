#include "platform/FontsAhead.h"

#include <dlfcn.h>
#include <fontconfig/fontconfig.h>
#include <cmath>
#include <cstdlib>
#include <mutex>

namespace {

// fontconfig's own functions, behind the ones this executable gives Qt.
struct Fontconfig {
    FcBool (*substitute)(FcConfig*, FcPattern*, FcMatchKind);
    void (*defaults)(FcPattern*);
    FcPattern* (*match)(FcConfig*, FcPattern*, FcResult*);
};

const Fontconfig& fontconfig() {
    static const Fontconfig f{
        reinterpret_cast<FcBool (*)(FcConfig*, FcPattern*, FcMatchKind)>(dlsym(RTLD_NEXT, "FcConfigSubstitute")),
        reinterpret_cast<void (*)(FcPattern*)>(dlsym(RTLD_NEXT, "FcDefaultSubstitute")),
        reinterpret_cast<FcPattern* (*)(FcConfig*, FcPattern*, FcResult*)>(dlsym(RTLD_NEXT, "FcFontMatch"))};
    return f;
}

struct Answer {
    FcPattern* question; // as Qt puts it, before substitution
    FcPattern* match;
    FcResult result;
    bool taken;
};

std::mutex gLock;
std::vector<Answer> gAnswers;

Answer* answerFor(const FcPattern* p) {
    for (Answer& a : gAnswers)
        if (FcPatternEqual(a.question, p)) return &a;
    return nullptr;
}

bool known(const FcPattern* p) {
    std::lock_guard<std::mutex> lock(gLock);
    return !gAnswers.empty() && answerFor(p);
}

// The fonts of a family, with their files, weights and slants.
FcFontSet* familyFonts(const char* family) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcObjectSet* fields = FcObjectSetBuild(FC_FILE, FC_INDEX, FC_WEIGHT, FC_SLANT, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, fields);
    FcObjectSetDestroy(fields);
    FcPatternDestroy(pattern);
    return fonts;
}

// The font Qt's font database opens for the weight: the upright one nearest to it.
const FcPattern* nearest(const FcFontSet& fonts, int weight) {
    const FcPattern* best = nullptr;
    int bestDistance = 0;
    for (int i = 0; i < fonts.nfont; ++i) {
        int slant = 0, w = 0;
        if (FcPatternGetInteger(fonts.fonts[i], FC_SLANT, 0, &slant) != FcResultMatch || slant != FC_SLANT_ROMAN ||
            FcPatternGetInteger(fonts.fonts[i], FC_WEIGHT, 0, &w) != FcResultMatch)
            continue;
        if (!best || std::abs(w - weight) < bestDistance) {
            best = fonts.fonts[i];
            bestDistance = std::abs(w - weight);
        }
    }
    return best;
}

} // namespace

// Qt's set-up of a face: FcConfigSubstitute, FcDefaultSubstitute and FcFontMatch on one pattern of
// its own making, which it then destroys. For a question answered ahead the first two leave the
// pattern as it is and the match is the one worked out.
extern "C" FcBool FcConfigSubstitute(FcConfig* config, FcPattern* p, FcMatchKind kind) {
    if (!config && kind == FcMatchPattern && known(p)) return FcTrue;
    return fontconfig().substitute(config, p, kind);
}

extern "C" void FcDefaultSubstitute(FcPattern* p) {
    if (!known(p)) fontconfig().defaults(p);
}

extern "C" FcPattern* FcFontMatch(FcConfig* config, FcPattern* p, FcResult* result) {
    if (!config) {
        std::lock_guard<std::mutex> lock(gLock);
        if (Answer* a = answerFor(p)) {
            a->taken = true;
            if (result) *result = a->result;
            return a->match ? FcPatternDuplicate(a->match) : nullptr;
        }
    }
    return fontconfig().match(config, p, result);
}

namespace platform::fontsAhead {

void workOut(const std::vector<Face>& faces, double dpi) {
    if (!(dpi > 0)) return;
    for (const Face& face : faces) {
        FcFontSet* fonts = familyFonts(face.family);
        const FcPattern* font = fonts ? nearest(*fonts, face.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR) : nullptr;
        FcChar8* file = nullptr;
        int index = 0;
        if (font && FcPatternGetString(font, FC_FILE, 0, &file) == FcResultMatch &&
            FcPatternGetInteger(font, FC_INDEX, 0, &index) == FcResultMatch) {
            // The question as Qt puts it when it opens the face: the family, the file and the size
            // in whole pixels.
            FcPattern* question = FcPatternCreate();
            FcPatternAddString(question, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.family));
            FcPatternAddString(question, FC_FILE, file);
            FcPatternAddInteger(question, FC_INDEX, index);
            FcPatternAddDouble(question, FC_PIXEL_SIZE, std::round(face.points * dpi / 72.0));
            FcPattern* asked = FcPatternDuplicate(question);
            fontconfig().substitute(nullptr, asked, FcMatchPattern);
            fontconfig().defaults(asked);
            FcResult result = FcResultNoMatch;
            FcPattern* match = fontconfig().match(nullptr, asked, &result);
            FcPatternDestroy(asked);
            std::lock_guard<std::mutex> lock(gLock);
            gAnswers.push_back({question, match, result, false});
        }
        if (fonts) FcFontSetDestroy(fonts);
    }
}

int answered() {
    std::lock_guard<std::mutex> lock(gLock);
    int n = 0;
    for (const Answer& a : gAnswers) n += a.taken;
    return n;
}

void forget() {
    std::lock_guard<std::mutex> lock(gLock);
    for (Answer& a : gAnswers) {
        FcPatternDestroy(a.question);
        if (a.match) FcPatternDestroy(a.match);
    }
    gAnswers.clear();
}

} // namespace platform::fontsAhead
