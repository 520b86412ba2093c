#pragma once
// Whether a grammar allows a phrase: a JSGF grammar (as voice/Vocabulary.h writes it) made into
// an anchored regular expression over its words, each rule a subroutine of it. The recogniser
// checks every hypothesis of its grammar pass with it, since the grammar compiler of this
// pocketsphinx can build graphs that accept phrases the grammar does not allow.
#include <QRegularExpression>
#include <QString>

namespace voice {

class GrammarCheck {
public:
    explicit GrammarCheck(const QString& jsgf);
    bool valid() const { return whole_.isValid(); }
    // The words (lower case, single blanks) are a phrase of the grammar's public rule.
    bool allows(const QString& words) const;
    // The words are such a phrase or the beginning of one (a transmission cut off).
    bool begins(const QString& words) const;

private:
    QRegularExpression whole_;
};

} // namespace voice
