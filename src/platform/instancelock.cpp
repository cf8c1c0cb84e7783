#include "platform/instancelock.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace snagwell {

LockFileInstanceLock::LockFileInstanceLock(const QString &executableName)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    QDir().mkpath(folder);
    m_lock = std::make_unique<QLockFile>(folder + QLatin1Char('/') + executableName +
                                         QStringLiteral(".lock"));
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
