#pragma once

#include "platform/data_folder.h"

#include <QString>
#include <QStringList>

#include <functional>

class DesktopServices;
class DialogService;
class Notifier;
class PasswordStore;
class QObject;
class SettingsStore;
class WebBrowser;

// What the main window is given to work with. The program passes the real
// services; tests pass recorders, a temporary folder and a loopback home page.
struct AppServices {
    SettingsStore *settings = nullptr;
    DataFolder folder { QString() };
    // Why the data folder cannot be used, naming it; empty when it can.
    QString folderProblem;
    DialogService *dialogs = nullptr;
    DesktopServices *desktop = nullptr;
    // Tells of new replies found by a scheduled check; none: nobody is told.
    Notifier *notifier = nullptr;
    std::function<WebBrowser *(QObject *parent)> createBrowser;
    QString homePage; // empty: the start page that ships with the program
    QString helpFile; // empty: Help.rtf in the data folder
    // Said once in the status bar when the window opens: where the data went, a sandbox turned off.
    QStringList startupNotices;
    // The system keyring when one answered at start-up, else null: passwords stay in posts2.txt.
    PasswordStore *keyring = nullptr;
};
