#include "platform/instancelock.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

#include <unistd.h>

namespace snagwell {

LockFileInstanceLock::LockFileInstanceLock(const QString &executableName)
{
    QString path = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!path.isEmpty() && QDir().mkpath(path)) {
        path += QLatin1Char('/') + executableName + QStringLiteral(".lock");
    } else {
        // The temporary folder is everybody's: the user's number in the name
        // keeps one user's instance from standing for another's.
        path = QDir::tempPath() + QLatin1Char('/') + executableName + QLatin1Char('-') +
               QString::number(::geteuid()) + QStringLiteral(".lock");
    }
    m_lock = std::make_unique<QLockFile>(path);
    // A lock left by a crashed instance is taken over at once: QLockFile
    // sees that its process is gone.
    m_lock->setStaleLockTime(0);
}

LockFileInstanceLock::~LockFileInstanceLock() = default;

bool LockFileInstanceLock::tryLock()
{
    return m_lock->isLocked() || m_lock->tryLock(0);
}

} // namespace snagwell
