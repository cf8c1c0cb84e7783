#pragma once

// Faults a test can lay on the file system: a full disk, a read-only or
// unreadable folder, a file-size limit. Each undoes itself when it goes.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace snagwell::stress {

// Moves the process into a mount namespace of its own, so that the
// file systems a test mounts are seen by nobody else and vanish with the
// process, however it ends. Call first in main(), while the process has one
// thread. Answers why it could not, or nothing.
std::optional<QString> enterPrivateMounts();
// Whether enterPrivateMounts() succeeded, and if not, why.
bool canMount();
QString whyNoMounts();

// A small tmpfs mounted over an existing, empty folder. Writes past its
// size fail with ENOSPC, as on a full disk.
class SmallDisk final
{
public:
    // Throws std::runtime_error when it cannot be mounted.
    SmallDisk(const QString &folder, qint64 bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    qint64 freeBytes() const;
    // Fills the disk with a hidden file until at most `left` bytes are free.
    void fillLeaving(qint64 left);
    // Removes the filling.
    void drain();

private:
    QString m_folder;
    QString m_filler;
};

// A folder no one may write: its mode without write bits, and when the
// process is privileged, the privilege to ignore modes dropped for this
// thread meanwhile.
class ReadOnlyFolder final
{
public:
    explicit ReadOnlyFolder(const QString &folder);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;

private:
    QString m_folder;
    unsigned m_mode = 0;
};

// A folder bound over itself read-only: writes fail with EROFS whoever
// asks. Needs enterPrivateMounts().
class ReadOnlyMount final
{
public:
    explicit ReadOnlyMount(const QString &folder);
    ~ReadOnlyMount();
    ReadOnlyMount(const ReadOnlyMount &) = delete;
    ReadOnlyMount &operator=(const ReadOnlyMount &) = delete;

private:
    QString m_folder;
};

// For this thread, the privilege to read, write and search regardless of
// modes is dropped (a no-op for an ordinary user), so that modes bind a
// test running as root too.
class WithoutModeOverride final
{
public:
    WithoutModeOverride();
    ~WithoutModeOverride();
    WithoutModeOverride(const WithoutModeOverride &) = delete;
    WithoutModeOverride &operator=(const WithoutModeOverride &) = delete;

private:
    bool m_dropped = false;
    quint32 m_effective[2] = {};
};

// No file may grow past the limit: writes beyond it fail with EFBIG (the
// SIGXFSZ the kernel would send is ignored meanwhile). Works unprivileged.
class FileSizeLimit final
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    quint64 m_soft = 0;
    void (*m_handler)(int) = nullptr;
};

// Every entry of a folder, hidden ones included, sorted by name.
QStringList entriesIn(const QString &folder);
QByteArray bytesOf(const QString &path);
// The process's resident memory.
qint64 residentBytes();

} // namespace snagwell::stress
