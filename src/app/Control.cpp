#include "app/Control.h"

#include "app/ClassroomSession.h"
#include "core/Context.h"
#include "core/Form.h"
#include "screens/DscMessages.h"
#include "screens/StationList.h"
#include "platform/Clock.h"
#include "platform/Controls.h"
#include "platform/Input.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QSocketNotifier>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>

#include <cerrno>
#include <unistd.h>

namespace {

// How often the awaited controls are looked at while a sequence runs (real time: the answer
// should come soon after the change, whatever the clock's speed).
constexpr int kAwaitLookMs = 50;
// The longest hold a script may ask for, in seconds of the trainer's clock.
constexpr double kMaxHoldSeconds = 24 * 3600;

QString quoted(const QString& s) { return QLatin1Char('\'') + s + QLatin1Char('\''); }

using platform::input::activateWindowOf;
using platform::input::keyOf;
using platform::input::keyText;
using platform::input::mouseDown;

// The left button goes up at pos.
void mouseUp(QWidget* w, QPoint pos) {
    platform::input::sendMouse(w, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
}

// The user scrolls a line or row into view and clicks it. Taking the focus may run another
// control's lost-focus check, which can change this very view: the click then lands on whatever is
// at that spot by then, as the user's would.
void clickIndex(QAbstractItemView* view, const QModelIndex& index) {
    view->scrollTo(index);
    const QPoint spot = view->visualRect(index).center();
    activateWindowOf(view);
    if (view->focusPolicy() & Qt::ClickFocus) view->setFocus(Qt::MouseFocusReason);
    QPointer<QWidget> viewport(view->viewport());
    platform::input::sendMouse(viewport, QEvent::MouseButtonPress, spot);
    if (viewport) mouseUp(viewport, spot);
}

void sendKey(QWidget* w, int key, Qt::KeyboardModifiers mods, const QString& text) {
    platform::input::tapKey(w, key, mods, text);
}

// What a control says: the text of a text box, label or button, the chosen item of a drop-down
// list, a list's current line, a knob's position, a message box's message, a window's title.
QString textOf(const QWidget* w) {
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
    if (auto* cb = qobject_cast<const QComboBox*>(w)) return ctl::comboText(cb);
    if (auto* p = qobject_cast<const QPlainTextEdit*>(w)) return p->toPlainText();
    if (auto* t = qobject_cast<const QTextEdit*>(w)) return t->toPlainText();
    if (auto* s = qobject_cast<const QAbstractSlider*>(w)) return QString::number(s->value());
    if (auto* v = qobject_cast<const QAbstractItemView*>(w)) return v->currentIndex().data().toString();
    if (auto* m = qobject_cast<const QMessageBox*>(w)) return m->text();
    return w->isWindow() ? w->windowTitle() : QString();
}

// The lines of a list, a drop-down list or a table (a table's cells joined by " | ", row by row).
QStringList linesOf(const QWidget* w) {
    QStringList lines;
    if (auto* cb = qobject_cast<const QComboBox*>(w)) {
        for (int i = 0; i < cb->count(); ++i) lines << cb->itemText(i);
    } else if (auto* v = qobject_cast<const QAbstractItemView*>(w); v && v->model()) {
        const QAbstractItemModel* m = v->model();
        for (int row = 0; row < m->rowCount(v->rootIndex()); ++row) {
            QStringList cells;
            for (int col = 0; col < m->columnCount(v->rootIndex()); ++col)
                cells << m->index(row, col, v->rootIndex()).data().toString();
            lines << cells.join(QStringLiteral(" | "));
        }
    }
    return lines;
}

} // namespace

ControlScript::ControlScript(Context& ctx, int inputFd, std::FILE* output)
    : c(ctx), inputFd_(inputFd), output_(output) {
    notifier_ = new QSocketNotifier(inputFd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { readInput(); });
    awaitTimer_ = new QTimer(this);
    awaitTimer_->setInterval(kAwaitLookMs);
    connect(awaitTimer_, &QTimer::timeout, this, [this] { checkAwaits(); });
}

ControlScript::~ControlScript() = default;

void ControlScript::readInput() {
    char buffer[4096];
    const ssize_t n = ::read(inputFd_, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    QList<QByteArray> lines;
    if (n <= 0) {
        // The end of the script: the window stays as it is, for the user or for good.
        notifier_->setEnabled(false);
        if (!pending_.isEmpty()) lines << pending_;
        pending_.clear();
    } else {
        pending_.append(buffer, n);
        for (qsizetype nl = pending_.indexOf('\n'); nl >= 0; nl = pending_.indexOf('\n')) {
            lines << pending_.left(nl);
            pending_.remove(0, nl + 1);
        }
    }
    // Each command runs from the window's event loop, not from here: a command that starts a long
    // sequence then lets the next ones be read and run inside its waits, like a user's clicks.
    for (const QByteArray& line : lines)
        QMetaObject::invokeMethod(
            this, [this, text = QString::fromUtf8(line)] { execute(text); }, Qt::QueuedConnection);
}

void ControlScript::answer(const QJsonObject& reply) {
    const QByteArray line = QJsonDocument(reply).toJson(QJsonDocument::Compact) + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), output_);
    std::fflush(output_);
}

