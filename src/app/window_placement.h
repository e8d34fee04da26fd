#pragma once

class QWidget;
class SettingsStore;

// Where the main window opens. The first start opens it at the larger of its
// designed size and 80% of the screen, centred; later starts put it back
// where it was left, maximised or not, moved onto a screen if its old place
// is on none any more.
namespace WindowPlacement {

void restore(QWidget *window, const SettingsStore &settings);
void store(const QWidget *window, SettingsStore &settings);

} // namespace WindowPlacement
