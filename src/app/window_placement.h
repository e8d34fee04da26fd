#pragma once

class QSplitter;
class QWidget;
class SettingsStore;

// Where the main window opens, and where its splitter stands. The first
// start opens it at the larger of its designed size and 80% of the screen,
// centred; later starts put it back where it was left, maximised or not,
// moved onto a screen if its old place is on none any more, with the
// columns as wide as they were.
namespace WindowPlacement {

void restore(QWidget *window, QSplitter *splitter, const SettingsStore &settings);
void store(const QWidget *window, const QSplitter *splitter, SettingsStore &settings);

} // namespace WindowPlacement
