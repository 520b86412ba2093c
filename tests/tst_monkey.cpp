// Seeded random sessions: every action a trainee has on the window, at random moments, also in the
// middle of running waits, sequences, alarms and pauses, with the window's invariants checked after
// each action. A failing seed is shrunk to the shortest action list that still fails, and printed.
//
// MONKEY_SEEDS (default 10), MONKEY_ACTIONS (actions per seed, default 2400) and MONKEY_FIRST_SEED
// (default 20261207) make longer runs, over other seeds, by hand.
#include "harness/Harness.h"
#include "harness/TestMain.h"
#include "platform/Controls.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>

#include <random>

namespace {

// How deeply window events may be let run inside each other. Each timed wait, message box and the
// event processing of the monkey's own driver count one level; the window stops taking input at
// Context::kMaxNestedWaits waits, so the depth stays within a few levels above that.
constexpr int kDepthBound = Context::kMaxNestedWaits * 2 + 4;

enum class Kind { Click, Hold, Knob, ListItem, ComboItem, Key, WindowKey };

struct Step {
    Kind kind;
    QString target;
    int param = 0;       // row, index, key, knob direction or hold length
    qint64 delay = 0;    // virtual time before the action
    int dismissMs = 0;   // how long message boxes stay open from this action on
    QString describe() const {
        static const char* names[] = {"click", "hold", "knob", "list", "combo", "key", "window-key"};
        return QStringLiteral("+%1ms %2 %3 %4 (boxes %5ms)")
            .arg(delay)
            .arg(names[static_cast<int>(kind)])
            .arg(target)
            .arg(param)
            .arg(dismissMs);
    }
};

const QString kMasks[][2] = {{"txtTime", "##:##"}, {"txtLatLon", "L##°##.#'N  Lo###°##.#'W"}, {"txtUTC", "#.#"}};

const int kKeys[] = {Qt::Key_0, Qt::Key_1, Qt::Key_5, Qt::Key_9, Qt::Key_A, Qt::Key_T, Qt::Key_K, Qt::Key_M,
                     Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End,
                     Qt::Key_Space, Qt::Key_Return, Qt::Key_Tab, Qt::Key_Minus, Qt::Key_Period, Qt::Key_Shift,
                     Qt::Key_Escape, Qt::Key_Up, Qt::Key_Down};

// One session: runs a list of steps on a fresh trainer and reports the first broken invariant.
class Session {
public:
    explicit Session(bool verbose = false) : verbose_(verbose) {}

    // Runs the steps (generated from `seed` when `steps` is empty and count > 0). Returns the
    // failure text, or an empty string.
    QString run(std::vector<Step>& steps, quint32 seed, int count) {
        Harness h;
        h_ = &h;
        rng_.seed(seed);
        generate_ = steps.empty();
        if (generate_) steps.reserve(count);
        steps_ = &steps;
        total_ = generate_ ? count : static_cast<int>(steps.size());
        next_ = 0;
        failure_.clear();
        distressLines_ = h.items("lstDistress").size();
        scheduleNext();
        // The driver: lets time run until every step has been taken and the last sequence ended.
        for (int guard = 0; (next_ < total_ || h.clock.pendingActions() > 0) && guard < 10 * total_ + 1000; ++guard)
            h.advance(1000);
        if (failure_.isEmpty()) {
            h.advance(70000);
            h.messages.dismissAfterMs = 0;
            // Clear, Menu, Clear always brings back the channel display.
            h.click("cmdClear");
            h.click("cmdMenu");
            h.click("cmdClear");
            check("after Clear, Menu, Clear");
            if (failure_.isEmpty() && !channelDisplayShown())
                failure_ = QStringLiteral("Clear, Menu, Clear did not bring back the channel display");
        }
        maxDepth_ = std::max(maxDepth_, h.clock.maxDepth());
        h_ = nullptr;
        return failure_;
    }

