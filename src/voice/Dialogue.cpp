#include "voice/Dialogue.h"

#include "voice/Procedure.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

// The table is a resource of the core library.
static void initVoiceResources() { Q_INIT_RESOURCE(voice); }

namespace voice {

namespace {

QJsonObject builtInTable() {
    initVoiceResources();
    QFile f(QStringLiteral(":/voice/dialogue.json"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

} // namespace

QString sayAgainOf(const QString& element) {
    if (element == QLatin1String("position")) return QStringLiteral("your position");
    if (element == QLatin1String("nature")) return QStringLiteral("the nature of your distress");
    if (element == QLatin1String("persons")) return QStringLiteral("the number of persons on board");
    return {};
}

Dialogue::Dialogue() : Dialogue(builtInTable()) {}

Dialogue::Dialogue(const QJsonObject& table, QString* problem) {
    auto fail = [this, problem](const QString& why) {
        if (problem) *problem = why;
        stations_.clear();
        turns_.clear();
    };
    for (const QJsonValue& v : table.value(QStringLiteral("stations")).toArray()) {
        const QJsonObject o = v.toObject();
        Station s{o.value(QStringLiteral("key")).toString(),  o.value(QStringLiteral("name")).toString(),
                  o.value(QStringLiteral("spoken")).toString(), o.value(QStringLiteral("mmsi")).toString(),
                  o.value(QStringLiteral("voice")).toString(),  o.value(QStringLiteral("workingChannel")).toString()};
        if (s.spoken.isEmpty()) s.spoken = s.name;
        if (s.key.isEmpty() || s.name.isEmpty()) {
            fail(QStringLiteral("a station without a key or a name"));
            return;
        }
        stations_.push_back(s);
    }
    const QJsonArray turns = table.value(QStringLiteral("turns")).toArray();
    for (int i = 0; i < turns.size(); ++i) {
        const QJsonObject o = turns.at(i).toObject();
        Turn t;
        t.station = o.value(QStringLiteral("station")).toString();
        t.state = o.value(QStringLiteral("state")).toString();
        t.when = o.value(QStringLiteral("when")).toObject().toVariantMap();
        t.when.insert(QStringLiteral("hears"), o.value(QStringLiteral("hears")).toString());
        t.channel = o.value(QStringLiteral("channel")).toString();
        t.say = o.value(QStringLiteral("say")).toString();
        t.moves = o.contains(QStringLiteral("next"));
        t.next = o.value(QStringLiteral("next")).toString();
        t.nextChannel = o.value(QStringLiteral("nextChannel")).toString();
        if (!station(t.station)) {
            fail(QStringLiteral("turn %1 is for an unknown station '%2'").arg(i + 1).arg(t.station));
            return;
        }
        if (!t.say.isEmpty() && t.channel.isEmpty()) {
            fail(QStringLiteral("turn %1 says something on no channel").arg(i + 1));
            return;
        }
        turns_.push_back(t);
    }
}

const Dialogue::Station* Dialogue::station(const QString& key) const {
    for (const Station& s : stations_)
        if (s.key == key) return &s;
    return nullptr;
}

const Dialogue::Station* Dialogue::stationByMmsi(const QString& mmsi) const {
    for (const Station& s : stations_)
        if (!mmsi.isEmpty() && s.mmsi == mmsi) return &s;
    return nullptr;
}

void Dialogue::reset() { states_.clear(); }

QString Dialogue::resolveChannel(const QString& spec, const Station& s, const QVariantMap& facts) const {
    if (spec == QLatin1String("{heard}") || spec == QLatin1String("{channel}"))
        return facts.value(QStringLiteral("channel")).toString();
    if (spec == QLatin1String("{state}")) return states_.value(s.key).channel;
    if (spec == QLatin1String("{working}")) return s.workingChannel;
    return spec;
}

bool Dialogue::matches(const Turn& t, const QVariantMap& facts) const {
    const Station& s = *station(t.station);
    if (!t.state.isEmpty() && states_.value(s.key).name != t.state) return false;
    for (auto it = t.when.cbegin(); it != t.when.cend(); ++it) {
        const QVariant fact = facts.value(it.key());
        // The wanted value, or any of a list of them.
        QVariantList wanted = it.value().typeId() == QMetaType::QVariantList ? it.value().toList() : QVariantList{it.value()};
        bool any = false;
        for (const QVariant& w : wanted) {
            if (w.typeId() == QMetaType::Bool) {
                any = fact.toBool() == w.toBool();
            } else {
                const QString value = resolveChannel(w.toString(), s, facts);
                // A fact that is a list holds when it contains the value.
                any = fact.typeId() == QMetaType::QStringList || fact.typeId() == QMetaType::QVariantList
                          ? fact.toStringList().contains(value)
                          : !value.isEmpty() && fact.toString() == value;
            }
            if (any) break;
        }
        if (!any) return false;
    }
    return true;
}

QString Dialogue::fill(QString text, const Station& s, const QVariantMap& facts, const QString& own) const {
    text.replace(QLatin1String("{own}"), own);
    text.replace(QLatin1String("{name}"), s.name);
    text.replace(QLatin1String("{spoken}"), s.spoken);
    for (auto it = facts.cbegin(); it != facts.cend(); ++it)
        if (it.value().typeId() == QMetaType::QString)
            text.replace(QLatin1Char('{') + it.key() + QLatin1Char('}'), it.value().toString());
    return text;
}

std::vector<Dialogue::Reply> Dialogue::hear(const QVariantMap& facts, const QString& own) {
    std::vector<Reply> replies;
    for (const Station& s : stations_) {
        for (const Turn& t : turns_) {
            if (t.station != s.key || !matches(t, facts)) continue;
            if (!t.say.isEmpty()) replies.push_back({s.key, resolveChannel(t.channel, s, facts), fill(t.say, s, facts, own)});
            if (t.moves) {
                State& st = states_[s.key];
                st.name = t.next;
                if (!t.nextChannel.isEmpty()) st.channel = resolveChannel(t.nextChannel, s, facts);
                if (t.next.isEmpty()) st.channel.clear();
            }
            break; // a station takes the first turn that fits
        }
    }
    return replies;
}

QVariantMap Dialogue::voiceFacts(const Judgement& j, const QString& channel) const {
    QVariantMap f;
    f.insert(QStringLiteral("hears"), QStringLiteral("voice"));
    f.insert(QStringLiteral("channel"), channel);
    f.insert(QStringLiteral("procedure"), kindName(j.kind));
    QString called;
    if (const Station* s = stationByMmsi(j.calledMmsi)) called = s->key;
    else if (j.called == QLatin1String("all stations")) called = QStringLiteral("all");
    else {
        for (const Station& s : stations_)
            if (j.called.compare(s.name, Qt::CaseInsensitive) == 0 || j.called.compare(s.spoken, Qt::CaseInsensitive) == 0)
                called = s.key;
    }
    f.insert(QStringLiteral("called"), called);
    f.insert(QStringLiteral("radioCheck"), j.radioCheck);
    // Missing: said wrong, or not at all, in words heard clearly. What was not heard clearly is
    // asked for again, never taken as missing.
    QStringList missing, unclear, again;
    for (const Element& e : j.elements) {
        if (e.wrong()) missing << e.id;
        if (e.unclear) {
            unclear << e.id;
            const QString what = sayAgainOf(e.id);
            if (!what.isEmpty()) again << what;
        } else if (!e.heard.isEmpty()) {
            f.insert(e.id, e.heard);
        }
    }
    f.insert(QStringLiteral("missing"), missing);
    f.insert(QStringLiteral("unclear"), unclear);
    f.insert(QStringLiteral("sayAgain"), again.join(QLatin1String(" and ")));
    const Element* ending = j.element(QStringLiteral("ending"));
    const QString last = ending && !ending->unclear ? ending->heard.toLower() : QString();
    f.insert(QStringLiteral("ending"), last.contains(QLatin1String("out")) ? QStringLiteral("out")
                                       : last.contains(QLatin1String("over")) ? QStringLiteral("over")
                                                                                : QString());
    return f;
}

} // namespace voice
