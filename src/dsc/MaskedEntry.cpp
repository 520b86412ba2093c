#include "dsc/MaskedEntry.h"

#include "platform/Controls.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace {

// Keys that only move the cursor, change the selection, copy or leave the field: they keep their
// usual effect.
bool keepsItsEffect(const QKeyEvent* k) {
    switch (k->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        return true;
    default:
        break;
    }
    return k->matches(QKeySequence::Copy) || k->matches(QKeySequence::SelectAll);
}

} // namespace

MaskedEntry::MaskedEntry(QLineEdit* box, QString mask) : QObject(box), box_(box), mask_(std::move(mask)) {
    // Nothing may reach the text except through keyPress(): no context menu (cut, paste, delete,
    // undo), no drops, no input-method composition.
    box_->setContextMenuPolicy(Qt::NoContextMenu);
    box_->setAcceptDrops(false);
    box_->setDragEnabled(false);
    box_->setAttribute(Qt::WA_InputMethodEnabled, false);
    box_->installEventFilter(this);
}

int MaskedEntry::selStart() const {
    return box_->hasSelectedText() ? box_->selectionStart() : box_->cursorPosition();
}

void MaskedEntry::keyPress(QChar k) {
    int pos = selStart();
    // 1. Backspace deletes nothing: the cursor goes one left.
    if (k.unicode() == 8) {
        if (pos > 0) box_->setCursorPosition(pos - 1);
        return;
    }
    // 2. Only the digits 0-9.
    if (k < QLatin1Char('0') || k > QLatin1Char('9')) return;
    // 3. Nothing beyond the mask.
    if (pos >= mask_.size()) return;
    const int limit = ctl::maxLength(box_) > 0 ? ctl::maxLength(box_) : mask_.size();
    // 4. Skip the fixed characters; a skip that reaches the last position drops the digit.
    for (;;) {
        if (mask_.at(pos) == QLatin1Char('#')) {
            QString text = box_->text();
            if (pos >= text.size()) return;
            text[pos] = k;
            box_->setText(text); // runs the field's text-changed handler
            // The handler may have put another text back (with the cursor at the start).
            if (box_->text() == text) box_->setCursorPosition(pos + 1);
            return;
        }
        ++pos;
        box_->setCursorPosition(pos);
        if (pos == limit - 1) return;
        if (pos >= mask_.size()) return;
    }
}

bool MaskedEntry::eventFilter(QObject* watched, QEvent* e) {
    if (watched != box_) return false;
    switch (e->type()) {
    case QEvent::KeyPress: {
        auto* k = static_cast<QKeyEvent*>(e);
        // Key down: the Delete key is dropped.
        if (k->key() == Qt::Key_Delete) return true;
        const QString text = k->text();
        if (k->key() == Qt::Key_Backspace || (text.size() == 1 && text.at(0).unicode() == 8)) {
            keyPress(QChar(8));
            return true;
        }
        if (keepsItsEffect(k)) return false;
        // A paste is typed in, character by character, through the mask.
        if (k->matches(QKeySequence::Paste)) {
            const QString pasted = QApplication::clipboard()->text();
            for (QChar ch : pasted) keyPress(ch);
            return true;
        }
        if (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return true;
        for (QChar ch : text) keyPress(ch);
        return true;
    }
    case QEvent::ShortcutOverride:
        // Every editing key stays with the field (and is dropped or masked there).
        return false;
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::ContextMenu:
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        // The middle button pastes the selection on X11.
        return static_cast<QMouseEvent*>(e)->button() == Qt::MiddleButton;
    default:
        return false;
    }
}
