#include "classroom/Settings.h"

#include <QRegularExpression>
#include <QUrl>

namespace classroom {
namespace {

bool validClassName(const QString& name) {
    static const QRegularExpression re(QStringLiteral("^[A-Za-z0-9_-]{1,64}$"));
    return re.match(name).hasMatch();
}

} // namespace

dscwire::Result<Settings> Settings::fromUrl(const QString& text, Settings base) {
    using R = dscwire::Result<Settings>;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return R::bad(QStringLiteral("No class address given (mqtt://HOST[:PORT]/CLASS)"));
    const QUrl url(trimmed, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("mqtt") && scheme != QLatin1String("mqtts")))
        return R::bad(QStringLiteral("The class address must look like mqtt://HOST[:PORT]/CLASS or "
                                     "mqtts://HOST[:PORT]/CLASS, not \"%1\"").arg(trimmed));
    if (url.host().isEmpty()) return R::bad(QStringLiteral("The class address has no host: \"%1\"").arg(trimmed));
    if (url.hasQuery() || url.hasFragment())
        return R::bad(QStringLiteral("The class address may not have a '?' or '#' part: \"%1\"").arg(trimmed));
    // QUrl accepts any port up to 65535 and reports -1 for none; ":0" is not a port we can use.
    const QString authority = url.authority();
    if (authority.endsWith(QLatin1Char(':')) || url.port() == 0)
        return R::bad(QStringLiteral("The port must be a number from 1 to 65535: \"%1\"").arg(trimmed));
    QString path = url.path();
    if (path.startsWith(QLatin1Char('/'))) path.remove(0, 1);
    if (path.isEmpty()) return R::bad(QStringLiteral("The class address has no class name: \"%1\" (mqtt://HOST[:PORT]/CLASS)").arg(trimmed));
    if (!validClassName(path))
        return R::bad(QStringLiteral("The class name \"%1\" may have only letters, digits, '-' and '_'").arg(path));

    Settings s = std::move(base);
    s.tls = scheme == QLatin1String("mqtts");
    s.host = url.host();
    s.port = url.port(s.tls ? 8883 : 1883);
    s.className = path;
    if (!url.userName().isEmpty()) s.user = url.userName();
    if (!url.password().isEmpty()) s.password = url.password();
    return R::good(std::move(s));
}

dscwire::Result<Settings> Settings::fromUrl(const QString& url) { return fromUrl(url, Settings{}); }

QString Settings::url() const {
    QUrl u;
    u.setScheme(tls ? QStringLiteral("mqtts") : QStringLiteral("mqtt"));
    u.setHost(host);
    if (port != (tls ? 8883 : 1883)) u.setPort(port);
    if (!user.isEmpty()) u.setUserName(user);
    u.setPath(QLatin1Char('/') + className);
    return u.toString();
}

QString Settings::problem() const {
    if (host.isEmpty()) return QStringLiteral("No broker host given");
    if (port < 1 || port > 65535) return QStringLiteral("The port must be a number from 1 to 65535");
    if (!validClassName(className)) return QStringLiteral("The class name \"%1\" may have only letters, digits, '-' and '_'").arg(className);
    if (!dscwire::isMmsi(mmsi)) return QStringLiteral("Your MMSI # must be 9 digits long");
    return {};
}

} // namespace classroom
