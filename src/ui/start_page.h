#pragma once

#include <QString>

// The page the browser shows first: it ships inside the program, so it needs
// no network and never fails.
QString startPageAddress();
