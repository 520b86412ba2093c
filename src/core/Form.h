#pragma once
// The designed window's controls. Most are made with the window (frmGMDSS.ui); the radio's lists,
// hidden until a menu or a call shows one, are made the first time anything reaches for them, so
// that the window comes up without their cost. Code uses either kind the same way:
// ui.lstMenu->show() makes the list if need be; ifMade() looks without making.
#include "ui_frmGMDSS.h"

#include <QListWidget>
#include <QString>
#include <functional>
#include <vector>

namespace Ui {
class frmGMDSS;
}

// The lines of lstDirectory as the window starts with them.
extern const char* const kDirectoryAtStart[9];

class LateList {
public:
    QListWidget* operator->() { return get(); }
    operator QListWidget*() { return get(); }
    QListWidget* get();
    QListWidget* ifMade() const { return made_; }
    // Runs `f` on the list once it is made (now, if it is), before whoever asked for it uses it:
    // its wiring and what it shows at start.
    void whenMade(std::function<void(QListWidget*)> f);

private:
    friend class Ui::frmGMDSS;
    Ui::frmGMDSS* form_ = nullptr;
    int index_ = 0;
    QListWidget* made_ = nullptr;
    std::vector<std::function<void(QListWidget*)>> hooks_;
};

// Runs `f` on each click on a line of the list (Return on a line is one too), from its making on.
void onLineClicked(LateList& list, std::function<void()> f);

namespace Ui {

class frmGMDSS : public frmGMDSSAtStart {
public:
    frmGMDSS();
    frmGMDSS(const frmGMDSS&) = delete;
    frmGMDSS& operator=(const frmGMDSS&) = delete;

    void setupUi(QWidget* form);

    LateList lstMenu, lstCall, lstDirectory, lstGroup, lstReceived, lstDistress, lstBC, lstBC2;

    // Whether the control of that name is one made late.
    static bool isLate(const char* name);
    // The control of that name if it is one made late (made now if it was not yet), else nullptr.
    QWidget* makeLate(const QString& name);
    // Every control made late, made now (a form compared with its design).
    void makeAllLate();
    // Runs `f` on each control made late, once made, after its own hooks (names for screen readers,
    // the Tab order).
    void whenAnyMade(std::function<void(QWidget*)> f);

private:
    friend class ::LateList;
    LateList* late(int index);
    void make(LateList& list);

    QWidget* form_ = nullptr;
    std::vector<std::function<void(QWidget*)>> anyMade_;
};

} // namespace Ui
