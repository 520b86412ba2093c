#pragma once
// Reading the fields of an exam file's objects, keeping the first fault with the path of the value
// it is about ("sections/1/draw"), so that the message can name the line.
#include "dscwire/Message.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace exam {

class Fields {
public:
    struct Fault {
        QString path, text;
    };
    std::optional<Fault> fault;

    void fail(const QString& path, const QString& text) {
        if (!fault) fault = Fault{path, text};
    }
    static QString join(const QString& path, const QString& key) {
        return path.isEmpty() ? key : path + QLatin1Char('/') + key;
    }
    // Fields other than `known` are faults.
    void onlyKnown(const QJsonObject& o, const QString& path, const QStringList& known, const QString& who);
    // A text in quotes; empty when missing (a fault when `required`).
    QString text(const QJsonObject& o, const QString& path, const QString& key, const QString& who, bool required);
    // A whole number from `low` on; `otherwise` when missing (a fault when `required`).
    int number(const QJsonObject& o, const QString& path, const QString& key, const QString& who, int low,
               int otherwise, bool required = false);
    bool flag(const QJsonObject& o, const QString& path, const QString& key, const QString& who);
    // A list of words, each one of `allowed` (any word when it is empty), none twice; `one` names
    // one of them in a fault ("kind").
    QStringList words(const QJsonObject& o, const QString& path, const QString& key, const QString& who,
                      const QStringList& allowed, const QString& one);
};

// The JSON object in `json`, or the fault "<fileName> line N: ..." when it is none.
dscwire::Result<QJsonObject> objectOf(const QByteArray& json, const QString& fileName, const QString& holds);
// The fault of `fields` as "<fileName> line N: ...", its line found in `json`.
QString faultText(const Fields& fields, const QByteArray& json, const QString& fileName);

} // namespace exam
