#include "exam/Draw.h"

#include "exam/Random.h"

#include <QSet>

namespace exam {

dscwire::Result<Plan> drawExam(const Profile& profile, const QList<Card>& bank, std::uint64_t seed) {
    using R = dscwire::Result<Plan>;
    Random random(seed);
    Plan plan{profile.name, profile.title, seed, {}};
    QSet<QString> drawnKinds;
    for (const Section& section : profile.sections) {
        QStringList kinds;
        for (const QString& k : section.kinds)
            if (!drawnKinds.contains(k)) kinds << k;
        for (int i = 0; i < section.draw; ++i) {
            if (kinds.isEmpty())
                return R::bad(QStringLiteral("section '%1' has no kind left to draw").arg(section.name));
            const QString kind = kinds.takeAt(random.below(int(kinds.size())));
            drawnKinds.insert(kind);
            QList<const Card*> cards;
            for (const Card& c : bank)
                if (c.kind == kind) cards << &c;
            if (cards.isEmpty()) return R::bad(QStringLiteral("the card bank has no card of the kind '%1'").arg(kind));
            const Card& card = *cards[random.below(int(cards.size()))];
            DrawnCard d{int(plan.cards.size()) + 1, card, {}, section.name, section.mandatory, section.attempts};
            d.filled = fill(card, random);
            plan.cards << d;
        }
    }
    return R::good(plan);
}

QStringList planLines(const Plan& plan) {
    QStringList out{QStringLiteral("Exam %1 (%2), seed %3").arg(plan.profile, plan.profileTitle).arg(plan.seed)};
    for (const DrawnCard& d : plan.cards)
        out << QStringLiteral("%1. %2: %3").arg(d.number).arg(d.card.kind, d.filled.text);
    return out;
}

dscwire::Result<lessons::Exercise> exerciseOf(const DrawnCard& drawn) { return exerciseOf(drawn.card, drawn.filled); }

} // namespace exam
