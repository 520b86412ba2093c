#include "core/Form.h"

#include <QPalette>

const char* const kDirectoryAtStart[9] = {
    "Vox's Sweetness        367010203", "Boston Coast Guard    003669927",
    "Brask's Kruiser               316789012", "Tarvik's Madness      316416622",
    "Quorp's Pet                     316777777", "Glimmet's Sparkler    366345345",
    "The Blue Crane            366232323", "The Dace D                   316056789",
    "Quils Wonder               338121212"};

namespace {

// The lists as designed, in the order they are stacked: each lies under those after it on its
// panel, and all of them under the first control made with the window that follows them there.
struct ListDesign {
    LateList Ui::frmGMDSS::*member;
    const char* name;
    bool onSecondVessel; // in the second vessel's panel (Frame3), else on the radio's face
    QRect geometry;
    QRgb base;
    std::vector<const char*> lines;
};

constexpr QRgb kPaleYellow = qRgb(255, 255, 128);

const std::vector<ListDesign>& designs() {
    static const std::vector<ListDesign> lists{
        {&Ui::frmGMDSS::lstMenu, "lstMenu", false, {141, 315, 185, 100}, kPaleYellow,
         {"Received Calls", "MMSI#", "Time", "Position", "Directory", "Set Up", "Exit this menu"}},
        {&Ui::frmGMDSS::lstCall, "lstCall", false, {141, 312, 184, 100}, kPaleYellow,
         {"Select, (Enter or Clear)", "Urgency", "Safety", "Routine", "Group", "Request Position", "Polling",
          "All Ships"}},
        {&Ui::frmGMDSS::lstDirectory, "lstDirectory", false, {138, 312, 187, 95}, kPaleYellow,
         std::vector<const char*>(std::begin(kDirectoryAtStart), std::end(kDirectoryAtStart))},
        {&Ui::frmGMDSS::lstGroup, "lstGroup", false, {141, 312, 188, 100}, kPaleYellow,
         {"#1", "  Quorp's Pet              316777777", "  Glimmet's Sparkler  366345345", "#2",
          "   Vox's Sweetness     367010203", "   The Dace D            316056789  ",
          "   Quil's Wonder        337121212", "#3", "   Brask's Kruiser         316789012",
          "   The Blue Crane       316999999"}},
        {&Ui::frmGMDSS::lstReceived, "lstReceived", false, {141, 312, 186, 116}, kPaleYellow, {}},
        {&Ui::frmGMDSS::lstDistress, "lstDistress", false, {141, 312, 186, 100}, qRgb(255, 255, 0), {}},
        {&Ui::frmGMDSS::lstBC, "lstBC", true, {8, 182, 210, 84}, kPaleYellow, {}},
        {&Ui::frmGMDSS::lstBC2, "lstBC2", true, {8, 182, 210, 84}, kPaleYellow, {}},
    };
    return lists;
}

} // namespace

QListWidget* LateList::get() {
    if (!made_) form_->make(*this);
    return made_;
}

void LateList::whenMade(std::function<void(QListWidget*)> f) {
    if (made_) f(made_);
    else hooks_.push_back(std::move(f));
}

void onLineClicked(LateList& list, std::function<void()> f) {
    list.whenMade([f = std::move(f)](QListWidget* w) { QObject::connect(w, &QListWidget::itemClicked, w, [f] { f(); }); });
}

namespace Ui {

frmGMDSS::frmGMDSS() {
    for (int i = 0; i < static_cast<int>(designs().size()); ++i) {
        LateList& list = this->*designs()[i].member;
        list.form_ = this;
        list.index_ = i;
    }
}

void frmGMDSS::setupUi(QWidget* form) {
    frmGMDSSAtStart::setupUi(form);
    form_ = form;
}

LateList* frmGMDSS::late(int index) { return &(this->*designs()[index].member); }

void frmGMDSS::make(LateList& list) {
    const ListDesign& d = designs()[list.index_];
    QWidget* parent = d.onSecondVessel ? static_cast<QWidget*>(Frame3) : form_;
    auto* w = new QListWidget(parent);
    for (const char* line : d.lines) w->addItem(QString::fromUtf8(line));
    w->setObjectName(QString::fromLatin1(d.name));
    w->setGeometry(d.geometry);
    QPalette palette;
    const QBrush base{QColor(d.base)};
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setBrush(g, QPalette::Base, base);
    w->setPalette(palette);
    w->setVisible(false);
    // Its place in the stack: under the next list already made, else under the control after them.
    QWidget* above = nullptr;
    for (std::size_t i = list.index_ + 1; i < designs().size() && !above; ++i)
        if (designs()[i].onSecondVessel == d.onSecondVessel) above = late(static_cast<int>(i))->made_;
    if (!above) above = d.onSecondVessel ? static_cast<QWidget*>(comboBC) : txtMMSI;
    if (above) w->stackUnder(above);
    list.made_ = w;
    // Hooks may reach for lists, this one too: each runs once.
    for (auto hooks = std::move(list.hooks_); auto& f : hooks) f(w);
    for (std::size_t i = 0; i < anyMade_.size(); ++i) anyMade_[i](w);
}

bool frmGMDSS::isLate(const char* name) {
    for (const ListDesign& d : designs())
        if (qstrcmp(name, d.name) == 0) return true;
    return false;
}

QWidget* frmGMDSS::makeLate(const QString& name) {
    for (std::size_t i = 0; i < designs().size(); ++i)
        if (name == QLatin1String(designs()[i].name)) return late(static_cast<int>(i))->get();
    return nullptr;
}

void frmGMDSS::makeAllLate() {
    for (std::size_t i = 0; i < designs().size(); ++i) late(static_cast<int>(i))->get();
}

void frmGMDSS::whenAnyMade(std::function<void(QWidget*)> f) {
    for (std::size_t i = 0; i < designs().size(); ++i)
        if (QListWidget* w = late(static_cast<int>(i))->made_) f(w);
    anyMade_.push_back(std::move(f));
}

} // namespace Ui
