#include "outputfile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace snagwell::converters {

namespace {

constexpr std::size_t bufferCapacity = std::size_t{1} << 16;
// Room left for ".", "." and the random part within the 255 bytes a name may have.
constexpr std::size_t longestNameInTemporary = 200;

bool writeAll(int fd, const std::uint8_t *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Not a secret, only unlikely to collide; O_EXCL settles any collision.
std::uint64_t nextRandom()
{
    constexpr std::uint64_t step = 0x9E3779B97F4A7C15u;
    static std::atomic<std::uint64_t> state{
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        static_cast<std::uint64_t>(::getpid()) << 32};
    std::uint64_t z = state.fetch_add(step) + step;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

std::string randomSuffix()
{
    static constexpr char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uint64_t bits = nextRandom();
    std::string suffix(6, 'X');
    for (char &c : suffix) {
        c = alphabet[bits % (sizeof alphabet - 1)];
        bits /= sizeof alphabet - 1;
    }
    return suffix;
}

// Gives `from` the name `to` unless `to` exists. The atomic ways first; the
// last one, for file systems that offer neither, has a window in which another
// writer could slip in between the test and the rename.
bool placeWithoutReplacing(const char *from, const char *to)
{
#if defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return true;
    // Any other error may only mean that the file system (or a sandbox) does
    // not offer the flag; a real problem shows again below.
    if (errno == EEXIST)
        return false;
#endif
    if (::link(from, to) == 0) {
        ::unlink(from);
        return true;
    }
    if (errno == EEXIST || !OutputFile::destinationIsFree(to))
        return false;
    return ::rename(from, to) == 0;
}

} // namespace

OutputFile::~OutputFile()
{
    discard();
}

bool OutputFile::destinationIsFree(const char *destination)
{
    struct stat info = {};
    // lstat, so that a dangling symbolic link counts as taken too.
    return ::lstat(destination, &info) != 0 && errno == ENOENT;
}

bool OutputFile::open(const char *destination)
{
    if (m_fd >= 0 || destination == nullptr || *destination == '\0')
        return false;
    m_destination = destination;
    const std::size_t slash = m_destination.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : m_destination.substr(0, slash + 1);
    const std::string name =
        slash == std::string::npos ? m_destination : m_destination.substr(slash + 1);
    if (name.empty() || name == "." || name == "..")
        return false;
    const std::string stem = name.substr(0, longestNameInTemporary);

    // Not mkstemp(): its files are private (0600), while a capture should get
    // the permissions any new file gets (0666 less the umask).
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temporary = folder + '.' + stem + '.' + randomSuffix();
        const int fd =
            ::open(temporary.c_str(),
                   O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0666);
        if (fd >= 0) {
            m_fd = fd;
            m_temporary = std::move(temporary);
            return true;
        }
        if (errno != EEXIST && errno != EINTR)
            return false;
    }
    return false;
}

bool OutputFile::write(const void *data, std::size_t size)
{
    if (m_fd < 0)
        return false;
    const auto *bytes = static_cast<const std::uint8_t *>(data);
    if (size > bufferCapacity - m_buffered && !flush())
        return false;
    if (size >= bufferCapacity)
        return writeAll(m_fd, bytes, size);
    if (!m_buffer)
        m_buffer = std::make_unique_for_overwrite<std::uint8_t[]>(bufferCapacity);
    std::memcpy(m_buffer.get() + m_buffered, bytes, size);
    m_buffered += size;
    return true;
}

bool OutputFile::flush()
{
    if (m_buffered == 0)
        return true;
    const bool written = writeAll(m_fd, m_buffer.get(), m_buffered);
    m_buffered = 0;
    return written;
}

bool OutputFile::commit()
{
    if (m_fd < 0)
        return false;
    const bool flushed = flush();
    // close() is where some network file systems report a failed write.
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (!flushed || !closed || !placeWithoutReplacing(m_temporary.c_str(), m_destination.c_str())) {
        discard();
        return false;
    }
    m_temporary.clear();
    return true;
}

void OutputFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

} // namespace snagwell::converters
