// Stands in for mmap in the bitmap reader compiled into the fuzz targets
// (see CMakeLists.txt): a mapping reaches to the end of its last page, so the
// sanitizer cannot see a read past the end of the file. Refusing to map sends
// the reader down its other path, which reads the file into heap memory of
// exactly its size, where every byte too far is caught.

#include <cerrno>
#include <cstddef>

#include <sys/mman.h>
#include <sys/types.h>

extern "C" void *snagwell_fuzz_no_mmap(void *, std::size_t, int, int, int, off_t)
{
    errno = ENODEV;
    return MAP_FAILED;
}
