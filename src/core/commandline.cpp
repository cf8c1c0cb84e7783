#include "core/commandline.h"

namespace snagwell {

CommandLine parseCommandLine(const QStringList &arguments, const QString &executableName)
{
    if (arguments.isEmpty())
        return {};
    if (arguments.size() == 1 && (arguments.first() == QLatin1String("--version") ||
                                  arguments.first() == QLatin1String("-v")))
        return {CommandLine::Action::Version,
                QStringLiteral("Snagwell %1\n").arg(QStringLiteral(SNAGWELL_VERSION))};
    if (arguments.size() == 1 &&
        (arguments.first() == QLatin1String("--help") || arguments.first() == QLatin1String("-h")))
        return {
            CommandLine::Action::Help,
            QStringLiteral("Usage: %1 [--help | --version]\n"
                           "\n"
                           "Snagwell records what passes through the clipboard: texts and\n"
                           "pictures are saved in day folders under SWData.\n"
                           "クリップボードを通ったテキストとイメージを日付フォルダに保存します。\n"
                           "\n"
                           "The settings file RAVuvivo.vov and the folder SWData are kept in the\n"
                           "directory Snagwell is started from.\n"
                           "\n"
                           "  -h, --help     show this help and exit\n"
                           "  -v, --version  show the version and exit\n")
                .arg(executableName)};
    return {CommandLine::Action::Refuse,
            QStringLiteral("%1: unknown argument '%2'\nTry '%1 --help'.\n")
                .arg(executableName, arguments.first())};
}

} // namespace snagwell
