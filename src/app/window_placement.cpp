#include "app/window_placement.h"

#include "app/window_layout.h"
#include "platform/settings_store.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace WindowPlacement {

namespace {
const QString kSection = QStringLiteral("Settings");
const QString kKey = QStringLiteral("windowGeometry");
} // namespace

void restore(QWidget *window, const SettingsStore &settings)
{
    const QByteArray saved = QByteArray::fromBase64(settings.read(kSection, kKey, QString()).toLatin1());
    // Qt moves a saved place that lies on no screen back onto one.
    if (!saved.isEmpty() && window->restoreGeometry(saved))
        return;
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QSize size(std::max(twipsToPixels(Design::windowWidth), available.width() * 8 / 10),
        std::max(twipsToPixels(Design::windowHeight), available.height() * 8 / 10));
    window->resize(size);
    window->move(available.center() - QPoint(size.width() / 2, size.height() / 2));
}

void store(const QWidget *window, SettingsStore &settings)
{
    settings.write(kSection, kKey, QString::fromLatin1(window->saveGeometry().toBase64()));
}

} // namespace WindowPlacement
