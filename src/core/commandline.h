#pragma once

#include <QString>
#include <QStringList>

namespace snagwell {

// What the command line asks for. Snagwell takes no options of its own
// beyond --help and --version, which answer without starting the program.
struct CommandLine
{
    enum class Action { Run, Help, Version, Refuse };
    Action action = Action::Run;
    QString output; // what to print for Help, Version and Refuse
};

// arguments: the program's arguments without the program name.
CommandLine parseCommandLine(const QStringList &arguments, const QString &executableName);

} // namespace snagwell
