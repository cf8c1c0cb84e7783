#include "converteroutcome.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

namespace snagwell::fuzz {

namespace {

InputFile &input()
{
    static InputFile file;
    return file;
}

ScratchFolder &scratch()
{
    static ScratchFolder folder;
    return folder;
}

bool exists(const std::string &path)
{
    struct stat info = {};
    return ::lstat(path.c_str(), &info) == 0;
}

} // namespace

void broken(const char *what)
{
    std::fprintf(stderr, "==snagwell-fuzz== broken promise: %s\n", what);
    std::abort();
}

Outcome runConverter(Converter converter, const std::uint8_t *data, std::size_t size,
                     const char *option)
{
    InputFile &file = input();
    file.assign(data, size);

    Outcome outcome;
    outcome.destination = scratch().path() + "/out";
    {
        converters::BitmapFile bitmap;
        outcome.readable = bitmap.load(file.path().c_str());
        if (outcome.readable) {
            outcome.width = bitmap.width();
            outcome.height = bitmap.height();
            outcome.indexed = bitmap.layout() == converters::PixelLayout::Indexed;
            outcome.bitsPerPixel = bitmap.bitsPerPixel();
        }
    }
    outcome.converted = converter(file.path().c_str(), outcome.destination.c_str(), option) == 1;
    if (outcome.converted && !outcome.readable)
        broken("converted a bitmap that the reader refuses");
    if (outcome.converted != exists(outcome.destination))
        broken(outcome.converted ? "succeeded without a destination"
                                 : "failed but left a destination");
    return outcome;
}

void finish(const Outcome &outcome)
{
    ::unlink(outcome.destination.c_str());
    if (!std::filesystem::is_empty(scratch().path()))
        broken("left a file behind in the destination's folder");
}

} // namespace snagwell::fuzz
