#include "platform/systeminformation.h"

#include <QProcess>
#include <QStandardPaths>

namespace snagwell {

bool DesktopSystemInformation::start()
{
    // KDE's, GNOME's, then a desktop-neutral one.
    static const QList<QStringList> candidates = {
        {QStringLiteral("kinfocenter")},
        {QStringLiteral("gnome-control-center"), QStringLiteral("info-overview")},
        {QStringLiteral("hardinfo")},
    };
    for (const QStringList &command : candidates) {
        const QString program = QStandardPaths::findExecutable(command.constFirst());
        if (!program.isEmpty() && QProcess::startDetached(program, command.mid(1)))
            return true;
    }
    return false;
}

} // namespace snagwell
