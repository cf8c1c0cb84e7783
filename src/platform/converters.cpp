#include "converters.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibrary>

#include "app/failure.h"

namespace snagwell {

LibraryConverters::LibraryConverters(QString folder) : m_folder(std::move(folder)) {}

LibraryConverters::Function LibraryConverters::resolve(const QString &library, const char *symbol,
                                                       Function &cache)
{
    if (cache)
        return cache;
    const QString folder =
        m_folder.isEmpty() ? QCoreApplication::applicationDirPath() : m_folder;
    QLibrary loader(folder + QLatin1Char('/') + library);
    // The library stays loaded for the rest of the run: QLibrary's
    // destructor does not unload it.
    cache = reinterpret_cast<Function>(loader.resolve(symbol));
    if (!cache)
        throw Failure(QStringLiteral("%1 を読み込めません: %2").arg(library, loader.errorString()));
    return cache;
}

int LibraryConverters::BmpToJpeg(const QString &source, const QString &destination,
                                 const QString &option)
{
    const Function convert = resolve(QStringLiteral("JpegSaver"), "BmpToJpeg", m_jpeg);
    return convert(QFile::encodeName(source).constData(),
                   QFile::encodeName(destination).constData(), option.toLatin1().constData());
}

int LibraryConverters::BmpToPng(const QString &source, const QString &destination,
                                const QString &option)
{
    const Function convert = resolve(QStringLiteral("PngSaver"), "BmpToPng", m_png);
    return convert(QFile::encodeName(source).constData(),
                   QFile::encodeName(destination).constData(), option.toLatin1().constData());
}

} // namespace snagwell
