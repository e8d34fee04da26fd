#pragma once

#include <QWidget>

#include <functional>

class Skin;

// The program starts here. The splash fixes the skin and shows its picture;
// as soon as it is on the screen it starts the main window, whose start-up
// it covers, and hides itself.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    // startMain creates, loads and shows the main window.
    explicit SplashWindow(std::function<void()> startMain, QWidget *parent = nullptr);
    void loadWindow();

    const Skin *skin() const { return m_skin; }

signals:
    void mainStarted();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void startMain();

    std::function<void()> m_startMain;
    const Skin *m_skin = nullptr;
    bool m_started = false;
};
