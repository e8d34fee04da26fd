#include "ui/splash_window.h"

#include "ui/program_icon.h"
#include "ui/skin.h"

#include <QLabel>

SplashWindow::SplashWindow(std::function<void()> startMain, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_startMain(std::move(startMain))
{
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(460, 200);
    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setGeometry(0, 0, 460, 150);
    picture->setPixmap(drawProductPicture(460, 150));
    auto *note = new QLabel(this);
    note->setObjectName(QStringLiteral("Label3"));
    note->setGeometry(10, 152, 440, 44);
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignCenter);
    note->setText(QStringLiteral("One message, every forum. Visit us for more free tools and "
                                 "independent music from Maven Row."));
    m_timer.setInterval(2);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SplashWindow::onTick);
}

void SplashWindow::loadWindow()
{
    static const Skin skin;
    m_skin = &skin;
    setCurrentSkin(&skin);
    applySkin(this);
    skinCompanion().operation1(&skin);
    skinCompanion().operation2();
    m_wait.start();
    m_timer.start();
}

void SplashWindow::onTick()
{
    ++m_ticks;
    m_counter += 2;
    if (m_counter < 150)
        return;
    // The 75th tick.
    m_timer.stop();
    m_waitedMs = m_wait.elapsed();
    if (m_startMain)
        m_startMain();
    hide();
    emit mainStarted();
}
