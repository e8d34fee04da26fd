#pragma once

#include "threads/thread_measurement.h"

#include <QString>

#include <optional>

struct WatchedPost;

// What a check found in a thread.
struct ReplyVerdict {
    bool news = false;
    QString added; // the text added, one line a line
    QString gist; // its start, on one line, for a list
    // The watched page answered with an error and shows something else in
    // the thread's place: what it measured is not the thread.
    bool errorPage = false;
};

// Tells whether a thread has new replies, by the text added since the last
// check. Its pages are compared with the text kept then, line by line:
//  - lines inserted where there were none count;
//  - where lines were replaced, only the lines beyond those replaced count,
//    so text changed in place (online marks, times, counters, an advert) never does;
//  - lines that only moved, from one page to the next as a post was
//    deleted or the pages shifted, do not count.
// A thread shows news when what counts is at least a short reply's worth:
// kMinLines lines with kMinVisibleBytes bytes that are not spaces. A thread
// with no kept text yet (measured by an older version) is judged once by the
// growth of its size, then by its text. A page whose text was cut at a cap is
// judged on what was taken, up to the lines at the cut.
class ReplyJudge {
public:
    static constexpr int kMinLines = 3;
    static constexpr int kMinVisibleBytes = 16;
    static constexpr double kGrowthThreshold = 500.0;
    static constexpr int kMaxAddedChars = 4000;
    static constexpr int kGistChars = 100;

    // recorded: the post with the size kept at its last measure; kept: the text kept then.
    static ReplyVerdict judge(
        const WatchedPost &recorded, const std::optional<ThreadText> &kept, const ThreadSize &now);
    // The text rule alone.
    static ReplyVerdict compare(const ThreadText &kept, const ThreadText &now);
    static bool grewBeyondThreshold(qint64 bodyBytes, qint64 recordedSize);
};
