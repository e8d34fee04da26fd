#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// The lines of a text ended by "\n", each with a hash to compare them by.
// The views point into the text, which must outlive them.
struct TextLines {
    TextLines() = default;
    explicit TextLines(const QByteArray &text);
    QList<QByteArrayView> lines;
    QList<quint64> hashes;
    qsizetype size() const { return lines.size(); }
};

// A shortest line diff (Myers): the runs of lines that differ between two
// texts, each a hunk that removes some lines of the first and puts some of
// the second in their place.
namespace LineDiff {

struct Hunk {
    qsizetype oldStart = 0;
    qsizetype oldCount = 0;
    qsizetype newStart = 0;
    qsizetype newCount = 0;
};

// Past this many removed and added lines the rest of the texts count as one
// hunk: a page changed through and through is not worth the memory.
constexpr int kMaxEdits = 1500;

QList<Hunk> hunks(const QList<quint64> &from, const QList<quint64> &to);

// The bytes of a line, not counting spaces.
qsizetype visibleBytes(QByteArrayView line);

// How much of the larger text, by its visible bytes, lies in lines both share: 1 for equal texts.
double likeness(const TextLines &from, const TextLines &to);

} // namespace LineDiff
