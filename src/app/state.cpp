#include "app/state.h"

#include <QDir>
#include <QFileInfo>

#include "core/failure.h"

namespace snagwell {

State::State(QString startupFolder, QObject *parent)
    : QObject(parent), m_startupFolder(std::move(startupFolder)), m_currentFolder(m_startupFolder)
{
}

void State::changeSettings(const std::function<void(Settings &)> &change)
{
    Settings changed = m_settings;
    change(changed);
    if (changed == m_settings)
        return;
    m_settings = std::move(changed);
    Q_EMIT settingsChanged();
}

bool State::readSettingsLines(const QStringList &lines)
{
    bool understood = true;
    changeSettings([&](Settings &settings) { understood = readSettings(lines, settings); });
    return understood;
}

QString State::settingsFilePath() const
{
    return snagwell::settingsFilePath(m_startupFolder);
}

QByteArray State::settingsFileBytes() const
{
    return snagwell::settingsFileBytes(m_currentFolder, m_settings);
}

void State::saveSettings() const
{
    saveFileWhole(settingsFilePath(), settingsFileBytes());
}

void State::enterFolder(const QString &path)
{
    const QFileInfo folder(path);
    if (path.isEmpty() || !folder.isDir())
        throw Failure(QStringLiteral("パスが見つかりません: %1").arg(path));
    if (!folder.isExecutable())
        throw Failure(QStringLiteral("フォルダに入れません: %1").arg(path));
    const QString cleaned = QDir::cleanPath(folder.absoluteFilePath());
    // The folder is the first line of the settings file: a name with a line
    // break would split it and shift every setting after it.
    if (!fitsSettingsLine(cleaned))
        throw Failure(QStringLiteral("名前に改行を含むフォルダには移動できません: %1").arg(path));
    if (cleaned == m_currentFolder)
        return;
    m_currentFolder = cleaned;
    Q_EMIT currentFolderChanged();
}

void State::announceNewFiles()
{
    Q_EMIT filesChanged();
}

void State::showText(const QString &text, const QString &path)
{
    m_shownText = text;
    m_shownTextPath = path;
    Q_EMIT shownTextChanged();
}

void State::editShownText(const QString &text)
{
    m_shownText = text;
}

void State::showPicture(const QImage &picture, const QString &path)
{
    m_shownPicture = picture;
    m_shownPicturePath = path;
    Q_EMIT shownPictureChanged();
}

void State::tellCaptureProblem(const QString &message)
{
    m_captureProblem = message;
    Q_EMIT captureProblemTold();
}

void State::setMonitoring(bool on)
{
    if (m_monitoring == on)
        return;
    m_monitoring = on;
    Q_EMIT monitoringChanged();
}

void State::setButtonWindowOpen(bool open)
{
    if (m_buttonWindowOpen == open)
        return;
    m_buttonWindowOpen = open;
    Q_EMIT buttonWindowOpenChanged();
}

} // namespace snagwell
