#pragma once
#include <QString>
struct Context;

// The DSC menu: Menu, Enter and Clear keys and the menu list.
class Menu {
public:
    explicit Menu(Context& ctx) : c(ctx) {}
    void wire();

    void cmdMenu_Click();
    void lstMenu_Click();
    void cmdEnter_Click();
    void cmdClear_Click();
    // The Enter key's closing wait and closing status; `addressee` is the press's addressee MMSI.
    void closingWait(const QString& addressee);

private:
    Context& c;
};
