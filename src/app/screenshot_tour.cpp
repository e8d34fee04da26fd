#include "app/screenshot_tour.h"

#include "app/main_window.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QListWidget>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

namespace {

void shoot(QWidget *window, const QString &path)
{
    window->raise();
    window->activateWindow();
    QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    const QRect frame = window->frameGeometry().intersected(shot.rect());
    if (!frame.isEmpty())
        shot = shot.copy(frame);
    shot.save(path);
}

} // namespace

void runScreenshotTour(MainWindow *main, const QString &folder)
{
    main->move(0, 0);
    main->resize(1000, 720);
    main->setMessageText(
        QStringLiteral("Hi everyone!\r\n\r\nI just opened my new shop for hand-made guitar straps: "
                       "http://straps.example.com/new\r\nQuestions? Mail me at ann@straps.example.com"));
    main->setSubjectText(QStringLiteral("New hand-made guitar straps"));
    main->saveMessage();
    auto step = [](int ms, std::function<void()> f) { QTimer::singleShot(ms, f); };
    step(2500, [=] { shoot(main, folder + QStringLiteral("/main-window.png")); });
    step(3000, [=] {
        main->cmdOptions_Click();
        main->templateEditor()->move(20, 20);
    });
    step(3800, [=] { shoot(main->templateEditor(), folder + QStringLiteral("/template-editor.png")); });
    step(4000, [=] {
        main->templateEditor()->hide();
        main->cmdLoad_Click();
        if (main->savedMessagesWindow())
            main->savedMessagesWindow()->move(20, 20);
    });
    step(4400, [=] {
        if (main->savedMessagesWindow()) {
            main->savedMessagesWindow()->List1->setCurrentRow(0);
            main->savedMessagesWindow()->List1_Click();
        }
    });
    step(4800, [=] {
        if (main->savedMessagesWindow()) {
            shoot(main->savedMessagesWindow(), folder + QStringLiteral("/saved-messages.png"));
            main->savedMessagesWindow()->hide();
        }
        main->showHelpWindow();
        if (main->helpWindow())
            main->helpWindow()->move(20, 20);
    });
    step(5600, [=] {
        if (main->helpWindow())
            shoot(main->helpWindow(), folder + QStringLiteral("/help-window.png"));
        main->close();
    });
}
