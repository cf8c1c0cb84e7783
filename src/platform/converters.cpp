#include "platform/converters.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibrary>

#include "core/failure.h"

namespace snagwell {

LibraryConverters::LibraryConverters(QString folder) : m_folder(std::move(folder)) {}

LibraryConverters::Function LibraryConverters::resolve(const QString &library, const char *symbol,
                                                       Function &cache)
{
    if (cache)
        return cache;
    // Beside the executable in a build; in the library folder once installed.
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QStringList folders =
        m_folder.isEmpty()
            ? QStringList{programFolder,
                          programFolder + QStringLiteral("/" SNAGWELL_INSTALLED_LIBRARY_FOLDER)}
            : QStringList{m_folder};
    QString errors;
    for (const QString &folder : folders) {
        QLibrary loader(folder + QLatin1Char('/') + library);
        // The library stays loaded for the rest of the run: QLibrary's
        // destructor does not unload it.
        cache = reinterpret_cast<Function>(loader.resolve(symbol));
        if (cache)
            return cache;
        errors += QLatin1Char(' ') + loader.errorString();
    }
    throw Failure(QStringLiteral("%1 を読み込めません:%2").arg(library, errors));
}

int LibraryConverters::convert(const QString &library, const char *symbol, Function &cache,
                               const QString &source, const QString &destination,
                               const QString &option)
{
    const Function function = resolve(library, symbol, cache);
    return function(QFile::encodeName(source).constData(),
                    QFile::encodeName(destination).constData(), option.toLatin1().constData());
}

int LibraryConverters::BmpToJpeg(const QString &source, const QString &destination,
                                 const QString &option)
{
    return convert(QStringLiteral("JpegSaver"), "BmpToJpeg", m_jpeg, source, destination, option);
}

int LibraryConverters::BmpToPng(const QString &source, const QString &destination,
                                const QString &option)
{
    return convert(QStringLiteral("PngSaver"), "BmpToPng", m_png, source, destination, option);
}

} // namespace snagwell
