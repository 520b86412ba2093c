#pragma once
#include <memory>
struct Context;
namespace screens {
class InfoTKM;
class Copyright;
}

// The information and copyright windows: created on first use, only hidden when closed.
class InfoWindows {
public:
    explicit InfoWindows(Context& ctx);
    ~InfoWindows();
    void wire();

    void Image3_Click();
    void showCopyright();
    screens::InfoTKM* infoTKM() const { return info_.get(); }
    screens::Copyright* copyright() const { return copyright_.get(); }

private:
    Context& c;
    std::unique_ptr<screens::InfoTKM> info_;
    std::unique_ptr<screens::Copyright> copyright_;
};
