#pragma once

#include "app/app_services.h"
#include "app/main_window.h"
#include "support/fake_browser.h"
#include "support/memory_settings_store.h"
#include "support/recorders.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// A control of a window by its name.
template <typename T = QWidget> T *findControl(const QObject *window, const QString &name)
{
    T *w = window->findChild<T *>(name);
    if (!w)
        ADD_FAILURE() << "no control named " << name.toStdString();
    return w;
}

// A main window on a temporary data folder, in-memory settings and
// recorders, with a fake browser unless a factory is given.
struct TestApp {
    QTemporaryDir dir;
    MemorySettingsStore settings;
    RecordingDialogs dialogs;
    RecordingDesktop desktop;
    RecordingNotifier notifier;
    std::unique_ptr<MainWindow> window;
    FakeBrowser *fake = nullptr;
    // The keyring the window is given; none answers unless a test sets one.
    PasswordStore *keyring = nullptr;

    AppServices services(std::function<WebBrowser *(QObject *)> factory = {});
    // Creates the window and runs its load sequence.
    MainWindow &start(std::function<WebBrowser *(QObject *)> factory = {});
    // Starts a window whose every command can do something, shown and
    // active: a message with a link in ubb, a subject, a watched post, a
    // forum with its login selected and its page shown, history both ways,
    // and a help file.
    MainWindow &startWithEverything();
    QString path(const QString &name) const { return dir.filePath(name); }
    QByteArray readFile(const QString &name) const;
    void writeFile(const QString &name, const QByteArray &bytes) const;

    // Controls of the window, found by name as a user finds them on screen.
    template <typename T = QWidget> T *find(const char *name) const { return findControl<T>(window.get(), name); }
    // A button by its object name, an action by the name of what it does.
    void click(const char *name) const;
    void trigger(const char *actionName) const;
};
