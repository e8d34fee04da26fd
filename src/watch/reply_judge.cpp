#include "watch/reply_judge.h"

#include "platform/data_folder.h"
#include "threads/line_diff.h"
#include "watch/watched_posts_model.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>

#include <vector>

namespace {

// Lines of the kept text removed and lines of the text now put in their
// place, on one page; a page new since then is one hunk of all its lines,
// a page gone one of all its old lines.
struct Hunk {
    int oldPage = -1;
    int newPage = -1;
    LineDiff::Hunk lines;
    bool wholeNewPage = false;
    qsizetype removed() const { return lines.oldCount; }
    qsizetype inserted() const { return lines.newCount; }
};

// Lines that moved: inserted in a hunk that grew and removed in one that
// shrank, as a post that passed from one page to the next. Each hunk gives or
// takes no more than its growth or its loss, so text changed in place is never
// read as a move; a move is found as a run of lines in order, so the lines
// every post shows (buttons, marks) go with their own post.
class Moves {
public:
    Moves(const QList<Hunk> &hunks, const QList<TextLines> &oldLines, const QList<TextLines> &newLines)
        : m_hunks(hunks)
        , m_old(oldLines)
        , m_new(newLines)
        , m_capacity(static_cast<size_t>(hunks.size()), 0)
        , m_used(static_cast<size_t>(hunks.size()))
    {
        for (int h = 0; h < hunks.size(); ++h) {
            const Hunk &hunk = hunks[h];
            if (hunk.removed() <= hunk.inserted())
                continue;
            m_capacity[static_cast<size_t>(h)] = hunk.removed() - hunk.inserted();
            m_used[static_cast<size_t>(h)].assign(static_cast<size_t>(hunk.removed()), false);
            for (qsizetype j = 0; j < hunk.removed(); ++j) {
                QList<int> &holders = m_holders[removedHash(h, j)];
                if (holders.isEmpty() || holders.last() != h)
                    holders.append(h);
            }
        }
    }

    // Which inserted lines of hunk h, which grew, moved from elsewhere.
    std::vector<bool> movedInto(int h)
    {
        const Hunk &hunk = m_hunks[h];
        std::vector<bool> moved(static_cast<size_t>(hunk.inserted()), false);
        qsizetype left = hunk.inserted() - hunk.removed();
        while (left > 0 && m_budget > 0) {
            QList<qsizetype> rest; // offsets of the lines not yet matched
            QSet<int> sources;
            for (qsizetype j = 0; j < hunk.inserted(); ++j) {
                if (moved[static_cast<size_t>(j)])
                    continue;
                rest.append(j);
                for (const int source : m_holders.value(insertedHash(h, j)))
                    if (m_capacity[static_cast<size_t>(source)] > 0)
                        sources.insert(source);
            }
            int best = -1;
            QList<QPair<qsizetype, qsizetype>> bestPairs;
            for (const int source : std::as_const(sources)) {
                if (--m_budget <= 0)
                    break;
                QList<QPair<qsizetype, qsizetype>> pairs = runs(source, h, rest);
                pairs = pairs.mid(0, std::min({ pairs.size(), m_capacity[static_cast<size_t>(source)], left }));
                if (pairs.size() > bestPairs.size()) {
                    best = source;
                    bestPairs = pairs;
                }
            }
            if (best < 0)
                break;
            for (const auto &[removed, inserted] : std::as_const(bestPairs)) {
                m_used[static_cast<size_t>(best)][static_cast<size_t>(removed)] = true;
                moved[static_cast<size_t>(inserted)] = true;
            }
            m_capacity[static_cast<size_t>(best)] -= bestPairs.size();
            left -= bestPairs.size();
        }
        return moved;
    }

private:
    quint64 removedHash(int h, qsizetype j) const
    {
        return m_old[m_hunks[h].oldPage].hashes[m_hunks[h].lines.oldStart + j];
    }
    quint64 insertedHash(int h, qsizetype j) const
    {
        return m_new[m_hunks[h].newPage].hashes[m_hunks[h].lines.newStart + j];
    }

