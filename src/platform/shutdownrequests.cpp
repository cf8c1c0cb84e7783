#include "platform/shutdownrequests.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#if defined(Q_OS_UNIX)
#include <csignal>

#include <sys/socket.h>
#include <unistd.h>
#endif

namespace snagwell {

#if defined(Q_OS_UNIX)
namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    // Only async-signal-safe work here: wake the event loop.
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

} // namespace
#endif

ShutdownRequests::ShutdownRequests(QObject *parent) : QObject(parent)
{
#if defined(Q_OS_UNIX)
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
        m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] {
            char byte = 0;
            [[maybe_unused]] const ssize_t got = ::read(signalPipe[0], &byte, 1);
            Q_EMIT requested();
        });
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int sig : {SIGTERM, SIGHUP, SIGINT})
            sigaction(sig, &action, nullptr);
    }
#endif
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager &) { Q_EMIT requested(); });
    }
}

ShutdownRequests::~ShutdownRequests()
{
#if defined(Q_OS_UNIX)
    for (const int sig : {SIGTERM, SIGHUP, SIGINT})
        std::signal(sig, SIG_DFL);
#endif
}

} // namespace snagwell
