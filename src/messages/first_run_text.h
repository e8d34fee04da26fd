#pragma once

#include <QString>

// What the message box shows before any message was stored: twelve lines,
// each ended by CR LF.
QString firstRunText();
