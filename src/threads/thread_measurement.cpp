#include "threads/thread_measurement.h"

#include "net/fetch_error.h"
#include "threads/line_diff.h"

#include <algorithm>

ThreadMeasurement::ThreadMeasurement(PageFetch &fetch, QObject *parent)
    : QObject(parent)
    , m_fetch(fetch)
    , m_fetchAlive(&fetch)
{
    addChannel(&fetch);
}

ThreadMeasurement::~ThreadMeasurement()
{
    // The other channels are this object's own and go with it.
    stopChannels();
    if (m_fetchAlive)
        m_fetch.setBodySink({});
}

void ThreadMeasurement::addChannel(PageFetch *fetch)
{
    auto owned = std::make_unique<Channel>();
    Channel *channel = owned.get();
    channel->fetch = fetch;
    channel->scanner
        = ThreadPageScanner([this, channel](const ThreadPageScanner::Link &link) { onLink(*channel, link); });
    fetch->setBodySink([channel](const char *data, qint64 size) {
        if (channel->page) {
            channel->scanner.feed(data, size);
            channel->text.feed(data, size);
        }
    });
    connect(fetch, &PageFetch::finished, this, [this, channel](qint64 bytes) { onPageFinished(*channel, bytes); });
    connect(fetch, &PageFetch::failed, this, [this, channel](bool startError, int number, const QString &description) {
        onPageFailed(*channel, startError, number, description);
    });
    connect(fetch, &PageFetch::stepChanged, this, &ThreadMeasurement::fetchStep);
    connect(fetch, &PageFetch::progress, this, &ThreadMeasurement::fetchProgress);
    m_channels.push_back(std::move(owned));
}

void ThreadMeasurement::setParallelPages(int count)
{
    m_parallel = std::max(1, count);
    if (m_busy)
        settle();
}

void ThreadMeasurement::start(const QString &address)
{
    abandon();
    m_size = ThreadSize();
    m_textBytes = 0;
    m_links.reset();
    m_known.clear();
    m_measured.clear();
    m_numbers.clear();
    m_known.insert(ThreadLinks::keyOf(parseFetchAddress(address, m_fetch.defaultPort())));
    m_started = 1;
    m_busy = true;
    Page &first = m_pages.emplace_back();
    first.index = 1;
    first.address = address;
    startPage(*m_channels.front(), first);
}

void ThreadMeasurement::abandon()
{
    m_busy = false;
    stopChannels();
    m_pages.clear();
    m_queue.clear();
}

void ThreadMeasurement::stopChannels()
{
    for (const auto &channel : m_channels) {
        channel->page = nullptr;
        // The watched page's channel may be gone before this measurement.
        if (channel->fetch != &m_fetch || m_fetchAlive)
            channel->fetch->abandon();
    }
}

ThreadMeasurement::Channel *ThreadMeasurement::freeChannel()
{
    for (const auto &channel : m_channels)
        if (!channel->page)
            return channel.get();
    auto *fetch = new PageFetch(this);
    addChannel(fetch);
    return m_channels.back().get();
}

void ThreadMeasurement::startPage(Channel &channel, Page &page)
{
    channel.page = &page;
    channel.scanner.reset();
    channel.text.take();
    if (channel.fetch != &m_fetch)
        channel.fetch->takeSettingsOf(m_fetch);
    // A page that cannot start reports before start() returns.
    channel.fetch->start(page.address);
}

void ThreadMeasurement::noteWatchedPage(const PageFetch &fetch, Page &page)
{
    // Links are judged against the watched page where it ended up, after its redirects.
    if (m_links)
        return;
    m_links.emplace(fetch.currentAddress(), fetch.defaultPort());
    m_known.insert(ThreadLinks::keyOf(fetch.currentAddress()));
    m_size.lastPage = m_links->watchedNumber();
    page.number = m_links->watchedNumber();
}

void ThreadMeasurement::onLink(Channel &channel, const ThreadPageScanner::Link &link)
{
    Page *page = channel.page;
    if (!page || !m_busy)
        return;
    if (page->index == 1)
        noteWatchedPage(*channel.fetch, *page);
    const FetchAddress &pageAddress = channel.fetch->currentAddress();
    if (link.kind == ThreadPageScanner::Link::Kind::Base) {
        if (!page->base)
            page->base = m_links->resolve(pageAddress, link.href.toByteArray());
        return;
    }
    // A <link> names the thread's next page only with rel="next"; others are
    // style sheets, feeds and icons.
    if (link.kind == ThreadPageScanner::Link::Kind::LinkTag && !link.relNext)
        return;
    std::optional<ThreadLinks::Page> found
        = m_links->pageOf(page->base ? *page->base : pageAddress, link.href, link.relNext);
    if (!found)
        return;
    page->lastPage = std::max(page->lastPage, found->number);
    // Kept until the page's turn: the pages it adds depend on those taken before it.
    const bool mentioned = std::any_of(
        page->links.cbegin(), page->links.cend(), [&found](const ThreadLinks::Page &p) { return p.key == found->key; });
    if (!mentioned)
        page->links.append(std::move(*found));
}

