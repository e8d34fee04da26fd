// For `make screenshots`: starts the program on a demo forum page, shows the
// main window and the side windows one by one, saves a picture of the screen
// for each into the folder given, then quits.
#include "app/application.h"
#include "app/main_window.h"
#include "app/side_windows.h"
#include "messages/saved_messages_window.h"
#include "messages/template_editor.h"
#include "panels/message_editor_panel.h"
#include "platform/identity.h"
#include "platform/qt_desktop_services.h"
#include "platform/qt_dialog_service.h"
#include "platform/settings_store.h"
#include "platform/webengine_browser.h"
#include "ui/help_window.h"
#include "ui/splash_window.h"

#include <QApplication>
#include <QListWidget>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>

namespace {

void shoot(QWidget *window, const QString &path)
{
    if (!window)
        return;
    window->raise();
    window->activateWindow();
    QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    const QRect frame = window->frameGeometry().intersected(shot.rect());
    if (!frame.isEmpty())
        shot = shot.copy(frame);
    shot.save(path);
}

void tour(MainWindow *main, const QString &folder)
{
    main->move(0, 0);
    main->resize(1400, 900);
    main->messageEditor().setMessageText(
        QStringLiteral("Hi everyone!\r\n\r\nI just opened my new shop for hand-made guitar straps: "
                       "http://straps.example.com/new\r\nQuestions? Mail me at ann@straps.example.com"));
    main->messageEditor().setSubjectText(QStringLiteral("New hand-made guitar straps"));
    main->saveMessage();
    // Each step waits its time after the one before has run, so that a slow
    // step (a page that loads late) never lets the next window into its picture.
    auto steps = std::make_shared<QList<std::pair<int, std::function<void()>>>>();
    int previous = 0;
    auto step = [&](int ms, std::function<void()> f) {
        steps->append({ ms - previous, std::move(f) });
        previous = ms;
    };
    step(2500, [=] {
        shoot(main, folder + QStringLiteral("/main-window.png"));
        // As small as it goes: the layouts hold it at its minimum size.
        main->resize(1, 1);
    });
    step(2900, [=] {
        shoot(main, folder + QStringLiteral("/main-window-minimum.png"));
        main->resize(1400, 900);
    });
    step(3000, [=] {
        main->sideWindows().showTemplateEditor();
        main->sideWindows().templateEditor()->move(20, 20);
    });
    step(3800, [=] { shoot(main->sideWindows().templateEditor(), folder + QStringLiteral("/template-editor.png")); });
    step(4000, [=] {
        main->sideWindows().templateEditor()->hide();
        main->sideWindows().showSavedMessages();
        if (QWidget *saved = main->sideWindows().savedMessages()) {
            saved->move(20, 20);
            if (auto *list = saved->findChild<QListWidget *>(QStringLiteral("List1")))
                list->setCurrentRow(0);
        }
    });
    step(4800, [=] {
        if (QWidget *saved = main->sideWindows().savedMessages()) {
            shoot(saved, folder + QStringLiteral("/saved-messages.png"));
            saved->hide();
        }
        main->sideWindows().showHelp();
        if (main->sideWindows().help())
            main->sideWindows().help()->move(20, 20);
    });
    step(5600, [=] {
        shoot(main->sideWindows().help(), folder + QStringLiteral("/help-window.png"));
        main->close();
    });
    auto run = std::make_shared<std::function<void(qsizetype)>>();
    *run = [steps, run](qsizetype i) {
        if (i >= steps->size())
            return;
        QTimer::singleShot(steps->at(i).first, [steps, run, i] {
            steps->at(i).second();
            (*run)(i + 1);
        });
    };
    (*run)(0);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(Identity::productName());
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        fprintf(stderr, "usage: postmaven-tour OUTPUT_FOLDER (with demo-forum.html in it)\n");
        return 1;
    }
    const QString folder = args.at(1);

    QtSettingsStore settings(Identity::productName());
    QtDialogService dialogs;
    QtDesktopServices desktop;
    AppServices services;
    services.settings = &settings;
    services.folder = DataFolder::besideExecutable();
    services.dialogs = &dialogs;
    services.desktop = &desktop;
    services.createBrowser = [](QObject *parent) { return new WebEngineBrowser(false, parent); };
    services.homePage = QUrl::fromLocalFile(folder + QStringLiteral("/demo-forum.html")).toString();

    Application program(services);
    program.start();
    QObject::connect(program.splash(), &SplashWindow::mainStarted, [&] { tour(program.mainWindow(), folder); });
    return app.exec();
}
