#pragma once

#include "net/page_fetch.h"

#include <QStatusBar>

class QLabel;
struct CheckFailure;

// The main window's status bar, with three panels. It decides where each
// report goes and how it reads: panel 1 carries results and how far a check
// run is, panel 2 an address or a fetch's step, panel 3 the download's
// progress. A notice (showMessage) hides the panels while it
// shows, so the two never draw over each other.
class StatusPanels : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusPanels(QWidget *parent = nullptr);

    QString text(int panel) const;
    // Panel 1's tip: the posts the last check run could not reach, and why.
    void setCheckFailures(const QList<CheckFailure> &failures);

public slots:
    void showResult(const QString &text);
    void showAddress(const QString &url);
    void showLoadStarted();
    void showPageLoaded();
    void showFetchStep(PageFetch::Step step);
    void showFetchProgress(qint64 bodyBytes, qint64 contentLength);
    void showMeasureCompleted();
    void showCheckProgress(int done, int total);
    void showCheckFinished(int newReplies, int notChecked);

private:
    void setText(int panel, const QString &text);
    void showPanels(bool shown);

    QList<QLabel *> m_panels;
};
