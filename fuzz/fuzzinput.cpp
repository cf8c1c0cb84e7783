#include "fuzzinput.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <sys/mman.h>
#include <unistd.h>

namespace snagwell::fuzz {

InputFile::InputFile() : m_fd(::memfd_create("snagwell-fuzz-input", MFD_CLOEXEC))
{
    if (m_fd < 0) {
        std::perror("memfd_create");
        std::abort();
    }
    m_path = "/proc/self/fd/" + std::to_string(m_fd);
}

InputFile::~InputFile()
{
    ::close(m_fd);
}

void InputFile::assign(const std::uint8_t *data, std::size_t size)
{
    // Shrinking first drops the previous input's tail.
    if (::ftruncate(m_fd, 0) != 0) {
        std::perror("ftruncate");
        std::abort();
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t wrote = ::pwrite(m_fd, data + done, size - done, static_cast<off_t>(done));
        if (wrote <= 0) {
            std::perror("pwrite");
            std::abort();
        }
        done += static_cast<std::size_t>(wrote);
    }
}

ScratchFolder::ScratchFolder()
{
    // scripts/fuzz points TMPDIR at a folder it removes afterwards, so that
    // even the folders of runs that ended in a crash are cleaned up.
    const char *base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/dev/shm") + "/snagwell-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    m_path = pattern;
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

} // namespace snagwell::fuzz
