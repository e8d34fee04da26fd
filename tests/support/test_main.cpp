// Every test binary starts here. Tests run headless, with their own
// temporary config and data folders, so the real user's settings are never
// touched.
#include <gtest/gtest.h>

#ifdef POSTMAVEN_TEST_GUI
#include <QApplication>
#endif
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>

int main(int argc, char **argv)
{
    // Test discovery runs the binary too: set what CTest would set.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-background-networking --disable-component-update", 0);
    QTemporaryDir home;
    const QByteArray base = home.path().toLocal8Bit();
    for (const char *dir : { "config", "data", "cache", "runtime" })
        QDir().mkpath(home.path() + QLatin1Char('/') + QLatin1String(dir));
    setenv("XDG_CONFIG_HOME", (base + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (base + "/data").constData(), 1);
    setenv("XDG_CACHE_HOME", (base + "/cache").constData(), 1);
    setenv("XDG_RUNTIME_DIR", (base + "/runtime").constData(), 1);
    setenv("HOME", base.constData(), 1);

    testing::InitGoogleTest(&argc, argv);
#ifdef POSTMAVEN_TEST_GUI
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
#else
    // Logic tests need an event loop for sockets and timers, never a display.
    QCoreApplication app(argc, argv);
#endif
    QCoreApplication::setApplicationName(QStringLiteral("PostmavenTests"));
    return RUN_ALL_TESTS();
}
