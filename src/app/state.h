#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

#include "core/settingsfile.h"

namespace snagwell {

// Everything the program knows while it runs: the user's settings and the
// running state. Each change is announced at once (synchronously), so views
// follow it and services read it. It writes nothing but the settings file.
class State final : public QObject
{
    Q_OBJECT
public:
    // startupFolder: the working directory at start-up, where the settings
    // file lives; the browser starts there too.
    explicit State(QString startupFolder, QObject *parent = nullptr);

    // ---- settings ----
    const Settings &settings() const { return m_settings; }
    // Changes settings through the given function; announces it when the
    // settings are no longer what they were.
    void changeSettings(const std::function<void(Settings &)> &change);
    // Lines 2 to 12 of a settings file read over the current settings; a line
    // that does not read leaves its value. Answers whether all were read.
    bool readSettingsLines(const QStringList &lines);
    QString settingsFilePath() const;
    // The settings file's bytes: the current folder, then the settings.
    QByteArray settingsFileBytes() const;
    // Writes the settings file whole or not at all; throws Failure.
    void saveSettings() const;

    // ---- running state ----
    const QString &startupFolder() const { return m_startupFolder; }
    // The folder the browser stands in; captures go there.
    const QString &currentFolder() const { return m_currentFolder; }
    // Enters an existing folder ("/" for the root); throws Failure, and
    // stays, when it is no folder that can be listed or its path has a line
    // break, which the settings file cannot hold.
    void enterFolder(const QString &path);
    // Says that files or folders in the current folder came or went.
    void announceNewFiles();

    // The text and the picture the preview shows, each with the path of its
    // file (empty when not saved). The text has CR LF line ends.
    const QString &shownText() const { return m_shownText; }
    const QString &shownTextPath() const { return m_shownTextPath; }
    void showText(const QString &text, const QString &path);
    // The user's edit of the shown text; the path stays.
    void editShownText(const QString &text);
    const QImage &shownPicture() const { return m_shownPicture; }
    const QString &shownPicturePath() const { return m_shownPicturePath; }
    void showPicture(const QImage &picture, const QString &path);

    // The latest problem of a capture told in the settings window, where
    // the desktop has no notification area to tell it beside.
    const QString &captureProblem() const { return m_captureProblem; }
    void tellCaptureProblem(const QString &message);

    bool isMonitoring() const { return m_monitoring; }
    void setMonitoring(bool on);

    // Whether the screen-capture button window is open; it keeps its place
    // in the settings when it closes.
    bool isButtonWindowOpen() const { return m_buttonWindowOpen; }
    void setButtonWindowOpen(bool open);

Q_SIGNALS:
    void settingsChanged();
    void currentFolderChanged();
    void filesChanged();
    void shownTextChanged();
    void shownPictureChanged();
    void monitoringChanged();
    void captureProblemTold();
    void buttonWindowOpenChanged();

private:
    QString m_startupFolder;
    QString m_currentFolder;
    Settings m_settings;
    QString m_shownText;
    QString m_shownTextPath;
    QImage m_shownPicture;
    QString m_shownPicturePath;
    QString m_captureProblem;
    bool m_monitoring = false;
    bool m_buttonWindowOpen = false;
};

} // namespace snagwell
