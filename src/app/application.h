#pragma once

#include "app/app_services.h"

#include <memory>

class MainWindow;
class SplashWindow;
class TerminationSignals;

// The running program: the splash, then the main window, and an orderly end
// on close, on SIGTERM, SIGINT and SIGHUP, and when the desktop session ends.
class Application {
public:
    explicit Application(AppServices services);
    ~Application();

    void start();
    MainWindow *mainWindow() const { return m_main.get(); }
    SplashWindow *splash() const { return m_splash.get(); }

    // Routes SIGTERM, SIGINT and SIGHUP to an orderly, unattended shutdown.
    void handleTerminationSignals();

private:
    AppServices m_services;
    std::unique_ptr<SplashWindow> m_splash;
    std::unique_ptr<MainWindow> m_main;
    std::unique_ptr<TerminationSignals> m_signals;
};
