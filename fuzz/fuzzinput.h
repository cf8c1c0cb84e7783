#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace snagwell::fuzz {

// The readers under test take a path, not a buffer: each input is written
// into one anonymous in-memory file that stays open for the whole run and is
// reached through /proc/self/fd, so no input ever touches a disk.
class InputFile final
{
public:
    InputFile();
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;
    ~InputFile();

    // Replaces the file's contents with the input.
    void assign(const std::uint8_t *data, std::size_t size);
    const std::string &path() const { return m_path; }

private:
    int m_fd = -1;
    std::string m_path;
};

// A private scratch folder (in $TMPDIR, else /dev/shm) for what the
// converters write; it goes away with the process.
class ScratchFolder final
{
public:
    ScratchFolder();
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;
    ~ScratchFolder();

    const std::string &path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace snagwell::fuzz
