#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace snagwell {

// One running instance per user and executable name.
class InstanceLock
{
public:
    virtual ~InstanceLock() = default;
    // True when this process now holds the lock; false when another
    // instance holds it.
    virtual bool tryLock() = 0;
};

class LockFileInstanceLock final : public InstanceLock
{
public:
    // The lock file lives in the user's runtime folder, named after the
    // executable; where there is none, in the temporary folder, named after
    // the executable and the user.
    explicit LockFileInstanceLock(const QString &executableName);
    ~LockFileInstanceLock() override;
    bool tryLock() override;

private:
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace snagwell
