#include "app/application.h"
#include "app/command_line.h"
#include "app/identity.h"
#include "app/main_window.h"
#include "app/screenshot_tour.h"
#include "platform/data_location.h"
#include "platform/desktop_services.h"
#include "platform/dialog_service.h"
#include "platform/settings_store.h"
#include "platform/web_sandbox.h"
#include "platform/webengine_browser.h"

#include "ui/splash_window.h"

#include <QApplication>
#include <QDateTime>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include <cstdio>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine commandLine = parseCommandLine(arguments);
    if (commandLine.action == CommandLine::Action::Exit) {
        std::fputs(qPrintable(commandLine.output), commandLine.outputIsError ? stderr : stdout);
        return commandLine.exitCode;
    }
    const QString sandboxNotice = prepareWebSandbox();

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(Identity::productName());
    QApplication::setOrganizationName(Identity::productName());
    QApplication::setApplicationVersion(Identity::versionText());
    QGuiApplication::setDesktopFileName(Identity::applicationId());
    // The main window ends the program; side windows closing do not.
    QApplication::setQuitOnLastWindowClosed(false);

    QtSettingsStore settings(Identity::productName());
    QtDialogService dialogs;
    QtDesktopServices desktop;
    AppServices services;
    services.settings = &settings;
    const QString programFolder = QCoreApplication::applicationDirPath();
    DataLocationInput where;
    where.programFolder = programFolder;
    where.userFolder = userDataFolder();
    where.overrideFolder = commandLine.dataDir;
    const DataLocation data = chooseDataLocation(where);
    services.folder = DataFolder(data.folder);
    services.helpFile = findHelpFile(programFolder, installedDataFolders(programFolder));
    services.dialogs = &dialogs;
    services.desktop = &desktop;
    services.createBrowser = [](QObject *parent) { return new WebEngineBrowser(true, parent); };

    // The start-up benchmark asks the program to say when its main window
    // is shown, and to stop there.
    const bool probe = qEnvironmentVariableIsSet("POSTMAVEN_STARTUP_PROBE");
    if (probe)
        services.homePage = QStringLiteral("about:blank");

    const QString shots = qEnvironmentVariable("POSTMAVEN_SCREENSHOTS");
    if (!shots.isEmpty())
        services.homePage = QUrl::fromLocalFile(shots + QStringLiteral("/demo-forum.html")).toString();

    Application program(services);
    Application::installSignalHandlers();
    program.start();
    QObject::connect(program.splash(), &SplashWindow::mainStarted, [&] {
        MainWindow *window = program.mainWindow();
        QObject::connect(window->browser(), &WebBrowser::helpRequested, window, &MainWindow::showHelpWindow);
        QStringList notices;
        for (const QString &notice : { sandboxNotice, data.notice })
            if (!notice.isEmpty())
                notices.append(notice);
        // Shown over the panels for a while; the first page load would
        // overwrite a panel at once.
        if (!notices.isEmpty())
            window->statusBar()->showMessage(notices.join(QStringLiteral("; ")), 30000);
    });
    if (probe) {
        QObject::connect(program.splash(), &SplashWindow::mainStarted, [&] {
            QTimer::singleShot(0, [&] {
                printf("shown %lld splash_wait_ms %lld\n", QDateTime::currentMSecsSinceEpoch(),
                    program.splash()->waitedMs());
                // For the installation test: where the data went, and the
                // help file if the Help window opened with it.
                HelpWindow *help = program.mainWindow()->helpWindow();
                printf("data %s\nhelp %s\n", qPrintable(data.folder),
                    help && help->isVisible() ? qPrintable(program.mainWindow()->services().helpFile) : "none");
                fflush(stdout);
                QCoreApplication::quit();
            });
        });
    }
    if (!shots.isEmpty())
        QObject::connect(
            program.splash(), &SplashWindow::mainStarted, [&] { runScreenshotTour(program.mainWindow(), shots); });
    return app.exec();
}
