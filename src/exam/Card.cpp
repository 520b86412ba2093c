// Reading the card bank, and filling a card's slots from the exam's random numbers.
#include "exam/Card.h"

#include "exam/Fields.h"
#include "exam/Kinds.h"
#include "exam/Profile.h"
#include "exam/Random.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>

namespace exam {
namespace {

// {vessel}, {vessel2}, {position:radio}: the sort, the number that tells two of a sort apart, the form.
const QRegularExpression& slotForm() {
    static const QRegularExpression re(QStringLiteral("\\{([a-z]+)(\\d?)(:[a-z]+)?\\}"));
    return re;
}

const QStringList kSorts{"vessel", "mmsi", "callsign", "persons", "position", "time", "channel", "nature"};

const QStringList& usualValues(const QString& sort) {
    static const QHash<QString, QStringList> values{
        {"vessel", {"Sea Otter", "Morning Star", "Fair Wind", "Northern Light", "Silver Gull", "Osprey", "Hannah May",
                    "Wanderer", "Spindrift", "Kittiwake", "Red Fox", "Lady Grace", "Seahorse", "Puffin"}},
        {"channel", {"68", "69", "71", "72", "78A"}},
        {"nature", {"Flooding", "Collision", "Grounding", "Listing", "Sinking", "Adrift"}},
    };
    static const QStringList none;
    const auto it = values.constFind(sort);
    return it == values.constEnd() ? none : *it;
}

QString twoDigits(int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }

// A value of `sort`: from the card's choices or the usual values, else made from numbers. A
// position is two values: the candidate's "42°21.3'N 070°48.9'W" and the radio's entry.
QStringList draw(const QString& sort, const QStringList& choices, Random& r) {
    const QStringList& from = choices.isEmpty() ? usualValues(sort) : choices;
    if (!from.isEmpty()) return {from[r.below(int(from.size()))]};
    if (sort == QLatin1String("mmsi")) {
        for (;;) { // a ship of the USA, not one the trainer already has
            const QString m = QStringLiteral("366%1").arg(r.between(100000, 999999));
            if (m != QLatin1String("366232323")) return {m};
        }
    }
    if (sort == QLatin1String("callsign")) {
        const QChar letter(QLatin1Char(char('A' + r.below(26))));
        return {QStringLiteral("WD%1%2").arg(letter).arg(r.between(1000, 9999))};
    }
    if (sort == QLatin1String("persons")) return {QString::number(r.between(2, 9))};
    if (sort == QLatin1String("time")) {
        const int minute = r.below(24 * 60);
        return {twoDigits(minute / 60) + QLatin1Char(':') + twoDigits(minute % 60)};
    }
    // Off Massachusetts Bay, in tenths of a minute.
    const int lat = r.between(41 * 600 + 100, 42 * 600 + 250), lon = r.between(69 * 600 + 550, 70 * 600 + 590);
    auto minutes = [](int tenths) {
        return QStringLiteral("%1.%2").arg(twoDigits(tenths % 600 / 10)).arg(tenths % 10);
    };
    const QString latText = QStringLiteral("%1°%2'N").arg(lat / 600).arg(minutes(lat));
    const QString lonText = QStringLiteral("%1°%2'W").arg(lon / 600, 3, 10, QLatin1Char('0')).arg(minutes(lon));
    return {latText + QLatin1Char(' ') + lonText, QStringLiteral("L%1  Lo%2").arg(latText, lonText)};
}

// Whether `value` may stand for a slot of `sort`: the values a card chooses take the same forms as
// the drawn ones, so that a card that makes an exercise with some makes one with all.
bool fitsSort(const QString& sort, const QString& value) {
    static const QHash<QString, QRegularExpression> forms{
        {"vessel", QRegularExpression(QStringLiteral("^[A-Za-z][A-Za-z .'-]*$"))},
        {"mmsi", QRegularExpression(QStringLiteral("^\\d{9}$"))},
        {"callsign", QRegularExpression(QStringLiteral("^[A-Z0-9]{3,9}$"))},
        {"persons", QRegularExpression(QStringLiteral("^[1-9]\\d{0,2}$"))},
        {"time", QRegularExpression(QStringLiteral("^([01]\\d|2[0-3]):[0-5]\\d$"))},
        {"channel", QRegularExpression(QStringLiteral("^(0?[1-9]|[1-7]\\d|8[0-8])A?$"))},
    };
    if (sort == QLatin1String("nature")) return dscwire::natureFromText(value).has_value();
    return forms.value(sort).match(value).hasMatch();
}

QByteArray taskText(const QJsonObject& start, const QJsonArray& tasks) {
    return QJsonDocument(QJsonObject{{"start", start}, {"tasks", tasks}}).toJson(QJsonDocument::Compact);
}

// The slot's name without its form: "position2:radio" -> "position2".
QString slotName(const QRegularExpressionMatch& m) { return m.captured(1) + m.captured(2); }

// The first slot in `text` that is no slot of ours, with braces; empty when there is none.
QString unknownSlot(const QString& text) {
    for (auto it = slotForm().globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        const bool radio = m.captured(3) == QLatin1String(":radio") && m.captured(1) == QLatin1String("position");
        if (!kSorts.contains(m.captured(1)) || (!m.captured(3).isEmpty() && !radio)) return m.captured(0);
    }
    return {};
}

Card readCard(Fields& f, const QJsonObject& o, const QString& path, int number) {
    Card c;
    QString who = QStringLiteral("card %1").arg(number);
    f.onlyKnown(o, path, {"id", "kind", "text", "dictation", "start", "tasks", "critical", "slots"}, who);
    c.id = f.text(o, path, QStringLiteral("id"), who, true);
    static const QRegularExpression idForm(QStringLiteral("^[a-z0-9]+(-[a-z0-9]+)*$"));
    if (!f.fault && !idForm.match(c.id).hasMatch())
        f.fail(path + QStringLiteral("/id"), QStringLiteral("%1: 'id' must be letters, digits and dashes, not '%2'").arg(who, c.id));
    if (!f.fault) who = QStringLiteral("card '%1'").arg(c.id);
    c.kind = f.text(o, path, QStringLiteral("kind"), who, true);
    if (!f.fault && !cardKinds().contains(c.kind))
        f.fail(path + QStringLiteral("/kind"), QStringLiteral("%1 has an unknown kind '%2'").arg(who, c.kind));
    c.text = f.text(o, path, QStringLiteral("text"), who, true);
    if (o.contains(QLatin1String("dictation"))) c.dictation = f.text(o, path, QStringLiteral("dictation"), who, false);
    if (o.contains(QLatin1String("start")) && !o.value(QLatin1String("start")).isObject())
        f.fail(path + QStringLiteral("/start"), QStringLiteral("%1: 'start' must be an object { ... }").arg(who));
    c.start = o.value(QLatin1String("start")).toObject();
    if (!o.value(QLatin1String("tasks")).isArray() || o.value(QLatin1String("tasks")).toArray().isEmpty())
        f.fail(o.contains(QLatin1String("tasks")) ? path + QStringLiteral("/tasks") : path,
               QStringLiteral("%1 needs 'tasks', a list of one or more { ... }").arg(who));
    c.tasks = o.value(QLatin1String("tasks")).toArray();
    c.critical = f.words(o, path, QStringLiteral("critical"), who, criticalErrors(), QStringLiteral("critical error"));
    const QJsonObject chosen = o.value(QLatin1String("slots")).toObject();
    for (const QString& slot : chosen.keys()) {
        const QString at = path + QStringLiteral("/slots");
        const auto m = slotForm().match(QLatin1Char('{') + slot + QLatin1Char('}'));
        if (!m.hasMatch() || !unknownSlot(m.captured(0)).isEmpty() || m.captured(1) == QLatin1String("position"))
            f.fail(at + QLatin1Char('/') + slot, QStringLiteral("%1 cannot choose the values of a slot '%2'").arg(who, slot));
        c.choices.insert(slot, f.words(chosen, at, slot, who, {}, QStringLiteral("value")));
        for (const QString& value : c.choices.value(slot))
            if (!fitsSort(m.captured(1), value))
                f.fail(at + QLatin1Char('/') + slot, QStringLiteral("%1: '%2' is no value for {%3}").arg(who, value, slot));
    }
    const QList<std::pair<QString, QString>> places{{QStringLiteral("text"), c.text},
                                                    {QStringLiteral("dictation"), c.dictation},
                                                    {QStringLiteral("tasks"), QString::fromUtf8(taskText(c.start, c.tasks))}};
    for (const auto& [key, text] : places)
        if (const QString slot = unknownSlot(text); !slot.isEmpty())
            f.fail(path + QLatin1Char('/') + key, QStringLiteral("%1 has an unknown slot '%2'").arg(who, slot));
    return c;
}

} // namespace

Filled fill(const Card& card, Random& random) {
    Filled out;
    const QByteArray tasks = taskText(card.start, card.tasks);
    for (const QString& text : {card.text, card.dictation, QString::fromUtf8(tasks)})
        for (auto it = slotForm().globalMatch(text); it.hasNext();) {
            const auto m = it.next();
            const QString name = slotName(m), sort = m.captured(1);
            if (out.values.contains(name)) continue;
            QStringList value = draw(sort, card.choices.value(name), random);
            // Two slots of one sort differ, as far as their values allow.
            auto taken = [&] {
                for (auto v = out.values.cbegin(); v != out.values.cend(); ++v)
                    if (v.key() != name && v.key().startsWith(sort) && v.value() == value.first()) return true;
                return false;
            };
            for (int tries = 0; taken() && tries < 16; ++tries) value = draw(sort, card.choices.value(name), random);
            out.values.insert(name, value.first());
            if (value.size() > 1) out.values.insert(name + QStringLiteral(":radio"), value[1]);
        }
    auto filled = [&out](QString text) {
        // From the end, so that the places of the slots before stay where they were.
        QList<QRegularExpressionMatch> matches;
        for (auto it = slotForm().globalMatch(text); it.hasNext();) matches.prepend(it.next());
        for (const auto& m : matches) text.replace(m.capturedStart(), m.capturedLength(), out.values.value(slotName(m) + m.captured(3)));
        return text;
    };
    out.text = filled(card.text);
    out.dictation = filled(card.dictation);
    const QJsonObject both = QJsonDocument::fromJson(filled(QString::fromUtf8(tasks)).toUtf8()).object();
    out.start = both.value(QLatin1String("start")).toObject();
    out.tasks = both.value(QLatin1String("tasks")).toArray();
    return out;
}

dscwire::Result<lessons::Exercise> exerciseOf(const Card& card, const Filled& filled) {
    QJsonObject x{{"title", card.id}, {"briefing", filled.text}, {"tasks", filled.tasks}};
    if (!filled.start.isEmpty()) x.insert(QStringLiteral("start"), filled.start);
    return lessons::parseExercise(QJsonDocument(x).toJson(), card.id + QStringLiteral(".json"));
}

dscwire::Result<QList<Card>> parseCards(const QByteArray& json, const QString& fileName) {
    using R = dscwire::Result<QList<Card>>;
    const auto root = objectOf(json, fileName, QStringLiteral("cards"));
    if (!root.ok()) return R::bad(root.error());
    Fields f;
    f.onlyKnown(root.value(), {}, {"cards"}, QStringLiteral("the file"));
    const QJsonValue cards = root.value().value(QLatin1String("cards"));
    if (!cards.isArray() || cards.toArray().isEmpty())
        f.fail(cards.isUndefined() ? QString() : QStringLiteral("cards"),
               QStringLiteral("the file needs 'cards', a list of one or more { ... }"));
    QList<Card> out;
    const QJsonArray list = cards.toArray();
    for (int i = 0; i < list.size() && !f.fault; ++i) {
        const QString path = QStringLiteral("cards/%1").arg(i);
        if (!list[i].isObject()) f.fail(path, QStringLiteral("card %1 must be an object { ... }").arg(i + 1));
        Card c = readCard(f, list[i].toObject(), path, i + 1);
        for (const Card& before : out)
            if (before.id == c.id) f.fail(path + QStringLiteral("/id"), QStringLiteral("two cards are named '%1'").arg(c.id));
        if (f.fault) break;
        // The card must make an exercise whatever its slots hold: tried with the values of seed 0.
        Random random(0);
        const auto exercise = exerciseOf(c, fill(c, random));
        if (!exercise.ok()) {
            static const QRegularExpression where(QStringLiteral("^.*? line \\d+: "));
            f.fail(path + QStringLiteral("/tasks"),
                   QStringLiteral("card '%1': %2").arg(c.id, QString(exercise.error()).remove(where)));
        }
        c.fileName = fileName;
        out << c;
    }
    if (f.fault) return R::bad(faultText(f, json, fileName));
    return R::good(out);
}

dscwire::Result<QList<Card>> loadCardBank(const QString& folder) {
    using R = dscwire::Result<QList<Card>>;
    QList<Card> bank;
    const QDir dir(folder);
    const QStringList files = dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    if (files.isEmpty()) return R::bad(QStringLiteral("%1: no card files (*.json)").arg(folder));
    for (const QString& name : files) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) return R::bad(QStringLiteral("%1: cannot be read: %2").arg(name, file.errorString()));
        const auto cards = parseCards(file.readAll(), name);
        if (!cards.ok()) return cards;
        for (const Card& c : cards.value())
            for (const Card& before : bank)
                if (before.id == c.id)
                    return R::bad(QStringLiteral("%1: the card '%2' is in %3 already").arg(name, c.id, before.fileName));
        bank << cards.value();
    }
    return R::good(bank);
}

dscwire::Result<QList<Card>> loadShippedCards() {
    for (const QString& dir : examFolders())
        if (QDir(dir).exists(QStringLiteral("cards"))) return loadCardBank(dir + QStringLiteral("/cards"));
    return dscwire::Result<QList<Card>>::bad(QStringLiteral("no card bank found (exams/cards)"));
}

} // namespace exam
