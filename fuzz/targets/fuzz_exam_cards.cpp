// A file of the exam's card bank, and each card it holds filled and made an exercise.
#include "Fuzz.h"

#include "exam/Card.h"
#include "exam/Random.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto cards = exam::parseCards(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)),
                                        QStringLiteral("fuzz.json"));
    fuzz::require(cards.ok() || cards.error().startsWith(QLatin1String("fuzz.json line ")),
                  "a fault is told with the file and line");
    if (!cards.ok()) return 0;
    for (const exam::Card& card : cards.value()) {
        exam::Random random(size);
        const auto x = exam::exerciseOf(card, exam::fill(card, random));
        fuzz::require(x.ok(), "a card that was read makes an exercise whatever its slots hold");
    }
    return 0;
}