    // The lines the unused removed lines of source share, in order, with
    // the inserted lines at the offsets rest: pairs of offsets. A line
    // changed inside a moved run (a post count, a time) moved too, when the
    // lines shared outweigh those changed.
    QList<QPair<qsizetype, qsizetype>> runs(int source, int h, const QList<qsizetype> &rest) const
    {
        QList<qsizetype> unused;
        QList<quint64> from;
        for (qsizetype j = 0; j < m_hunks[source].removed(); ++j) {
            if (!m_used[static_cast<size_t>(source)][static_cast<size_t>(j)]) {
                unused.append(j);
                from.append(removedHash(source, j));
            }
        }
        QList<quint64> to;
        for (const qsizetype j : rest)
            to.append(insertedHash(h, j));
        QList<QPair<qsizetype, qsizetype>> shared;
        QList<QPair<qsizetype, qsizetype>> changed;
        qsizetype sharedBytes = 0;
        qsizetype changedBytes = 0;
        qsizetype a = 0;
        qsizetype b = 0;
        const QByteArrayView *inserted = m_new[m_hunks[h].newPage].lines.constData() + m_hunks[h].lines.newStart;
        const QList<LineDiff::Hunk> diff = LineDiff::hunks(from, to);
        for (qsizetype d = 0; d <= diff.size(); ++d) {
            const qsizetype endA = d < diff.size() ? diff[d].oldStart : from.size();
            for (; a < endA; ++a, ++b) {
                shared.append({ unused[a], rest[b] });
                sharedBytes += LineDiff::visibleBytes(inserted[rest[b]]);
            }
            if (d == diff.size())
                break;
            const LineDiff::Hunk &hunk = diff[d];
            if (!shared.isEmpty() && hunk.oldStart + hunk.oldCount < from.size()
                && hunk.newStart + hunk.newCount < to.size()) {
                for (qsizetype k = 0; k < std::min(hunk.oldCount, hunk.newCount); ++k) {
                    changed.append({ unused[a + k], rest[b + k] });
                    changedBytes += LineDiff::visibleBytes(inserted[rest[b + k]]);
                }
            }
            a = hunk.oldStart + hunk.oldCount;
            b = hunk.newStart + hunk.newCount;
        }
        if (!changed.isEmpty() && sharedBytes >= changedBytes) {
            shared += changed;
            std::sort(shared.begin(), shared.end(), [](const auto &x, const auto &y) { return x.second < y.second; });
        }
        return shared;
    }

