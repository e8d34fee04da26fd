#pragma once

#include <QString>

class MainWindow;

// For `make screenshots`: shows the main window and the side windows one by
// one, saves a picture of the screen for each into folder, then quits.
void runScreenshotTour(MainWindow *main, const QString &folder);
