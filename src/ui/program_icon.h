#pragma once

#include <QIcon>
#include <QPixmap>

// The program's icon group "AAA", drawn at 16, 24, 32, 48, 64 and 128 pixels.
QIcon programIcon(const QString &name = QStringLiteral("AAA"));
QPixmap drawProgramIcon(int size);
// The splash and About picture.
QPixmap drawProductPicture(int width, int height);

// The splash's picture, drawn at build time as ":/art/splash.png".
constexpr int kSplashPictureWidth = 460;
constexpr int kSplashPictureHeight = 150;
