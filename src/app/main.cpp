#include "app/application.h"
#include "app/identity.h"
#include "platform/desktop_services.h"
#include "platform/dialog_service.h"
#include "platform/settings_store.h"
#include "platform/webengine_browser.h"

#include <QApplication>

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

    Application program(services);
    Application::installSignalHandlers();
    program.start();
    return app.exec();
}
