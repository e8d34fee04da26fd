#pragma once

#include "net/http_response_counter.h"
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
    QList<PageFetch::Step> steps;
    QStringList progress; // as the status bar words it
};

inline FetchOutcome runFetch(PageFetch &fetch, const QString &address, int waitMs = 10000)
{
    FetchOutcome out;
    auto c1 = QObject::connect(&fetch, &PageFetch::stepChanged, [&](PageFetch::Step step) { out.steps.append(step); });
    auto c2 = QObject::connect(&fetch, &PageFetch::progress, [&](qint64 bytes, qint64 contentLength) {
        out.progress.append(HttpResponseCounter::progressFor(
            bytes, contentLength, out.progress.isEmpty() ? QString() : out.progress.last()));
    });
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
    QObject::disconnect(c2);
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
