#pragma once

#include "platform/desktop_services.h"

// The clipboard and the shell's default action for an address, on Qt.
class QtDesktopServices : public DesktopServices {
public:
    void setClipboardText(const QString &text) override;
    void openUrl(const QString &address) override;
};
