#include "platform/workingfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <vector>

#include <unistd.h>

#include "core/settingsfile.h"

namespace snagwell {

QString workingFolder()
{
    // QDir::currentPath() decodes the name, and bytes that are not UTF-8
    // come back as U+FFFD, naming another folder.
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return QDir::currentPath();
        buffer.resize(buffer.size() * 2);
    }
    const QByteArray bytes(buffer.data());
    const QString name = QFile::decodeName(bytes);
    if (QFile::encodeName(name) == bytes && fitsSettingsLine(name))
        return name;
#if defined(Q_OS_LINUX)
    const QString alias = QStringLiteral("/proc/self/cwd");
    if (QFileInfo(alias).isDir())
        return alias;
#endif
    return name;
}

} // namespace snagwell