void ControlScript::answerOk(const QString& command) {
    answer(QJsonObject{{QStringLiteral("reply"), QStringLiteral("ok")}, {QStringLiteral("command"), command}});
}

void ControlScript::answerError(const QString& command, const QString& error) {
    answer(QJsonObject{{QStringLiteral("reply"), QStringLiteral("error")},
                       {QStringLiteral("command"), command},
                       {QStringLiteral("error"), error}});
}

QJsonObject ControlScript::state(const QString& reply, const QString& command, const QString& name, QWidget* w) const {
    return QJsonObject{{QStringLiteral("reply"), reply},
                       {QStringLiteral("command"), command},
                       {QStringLiteral("name"), name},
                       {QStringLiteral("text"), textOf(w)},
                       {QStringLiteral("lines"), QJsonArray::fromStringList(linesOf(w))},
                       {QStringLiteral("visible"), w->isVisible()},
                       {QStringLiteral("enabled"), w->isEnabled()},
                       {QStringLiteral("background"), ctl::backColor(w).name()}};
}

void ControlScript::checkAwaits() {
    for (auto it = awaits_.begin(); it != awaits_.end();) {
        // A control that is not there (yet) is waited for too: a message box appears when it is shown.
        QWidget* w = it->control ? it->control.data() : find(it->name);
        const bool found = w && (textOf(w).contains(it->text) ||
                                 linesOf(w).filter(it->text, Qt::CaseSensitive).size() > 0);
        if (!w || found == it->gone) {
            ++it;
            continue;
        }
        answer(state(QStringLiteral("await"), it->command, it->name, w));
        it = awaits_.erase(it);
    }
    if (awaits_.empty()) awaitTimer_->stop();
}

QWidget* ControlScript::find(const QString& id) const {
    // The keys of a control array share one name and tell themselves apart by index: command1#3.
    QString name = id;
    int index = -1;
    if (const qsizetype hash = id.lastIndexOf(QLatin1Char('#')); hash > 0) {
        bool ok = false;
        const int i = id.mid(hash + 1).toInt(&ok);
        if (ok) {
            name = id.left(hash);
            index = i;
        }
    }
    auto matches = [&](const QWidget* w) {
        return w->objectName() == name && (index < 0 || w->property("index").toInt() == index);
    };
    // The radio's lists are made when first reached for, by name too.
    c.ui->makeLate(name);
    // The main window first, then the windows on the screen, then the hidden ones.
    QList<QWidget*> windows{c.form};
    QList<QWidget*> hidden;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top != c.form) (top->isVisible() ? windows : hidden) << top;
    windows << hidden;
    for (QWidget* top : windows) {
        if (matches(top)) return top;
        for (QWidget* w : top->findChildren<QWidget*>(name))
            if (matches(w)) return w;
    }
    return nullptr;
}

QString ControlScript::unreachable(const QString& name, QWidget* w) const {
    if (!w->isVisible()) return QStringLiteral("%1 is not shown").arg(name);
    if (!w->isEnabled()) return QStringLiteral("%1 is disabled").arg(name);
    if (QWidget* modal = QApplication::activeModalWidget(); modal && w->window() != modal)
        return QStringLiteral("%1 is behind the modal window %2")
            .arg(name, modal->objectName().isEmpty() ? quoted(modal->windowTitle()) : modal->objectName());
    return {};
}