    int maxDepth() const { return maxDepth_; }
    int actionsRun() const { return actions_; }

private:
    bool channelDisplayShown() {
        Harness& h = *h_;
        for (const char* shown : {"lblChannel", "lblPower", "lblMode", "lblSimplex", "lblStatus"})
            if (!h.visible(shown)) return false;
        for (const char* hidden : {"lstMenu", "lstCall", "lstDirectory", "lstGroup", "lstReceived", "lstDistress",
                                   "txtMMSI", "txtTime", "txtLatLon", "txtUTC", "txtDirectory", "lblMenu", "lblTX"})
            if (h.visible(hidden)) return false;
        return true;
    }

    void scheduleNext() {
        if (!failure_.isEmpty() || next_ >= total_) return;
        const qint64 delay = generate_ ? std::uniform_int_distribution<int>(0, 2500)(rng_) : (*steps_)[next_].delay;
        h_->after(delay, [this, delay] { takeStep(delay); });
    }

    void takeStep(qint64 delay) {
        if (!failure_.isEmpty() || !h_) return;
        if (h_->messages.dismissAfterMs > 0 && boxOpen_) {
            // A message box is up: the trainee can only press its OK, which comes by itself.
            h_->after(std::max<qint64>(delay, 100), [this, delay] { takeStep(delay); });
            return;
        }
        Step step;
        if (generate_) {
            if (!pick(step)) {
                ++next_;
                scheduleNext();
                return;
            }
            step.delay = delay;
            steps_->push_back(step);
        } else {
            step = (*steps_)[next_];
        }
        ++next_;
        ++actions_;
        scheduleNext(); // the next action may fall inside this one's waits
        if (verbose_) qInfo("%s", qPrintable(step.describe()));
        perform(step);
        check(step.describe());
    }

    std::vector<QWidget*> candidates(const std::function<bool(QWidget*)>& accept) {
        std::vector<QWidget*> out;
        QList<QWidget*> all = h_->window()->findChildren<QWidget*>();
        for (const char* top : {"InfoTKM", "Copyright"})
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == top && w->isVisible()) all += w->findChildren<QWidget*>();
        for (QWidget* w : all)
            if (w->isVisible() && w->isEnabled() && !w->objectName().isEmpty() && accept(w)) out.push_back(w);
        return out;
    }

