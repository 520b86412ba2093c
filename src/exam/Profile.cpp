// Reading exam profiles, and finding the shipped ones.
#include "exam/Profile.h"

#include "exam/Fields.h"
#include "exam/Kinds.h"
#include "lessons/Exercise.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace exam {
namespace {

Section readSection(Fields& f, const QJsonObject& o, const QString& path, const QString& who, int attempts) {
    Section s;
    f.onlyKnown(o, path, {"name", "draw", "kinds", "mandatory", "attempts"}, who);
    s.name = f.text(o, path, QStringLiteral("name"), who, true);
    s.draw = f.number(o, path, QStringLiteral("draw"), who, 1, 1, true);
    s.kinds = f.words(o, path, QStringLiteral("kinds"), who, cardKinds(), QStringLiteral("kind"));
    s.mandatory = f.flag(o, path, QStringLiteral("mandatory"), who);
    s.attempts = f.number(o, path, QStringLiteral("attempts"), who, 1, attempts);
    return s;
}

// Each section draws kinds no earlier section drew: at worst the earlier ones took all they could
// of the kinds they share with it.
void checkDraws(Fields& f, const QList<Section>& sections) {
    for (int i = 0; i < sections.size(); ++i) {
        QSet<QString> free(sections[i].kinds.cbegin(), sections[i].kinds.cend());
        qsizetype fit = free.size();
        for (int j = 0; j < i; ++j) {
            qsizetype shared = 0;
            for (const QString& k : sections[j].kinds) shared += free.contains(k) ? 1 : 0;
            fit -= std::min<qsizetype>(shared, sections[j].draw);
        }
        if (sections[i].draw > fit)
            f.fail(QStringLiteral("sections/%1/draw").arg(i),
                   QStringLiteral("section %1 draws %2 cards but only %3 kinds fit").arg(i + 1).arg(sections[i].draw).arg(fit));
    }
}

void checkPass(Fields& f, const QJsonObject& pass, const QList<Section>& sections) {
    const QString path = QStringLiteral("pass"), who = QStringLiteral("pass");
    if (pass.contains(QLatin1String("percent"))) {
        f.onlyKnown(pass, path, {"percent"}, who);
        if (f.number(pass, path, QStringLiteral("percent"), who, 1, 100) > 100)
            f.fail(path + QStringLiteral("/percent"), QStringLiteral("pass: 'percent' must be from 1 to 100"));
        return;
    }
    f.onlyKnown(pass, path, {"mandatory", "others"}, who);
    if (f.text(pass, path, QStringLiteral("mandatory"), who, true) != QLatin1String("all") && !f.fault)
        f.fail(path + QStringLiteral("/mandatory"), QStringLiteral("pass: 'mandatory' can only be \"all\""));
    int others = 0;
    for (const Section& s : sections) others += s.mandatory ? 0 : s.draw;
    if (f.number(pass, path, QStringLiteral("others"), who, 0, 0, true) > others)
        f.fail(path + QStringLiteral("/others"),
               QStringLiteral("pass asks for more other cards than the %1 the sections draw").arg(others));
}

} // namespace

dscwire::Result<Profile> parseProfile(const QByteArray& json, const QString& fileName) {
    using R = dscwire::Result<Profile>;
    const auto root = objectOf(json, fileName, QStringLiteral("exam profile"));
    if (!root.ok()) return R::bad(root.error());
    const QJsonObject o = root.value();
    Fields f;
    Profile p;
    const QString who = QStringLiteral("the profile");
    f.onlyKnown(o, {}, {"title", "familiarisation", "timeLimit", "attempts", "sections", "pass"}, who);
    p.title = f.text(o, {}, QStringLiteral("title"), who, true);
    p.familiarisationSeconds = f.number(o, {}, QStringLiteral("familiarisation"), who, 0, 0);
    p.timeLimitSeconds = f.number(o, {}, QStringLiteral("timeLimit"), who, 0, 0);
    p.attempts = f.number(o, {}, QStringLiteral("attempts"), who, 1, 1);
    const QJsonValue sections = o.value(QLatin1String("sections"));
    if (!sections.isArray() || sections.toArray().isEmpty())
        f.fail(sections.isUndefined() ? QString() : QStringLiteral("sections"),
               QStringLiteral("the profile needs 'sections', a list of one or more { ... }"));
    const QJsonArray list = sections.toArray();
    for (int i = 0; i < list.size() && !f.fault; ++i) {
        const QString path = QStringLiteral("sections/%1").arg(i), name = QStringLiteral("section %1").arg(i + 1);
        if (!list[i].isObject()) f.fail(path, QStringLiteral("%1 must be an object { ... }").arg(name));
        const Section s = readSection(f, list[i].toObject(), path, name, p.attempts);
        for (const Section& earlier : p.sections)
            if (earlier.name == s.name) f.fail(path + QStringLiteral("/name"), QStringLiteral("two sections are named '%1'").arg(s.name));
        p.sections << s;
    }
    if (!f.fault) checkDraws(f, p.sections);
    if (!o.value(QLatin1String("pass")).isObject())
        f.fail(o.contains(QLatin1String("pass")) ? QStringLiteral("pass") : QString(),
               QStringLiteral("the profile needs 'pass': { \"mandatory\": \"all\", \"others\": N } or { \"percent\": P }"));
    else if (!f.fault)
        checkPass(f, o.value(QLatin1String("pass")).toObject(), p.sections);
    if (f.fault) return R::bad(faultText(f, json, fileName));
    p.pass = o.value(QLatin1String("pass")).toObject();
    p.name = fileName.endsWith(QLatin1String(".json")) ? fileName.chopped(5) : fileName;
    return R::good(p);
}

dscwire::Result<Profile> loadProfile(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return dscwire::Result<Profile>::bad(QStringLiteral("%1: cannot be read: %2").arg(name, file.errorString()));
    return parseProfile(file.readAll(), name);
}

QStringList examFolders() {
    QStringList out;
    for (const QString& exercises : lessons::exerciseFolders()) {
        const QString dir = QDir::cleanPath(exercises + QStringLiteral("/../exams"));
        if (QFileInfo(dir).isDir() && !out.contains(dir)) out << dir;
    }
    return out;
}

QString findProfile(const QString& name) { return lessons::findFile(name, examFolders()); }

} // namespace exam
