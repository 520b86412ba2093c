#pragma once
// The line each value of a (well-formed) JSON text starts on, by its path: "title", "tasks/1",
// "tasks/1/expect/kind". QJsonDocument keeps no positions, so the text is walked once more. The
// readers of exercise and exam files name the line of a fault with it.
#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

namespace lessons {

class LineMap {
public:
    explicit LineMap(const QByteArray& text) : t_(text) { value(QString()); }

    // The line of the value at `path`, else of the nearest enclosing value that is there (the
    // object a field is missing from).
    int line(QString path) const {
        for (;;) {
            const auto it = lines_.constFind(path);
            if (it != lines_.constEnd()) return *it;
            if (path.isEmpty()) return 1;
            const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
            path = slash < 0 ? QString() : path.left(slash);
        }
    }

private:
    bool more() const { return p_ < t_.size(); }
    char at() const { return more() ? t_[p_] : '\0'; }
    void blanks() {
        while (more() && (at() == ' ' || at() == '\t' || at() == '\r' || at() == '\n')) {
            if (at() == '\n') ++line_;
            ++p_;
        }
    }
    QString string() {
        QByteArray out;
        ++p_; // the opening quote
        while (more() && at() != '"') {
            if (at() == '\\') ++p_; // an escaped character stands for itself here
            out += at();
            ++p_;
        }
        ++p_;
        return QString::fromUtf8(out);
    }
    static QString join(const QString& path, const QString& part) {
        return path.isEmpty() ? part : path + QLatin1Char('/') + part;
    }
    void value(const QString& path) {
        blanks();
        lines_.insert(path, line_);
        const char ch = at();
        if (ch == '{' || ch == '[') {
            const char close = ch == '{' ? '}' : ']';
            ++p_;
            blanks();
            for (int i = 0; more() && at() != close; ++i) {
                QString part = QString::number(i);
                if (ch == '{') {
                    part = string();
                    blanks();
                    ++p_; // ':'
                }
                value(join(path, part));
                blanks();
                if (at() == ',') ++p_;
                blanks();
            }
            ++p_;
        } else if (ch == '"') {
            string();
        } else {
            while (more() && !QByteArrayView(",}] \t\r\n").contains(at())) ++p_;
        }
    }

    const QByteArray& t_;
    qsizetype p_ = 0;
    int line_ = 1;
    QHash<QString, int> lines_;
};

} // namespace lessons
