#pragma once

#include <QObject>

class QSocketNotifier;

namespace snagwell {

// Turns the ways a session ends (SIGTERM, SIGHUP, SIGINT, the session
// manager's end of session) into one signal, delivered in the event loop.
class ShutdownRequests final : public QObject
{
    Q_OBJECT
public:
    explicit ShutdownRequests(QObject *parent = nullptr);
    ~ShutdownRequests() override;

Q_SIGNALS:
    void requested();

private:
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace snagwell