    const QList<Hunk> &m_hunks;
    const QList<TextLines> &m_old;
    const QList<TextLines> &m_new;
    std::vector<qsizetype> m_capacity; // the lines a hunk that shrank may still give
    std::vector<std::vector<bool>> m_used; // its removed lines given already
    QHash<quint64, QList<int>> m_holders; // the hunks that shrank and removed a line
    int m_budget = 20000; // line diffs: a thread turned upside down is not worth more
};

// How alike two lines look: the bytes they share at their start and end.
qsizetype commonEnds(QByteArrayView a, QByteArrayView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    qsizetype head = 0;
    while (head < n && a[head] == b[head])
        ++head;
    qsizetype tail = 0;
    while (tail < n - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    return head + tail;
}

// The whole lines within the first bytes of a text.
void keepStart(TextLines &text, qsizetype bytes)
{
    qsizetype used = 0;
    qsizetype count = 0;
    while (count < text.size() && used + text.lines[count].size() + 1 <= bytes)
        used += text.lines[count++].size() + 1;
    text.lines.resize(count);
    text.hashes.resize(count);
}

// Whether the watched page still shows most of what it showed at the last
// check, by the visible bytes of its lines.
bool showsTheThread(const ThreadText &kept, const ThreadText &now)
{
    if (kept.isEmpty() || now.isEmpty())
        return false;
    const TextLines before(kept.first().lines);
    const TextLines after(now.first().lines);
    qsizetype keptBytes = 0;
    for (const QByteArrayView line : before.lines)
        keptBytes += LineDiff::visibleBytes(line);
    qsizetype nowBytes = 0;
    for (const QByteArrayView line : after.lines)
        nowBytes += LineDiff::visibleBytes(line);
    if (keptBytes == 0)
        return false;
    const double shared = LineDiff::likeness(before, after) * static_cast<double>(std::max(keptBytes, nowBytes));
    return shared >= 0.5 * static_cast<double>(keptBytes);
}

QString joinCapped(const QStringList &lines, const QString &separator, int maxChars)
{
    QString text;
    for (const QString &line : lines) {
        if (!text.isEmpty())
            text += separator;
        text += line;
        if (text.size() > maxChars) {
            text.truncate(maxChars - 1);
            text += QChar(0x2026);
            break;
        }
    }
    return text;
}

} // namespace

bool ReplyJudge::grewBeyondThreshold(qint64 bodyBytes, qint64 recordedSize)
{
    return static_cast<double>(bodyBytes) - static_cast<double>(recordedSize) > kGrowthThreshold;
}

ReplyVerdict ReplyJudge::judge(
    const WatchedPost &recorded, const std::optional<ThreadText> &kept, const ThreadSize &now)
{
    ReplyVerdict verdict;
    if (!recorded.size)
        return verdict;
    if (kept) {
        // An error page in the thread's place (a proxy's, a busy server's)
        // says nothing of its replies, however much text it holds; a thread
        // that its software sends with an error status still shows its posts.
        if (now.firstPageOk || showsTheThread(*kept, now.text))
            verdict = compare(*kept, now.text);
        else
            verdict.errorPage = true;
    } else if (recorded.pages <= 0) {
        // A plain number is the watched page alone: only that page compares with it.
        verdict.news = grewBeyondThreshold(now.firstPageBytes, *recorded.size);
        return verdict;
    } else {
        verdict.news = grewBeyondThreshold(now.bytes, *recorded.size);
    }
    // With more pages than are measured, a new last page beyond them shows
    // only by its number, reached from the last page measured.
    if (!verdict.news && now.capped && recorded.lastPage >= 0 && now.lastPage > recorded.lastPage) {
        verdict.news = true;
        verdict.gist = verdict.added = QCoreApplication::translate("ReplyJudge", "A new page after the %1 checked")
                                           .arg(ThreadMeasurement::kMaxPages);
    }
    return verdict;
}

ReplyVerdict ReplyJudge::compare(const ThreadText &kept, const ThreadText &now)
{
    // Most threads say what they said: nothing to look into.
    if (kept == now)
        return {};
    QList<TextLines> oldLines;
    QList<TextLines> newLines;
    QHash<QString, int> oldByKey;
    for (int i = 0; i < kept.size(); ++i) {
        oldLines.append(TextLines(kept[i].lines));
        oldByKey.insert(kept[i].key, i);
    }
    for (const ThreadPageText &page : now)
        newLines.append(TextLines(page.lines));

    QList<Hunk> hunks;
    QList<bool> oldSeen(kept.size(), false);
    for (int p = 0; p < now.size(); ++p) {
        const int o = oldByKey.value(now[p].key, -1);
        if (o < 0) {
            if (newLines[p].size() > 0)
                hunks.append({ -1, p, { 0, 0, 0, newLines[p].size() }, true });
            continue;
        }
        oldSeen[o] = true;
        // Where a page was cut, text that came in or went out at the cut came
        // from before it changing length: as much of each as both hold is
        // compared, without the lines at its end.
        const bool cut = kept[o].cut || now[p].cut;
        if (cut) {
            const qsizetype both = std::min(kept[o].lines.size(), now[p].lines.size());
            keepStart(oldLines[o], both);
            keepStart(newLines[p], both);
        }
        for (const LineDiff::Hunk &h : LineDiff::hunks(oldLines[o].hashes, newLines[p].hashes)) {
            if (cut && (h.oldStart + h.oldCount == oldLines[o].size() || h.newStart + h.newCount == newLines[p].size()))
                continue;
            hunks.append({ o, p, h, false });
        }
    }
    for (int o = 0; o < kept.size(); ++o)
        if (!oldSeen[o] && oldLines[o].size() > 0)
            hunks.append({ o, -1, { 0, oldLines[o].size(), 0, 0 }, false });

    Moves moves(hunks, oldLines, newLines);
    QSet<quint64> known;
    for (const TextLines &lines : std::as_const(oldLines))
        for (const quint64 hash : lines.hashes)
            known.insert(hash);
    const TextLines *lastKept = oldLines.isEmpty() ? nullptr : &oldLines.last();

    int countedLines = 0;
    qsizetype countedBytes = 0;
    QStringList counted;
    QStringList shown;
    QStringList unfamiliar;
    for (int h = 0; h < hunks.size(); ++h) {
        const Hunk &hunk = hunks[h];
        if (hunk.inserted() <= hunk.removed())
            continue;
        const TextLines &lines = newLines[hunk.newPage];
        const std::vector<bool> moved = moves.movedInto(h);
        QList<qsizetype> rest;
        for (qsizetype j = 0; j < hunk.inserted(); ++j)
            if (!moved[static_cast<size_t>(j)])
                rest.append(hunk.lines.newStart + j);
        // Lines replaced in place: the inserted lines most like the removed ones.
        QList<bool> dropped(rest.size(), false);
        const qsizetype replaced = std::min<qsizetype>(hunk.removed(), rest.size());
        if (replaced > 0 && rest.size() * hunk.removed() <= 4096) {
            const TextLines &old = oldLines[hunk.oldPage];
            for (qsizetype k = 0; k < replaced; ++k) {
                const QByteArrayView removed = old.lines[hunk.lines.oldStart + k];
                qsizetype best = -1;
                qsizetype bestScore = -1;
                for (qsizetype r = 0; r < rest.size(); ++r) {
                    if (dropped[r])
                        continue;
                    const qsizetype score = commonEnds(removed, lines.lines[rest[r]]);
                    if (score > bestScore) {
                        best = r;
                        bestScore = score;
                    }
                }
                dropped[best] = true;
            }
        } else {
            for (qsizetype k = 0; k < replaced; ++k)
                dropped[k] = true;
        }
        // A new page repeats the frame of the pages before it: counted, not shown.
        QSet<qsizetype> frame;
        if (hunk.wholeNewPage && lastKept) {
            qsizetype line = 0;
            for (const LineDiff::Hunk &d : LineDiff::hunks(lastKept->hashes, lines.hashes)) {
                for (; line < d.newStart; ++line)
                    frame.insert(line);
                line = d.newStart + d.newCount;
            }
            for (; line < lines.size(); ++line)
                frame.insert(line);
        }
        for (qsizetype r = 0; r < rest.size(); ++r) {
            if (dropped[r])
                continue;
            const QByteArrayView text = lines.lines[rest[r]];
            ++countedLines;
            countedBytes += LineDiff::visibleBytes(text);
            const QString decoded = decodeLegacyText(text.toByteArray());
            counted.append(decoded);
            if (frame.contains(rest[r]))
                continue;
            shown.append(decoded);
            if (!known.contains(lines.hashes[rest[r]]))
                unfamiliar.append(decoded);
        }
    }

    ReplyVerdict verdict;
    verdict.news = countedLines >= kMinLines && countedBytes >= kMinVisibleBytes;
    if (!verdict.news)
        return verdict;
    if (shown.isEmpty())
        shown = counted;
    verdict.added = joinCapped(shown, QStringLiteral("\n"), kMaxAddedChars);
    // Lines the thread showed before (buttons, online marks, the frame) say little at a glance.
    verdict.gist = joinCapped(unfamiliar.isEmpty() ? shown : unfamiliar, QStringLiteral(" \u00b7 "), kGistChars);
    return verdict;
}