void ThreadMeasurement::onPageFinished(Channel &channel, qint64 bytes)
{
    Page *page = channel.page;
    if (!page || !m_busy)
        return;
    channel.page = nullptr;
    if (page->index == 1)
        noteWatchedPage(*channel.fetch, *page);
    page->state = Page::State::Done;
    page->bytes = bytes;
    page->status = channel.fetch->statusCode();
    page->landed = ThreadLinks::keyOf(channel.fetch->currentAddress());
    page->text = channel.text.take(&page->cut);
    settle();
}

void ThreadMeasurement::onPageFailed(Channel &channel, bool startError, int number, const QString &description)
{
    Page *page = channel.page;
    if (!page || !m_busy)
        return;
    channel.page = nullptr;
    channel.text.take();
    page->state = Page::State::Failed;
    page->startError = startError;
    page->errorNumber = number;
    page->errorDescription = description;
    settle();
}

void ThreadMeasurement::settle()
{
    // A page that fails at its start reports inside fetchMore: loop here.
    if (m_settling) {
        m_unsettled = true;
        return;
    }
    m_settling = true;
    std::optional<Outcome> outcome;
    do {
        m_unsettled = false;
        outcome = takeEndedPages();
        if (!outcome)
            fetchMore();
    } while (!outcome && m_unsettled);
    m_settling = false;
    if (!outcome)
        return;
    // Told last: a receiver may start the next measurement at once.
    if (outcome->ok) {
        m_busy = false;
        emit finished(m_size);
        return;
    }
    abandon();
    emit failed(outcome->startError, outcome->number, outcome->description);
}

std::optional<ThreadMeasurement::Outcome> ThreadMeasurement::takeEndedPages()
{
    while (!m_pages.empty() && m_pages.front().state != Page::State::Fetching) {
        const Page &page = m_pages.front();
        auto pageFailure = [&page](int number, const QString &description) {
            return Outcome { false, false, number,
                tr("%1 (page %2 of the thread, %3)").arg(description).arg(page.index).arg(page.address) };
        };
        if (page.state == Page::State::Failed) {
            if (page.index == 1)
                return Outcome { false, page.startError, page.errorNumber, page.errorDescription };
            return pageFailure(page.errorNumber, page.errorDescription);
        }
        const bool success = page.status >= 200 && page.status <= 299;
        if (page.index == 1) {
            m_size.firstPageBytes = page.bytes;
            m_size.firstPageOk = success;
        } else if (!success) {
            return pageFailure(FetchError::PageStatus, FetchError::pageStatusText(page.status));
        }
        takeLinks(page);
        // Two links that end up on one page (page=1 sent on to the thread's
        // address) count it once.
        if (!m_measured.contains(page.landed) && !showsAPageMeasured(page.number, page.text)) {
            m_measured.insert(page.landed);
            m_known.insert(page.landed);
            m_size.bytes += page.bytes;
            ++m_size.pages;
            keepText(page);
            m_numbers.append(page.number);
        }
        m_pages.pop_front();
    }
    if (m_pages.empty() && m_queue.isEmpty())
        return Outcome { true, false, 0, QString() };
    return std::nullopt;
}

void ThreadMeasurement::keepText(const Page &page)
{
    ThreadPageText text { page.landed, page.text, page.cut };
    const qint64 room = kMaxThreadText - m_textBytes;
    if (text.lines.size() > room) {
        // Whole lines only; the page stays, so its place in the thread is kept.
        text.lines.truncate(room > 0 ? text.lines.lastIndexOf('\n', room - 1) + 1 : 0);
        text.cut = true;
    }
    m_textBytes += text.lines.size();
    m_size.text.append(std::move(text));
}

void ThreadMeasurement::takeLinks(const Page &page)
{
    m_size.lastPage = std::max(m_size.lastPage, page.lastPage);
    for (const ThreadLinks::Page &link : page.links) {
        if (m_known.contains(link.key))
            continue;
        // Pages started and pages waiting: as many as a measure one page at a time would have.
        if (m_started + m_queue.size() >= kMaxPages) {
            m_size.capped = true;
            continue;
        }
        m_known.insert(link.key);
        m_queue.append(link);
    }
}

void ThreadMeasurement::fetchMore()
{
    // Pages that wait for their turn keep their text: a slow page holds back only so many.
    auto fetching = [this] {
        return std::count_if(
            m_channels.cbegin(), m_channels.cend(), [](const auto &channel) { return channel->page != nullptr; });
    };
    while (m_busy && !m_queue.isEmpty() && fetching() < m_parallel
        && m_pages.size() < 2 * static_cast<size_t>(m_parallel)) {
        const ThreadLinks::Page next = m_queue.takeFirst();
        Page &page = m_pages.emplace_back();
        page.index = ++m_started;
        page.number = next.number;
        page.address = fetchAddressText(next.address);
        startPage(*freeChannel(), page);
    }
}

bool ThreadMeasurement::showsAPageMeasured(qint64 number, const QByteArray &text) const
{
    // Only the bare address and a numbered first page can be one page.
    auto first = [](qint64 n) { return n == 0 || n == 1; };
    std::optional<TextLines> lines;
    for (qsizetype i = 0; i < m_numbers.size(); ++i) {
        const bool pair = (number < 0 && first(m_numbers[i])) || (first(number) && m_numbers[i] < 0);
        if (!pair)
            continue;
        if (!lines)
            lines.emplace(text);
        if (LineDiff::likeness(TextLines(m_size.text[i].lines), *lines) >= kSamePage)
            return true;
    }
    return false;
}
