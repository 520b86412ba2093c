#include "core/TKM.h"

namespace screens {

void TKM::setChar(int keyCode) {
    if (keyCode == 'T' || keyCode == 'K' || keyCode == 'M')
        last_ = last_.mid(1) + QChar(keyCode);
    else
        last_ = QStringLiteral("   ");
    if (last_ == QLatin1String("TKM")) ShowNotice();
}

} // namespace screens
