// One conversion as a process of its own: loads PngSaver from beside itself
// and converts one bitmap, nothing else, so that a whole process's time can
// be set against a Qt program doing the same.
//
//   snagwell_pngsaver_job BITMAP DESTINATION OPTION
//
// Plain C++ without Qt: the program that calls the converter has Qt loaded
// already, so its start-up is no part of a conversion.

#include <climits>
#include <cstdio>
#include <string>

#include <dlfcn.h>
#include <unistd.h>

#include "bmpconverter.h"

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s BITMAP DESTINATION OPTION\n", argv[0]);
        return 2;
    }
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return 2;
    std::string library(self, static_cast<std::size_t>(length));
    library = library.substr(0, library.rfind('/') + 1) + "libPngSaver.so";
    void *handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    auto *convert =
        handle == nullptr
            ? nullptr
            : reinterpret_cast<snagwell::ConverterFunction>(::dlsym(handle, "BmpToPng"));
    if (convert == nullptr) {
        std::fprintf(stderr, "cannot load BmpToPng from %s\n", library.c_str());
        return 2;
    }
    return convert(argv[1], argv[2], argv[3]) == 1 ? 0 : 1;
}
