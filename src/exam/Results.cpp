#include "exam/Results.h"

#include "exam/Pass.h"

#include <QStringList>
#include <algorithm>

namespace exam {

QString addOverride(Record& record, const Override& o) {
    if (o.reason.trimmed().isEmpty()) return QStringLiteral("An override needs the reason written down.");
    if (o.mark != QLatin1String("passed") && o.mark != QLatin1String("failed"))
        return QStringLiteral("An override marks an attempt passed or failed, not '%1'.").arg(o.mark);
    if (o.card < 1 || o.card > int(record.cards.size())) return QStringLiteral("The exam has no card %1.").arg(o.card);
    const auto& attempts = record.cards[size_t(o.card - 1)].attempts;
    if (std::none_of(attempts.begin(), attempts.end(), [&](const Attempt& a) { return a.number == o.attempt; }))
        return QStringLiteral("Card %1 has no attempt %2.").arg(o.card).arg(o.attempt);
    Override kept = o;
    kept.reason = o.reason.trimmed();
    record.overrides.push_back(kept);
    record.result = judge(record).result;
    return {};
}

QString csvField(const QString& text) {
    static const QString special = QStringLiteral(",\"\r\n");
    if (std::none_of(text.begin(), text.end(), [](QChar ch) { return special.contains(ch); })) return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1String("\""), QLatin1String("\"\"")) + QLatin1Char('"');
}

namespace {
QString line(const QStringList& fields) {
    QStringList quoted;
    for (const QString& f : fields) quoted << csvField(f);
    return quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

QString verdictText(CardVerdict v) {
    switch (v) {
    case CardVerdict::Passed: return QStringLiteral("passed");
    case CardVerdict::Failed: return QStringLiteral("failed");
    case CardVerdict::Review: return QStringLiteral("review");
    }
    return {};
}
} // namespace

QString resultsCsv(const std::vector<Record>& records) {
    size_t most = 0;
    for (const Record& r : records) most = std::max(most, r.cards.size());
    QStringList header{QStringLiteral("candidate"), QStringLiteral("profile"), QStringLiteral("seed"),
                       QStringLiteral("started"), QStringLiteral("ended")};
    for (size_t i = 1; i <= most; ++i) header << QStringLiteral("card %1").arg(i);
    header << QStringLiteral("result") << QStringLiteral("overrides");
    QString csv = line(header);
    for (const Record& r : records) {
        const PassOutcome outcome = judge(r);
        QStringList fields{r.candidate, r.profile, QString::number(r.seed), r.started, r.ended};
        for (size_t i = 0; i < most; ++i) fields << (i < outcome.cards.size() ? verdictText(outcome.cards[i]) : QString());
        fields << outcome.result << QString::number(r.overrides.size());
        csv += line(fields);
    }
    return csv;
}

} // namespace exam
