#pragma once

#include <QStatusBar>

class QLabel;
struct CheckFailure;

// The main window's status bar, with three panels. It decides where each
// report goes: panel 1 carries
// results, panel 2 an address or the connection's step, panel 3 the
// download's progress. A notice (showMessage) hides the panels while it
// shows, so the two never draw over each other.
class StatusPanels : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusPanels(QWidget *parent = nullptr);

    QString text(int panel) const;
    // Panel 1's tip: the posts the last check run could not reach, and why.
    void setCheckFailures(const QList<CheckFailure> &failures);

public slots:
    void setText(int panel, const QString &text);
    void showResult(const QString &text);
    void showAddress(const QString &url);
    void showLoadStarted();
    void showPageLoaded();

private:
    void showPanels(bool shown);

    QList<QLabel *> m_panels;
};
