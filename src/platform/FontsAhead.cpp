#include "platform/FontsAhead.h"

#include <dlfcn.h>
#include <fontconfig/fontconfig.h>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

namespace {

// fontconfig's own functions, behind the ones this executable gives Qt.
struct Fontconfig {
    FcBool (*substitute)(FcConfig*, FcPattern*, FcMatchKind);
    void (*defaults)(FcPattern*);
    FcPattern* (*match)(FcConfig*, FcPattern*, FcResult*);
    FcFontSet* (*list)(FcConfig*, FcPattern*, FcObjectSet*);
};

const Fontconfig& fontconfig() {
    static const Fontconfig f{
        reinterpret_cast<FcBool (*)(FcConfig*, FcPattern*, FcMatchKind)>(dlsym(RTLD_NEXT, "FcConfigSubstitute")),
        reinterpret_cast<void (*)(FcPattern*)>(dlsym(RTLD_NEXT, "FcDefaultSubstitute")),
        reinterpret_cast<FcPattern* (*)(FcConfig*, FcPattern*, FcResult*)>(dlsym(RTLD_NEXT, "FcFontMatch")),
        reinterpret_cast<FcFontSet* (*)(FcConfig*, FcPattern*, FcObjectSet*)>(dlsym(RTLD_NEXT, "FcFontList"))};
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

// Every font, with what Qt's font database records of each: the list it asks for when first used.
const char* const kListedFields[] = {FC_FAMILY, FC_STYLE, FC_WEIGHT, FC_SLANT, FC_SPACING,
                                     FC_FILE, FC_INDEX, FC_LANG, FC_CHARSET, FC_FOUNDRY,
                                     FC_SCALABLE, FC_PIXEL_SIZE, FC_WIDTH, FC_FAMILYLANG, FC_CAPABILITY};
FcFontSet* gAllFonts = nullptr; // until Qt takes it
int gListsTaken = 0;

// Whether the fields are those of the list (fontconfig keeps them in an order of its own).
bool listedFields(const FcObjectSet* fields) {
    constexpr int n = int(sizeof kListedFields / sizeof *kListedFields);
    if (!fields || fields->nobject != n) return false;
    for (const char* wanted : kListedFields) {
        bool found = false;
        for (int i = 0; i < n && !found; ++i) found = std::strcmp(fields->objects[i], wanted) == 0;
        if (!found) return false;
    }
    return true;
}

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
    FcFontSet* fonts = fontconfig().list(nullptr, pattern, fields);
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

// Qt's font database, when first used, lists every font; the list made ahead is handed over once.
extern "C" FcFontSet* FcFontList(FcConfig* config, FcPattern* p, FcObjectSet* fields) {
    if (!config && p && FcPatternObjectCount(p) == 0 && listedFields(fields)) {
        std::lock_guard<std::mutex> lock(gLock);
        if (gAllFonts) {
            ++gListsTaken;
            return std::exchange(gAllFonts, nullptr);
        }
    }
    return fontconfig().list(config, p, fields);
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

void listFonts() {
    FcPattern* every = FcPatternCreate();
    FcObjectSet* fields = FcObjectSetCreate();
    for (const char* field : kListedFields) FcObjectSetAdd(fields, field);
    FcFontSet* fonts = fontconfig().list(nullptr, every, fields);
    FcObjectSetDestroy(fields);
    FcPatternDestroy(every);
    std::lock_guard<std::mutex> lock(gLock);
    if (gAllFonts) FcFontSetDestroy(gAllFonts);
    gAllFonts = fonts;
}

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
    int n = gListsTaken;
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
    if (gAllFonts) FcFontSetDestroy(gAllFonts);
    gAllFonts = nullptr;
    gListsTaken = 0;
}

} // namespace platform::fontsAhead
