#pragma once

#include "threads/page_text.h"
#include "threads/thread_links.h"
#include "threads/thread_page_scanner.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <optional>

class PageFetch;

// What a thread measured.
struct ThreadSize {
    qint64 bytes = 0; // the body bytes of all its pages together
    qint64 firstPageBytes = 0; // the watched page alone
    bool firstPageOk = true; // the watched page answered with success
    int pages = 0;
    // More pages were found than are measured: the sum covers some of them.
    bool capped = false;
    qint64 lastPage = -1; // the highest page number among the thread's links
    ThreadText text; // what each measured page says, in the order they were measured
};

// Measures a watched thread over all its pages with one fetch channel: the
// watched page first, scanned for links to the thread's other pages as it
// arrives (see ThreadLinks), then each page found, one at a time, with the
// pages found on those, up to kMaxPages. A thread without other pages is the
// one fetch it always was. Any page that fails fails the whole measurement,
// as does a later page that answers with anything but success: a sum without
// one of its pages would look like lost replies. The watched page counts
// whatever its status, as it always did.
//
// A thread's first page is often linked both bare and numbered ("?page=1",
// "start=0"); when the two show the same text they are one page. Their texts
// decide, not their addresses: some forums count pages from 0, so their
// "?page=1" is the second page.
class ThreadMeasurement : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxPages = 50;
    // Two pages whose lines share this much of their text are one page shown twice.
    static constexpr double kSamePage = 0.9;

    explicit ThreadMeasurement(PageFetch &fetch, QObject *parent = nullptr);
    ~ThreadMeasurement() override;

    // Starts anew, abandoning a measurement still running.
    void start(const QString &address);
    void abandon();
    bool isBusy() const { return m_busy; }

signals:
    // Page 2 and on: the page now fetched, counting from 1, of the pages known so far.
    void pageStarted(int page, int pagesKnown);
    void finished(const ThreadSize &size);
    void failed(bool startError, int number, const QString &description);

private:
    void onLink(const ThreadPageScanner::Link &link);
    void onPageFinished(qint64 bytes);
    void onPageFailed(bool startError, int number, const QString &description);
    void noteWatchedPage();
    void fetchNext();
    bool showsAPageMeasured(const QByteArray &text) const;
    void failPage(int number, const QString &description);

    PageFetch &m_fetch;
    QPointer<PageFetch> m_fetchAlive; // the channel may go first
    ThreadPageScanner m_scanner;
    PageText m_text;
    QList<qint64> m_numbers; // the page number each page of m_size.text was reached by
    std::optional<ThreadLinks> m_links;
    std::optional<FetchAddress> m_base; // the <base> of the page being fetched
    QList<ThreadLinks::Page> m_queue;
    QSet<QString> m_known; // pages fetched or waiting, by key
    QSet<QString> m_measured; // pages counted, by the key of where they ended up
    QString m_pageAddress;
    ThreadSize m_size;
    int m_page = 0; // the page being fetched, counting from 1
    qint64 m_pageNumber = -1; // the number its address carries, -1 for none
    bool m_busy = false;
};
