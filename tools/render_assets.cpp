// Draws the files that are made from the program's own code at build time:
// the icon theme's PNG images from the window icon's drawing, the splash
// picture, and the start page's colours from the skin.
#include "ui/program_icon.h"
#include "ui/skin.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QSaveFile>

#include <cstdio>

namespace {
bool writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    return true;
}

QByteArray skinCss(const Skin &skin)
{
    return QStringLiteral(":root {\n"
                          "  --back: %1;\n"
                          "  --fore: %2;\n"
                          "  --panel: %3;\n"
                          "  --panel-text: %4;\n"
                          "}\n")
        .arg(skin.backColor().name(), skin.foreColor().name(), skin.panelColor().name(), skin.panelTextColor().name())
        .toUtf8();
}
} // namespace

int main(int argc, char *argv[])
{
    // Pixmaps need a GUI application; a build machine may have no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER ICON-NAME\n", qPrintable(args.value(0)));
        return 2;
    }
    const QDir out(args[1]);
    const QString iconName = args[2];
    for (int size : { 16, 32, 48, 64, 128, 256 }) {
        const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(size);
        if (!out.mkpath(folder)) {
            std::fprintf(stderr, "%s: cannot create\n", qPrintable(out.filePath(folder)));
            return 1;
        }
        const QString path = out.filePath(folder + QLatin1Char('/') + iconName + QStringLiteral(".png"));
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !drawProgramIcon(size).save(&file, "PNG") || !file.commit()) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(file.errorString()));
            return 1;
        }
    }
    if (!out.mkpath(QStringLiteral("start"))
        || !writeFile(out.filePath(QStringLiteral("start/skin.css")), skinCss(Skin())))
        return 1;
    // The splash shows it at once instead of drawing it while the program starts.
    const QString splash = out.filePath(QStringLiteral("start/splash.png"));
    if (!drawProductPicture(kSplashPictureWidth, kSplashPictureHeight).save(splash, "PNG")) {
        std::fprintf(stderr, "%s: cannot write\n", qPrintable(splash));
        return 1;
    }
    return 0;
}
