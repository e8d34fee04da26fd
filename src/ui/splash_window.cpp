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
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 460, 150);
    Image1->setPixmap(drawProductPicture(460, 150));
    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(10, 152, 440, 44);
    Label3->setWordWrap(true);
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setText(QStringLiteral("One message, every forum. Visit us for more free tools and "
                                   "independent music from Maven Row."));
    Timer2.setInterval(2);
    Timer2.setTimerType(Qt::PreciseTimer);
    connect(&Timer2, &QTimer::timeout, this, &SplashWindow::Timer2_Timer);
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
    Timer2.start();
}

void SplashWindow::Timer2_Timer()
{
    ++m_ticks;
    m_counter += 2;
    if (m_counter < 150)
        return;
    // The 75th tick.
    Timer2.stop();
    m_waitedMs = m_wait.elapsed();
    if (m_startMain)
        m_startMain();
    hide();
    emit mainStarted();
}
