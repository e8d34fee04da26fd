#include "ui/splash_window.h"

#include "ui/program_icon.h"
#include "ui/skin.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// Where the splash is never painted (no screen shows it), the program starts anyway.
constexpr int kLatestStartMs = 1000;
} // namespace

SplashWindow::SplashWindow(std::function<void()> startMain, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_startMain(std::move(startMain))
{
    setObjectName(QStringLiteral("frmSplash"));
    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    // Drawn at build time; a program built without the picture draws it now.
    QPixmap art(QStringLiteral(":/art/splash.png"));
    if (art.isNull())
        art = drawProductPicture(kSplashPictureWidth, kSplashPictureHeight);
    picture->setPixmap(art);
    auto *note = new QLabel(this);
    note->setObjectName(QStringLiteral("Label3"));
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignCenter);
    note->setText(QStringLiteral("One message, every forum. Visit us for more free tools and "
                                 "independent music from Maven Row."));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 6);
    column->addWidget(picture);
    column->addWidget(note);
    setFixedWidth(kSplashPictureWidth);
}

void SplashWindow::loadWindow()
{
    static const Skin skin;
    m_skin = &skin;
    setCurrentSkin(&skin);
    applySkin(this);
    QTimer::singleShot(kLatestStartMs, this, &SplashWindow::startMain);
}

void SplashWindow::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    // Once the picture is on the screen: the main window's start-up takes a
    // moment, and the splash is what the user sees meanwhile.
    if (!m_started)
        QTimer::singleShot(0, this, &SplashWindow::startMain);
}

void SplashWindow::startMain()
{
    if (m_started)
        return;
    m_started = true;
    if (m_startMain)
        m_startMain();
    hide();
    emit mainStarted();
}
