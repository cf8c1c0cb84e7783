#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace snagwell {

class CaptureRecorder;
class Dialogs;
class HeaderChoice;
class InstanceLock;
class Printing;
class State;
class StorageFolders;
class TrayIcon;

// Start-up and shutdown, in their order, and the quit question.
class Lifecycle final : public QObject
{
    Q_OBJECT
public:
    struct Ports
    {
        Dialogs &dialogs;
        InstanceLock &instanceLock;
        TrayIcon &trayIcon;
    };
    struct Services
    {
        StorageFolders &folders;
        HeaderChoice &headers;
        Printing &printing;
        CaptureRecorder &recorder;
    };
    Lifecycle(State &state, const Ports &ports, const Services &services, QString executableName,
              QObject *parent = nullptr);

    // Start-up. A second instance says so and ends at once, touching
    // nothing; otherwise each step stands alone: a step that fails is
    // skipped and the next one runs. Afterwards every change of the
    // settings is written soon.
    void start();
    bool isSecondInstance() const { return m_secondInstance; }
    // "終了": asks, then shuts down.
    void quit();
    // The orderly shutdown, without a question: monitoring stops, the
    // button window closes, the settings are written and the tray icon goes.
    // Every step runs whatever became of the one before. Then ended().
    // A box still open closes unanswered. During start-up (a box open) it
    // only ends: nothing is written.
    void shutDown();
    bool hasEnded() const { return m_ended; }
    // The display went away and the process is ending: the shutdown without
    // what needs a screen (boxes, the tray icon). Monitoring stops (old day
    // folders are deleted), the settings are written. During start-up
    // nothing is written, as above.
    void shutDownWithoutDisplay();

Q_SIGNALS:
    // Without a notification area the settings window is the only way in.
    void settingsWindowWanted();
    void ended();

private:
    void startSteps();
    void loadSettings();
    void end();

    State &m_state;
    Ports m_ports;
    Services m_services;
    QString m_executableName;
    bool m_secondInstance = false;
    bool m_starting = false;
    bool m_ended = false;
    QTimer m_saveSoon;
};

} // namespace snagwell
