#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace snagwell::converters {

// A converter's destination, written under a hidden temporary name beside it
// and moved into place by commit(), so that nobody ever sees half a picture
// and an existing file is never replaced. Until commit() succeeds the
// destination does not exist; the temporary file is removed when the object
// goes away uncommitted.
class OutputFile final
{
public:
    OutputFile() = default;
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;
    ~OutputFile();

    // Cheap early test, so that no work is spent on a conversion that could
    // not be placed anyway. commit() checks again, without a race.
    static bool destinationIsFree(const char *destination);

    bool open(const char *destination);
    bool write(const void *data, std::size_t size);
    bool commit();

private:
    bool flush();
    void discard();

    int m_fd = -1;
    std::string m_destination;
    std::string m_temporary;
    // Small writes (a PNG encoder hands over chunk by chunk) are gathered here.
    std::unique_ptr<std::uint8_t[]> m_buffer;
    std::size_t m_buffered = 0;
};

} // namespace snagwell::converters
