#pragma once

#include <QString>

// The web engine's sandbox refuses to start for root and takes the whole
// program down with it. For root it is turned off the way
// QTWEBENGINE_DISABLE_SANDBOX does; every other user keeps it.
// Must run before the application object is created. Says so once on
// standard error and returns the status-bar line; empty when the sandbox
// stays on.
QString prepareWebSandbox(bool runningAsRoot);

// The same for the real process: root is an effective user id of 0.
QString prepareWebSandbox();
