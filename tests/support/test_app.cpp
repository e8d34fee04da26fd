#include "support/test_app.h"

#include "panels/message_editor_panel.h"
#include "support/files.h"
#include "support/list_items.h"
#include "support/script_server.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QListView>
#include <QTest>

AppServices TestApp::services(std::function<WebBrowser *(QObject *)> factory)
{
    AppServices s;
    s.settings = &settings;
    s.folder = DataFolder(dir.path());
    s.dialogs = &dialogs;
    s.desktop = &desktop;
    s.notifier = &notifier;
    s.homePage = QStringLiteral("about:blank");
    s.keyring = keyring;
    if (factory) {
        s.createBrowser = factory;
    } else {
        s.createBrowser = [this](QObject *parent) {
            fake = new FakeBrowser(parent);
            fake->setWidget(new QWidget);
            return fake;
        };
    }
    return s;
}

MainWindow &TestApp::start(std::function<WebBrowser *(QObject *)> factory)
{
    window = std::make_unique<MainWindow>(services(factory));
    window->load();
    return *window;
}

MainWindow &TestApp::startWithEverything()
{
    writeFile("posts.txt", QStringLiteral("http://127.0.0.1:%1/t\r\n\r\n").arg(closedLoopbackPort()).toUtf8());
    writeFile("sizes.txt", "100\r\n\r\n");
    writeFile("posts2.txt", "http://forum.one/|bob|secret\r\n\r\n");
    MainWindow &w = start();
    writeFile("Help.rtf", "{\\rtf1 help}");
    w.messageEditor().setMessageText("see http://a.b/c");
    w.messageEditor().setSubjectText("the subject");
    find<QComboBox>("cmbConvert")->setCurrentText("ubb");
    selectRow(find<QListView>("lstPosts2"), 0);
    fake->location = "http://forum.one/login";
    fake->setNavigation(true, true, true);
    w.show();
    w.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
    return w;
}

QByteArray TestApp::readFile(const QString &name) const
{
    return readBytes(path(name));
}

void TestApp::writeFile(const QString &name, const QByteArray &bytes) const
{
    writeBytes(path(name), bytes);
}

// Neither presses what a user could not: a disabled command fails the test.
template <typename T> T *enabled(const TestApp &t, const char *name)
{
    T *control = t.find<T>(name);
    if (control && !control->isEnabled()) {
        ADD_FAILURE() << name << " is disabled";
        return nullptr;
    }
    return control;
}

void TestApp::click(const char *name) const
{
    if (auto *button = enabled<QAbstractButton>(*this, name))
        button->click();
}

void TestApp::trigger(const char *actionName) const
{
    if (auto *action = enabled<QAction>(*this, actionName))
        action->trigger();
}
