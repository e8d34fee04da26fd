#include "threads/thread_measurement.h"

#include "net/fetch_error.h"
#include "net/page_fetch.h"
#include "threads/line_diff.h"

#include <algorithm>

ThreadMeasurement::ThreadMeasurement(PageFetch &fetch, QObject *parent)
    : QObject(parent)
    , m_fetch(fetch)
    , m_fetchAlive(&fetch)
    , m_scanner([this](const ThreadPageScanner::Link &link) { onLink(link); })
{
    m_fetch.setBodySink([this](const char *data, qint64 size) {
        if (m_busy) {
            m_scanner.feed(data, size);
            m_text.feed(data, size);
        }
    });
    connect(&m_fetch, &PageFetch::finished, this, &ThreadMeasurement::onPageFinished);
    connect(&m_fetch, &PageFetch::failed, this, &ThreadMeasurement::onPageFailed);
}

ThreadMeasurement::~ThreadMeasurement()
{
    if (m_fetchAlive)
        m_fetch.setBodySink({});
}

void ThreadMeasurement::start(const QString &address)
{
    abandon();
    m_size = ThreadSize();
    m_links.reset();
    m_base.reset();
    m_known.clear();
    m_measured.clear();
    m_scanner.reset();
    m_text.take();
    m_numbers.clear();
    m_known.insert(ThreadLinks::keyOf(parseFetchAddress(address, m_fetch.defaultPort())));
    m_page = 1;
    m_pageAddress = address;
    m_busy = true;
    m_fetch.start(address);
}

void ThreadMeasurement::abandon()
{
    m_busy = false;
    m_queue.clear();
    m_fetch.abandon();
}

void ThreadMeasurement::noteWatchedPage()
{
    // Links are judged against the watched page where it ended up, after its redirects.
    if (m_links)
        return;
    m_links.emplace(m_fetch.currentAddress(), m_fetch.defaultPort());
    m_known.insert(ThreadLinks::keyOf(m_fetch.currentAddress()));
    m_size.lastPage = m_links->watchedNumber();
    m_pageNumber = m_links->watchedNumber();
}

void ThreadMeasurement::onLink(const ThreadPageScanner::Link &link)
{
    if (m_page == 1)
        noteWatchedPage();
    const FetchAddress &pageAddress = m_fetch.currentAddress();
    if (link.kind == ThreadPageScanner::Link::Kind::Base) {
        if (!m_base)
            m_base = m_links->resolve(pageAddress, link.href.toByteArray());
        return;
    }
    // A <link> names the thread's next page only with rel="next"; others are
    // style sheets, feeds and icons.
    if (link.kind == ThreadPageScanner::Link::Kind::LinkTag && !link.relNext)
        return;
    const std::optional<ThreadLinks::Page> page
        = m_links->pageOf(m_base ? *m_base : pageAddress, link.href, link.relNext);
    if (!page)
        return;
    m_size.lastPage = std::max(m_size.lastPage, page->number);
    if (m_known.contains(page->key))
        return;
    if (m_page + m_queue.size() >= kMaxPages) {
        m_size.capped = true;
        return;
    }
    m_known.insert(page->key);
    m_queue.append(*page);
}

bool ThreadMeasurement::showsAPageMeasured(const QByteArray &text) const
{
    // Only the bare address and a numbered first page can be one page.
    auto first = [](qint64 number) { return number == 0 || number == 1; };
    std::optional<TextLines> lines;
    for (qsizetype i = 0; i < m_numbers.size(); ++i) {
        const bool pair = (m_pageNumber < 0 && first(m_numbers[i])) || (first(m_pageNumber) && m_numbers[i] < 0);
        if (!pair)
            continue;
        if (!lines)
            lines.emplace(text);
        if (LineDiff::likeness(TextLines(m_size.text[i].lines), *lines) >= kSamePage)
            return true;
    }
    return false;
}

void ThreadMeasurement::onPageFinished(qint64 bytes)
{
    if (!m_busy)
        return;
    const int status = m_fetch.statusCode();
    const bool success = status >= 200 && status <= 299;
    if (m_page == 1) {
        noteWatchedPage();
        m_size.firstPageBytes = bytes;
        m_size.firstPageOk = success;
    } else if (!success) {
        return failPage(FetchError::PageStatus, FetchError::pageStatusText(status));
    }
    const QByteArray text = m_text.take();
    // Two links that end up on one page (page=1 sent on to the thread's
    // address) count it once.
    const QString landed = ThreadLinks::keyOf(m_fetch.currentAddress());
    if (!m_measured.contains(landed) && !showsAPageMeasured(text)) {
        m_measured.insert(landed);
        m_known.insert(landed);
        m_size.bytes += bytes;
        ++m_size.pages;
        m_size.text.append({ landed, text });
        m_numbers.append(m_pageNumber);
    }
    fetchNext();
}

void ThreadMeasurement::fetchNext()
{
    m_scanner.reset();
    m_text.take();
    m_base.reset();
    if (m_queue.isEmpty()) {
        m_busy = false;
        emit finished(m_size);
        return;
    }
    const ThreadLinks::Page next = m_queue.takeFirst();
    ++m_page;
    m_pageNumber = next.number;
    m_pageAddress = fetchAddressText(next.address);
    emit pageStarted(m_page, m_page + static_cast<int>(m_queue.size()));
    m_fetch.start(m_pageAddress);
}

void ThreadMeasurement::onPageFailed(bool startError, int number, const QString &description)
{
    if (!m_busy)
        return;
    if (m_page > 1)
        return failPage(number, description);
    m_busy = false;
    m_queue.clear();
    m_text.take();
    emit failed(startError, number, description);
}

void ThreadMeasurement::failPage(int number, const QString &description)
{
    m_busy = false;
    m_queue.clear();
    m_text.take();
    m_fetch.abandon();
    emit failed(false, number, tr("%1 (page %2 of the thread, %3)").arg(description).arg(m_page).arg(m_pageAddress));
}
