#include "app/application.h"

#include "app/main_window.h"
#include "platform/termination_signals.h"
#include "ui/splash_window.h"

#include <QApplication>
#include <QSessionManager>

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
    m_signals = std::make_unique<TerminationSignals>([this] {
        // No box may wait for an answer here; quitting also ends any box
        // that is open, since every event loop is left.
        if (m_main)
            m_main->unload(MainWindow::Shutdown::Unattended);
        QApplication::quit();
    });
}
