#pragma once
#include <QString>
struct Context;

// The screen-size panel and its option buttons.
class ScreenSizePanel {
public:
    explicit ScreenSizePanel(Context& ctx) : c(ctx) {}
    void wire();

    void cmdChangeScreenSize_Click();
    void FrameScreenSize_Click();
    void lblScreenSize_Click();
    void OptScreenSize1_Click();
    void optScreenSize2_Click();
    void optScreenSize3_Click();
    // "Original size is 1024 x 768"
    QString originalSizeText() const;

private:
    Context& c;
};