void ControlScript::execute(const QString& line) {
    QString command = line;
    while (command.endsWith(QLatin1Char('\r')) || command.endsWith(QLatin1Char('\n'))) command.chop(1);
    qsizetype start = 0;
    while (start < command.size() && command[start].isSpace()) ++start;
    const QString body = command.mid(start);
    if (body.isEmpty()) return;
    const qsizetype verbEnd = body.indexOf(QLatin1Char(' '));
    const QString verb = body.left(verbEnd);
    const QString args = verbEnd < 0 ? QString() : body.mid(verbEnd + 1);
    const qsizetype nameEnd = args.indexOf(QLatin1Char(' '));
    const QString name = args.left(nameEnd);
    const QString text = nameEnd < 0 ? QString() : args.mid(nameEnd + 1);

    static const QStringList withControl{QStringLiteral("click"), QStringLiteral("press"), QStringLiteral("release"),
                                         QStringLiteral("hold"),  QStringLiteral("type"),  QStringLiteral("choose"),
                                         QStringLiteral("show"),  QStringLiteral("await"), QStringLiteral("await-gone")};
    QWidget* w = nullptr;
    if (withControl.contains(verb)) {
        if (name.isEmpty()) return answerError(command, QStringLiteral("%1 wants the name of a control").arg(verb));
        w = find(name);
        const bool awaits = verb.startsWith(QLatin1String("await"));
        if (!w && !awaits) return answerError(command, QStringLiteral("no control named %1").arg(name));
    }
    const QPoint centre = w ? w->rect().center() : QPoint();
    if (verb.startsWith(QLatin1String("await"))) {
        awaits_.push_back(Await{command, w, name, text, verb != QLatin1String("await")});
        if (!awaitTimer_->isActive()) awaitTimer_->start();
        return;
    }

    if (verb == QLatin1String("click") || verb == QLatin1String("press")) {
        if (const QString why = unreachable(name, w); !why.isEmpty()) return answerError(command, why);
        QPointer<QWidget> target(w);
        mouseDown(w, centre);
        if (verb == QLatin1String("click") && target) mouseUp(target, centre);
        answerOk(command);
    } else if (verb == QLatin1String("release")) {
        // The button can always be let go, whatever became of the control meanwhile.
        mouseUp(w, centre);
        answerOk(command);
    } else if (verb == QLatin1String("hold")) {
        bool ok = false;
        const double seconds = text.toDouble(&ok);
        if (!ok || seconds < 0 || seconds > kMaxHoldSeconds)
            return answerError(command, QStringLiteral("hold wants a control and a number of seconds"));
        if (const QString why = unreachable(name, w); !why.isEmpty()) return answerError(command, why);
        hold(command, name, w, seconds);
    } else if (verb == QLatin1String("type")) {
        if (const QString why = unreachable(name, w); !why.isEmpty()) return answerError(command, why);
        activateWindowOf(w);
        w->setFocus(Qt::OtherFocusReason);
        QPointer<QWidget> target(w);
        for (const QChar ch : text) {
            if (!target) break;
            sendKey(target, keyOf(ch), Qt::NoModifier, QString(ch));
        }
        answerOk(command);
    } else if (verb == QLatin1String("key")) {
        const QKeySequence sequence = QKeySequence::fromString(args, QKeySequence::PortableText);
        if (args.isEmpty() || sequence.count() != 1 || sequence[0].key() == Qt::Key_unknown)
            return answerError(command, QStringLiteral("no key named %1").arg(quoted(args)));
        QWidget* window = QApplication::activeWindow() ? QApplication::activeWindow() : c.form;
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window->focusWidget();
        if (!target) target = window;
        const QKeyCombination k = sequence[0];
        sendKey(target, k.key(), k.keyboardModifiers(), keyText(k.key(), k.keyboardModifiers()));
        answerOk(command);
    } else if (verb == QLatin1String("choose")) {
        if (const QString why = unreachable(name, w); !why.isEmpty()) return answerError(command, why);
        choose(command, name, w, text);
    } else if (verb == QLatin1String("show")) {
        answer(state(verb, command, name, w));
    } else if (verb == QLatin1String("answer")) {
        if (args.isEmpty()) return answerError(command, QStringLiteral("answer wants a path"));
        c.dscMessages->askSavePath = [args](const QString&) { return args; };
        if (c.classroom && c.classroom->stations()) c.classroom->stations()->askFolder = [args] { return args; };
        answerOk(command);
    } else if (verb == QLatin1String("title")) {
        answer(QJsonObject{{QStringLiteral("reply"), QStringLiteral("title")},
                           {QStringLiteral("command"), command},
                           {QStringLiteral("text"), c.form->windowTitle()}});
    } else if (verb == QLatin1String("screenshot")) {
        screenshot(command, args);
    } else if (verb == QLatin1String("quit")) {
        // The window's own close: the power-off sequence, which ends the program.
        answerOk(command);
        c.form->close();
    } else {
        answerError(command, QStringLiteral("no command %1").arg(quoted(verb)));
    }
    checkAwaits();
}

