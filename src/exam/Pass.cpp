#include "exam/Pass.h"

#include <QJsonValue>
#include <algorithm>
#include <cmath>

namespace exam {

namespace {

struct Rule {
    enum Kind { MandatoryAll, Percent, Unknown } kind = Unknown;
    double number = 0; // the others wanted, or the share in percent
};

Rule ruleOf(const QJsonObject& pass) {
    const QJsonValue others = pass.value(QLatin1String("others")), percent = pass.value(QLatin1String("percent"));
    if (pass.value(QLatin1String("mandatory")).toString() == QLatin1String("all") && others.isDouble() &&
        others.toDouble() >= 0 && others.toDouble() <= 1e6 && !pass.contains(QLatin1String("percent")))
        return {Rule::MandatoryAll, std::ceil(others.toDouble())};
    if (percent.isDouble() && percent.toDouble() >= 0 && percent.toDouble() <= 100 && !pass.contains(QLatin1String("mandatory")))
        return {Rule::Percent, percent.toDouble()};
    return {};
}

// Whether the rule holds with the undecided cards taken as passed (best) or as failed.
bool holds(const Rule& rule, const PassOutcome& o, bool best) {
    const int undecided = best ? 1 : 0;
    if (rule.kind == Rule::MandatoryAll)
        return o.mandatoryPassed + undecided * o.mandatoryReview == o.mandatory &&
               o.othersPassed + undecided * o.othersReview >= rule.number;
    for (const SectionTotal& s : o.sections)
        if ((s.passed + undecided * s.review) * 100.0 < rule.number * s.cards) return false;
    return !o.sections.empty();
}

QString number(double n) { return QString::number(n, 'g', 6); }

} // namespace

CardVerdict cardVerdict(const Record& record, size_t card) {
    const CardResult& c = record.cards[card];
    const Override* last = nullptr;
    for (const Override& o : record.overrides)
        if (o.card >= 0 && size_t(o.card) == card + 1) last = &o;
    if (last) return last->mark == QLatin1String("passed") ? CardVerdict::Passed : CardVerdict::Failed;
    if (std::any_of(c.attempts.begin(), c.attempts.end(), [](const Attempt& a) { return !a.review.empty(); }))
        return CardVerdict::Review;
    return !c.attempts.empty() && c.attempts.back().passed ? CardVerdict::Passed : CardVerdict::Failed;
}

PassOutcome judge(const Record& record) {
    PassOutcome o;
    for (size_t i = 0; i < record.cards.size(); ++i) {
        const CardResult& c = record.cards[i];
        const CardVerdict v = cardVerdict(record, i);
        o.cards.push_back(v);
        const int passed = v == CardVerdict::Passed ? 1 : 0, review = v == CardVerdict::Review ? 1 : 0;
        (c.mandatory ? o.mandatory : o.others) += 1;
        (c.mandatory ? o.mandatoryPassed : o.othersPassed) += passed;
        (c.mandatory ? o.mandatoryReview : o.othersReview) += review;
        auto s = std::find_if(o.sections.begin(), o.sections.end(), [&](const SectionTotal& t) { return t.name == c.section; });
        if (s == o.sections.end()) s = o.sections.insert(o.sections.end(), SectionTotal{c.section});
        s->cards += 1;
        s->passed += passed;
        s->review += review;
    }
    const Rule rule = ruleOf(record.pass);
    switch (rule.kind) {
    case Rule::MandatoryAll:
        o.rule = QStringLiteral("every mandatory card (%1) and at least %2 of the %3 others")
                     .arg(o.mandatory)
                     .arg(number(rule.number))
                     .arg(o.others);
        break;
    case Rule::Percent:
        o.rule = QStringLiteral("at least %1 % of the cards of each section").arg(number(rule.number));
        break;
    case Rule::Unknown:
        o.fault = QStringLiteral("the pass rule is neither {\"mandatory\": \"all\", \"others\": N} nor {\"percent\": P}");
        o.result = QStringLiteral("review");
        return o;
    }
    const bool best = holds(rule, o, true), worst = holds(rule, o, false);
    o.result = worst ? QStringLiteral("passed") : best ? QStringLiteral("review") : QStringLiteral("failed");
    return o;
}

} // namespace exam
