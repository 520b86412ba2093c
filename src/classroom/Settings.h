#pragma once
// Where a trainer's class meets and who the trainer is there: a broker address, a class name, the
// station's MMSI and vessel name, and whether it is the instructor's.
#include "dscwire/Message.h"  // dscwire::Result

#include <QString>

namespace classroom {

struct Settings {
    QString host;
    int port = 1883;
    QString className;     // letters, digits, '-' and '_': it is part of every topic
    bool tls = false;      // mqtts://: TLS, checked against the system's CA store
    QString user, password;
    QString mmsi;          // the own station, 9 digits
    QString vesselName;
    bool instructor = false;

    // "mqtt://HOST[:PORT]/CLASS" or "mqtts://HOST[:PORT]/CLASS", with an optional USER[:PASSWORD]@
    // before the host. Fills host, port, class, tls, user and password; the rest stays as given.
    static dscwire::Result<Settings> fromUrl(const QString& url, Settings base);
    static dscwire::Result<Settings> fromUrl(const QString& url);
    QString url() const;   // back, without the password
    // Empty when the settings can be used, else what is wrong with them.
    QString problem() const;
};

} // namespace classroom
