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

// A removed line that an inserted one may have moved from.
struct Slot {
    int hunk = 0;
    bool used = false;
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
        verdict = compare(*kept, now.text);
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
        for (const LineDiff::Hunk &h : LineDiff::hunks(oldLines[o].hashes, newLines[p].hashes))
            hunks.append({ o, p, h, false });
    }
    for (int o = 0; o < kept.size(); ++o)
        if (!oldSeen[o] && oldLines[o].size() > 0)
            hunks.append({ o, -1, { 0, oldLines[o].size(), 0, 0 }, false });

    // Lines that moved: inserted in a hunk that grew, removed in one that
    // shrank, as a post that passed from one page to the next. Each hunk gives
    // or takes no more than its growth or its loss, so text changed in place
    // is never read as a move.
    std::vector<qsizetype> capacity(static_cast<size_t>(hunks.size()), 0);
    QList<Slot> sources;
    QHash<quint64, QList<int>> sourcesByLine;
    for (int h = 0; h < hunks.size(); ++h) {
        const Hunk &hunk = hunks[h];
        if (hunk.removed() <= hunk.inserted())
            continue;
        capacity[static_cast<size_t>(h)] = hunk.removed() - hunk.inserted();
        const TextLines &lines = oldLines[hunk.oldPage];
        for (qsizetype j = 0; j < hunk.removed(); ++j) {
            sourcesByLine[lines.hashes[hunk.lines.oldStart + j]].append(static_cast<int>(sources.size()));
            sources.append({ h, false });
        }
    }

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
        QList<qsizetype> rest;
        qsizetype moved = 0;
        int sticky = -1;
        for (qsizetype j = 0; j < hunk.inserted(); ++j) {
            const qsizetype line = hunk.lines.newStart + j;
            int chosen = -1;
            if (moved < hunk.inserted() - hunk.removed()) {
                // A move takes its lines together: from the hunk the last line came from, if it can.
                for (const int s : sourcesByLine.value(lines.hashes[line])) {
                    const Slot &slot = sources[s];
                    if (slot.used || capacity[static_cast<size_t>(slot.hunk)] == 0)
                        continue;
                    if (chosen < 0 || slot.hunk == sticky)
                        chosen = s;
                    if (slot.hunk == sticky)
                        break;
                }
            }
            if (chosen >= 0) {
                sources[chosen].used = true;
                --capacity[static_cast<size_t>(sources[chosen].hunk)];
                sticky = sources[chosen].hunk;
                ++moved;
            } else {
                rest.append(line);
            }
        }
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