    bool pick(Step& step) {
        std::uniform_int_distribution<int> kindDist(0, 99);
        step.dismissMs = std::uniform_int_distribution<int>(0, 4)(rng_) == 0
                             ? std::uniform_int_distribution<int>(0, 3000)(rng_)
                             : 0;
        const int roll = kindDist(rng_);
        auto choose = [&](const std::vector<QWidget*>& from) -> QWidget* {
            if (from.empty()) return nullptr;
            return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(rng_)];
        };
        if (roll < 40) {
            QWidget* w = choose(candidates([](QWidget* w) {
                return (qobject_cast<QAbstractButton*>(w) && w->objectName() != "cmdDistress" &&
                        w->objectName() != "cmdBCDistress" && w->objectName() != "command1") ||
                       w->objectName() == "Image3" || w->objectName() == "lblScreenSize" ||
                       w->objectName() == "FrameScreenSize";
            }));
            if (!w) return false;
            step.kind = Kind::Click;
            step.target = w->objectName();
        } else if (roll < 46) {
            step.kind = Kind::Hold;
            step.target = std::uniform_int_distribution<int>(0, 1)(rng_) ? "cmdDistress" : "cmdBCDistress";
            step.param = std::uniform_int_distribution<int>(0, 7000)(rng_);
        } else if (roll < 60) {
            step.kind = Kind::Knob;
            step.target = "ScrollChannel";
            step.param = std::uniform_int_distribution<int>(0, 1)(rng_) ? 1 : -1;
        } else if (roll < 75) {
            QWidget* w = choose(candidates([](QWidget* w) {
                auto* l = qobject_cast<QListWidget*>(w);
                return l && l->count() > 0;
            }));
            if (!w) return false;
            step.kind = Kind::ListItem;
            step.target = w->objectName();
            step.param = std::uniform_int_distribution<int>(0, static_cast<QListWidget*>(w)->count() - 1)(rng_);
        } else if (roll < 80) {
            QWidget* w = choose(candidates([](QWidget* w) { return qobject_cast<QComboBox*>(w) != nullptr; }));
            if (!w) return false;
            step.kind = Kind::ComboItem;
            step.target = w->objectName();
            step.param = std::uniform_int_distribution<int>(0, static_cast<QComboBox*>(w)->count() - 1)(rng_);
        } else if (roll < 97) {
            QWidget* w = choose(candidates([](QWidget* w) { return qobject_cast<QLineEdit*>(w) != nullptr; }));
            if (!w) return false;
            step.kind = Kind::Key;
            step.target = w->objectName();
            const int k = std::uniform_int_distribution<int>(0, std::size(kKeys))(rng_);
            // The last slot stands for a random character outside the key table.
            step.param = k < static_cast<int>(std::size(kKeys)) ? kKeys[k]
                                                                : -std::uniform_int_distribution<int>(33, 0x17f)(rng_);
        } else {
            step.kind = Kind::WindowKey;
            step.target = "frmGMDSS";
            step.param = kKeys[std::uniform_int_distribution<size_t>(0, std::size(kKeys) - 1)(rng_)];
        }
        return true;
    }

    QWidget* findVisible(const QString& name) {
        QList<QWidget*> all = h_->window()->findChildren<QWidget*>(name);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "InfoTKM" || w->objectName() == "Copyright") all += w->findChildren<QWidget*>(name);
        for (QWidget* w : all)
            if (w->isVisible() && w->isEnabled()) return w;
        return nullptr;
    }

    void perform(const Step& step) {
        Harness& h = *h_;
        h.messages.dismissAfterMs = step.dismissMs;
        h.messages.onShow = [this](const QString&) { boxOpen_ = true; };
        switch (step.kind) {
        case Kind::Click:
            if (QWidget* w = findVisible(step.target)) h.click(w);
            break;
        case Kind::Hold:
            if (findVisible(step.target)) h.hold(step.target, step.param);
            break;
        case Kind::Knob:
            h.ui().ScrollChannel->triggerAction(step.param > 0 ? QAbstractSlider::SliderSingleStepAdd
                                                               : QAbstractSlider::SliderSingleStepSub);
            break;
        case Kind::ListItem: {
            auto* l = qobject_cast<QListWidget*>(findVisible(step.target));
            if (l && step.param < l->count()) h.chooseItem(step.target, step.param);
            break;
        }
        case Kind::ComboItem: {
            auto* b = qobject_cast<QComboBox*>(findVisible(step.target));
            if (b && step.param < b->count()) h.chooseCombo(step.target, step.param);
            break;
        }
        case Kind::Key: {
            QWidget* w = findVisible(step.target);
            if (!w) break;
            w->setFocus(Qt::OtherFocusReason);
            if (step.param < 0) {
                const QString text(QChar(-step.param));
                QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
                QApplication::sendEvent(w, &press);
                QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, text);
                QApplication::sendEvent(w, &release);
            } else {
                QTest::keyClick(w, static_cast<Qt::Key>(step.param));
            }
            break;
        }
        case Kind::WindowKey:
            QTest::keyClick(h.window(), static_cast<Qt::Key>(step.param));
            break;
        }
        boxOpen_ = false;
    }

    void check(const QString& after) {
        if (!failure_.isEmpty()) return;
        Harness& h = *h_;
        auto fail = [&](const QString& what) { failure_ = what + QStringLiteral(" (after ") + after + ")"; };
        static const QRegularExpression twoDigits("^\\d\\d$");
        if (!twoDigits.match(h.text("lblChannel")).hasMatch())
            return fail("lblChannel shows '" + h.text("lblChannel") + "'");
        QScrollBar* knob = h.ui().ScrollChannel;
        if (knob->value() < knob->minimum() || knob->value() > knob->maximum() || knob->minimum() != 1 ||
            (knob->maximum() != 10 && knob->maximum() != 88 && knob->maximum() != 89))
            return fail(QStringLiteral("knob at %1 in %2..%3").arg(knob->value()).arg(knob->minimum()).arg(knob->maximum()));
        for (const auto& [name, mask] : kMasks) {
            const QString text = h.text(name);
            if (text.size() != mask.size()) return fail(name + " reads '" + text + "'");
            for (int i = 0; i < mask.size(); ++i)
                if (mask[i] == '#' ? !(text[i].isDigit() || text[i] == '#') : text[i] != mask[i])
                    return fail(name + " reads '" + text + "'");
        }
        const int lines = h.items("lstDistress").size();
        if (lines < distressLines_) return fail(QStringLiteral("lstDistress shrank to %1 lines").arg(lines));
        distressLines_ = lines;
        if (h.clock.depth() > kDepthBound || h.clock.maxDepth() > kDepthBound)
            return fail(QStringLiteral("events nested %1 deep").arg(h.clock.maxDepth()));
    }

    bool verbose_;
    Harness* h_ = nullptr;
    std::mt19937 rng_;
    bool generate_ = true;
    std::vector<Step>* steps_ = nullptr;
    int total_ = 0;
    int next_ = 0;
    int actions_ = 0;
    int distressLines_ = 0;
    int maxDepth_ = 0;
    bool boxOpen_ = false;
    QString failure_;
};

