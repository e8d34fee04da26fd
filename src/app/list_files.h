#pragma once

#include "app/app_services.h"

#include <memory>

class DataLock;
class QWidget;
class ForumStore;
class WatchStore;

// The main window's data files at start-up and at the end.
namespace ListFiles {

// The data folder's lock, taken before the lists are read and let go after
// they are written at the end: postmaven-cli then never changes them while
// the window has them. When it cannot be had, a start-up notice says why.
// Once it is held, temporary files left by cut-short writes are removed.
std::unique_ptr<DataLock> lock(AppServices &services);

// Creates each missing data file with one empty line. One box says which
// could not be created, or that the data folder itself cannot be used.
void createMissing(const AppServices &services, QWidget *window);

// Reads the three list files into the stores; each one that cannot be read is
// reported in a box, starts as an empty list and is left as it is.
void read(WatchStore &store, ForumStore &forums, const AppServices &services, QWidget *window);

enum class Asking { User, Nobody };
// Writes posts.txt, sizes.txt and posts2.txt. When one cannot be written
// and a user is there, a box offers Retry and Cancel (false); with nobody to
// ask, each failure is reported on standard error and the end goes on.
bool writeAtTheEnd(WatchStore &store, ForumStore &forums, const AppServices &services, QWidget *window, Asking asking);

} // namespace ListFiles
