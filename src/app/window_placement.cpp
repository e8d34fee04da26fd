#include "app/window_placement.h"

#include "platform/settings_store.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QWidget>

namespace WindowPlacement {

namespace {

const QString kSection = QStringLiteral("Settings");
const QString kGeometry = QStringLiteral("windowGeometry");
const QString kSplitter = QStringLiteral("windowSplitter");
// The window's designed size, menu and status bar included.
constexpr QSize kDesignedSize(743, 619);
// The designed widths of the left column and the browser: proportions, not pixels.
constexpr int kLeftColumn = 3735;
constexpr int kBrowser = 6375;

QByteArray readBytes(const SettingsStore &settings, const QString &key)
{
    return QByteArray::fromBase64(settings.read(kSection, key, QString()).toLatin1());
}

void placeFirstTime(QWidget *window)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QSize size(std::max(kDesignedSize.width(), available.width() * 8 / 10),
        std::max(kDesignedSize.height(), available.height() * 8 / 10));
    window->resize(size);
    window->move(available.center() - QPoint(window->width() / 2, window->height() / 2));
}

} // namespace

void restore(QWidget *window, QSplitter *splitter, const SettingsStore &settings)
{
    const QByteArray saved = readBytes(settings, kGeometry);
    // Qt moves a saved place that lies on no screen back onto one.
    if (saved.isEmpty() || !window->restoreGeometry(saved))
        placeFirstTime(window);
    const QByteArray columns = readBytes(settings, kSplitter);
    if (!columns.isEmpty() && splitter->restoreState(columns))
        return;
    // The designed widths of the two columns, in proportion to the window's.
    const int width = window->width();
    splitter->setSizes({ width * kLeftColumn / (kLeftColumn + kBrowser), width * kBrowser / (kLeftColumn + kBrowser) });
}

void store(const QWidget *window, const QSplitter *splitter, SettingsStore &settings)
{
    settings.write(kSection, kGeometry, QString::fromLatin1(window->saveGeometry().toBase64()));
    settings.write(kSection, kSplitter, QString::fromLatin1(splitter->saveState().toBase64()));
}

} // namespace WindowPlacement