// Shrinks a failing list of steps (delta debugging): drops chunks as long as the failure stays.
std::vector<Step> shrink(std::vector<Step> steps) {
    size_t chunk = steps.size() / 2;
    while (chunk >= 1) {
        bool removed = false;
        for (size_t start = 0; start < steps.size();) {
            std::vector<Step> trial(steps.begin(), steps.begin() + start);
            trial.insert(trial.end(), steps.begin() + std::min(steps.size(), start + chunk), steps.end());
            Session s;
            if (!trial.empty() && !s.run(trial, 0, 0).isEmpty()) {
                steps = trial;
                removed = true;
            } else {
                start += chunk;
            }
        }
        if (!removed) chunk /= 2;
    }
    return steps;
}

int envInt(const char* name, int fallback) {
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v > 0 ? v : fallback;
}

} // namespace

class MonkeyTest : public QObject {
    Q_OBJECT
private slots:
    void randomSessionsKeepTheWindowSound() {
        const int seeds = envInt("MONKEY_SEEDS", 10);
        const int count = envInt("MONKEY_ACTIONS", 2400);
        const quint32 firstSeed = static_cast<quint32>(envInt("MONKEY_FIRST_SEED", 20261207));
        int actions = 0;
        int depth = 0;
        QStringList seedList;
        for (int i = 0; i < seeds; ++i) {
            const quint32 seed = firstSeed + static_cast<quint32>(i) * 7919u;
            seedList << QString::number(seed);
            std::vector<Step> steps;
            Session session;
            const QString failure = session.run(steps, seed, count);
            actions += session.actionsRun();
            depth = std::max(depth, session.maxDepth());
            if (!failure.isEmpty()) {
                const std::vector<Step> shortest = shrink(steps);
                QString list;
                for (const Step& s : shortest) list += "\n  " + s.describe();
                std::vector<Step> again = shortest;
                Session replay;
                QFAIL(qPrintable(QStringLiteral("seed %1: %2\nshortest reproduction (%3 actions):%4\nfails with: %5")
                                     .arg(seed)
                                     .arg(failure)
                                     .arg(shortest.size())
                                     .arg(list)
                                     .arg(replay.run(again, 0, 0))));
            }
        }
        qInfo("monkey: %d actions over %d seeds (%s); deepest event nesting %d (bound %d)", actions, seeds,
              qPrintable(seedList.join(' ')), depth, kDepthBound);
        QVERIFY(actions >= seeds * count / 2);
    }
};

TRAINER_TEST_MAIN(MonkeyTest)
#include "tst_monkey.moc"
