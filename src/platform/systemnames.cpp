#include "platform/systemnames.h"

#include <QtGlobal>

#if defined(Q_OS_WIN)
#include <QHostInfo>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace snagwell {

QString HostSystemNames::computerName() const
{
#if defined(Q_OS_WIN)
    return qEnvironmentVariable("COMPUTERNAME");
#else
    char buffer[256] = {};
    if (gethostname(buffer, sizeof buffer - 1) != 0)
        return {};
    const QString host = QString::fromLocal8Bit(buffer);
    return host.section(QLatin1Char('.'), 0, 0);
#endif
}

QString HostSystemNames::userName() const
{
#if defined(Q_OS_WIN)
    return qEnvironmentVariable("USERNAME");
#else
    if (const passwd *entry = getpwuid(geteuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
#endif
}

} // namespace snagwell
