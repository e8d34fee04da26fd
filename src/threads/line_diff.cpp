#include "threads/line_diff.h"

#include <QHash>

#include <vector>

TextLines::TextLines(const QByteArray &text)
{
    const qsizetype n = text.size();
    const qsizetype count = text.count('\n');
    lines.reserve(count);
    hashes.reserve(count);
    qsizetype start = 0;
    while (start < n) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = n;
        const QByteArrayView line(text.constData() + start, end - start);
        lines.append(line);
        hashes.append(qHash(line, 0x5eed));
        start = end + 1;
    }
}

namespace LineDiff {

namespace {

// The edit script between a[0..n) and b[0..m) after their common ends are
// taken off, as hunks offset by (a0, b0).
void middleHunks(
    const quint64 *a, qsizetype n, const quint64 *b, qsizetype m, qsizetype a0, qsizetype b0, QList<Hunk> &out)
{
    if (n == 0 && m == 0)
        return;
    if (n == 0 || m == 0) {
        out.append({ a0, n, b0, m });
        return;
    }
    const qsizetype max = std::min<qsizetype>(n + m, kMaxEdits);
    const qsizetype offset = max + 1;
    std::vector<int> v(static_cast<size_t>(2 * max + 3), 0);
    // The furthest x of every diagonal after each number of edits, for the way back.
    std::vector<std::vector<int>> trace;
    qsizetype found = -1;
    for (qsizetype d = 0; d <= max && found < 0; ++d) {
        trace.emplace_back(v.begin() + (offset - d), v.begin() + (offset + d + 1));
        for (qsizetype k = -d; k <= d; k += 2) {
            int x = (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1])) ? v[offset + k + 1]
                                                                                   : v[offset + k - 1] + 1;
            int y = x - static_cast<int>(k);
            while (x < n && y < m && a[x] == b[y]) {
                ++x;
                ++y;
            }
            v[offset + k] = x;
            if (x >= n && y >= m) {
                found = d;
                break;
            }
        }
    }
    if (found < 0) {
        out.append({ a0, n, b0, m });
        return;
    }
    // Back from the end: each step is one line removed or added, after a run of equal lines.
    struct Edit {
        qsizetype x, y;
        bool removed;
    };
    std::vector<Edit> edits;
    qsizetype x = n;
    qsizetype y = m;
    for (qsizetype d = found; d > 0; --d) {
        const std::vector<int> &prev = trace[static_cast<size_t>(d)];
        auto at = [&](qsizetype k) { return qsizetype(prev[static_cast<size_t>(k + d)]); };
        const qsizetype k = x - y;
        const bool down = k == -d || (k != d && at(k - 1) < at(k + 1));
        const qsizetype prevK = down ? k + 1 : k - 1;
        const qsizetype prevX = at(prevK);
        const qsizetype prevY = prevX - prevK;
        if (down)
            edits.push_back({ prevX, prevY, false });
        else
            edits.push_back({ prevX, prevY, true });
        x = prevX;
        y = prevY;
    }
    // Edits in order; neighbours with no equal line between them make one hunk.
    for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
        const qsizetype ex = it->x + a0;
        const qsizetype ey = it->y + b0;
        if (!out.isEmpty()) {
            Hunk &last = out.last();
            if (last.oldStart + last.oldCount == ex && last.newStart + last.newCount == ey) {
                (it->removed ? last.oldCount : last.newCount) += 1;
                continue;
            }
        }
        out.append(it->removed ? Hunk { ex, 1, ey, 0 } : Hunk { ex, 0, ey, 1 });
    }
}

} // namespace

QList<Hunk> hunks(const QList<quint64> &from, const QList<quint64> &to)
{
    qsizetype n = from.size();
    qsizetype m = to.size();
    qsizetype head = 0;
    while (head < n && head < m && from[head] == to[head])
        ++head;
    while (n > head && m > head && from[n - 1] == to[m - 1]) {
        --n;
        --m;
    }
    QList<Hunk> out;
    middleHunks(from.constData() + head, n - head, to.constData() + head, m - head, head, head, out);
    return out;
}

qsizetype visibleBytes(QByteArrayView line)
{
    qsizetype count = 0;
    for (const char c : line)
        count += c != ' ';
    return count;
}

double likeness(const TextLines &from, const TextLines &to)
{
    auto total = [](const TextLines &text) {
        qsizetype bytes = 0;
        for (const QByteArrayView line : text.lines)
            bytes += visibleBytes(line);
        return bytes;
    };
    const qsizetype larger = std::max(total(from), total(to));
    if (larger == 0)
        return 1.0;
    // Every line of the second text outside the hunks is one the first has too.
    qsizetype shared = 0;
    qsizetype line = 0;
    for (const Hunk &h : hunks(from.hashes, to.hashes)) {
        for (; line < h.newStart; ++line)
            shared += visibleBytes(to.lines[line]);
        line = h.newStart + h.newCount;
    }
    for (; line < to.size(); ++line)
        shared += visibleBytes(to.lines[line]);
    return static_cast<double>(shared) / static_cast<double>(larger);
}

} // namespace LineDiff
