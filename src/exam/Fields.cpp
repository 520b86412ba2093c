#include "exam/Fields.h"

#include "lessons/JsonLines.h"

#include <QJsonDocument>

#include <cmath>

namespace exam {

void Fields::onlyKnown(const QJsonObject& o, const QString& path, const QStringList& known, const QString& who) {
    for (const QString& key : o.keys())
        if (!known.contains(key)) fail(join(path, key), QStringLiteral("%1 has an unknown field '%2'").arg(who, key));
}

QString Fields::text(const QJsonObject& o, const QString& path, const QString& key, const QString& who, bool required) {
    const QJsonValue v = o.value(key);
    if (v.isUndefined()) {
        if (required) fail(path, QStringLiteral("%1 has no %2").arg(who, key));
        return {};
    }
    if (!v.isString() || v.toString().trimmed().isEmpty())
        fail(join(path, key), QStringLiteral("%1: '%2' must be a text in quotes").arg(who, key));
    return v.toString().trimmed();
}

int Fields::number(const QJsonObject& o, const QString& path, const QString& key, const QString& who, int low,
                   int otherwise, bool required) {
    const QJsonValue v = o.value(key);
    if (v.isUndefined()) {
        if (required) fail(path, QStringLiteral("%1 has no %2").arg(who, key));
        return otherwise;
    }
    const double n = v.toDouble(-1e9);
    if (!v.isDouble() || n != std::floor(n) || n < low || n > 1e6) {
        fail(join(path, key), QStringLiteral("%1: '%2' must be a whole number from %3 on").arg(who, key).arg(low));
        return otherwise;
    }
    return static_cast<int>(n);
}

bool Fields::flag(const QJsonObject& o, const QString& path, const QString& key, const QString& who) {
    const QJsonValue v = o.value(key);
    if (!v.isUndefined() && !v.isBool())
        fail(join(path, key), QStringLiteral("%1: '%2' must be true or false").arg(who, key));
    return v.toBool();
}

QStringList Fields::words(const QJsonObject& o, const QString& path, const QString& key, const QString& who,
                          const QStringList& allowed, const QString& one) {
    const QString at = join(path, key);
    const QJsonValue v = o.value(key);
    if (!v.isArray() || v.toArray().isEmpty()) {
        fail(v.isUndefined() ? path : at, QStringLiteral("%1 needs '%2', a list like [\"a\", \"b\"]").arg(who, key));
        return {};
    }
    QStringList out;
    const QJsonArray list = v.toArray();
    for (int i = 0; i < list.size(); ++i) {
        const QString word = list[i].toString();
        const QString here = join(at, QString::number(i));
        if (!list[i].isString() || word.isEmpty()) fail(here, QStringLiteral("%1: '%2' holds a value that is no word").arg(who, key));
        else if (!allowed.isEmpty() && !allowed.contains(word))
            fail(here, QStringLiteral("%1 has an unknown %2 '%3'").arg(who, one, word));
        else if (out.contains(word)) fail(here, QStringLiteral("%1 names '%2' twice in '%3'").arg(who, word, key));
        out << word;
    }
    return out;
}

dscwire::Result<QJsonObject> objectOf(const QByteArray& json, const QString& fileName, const QString& holds) {
    using R = dscwire::Result<QJsonObject>;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return R::bad(QStringLiteral("%1 line %2: %3")
                          .arg(fileName)
                          .arg(1 + json.left(error.offset).count('\n'))
                          .arg(error.errorString()));
    if (!doc.isObject())
        return R::bad(QStringLiteral("%1 line 1: the file holds no %2: it must be one object { ... }").arg(fileName, holds));
    return R::good(doc.object());
}

QString faultText(const Fields& fields, const QByteArray& json, const QString& fileName) {
    if (!fields.fault) return {};
    const lessons::LineMap lines(json);
    return QStringLiteral("%1 line %2: %3").arg(fileName).arg(lines.line(fields.fault->path)).arg(fields.fault->text);
}

} // namespace exam
