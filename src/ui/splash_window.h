#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>

class Skin;

// The program starts here. The splash fixes the skin, shows its picture for
// 75 ticks of a 2 ms timer, then starts the main window and hides itself.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    // startMain creates, loads and shows the main window.
    explicit SplashWindow(std::function<void()> startMain, QWidget *parent = nullptr);
    void loadWindow();

    int ticks() const { return m_ticks; }
    int counter() const { return m_counter; }
    const QTimer &timer() const { return m_timer; }
    // How long the timer's fixed wait took, until the 75th tick.
    qint64 waitedMs() const { return m_waitedMs; }
    const Skin *skin() const { return m_skin; }

signals:
    void mainStarted();

private slots:
    void onTick();

private:
    std::function<void()> m_startMain;
    QTimer m_timer;
    const Skin *m_skin = nullptr;
    int m_counter = 0;
    int m_ticks = 0;
    QElapsedTimer m_wait;
    qint64 m_waitedMs = 0;
};
