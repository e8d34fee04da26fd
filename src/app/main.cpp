#include "app/application.h"
#include "app/command_line.h"
#include "app/main_window.h"
#include "app/side_windows.h"
#include "platform/data_location.h"
#include "platform/identity.h"
#include "platform/keyring_password_store.h"
#include "platform/qt_desktop_services.h"
#include "platform/qt_dialog_service.h"
#include "platform/settings_store.h"
#include "platform/tray_notifier.h"
#include "platform/web_sandbox.h"
#include "platform/webengine_browser.h"
#include "ui/help_window.h"
#include "ui/splash_window.h"

#include <QApplication>
#include <QDateTime>
#include <QTimer>

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
    // Before QtWebEngine starts: it reads the sandbox switch once.
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
    TrayNotifier notifier;
    const QString programFolder = QCoreApplication::applicationDirPath();
    const DataLocation data = chooseDataLocation(commandLine.dataDir);

    AppServices services;
    services.settings = &settings;
    services.folder = DataFolder(data.folder);
    services.folderProblem = data.error;
    services.helpFile = findHelpFile(programFolder, installedDataFolders(programFolder));
    services.dialogs = &dialogs;
    services.desktop = &desktop;
    services.notifier = &notifier;
    services.createBrowser = [](QObject *parent) { return new WebEngineBrowser(true, parent); };
    KeyringPasswordStore keyring;
    // Answered while the windows are built; the main window asks for the answer.
    keyring.startProbe();
    services.keyring = &keyring;
    for (const QString &notice : { sandboxNotice, data.notice })
        if (!notice.isEmpty())
            services.startupNotices.append(notice);
    if (commandLine.reportStartup)
        services.homePage = QStringLiteral("about:blank");

    Application program(services);
    program.handleTerminationSignals();
    program.start();
    if (commandLine.reportStartup) {
        QObject::connect(program.splash(), &SplashWindow::mainStarted, [&] {
            QTimer::singleShot(0, [&] {
                HelpWindow *help = program.mainWindow()->sideWindows().help();
                printf("shown %lld\ndata %s\nhelp %s\n", QDateTime::currentMSecsSinceEpoch(), qPrintable(data.folder),
                    help && help->isVisible() ? qPrintable(services.helpFile) : "none");
                fflush(stdout);
                QCoreApplication::quit();
            });
        });
    }
    return app.exec();
}
