#pragma once

#include "net/page_fetch.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QStringList>
#include <QTimer>

// Runs one fetch to its end and collects what it reported.
struct FetchOutcome {
    bool finished = false;
    bool failed = false;
    bool startError = false;
    qint64 bytes = -1;
    int number = 0;
    QString description;
    QStringList panel2;
    QStringList panel3;
};

inline FetchOutcome runFetch(PageFetch &fetch, const QString &address, int waitMs = 10000)
{
    FetchOutcome out;
    auto c1 = QObject::connect(&fetch, &PageFetch::statusText,
        [&](int panel, const QString &text) { (panel == 2 ? out.panel2 : out.panel3).append(text); });
    QSignalSpy finished(&fetch, &PageFetch::finished);
    QSignalSpy failed(&fetch, &PageFetch::failed);
    fetch.start(address);
    if (finished.isEmpty() && failed.isEmpty()) {
        QEventLoop loop;
        QTimer timer;
        QObject::connect(&fetch, &PageFetch::finished, &loop, &QEventLoop::quit);
        QObject::connect(&fetch, &PageFetch::failed, &loop, &QEventLoop::quit);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(waitMs);
        loop.exec();
    }
    QObject::disconnect(c1);
    if (!finished.isEmpty()) {
        out.finished = true;
        out.bytes = finished.first().at(0).toLongLong();
    }
    if (!failed.isEmpty()) {
        out.failed = true;
        out.startError = failed.first().at(0).toBool();
        out.number = failed.first().at(1).toInt();
        out.description = failed.first().at(2).toString();
    }
    return out;
}
