/* Preloaded by the kill test, so that kills land inside writing and publishing
 * files: a write to a regular file waits SLOWIO_WRITE_US µs, a rename or link
 * SLOWIO_PUBLISH_US. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static void pause_for(const char *variable)
{
    const char *text = getenv(variable);
    long us = text ? strtol(text, NULL, 10) : 0;
    struct timespec time = {us / 1000000, (us % 1000000) * 1000};
    while (us > 0 && nanosleep(&time, &time) != 0) {
    }
}

/* name waits, when it should, then calls the next definition of name. */
#define SLOWED(result, name, parameters, arguments, when)                                          \
    result name parameters                                                                         \
    {                                                                                              \
        static result(*real) parameters;                                                           \
        if (!real) {                                                                               \
            void *symbol = dlsym(RTLD_NEXT, #name);                                                \
            memcpy(&real, &symbol, sizeof real);                                                   \
        }                                                                                          \
        if (when)                                                                                  \
            pause_for(#name[0] == 'w' ? "SLOWIO_WRITE_US" : "SLOWIO_PUBLISH_US");                  \
        return real arguments;                                                                     \
    }

static int regular(int fd)
{
    struct stat info;
    return fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

SLOWED(ssize_t, write, (int fd, const void *data, size_t size), (fd, data, size), regular(fd))
SLOWED(int, rename, (const char *from, const char *to), (from, to), 1)
SLOWED(int, renameat2, (int fromdir, const char *from, int todir, const char *to, unsigned flags),
       (fromdir, from, todir, to, flags), 1)
SLOWED(int, link, (const char *from, const char *to), (from, to), 1)
