#include "support/test_app.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QWidget>

#include <gtest/gtest.h>

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

QByteArray TestApp::readFile(const QString &name) const
{
    QFile f(path(name));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

void TestApp::writeFile(const QString &name, const QByteArray &bytes) const
{
    QFile f(path(name));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

// Neither presses what a user could not: a disabled command fails the test.
void TestApp::click(const char *name) const
{
    auto *button = find<QAbstractButton>(name);
    if (!button)
        return;
    if (!button->isEnabled()) {
        ADD_FAILURE() << "the button " << name << " is disabled";
        return;
    }
    button->click();
}

void TestApp::trigger(const char *actionName) const
{
    auto *action = find<QAction>(actionName);
    if (!action)
        return;
    if (!action->isEnabled()) {
        ADD_FAILURE() << "the action " << actionName << " is disabled";
        return;
    }
    action->trigger();
}
