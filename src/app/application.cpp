#include "app/application.h"

#include "app/main_window.h"
#include "ui/splash_window.h"

#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_signalPipe[2] = { -1, -1 };

void onSignal(int)
{
    // Only async-signal-safe work here; errno belongs to the code the signal interrupted.
    const int savedErrno = errno;
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[0], &c, 1);
    errno = savedErrno;
}
} // namespace

Application::Application(AppServices services)
    : m_services(std::move(services))
{
}

Application::~Application()
{
    if (m_main)
        m_main->unload();
}

void Application::start()
{
    m_splash = std::make_unique<SplashWindow>([this] {
        m_main = std::make_unique<MainWindow>(m_services);
        m_main->setSplash(m_splash.get());
        m_main->load();
        m_main->show();
        QObject::connect(qApp, &QGuiApplication::commitDataRequest, m_main.get(),
            [this](QSessionManager &) { m_main->unload(MainWindow::Shutdown::Unattended); });
    });
    m_splash->loadWindow();
    m_splash->show();
}

void Application::handleTerminationSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    // A full pipe must never block the handler: one waiting byte is enough.
    ::fcntl(g_signalPipe[0], F_SETFL, ::fcntl(g_signalPipe[0], F_GETFL) | O_NONBLOCK);
    auto *notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [this] {
        char c;
        [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[1], &c, 1);
        // No box may wait for an answer here; quitting also ends any box
        // that is open, since every event loop is left.
        if (m_main)
            m_main->unload(MainWindow::Shutdown::Unattended);
        QApplication::quit();
    });
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}
