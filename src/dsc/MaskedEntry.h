#pragma once
// Masked entry for the time, position and time-differential fields: the field holds a fixed-length
// text shaped by its mask ("#" is a digit position, any other character is fixed). Typing overwrites
// in place and never inserts or deletes; the cursor skips the fixed characters.
#include <QObject>
#include <QString>

class QLineEdit;

class MaskedEntry : public QObject {
public:
    // Watches `box` (and is owned by it) from now on.
    MaskedEntry(QLineEdit* box, QString mask);

    const QString& mask() const { return mask_; }

    // The key-press step for one typed character (8 = Backspace). A digit that lands on a digit
    // position replaces the character there and runs the field's text-changed handler.
    void keyPress(QChar k);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // The key-press position: the start of the selection, or the cursor.
    int selStart() const;

    QLineEdit* box_;
    QString mask_;
};
