#include "platform/termination_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_pipe[2] = { -1, -1 };
} // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal, QObject *parent)
    : QObject(parent)
    , m_onSignal(std::move(onSignal))
{
    if (g_pipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_pipe) != 0)
        return;
    // A full pipe must never block the handler: one waiting byte is enough.
    ::fcntl(g_pipe[0], F_SETFL, ::fcntl(g_pipe[0], F_GETFL) | O_NONBLOCK);
    auto *notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[64];
        [[maybe_unused]] const ssize_t n = ::read(g_pipe[1], bytes, sizeof bytes);
        if (m_onSignal)
            m_onSignal();
    });
    struct sigaction sa = {};
    sa.sa_handler = handle;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int signal : { SIGTERM, SIGINT, SIGHUP })
        sigaction(signal, &sa, nullptr);
    m_installed = true;
}

TerminationSignals::~TerminationSignals()
{
    if (!m_installed)
        return;
    for (int signal : { SIGTERM, SIGINT, SIGHUP })
        std::signal(signal, SIG_DFL);
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void TerminationSignals::handle(int)
{
    // Only async-signal-safe work here; errno belongs to the code the signal interrupted.
    const int savedErrno = errno;
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[0], &c, 1);
    errno = savedErrno;
}

int TerminationSignals::writeEnd()
{
    return g_pipe[0];
}
