#pragma once

#include "net/page_fetch.h"
#include "threads/page_text.h"
#include "threads/thread_links.h"
#include "threads/thread_page_scanner.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

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

// Measures a watched thread over all its pages: the watched page first,
// scanned for links to the thread's other pages as it arrives (see
// ThreadLinks), then each page found, with the pages found on those, up to
// kMaxPages. A thread without other pages is the one fetch it always was.
// Pages already known may be fetched side by side (setParallelPages), on
// channels made like the watched page's; each page is still taken in the
// order a measure of one page at a time takes it, its links, its text and
// its failure alike, so the result never depends on which answer came first.
// Any page that fails fails the whole measurement, as does a later page that
// answers with anything but success: a sum without one of its pages would
// look like lost replies. The watched page counts whatever its status, as it
// always did.
//
// A thread's first page is often linked both bare and numbered ("?page=1",
// "start=0"); when the two show the same text they are one page. Their texts
// decide, not their addresses: some forums count pages from 0, so their
// "?page=1" is the second page.
class ThreadMeasurement : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxPages = 50;
    // The text kept of a thread: 50 pages of 160 KB. A thread past it keeps
    // the start of the page that reaches it and no text of the pages after.
    static constexpr qint64 kMaxThreadText = 8 * 1024 * 1024;
    // Two pages whose lines share this much of their text are one page shown twice.
    static constexpr double kSamePage = 0.9;

    explicit ThreadMeasurement(PageFetch &fetch, QObject *parent = nullptr);
    ~ThreadMeasurement() override;

    // How many pages are fetched at once; 1 unless set. A change counts at once.
    void setParallelPages(int count);
    // Starts anew, abandoning a measurement still running.
    void start(const QString &address);
    void abandon();
    bool isBusy() const { return m_busy; }

signals:
    void finished(const ThreadSize &size);
    void failed(bool startError, int number, const QString &description);
    // What the fetches of the thread's pages do.
    void fetchStep(PageFetch::Step step);
    void fetchProgress(qint64 bodyBytes, qint64 contentLength);

private:
    // A page of the thread, from its start until it is taken.
    struct Page {
        enum class State { Fetching, Done, Failed };
        State state = State::Fetching;
        int index = 0; // counting from 1, in the order the pages are started
        qint64 number = -1; // the number its address carries, -1 for none
        QString address;
        std::optional<FetchAddress> base; // its <base>
        QList<ThreadLinks::Page> links; // the thread's pages it links, first mention first
        qint64 lastPage = -1; // the highest page number among its links
        qint64 bytes = 0;
        int status = 0;
        QString landed; // the key of where it ended up, after redirects
        QByteArray text;
        bool cut = false; // its text stopped at the page's cap
        bool startError = false;
        int errorNumber = 0;
        QString errorDescription;
    };
    // A fetch with what reads its page as it arrives.
    struct Channel {
        PageFetch *fetch = nullptr;
        ThreadPageScanner scanner;
        PageText text;
        Page *page = nullptr; // the page it fetches; none while it is free
    };
    struct Outcome {
        bool ok = false;
        bool startError = false;
        int number = 0;
        QString description;
    };

    void addChannel(PageFetch *fetch);
    Channel *freeChannel();
    void startPage(Channel &channel, Page &page);
    void onLink(Channel &channel, const ThreadPageScanner::Link &link);
    void onPageFinished(Channel &channel, qint64 bytes);
    void onPageFailed(Channel &channel, bool startError, int number, const QString &description);
    void noteWatchedPage(const PageFetch &fetch, Page &page);
    void settle();
    std::optional<Outcome> takeEndedPages();
    void takeLinks(const Page &page);
    void keepText(const Page &page);
    void fetchMore();
    bool showsAPageMeasured(qint64 number, const QByteArray &text) const;
    void stopChannels();

    PageFetch &m_fetch;
    QPointer<PageFetch> m_fetchAlive; // the channel may go first
    std::vector<std::unique_ptr<Channel>> m_channels; // the first on m_fetch
    std::deque<Page> m_pages; // started and not yet taken, in order
    QList<ThreadLinks::Page> m_queue; // found and not yet started
    QList<qint64> m_numbers; // the page number each page of m_size.text was reached by
    std::optional<ThreadLinks> m_links;
    QSet<QString> m_known; // pages fetched or waiting, by key
    QSet<QString> m_measured; // pages counted, by the key of where they ended up
    ThreadSize m_size;
    qint64 m_textBytes = 0; // of m_size.text
    int m_started = 0; // pages started
    int m_parallel = 1;
    bool m_busy = false;
    bool m_settling = false;
    bool m_unsettled = false; // a page ended while settling
};
