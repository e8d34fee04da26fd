#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// The page numbers that the parts of an address carry, as ThreadLinks reads
// them: a last path segment, "page/N", or a query parameter.
namespace PageComponents {

// How many digits end text, or 0 when there are none or too many.
int trailingDigits(QByteArrayView text);
// text as a number, when it is digits alone.
std::optional<qint64> numberOf(QByteArrayView text);
// "page-2", "page2", "comment-page-2".
std::optional<qint64> pageSegmentNumber(QByteArrayView segment);
// "page=2", "start=15", "cpage=2", "pg=2".
std::optional<qint64> pageParameterNumber(QByteArrayView item);
// "topic=5.0" and "topic=5.15": the same text, holding a number of its own
// and ending in something that is no digit, followed by another number.
std::optional<qint64> sameStemNumber(const QByteArray &from, const QByteArray &to);

} // namespace PageComponents
