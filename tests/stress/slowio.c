/* Preloaded into the program by the kill test: every write to a regular
 * file, and every call that gives a file its name, waits a little first, so
 * that a kill at a random moment lands inside writing and publishing files
 * rather than between them.
 *   SLOWIO_WRITE_US    microseconds before each write to a regular file
 *   SLOWIO_PUBLISH_US  microseconds before each link or rename
 * Without either variable nothing waits. */

#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static long microseconds(const char *name)
{
    const char *text = getenv(name);
    return text ? strtol(text, NULL, 10) : 0;
}

static void pause_for(long us)
{
    if (us <= 0)
        return;
    struct timespec time = {us / 1000000, (us % 1000000) * 1000};
    while (nanosleep(&time, &time) != 0) {
    }
}

/* The next definition of a function, past this library. */
static void *next(const char *symbol)
{
    return dlsym(RTLD_NEXT, symbol);
}

typedef ssize_t (*write_fn)(int, const void *, size_t);
typedef int (*rename_fn)(const char *, const char *);
typedef int (*renameat_fn)(int, const char *, int, const char *);
typedef int (*renameat2_fn)(int, const char *, int, const char *, unsigned int);
typedef int (*link_fn)(const char *, const char *);
typedef int (*linkat_fn)(int, const char *, int, const char *, int);

#define REAL(type, name, out)                                                                      \
    do {                                                                                           \
        static type found;                                                                         \
        if (!found) {                                                                              \
            void *symbol = next(name);                                                             \
            memcpy(&found, &symbol, sizeof found);                                                 \
        }                                                                                          \
        out = found;                                                                               \
    } while (0)

ssize_t write(int fd, const void *data, size_t size)
{
    write_fn real;
    REAL(write_fn, "write", real);
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        pause_for(microseconds("SLOWIO_WRITE_US"));
    return real(fd, data, size);
}

int rename(const char *from, const char *to)
{
    rename_fn real;
    REAL(rename_fn, "rename", real);
    pause_for(microseconds("SLOWIO_PUBLISH_US"));
    return real(from, to);
}

int renameat(int fromFolder, const char *from, int toFolder, const char *to)
{
    renameat_fn real;
    REAL(renameat_fn, "renameat", real);
    pause_for(microseconds("SLOWIO_PUBLISH_US"));
    return real(fromFolder, from, toFolder, to);
}

int renameat2(int fromFolder, const char *from, int toFolder, const char *to, unsigned int flags)
{
    renameat2_fn real;
    REAL(renameat2_fn, "renameat2", real);
    pause_for(microseconds("SLOWIO_PUBLISH_US"));
    return real(fromFolder, from, toFolder, to, flags);
}

int link(const char *from, const char *to)
{
    link_fn real;
    REAL(link_fn, "link", real);
    pause_for(microseconds("SLOWIO_PUBLISH_US"));
    return real(from, to);
}

int linkat(int fromFolder, const char *from, int toFolder, const char *to, int flags)
{
    linkat_fn real;
    REAL(linkat_fn, "linkat", real);
    pause_for(microseconds("SLOWIO_PUBLISH_US"));
    return real(fromFolder, from, toFolder, to, flags);
}
