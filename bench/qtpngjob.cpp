// What a Qt program pays for the same conversion, as a process of its own:
// QImageReader reads the bitmap, QImageWriter writes the PNG.
//
//   snagwell_qtpng_job BITMAP DESTINATION COMPRESSION
//
// Prints "write_seconds=S", the time of QImageWriter::write alone: what a Qt
// program that holds the picture already pays.

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QString>

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s BITMAP DESTINATION COMPRESSION\n", argv[0]);
        return 2;
    }
    QImageReader reader(QString::fromLocal8Bit(argv[1]));
    const QImage picture = reader.read();
    if (picture.isNull())
        return 1;
    QImageWriter writer(QString::fromLocal8Bit(argv[2]), "png");
    writer.setCompression(std::atoi(argv[3]));
    const auto start = std::chrono::steady_clock::now();
    const bool written = writer.write(picture);
    std::printf("write_seconds=%.6f\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return written ? 0 : 1;
}
