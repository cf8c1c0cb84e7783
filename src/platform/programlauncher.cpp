#include "programlauncher.h"

#include <QProcess>

namespace snagwell {

bool ProcessLauncher::start(const QString &program)
{
    // The path is the program itself, spaces and all, never a command line.
    return QProcess::startDetached(program, {});
}

} // namespace snagwell