void ControlScript::hold(const QString& command, const QString& name, QWidget* w, double seconds) {
    // The release comes from a timer of the trainer's clock: it keeps the clock's speed, and it
    // fires inside whatever wait the press has started, as a user's hand lets go of the key.
    holds_.push_back(c.clock.createTimer());
    platform::Timer* timer = holds_.back().get();
    timer->setInterval(static_cast<int>(qRound64(seconds * 1000)));
    timer->onTick = [this, timer, command, name, target = QPointer<QWidget>(w)] {
        timer->setEnabled(false);
        if (target) mouseUp(target, target->rect().center());
        if (target) answerOk(command);
        else answerError(command, QStringLiteral("control %1 is gone").arg(name));
        checkAwaits();
        // Not from inside its own tick.
        QMetaObject::invokeMethod(
            this, [this, timer] { holds_.remove_if([timer](const auto& t) { return t.get() == timer; }); },
            Qt::QueuedConnection);
    };
    timer->setEnabled(true);
    mouseDown(w, w->rect().center());
}

void ControlScript::choose(const QString& command, const QString& name, QWidget* w, const QString& text) {
    if (auto* list = qobject_cast<QListWidget*>(w)) {
        QListWidgetItem* item = nullptr;
        for (int row = 0; row < list->count() && !item; ++row)
            if (list->item(row)->text() == text && !list->item(row)->isHidden()) item = list->item(row);
        if (!item) return answerError(command, QStringLiteral("no line %1 in %2").arg(quoted(text), name));
        clickIndex(list, list->indexFromItem(item));
        return answerOk(command);
    }
    if (auto* table = qobject_cast<QTableWidget*>(w)) {
        // A row of a table by the text of its first cell (the message window's "V2"), clicked.
        const QList<QTableWidgetItem*> found = table->findItems(text, Qt::MatchExactly);
        const auto first = std::find_if(found.begin(), found.end(), [](const QTableWidgetItem* i) { return i->column() == 0; });
        if (first == found.end()) return answerError(command, QStringLiteral("no row %1 in %2").arg(quoted(text), name));
        clickIndex(table, table->indexFromItem(*first));
        return answerOk(command);
    }
    if (auto* box = qobject_cast<QComboBox*>(w)) {
        const int index = box->findText(text);
        if (index < 0) return answerError(command, QStringLiteral("no item %1 in %2").arg(quoted(text), name));
        activateWindowOf(box);
        if (box->focusPolicy() & Qt::ClickFocus) box->setFocus(Qt::MouseFocusReason);
        platform::input::pickComboItem(box, index);
        return answerOk(command);
    }
    answerError(command, QStringLiteral("%1 is neither a list, a table nor a drop-down list").arg(name));
}

void ControlScript::screenshot(const QString& command, const QString& args) {
    // "screenshot FILE" or "screenshot NAME FILE" (a file name may hold spaces).
    QWidget* w = c.form;
    QString file = args;
    if (const qsizetype space = args.indexOf(QLatin1Char(' ')); space > 0) {
        if (QWidget* named = find(args.left(space))) {
            w = named;
            file = args.mid(space + 1);
        }
    }
    if (file.isEmpty()) return answerError(command, QStringLiteral("screenshot wants a file name"));
    if (!w->grab().save(file, "PNG")) return answerError(command, QStringLiteral("cannot write %1").arg(file));
    answerOk(command);
}
