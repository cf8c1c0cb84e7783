#include "faultsupport.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>

#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

namespace snagwell::stress {
namespace {

std::optional<QString> &mountRefusal()
{
    static std::optional<QString> reason = QStringLiteral("enterPrivateMounts() was not called");
    return reason;
}

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

[[noreturn]] void fail(const char *what, const QString &path)
{
    throw std::runtime_error(std::string(what) + ' ' + path.toStdString() + ": " +
                             std::strerror(errno));
}

bool capabilities(__user_cap_data_struct (&data)[2], bool set)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(set ? SYS_capset : SYS_capget, &header, data) == 0;
}

} // namespace

std::optional<QString> enterPrivateMounts()
{
    if (::unshare(CLONE_NEWNS) != 0) {
        mountRefusal() = QStringLiteral("no mount namespace of its own (%1): mounting needs root")
                             .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return mountRefusal();
    }
    // Without this, mounts would still reach the parent namespace on a
    // system whose root is shared.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        mountRefusal() = QStringLiteral("cannot make the mounts private (%1)")
                             .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return mountRefusal();
    }
    mountRefusal().reset();
    return std::nullopt;
}

bool canMount()
{
    return !mountRefusal();
}

QString whyNoMounts()
{
    return mountRefusal().value_or(QString());
}

SmallDisk::SmallDisk(const QString &folder, qint64 bytes)
    : m_folder(folder), m_filler(folder + QStringLiteral("/.filler"))
{
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
    if (::mount("tmpfs", native(folder).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                options.constData()) != 0)
        fail("mount tmpfs on", folder);
}

SmallDisk::~SmallDisk()
{
    ::umount2(native(m_folder).constData(), MNT_DETACH);
}

qint64 SmallDisk::freeBytes() const
{
    struct statvfs info = {};
    if (::statvfs(native(m_folder).constData(), &info) != 0)
        return -1;
    return qint64(info.f_bavail) * qint64(info.f_frsize);
}

void SmallDisk::fillLeaving(qint64 left)
{
    QFile filler(m_filler);
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        fail("open", m_filler);
    const QByteArray page(4096, 'f');
    while (freeBytes() > left) {
        // Whole pages, as tmpfs counts them; the last one may overshoot.
        if (filler.write(page) != page.size())
            break;
    }
}

void SmallDisk::drain()
{
    QFile::remove(m_filler);
}

ReadOnlyFolder::ReadOnlyFolder(const QString &folder) : m_folder(folder)
{
    struct stat info = {};
    if (::stat(native(folder).constData(), &info) != 0)
        fail("stat", folder);
    m_mode = info.st_mode & 07777;
    if (::chmod(native(folder).constData(), m_mode & ~0222u) != 0)
        fail("chmod", folder);
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    ::chmod(native(m_folder).constData(), m_mode);
}

ReadOnlyMount::ReadOnlyMount(const QString &folder) : m_folder(folder)
{
    const QByteArray path = native(folder);
    if (::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) != 0)
        fail("bind", folder);
    if (::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) !=
        0) {
        ::umount2(path.constData(), MNT_DETACH);
        fail("remount read-only", folder);
    }
}

ReadOnlyMount::~ReadOnlyMount()
{
    ::umount2(native(m_folder).constData(), MNT_DETACH);
}

WithoutModeOverride::WithoutModeOverride()
{
    __user_cap_data_struct data[2] = {};
    if (!capabilities(data, false))
        return;
    m_effective[0] = data[0].effective;
    m_effective[1] = data[1].effective;
    const quint32 overrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
    if ((data[0].effective & overrides) == 0)
        return;
    data[0].effective &= ~overrides;
    m_dropped = capabilities(data, true);
    if (!m_dropped)
        throw std::runtime_error("cannot drop the privilege to ignore file modes");
}

WithoutModeOverride::~WithoutModeOverride()
{
    if (!m_dropped)
        return;
    __user_cap_data_struct data[2] = {};
    if (capabilities(data, false)) {
        data[0].effective = m_effective[0];
        data[1].effective = m_effective[1];
        capabilities(data, true);
    }
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    rlimit limit = {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    m_soft = limit.rlim_cur;
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
        fail("setrlimit", QString::number(bytes));
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit = {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(m_soft);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, m_handler);
}

QStringList entriesIn(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().simplified().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE) : -1;
}

} // namespace snagwell::stress
