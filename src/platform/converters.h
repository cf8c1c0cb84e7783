#pragma once

#include <QString>

#include <functional>

namespace snagwell {

// The picture converters: a Windows bitmap file into a JPEG or PNG file.
// Each answers the converter's own result: 1 for success. A converter that
// cannot be loaded throws Failure.
class Converters
{
public:
    virtual ~Converters() = default;
    virtual int BmpToJpeg(const QString &source, const QString &destination,
                          const QString &option) = 0;
    virtual int BmpToPng(const QString &source, const QString &destination,
                         const QString &option) = 0;
};

// The converter libraries JpegSaver and PngSaver beside the executable,
// each loaded on first use.
class LibraryConverters final : public Converters
{
public:
    // folder: where the libraries are; by default the executable's folder.
    explicit LibraryConverters(QString folder = QString());
    int BmpToJpeg(const QString &source, const QString &destination,
                  const QString &option) override;
    int BmpToPng(const QString &source, const QString &destination, const QString &option) override;

private:
    using Function = int (*)(const char *, const char *, const char *);
    Function resolve(const QString &library, const char *symbol, Function &cache);
    int convert(const QString &library, const char *symbol, Function &cache, const QString &source,
                const QString &destination, const QString &option);
    QString m_folder;
    Function m_jpeg = nullptr;
    Function m_png = nullptr;
};

} // namespace snagwell
