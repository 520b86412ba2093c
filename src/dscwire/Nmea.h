#pragma once
// What a DSC radio tells a chart plotter about a call it received (IEC 61162-1): one $CDDSC
// sentence, and a $CDDSE right after it when the position has more decimals than the call carries.
#include "dscwire/Message.h"

#include <QStringList>

namespace dscwire {

// Each sentence ends in CR LF.
QStringList nmeaSentences(const Message& received);
// "*hh" over everything between '$' and '*'.
QString nmeaChecksum(const QString& body);

} // namespace dscwire
