#pragma once

#include <QString>

// The clipboard and the system's browser, behind one seam so tests can record them.
class DesktopServices {
public:
    virtual ~DesktopServices() = default;
    virtual void setClipboardText(const QString &text) = 0;
    virtual void openUrl(const QString &address) = 0;
};
