#include "app/application.h"
#include "platform/identity.h"
#include "platform/qt_desktop_services.h"
#include "platform/qt_dialog_service.h"
#include "platform/settings_store.h"
#include "platform/webengine_browser.h"
#include "ui/splash_window.h"

#include <QApplication>
#include <QDateTime>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(Identity::productName());
    QApplication::setOrganizationName(Identity::productName());
    QApplication::setApplicationVersion(Identity::versionText());
    // The main window ends the program; side windows closing do not.
    QApplication::setQuitOnLastWindowClosed(false);

    QtSettingsStore settings(Identity::productName());
    QtDialogService dialogs;
    QtDesktopServices desktop;
    AppServices services;
    services.settings = &settings;
    services.folder = DataFolder::besideExecutable();
    services.dialogs = &dialogs;
    services.desktop = &desktop;
    services.createBrowser = [](QObject *parent) { return new WebEngineBrowser(true, parent); };

    // The start-up benchmark asks the program to say when its main window
    // is shown, and to stop there.
    const bool probe = qEnvironmentVariableIsSet("POSTMAVEN_STARTUP_PROBE");
    if (probe)
        services.homePage = QStringLiteral("about:blank");

    Application program(services);
    Application::installSignalHandlers();
    program.start();
    if (probe) {
        QObject::connect(program.splash(), &SplashWindow::mainStarted, [&] {
            QTimer::singleShot(0, [&] {
                printf("shown %lld splash_wait_ms %lld\n", QDateTime::currentMSecsSinceEpoch(),
                    program.splash()->waitedMs());
                fflush(stdout);
                QCoreApplication::quit();
            });
        });
    }
    return app.exec();
}
