#pragma once

// How the converter's fuzz target and its regression test read an input,
// and the bound the output must keep.
#include <QByteArray>
#include <QList>
#include <QString>

struct ConvertInput {
    QString text;
    QString linkOpen01 = QStringLiteral("[url=");
    QString linkOpen02 = QStringLiteral("]");
    QString linkClose01 = QStringLiteral("[/url]");
    QString mailCall01 = QStringLiteral("mailto:");
};

// With at least four 0x1F bytes the first four fields are the template's
// strings and the rest is the text; otherwise the whole input is the text,
// converted with the "ubb" strings.
inline ConvertInput convertInputFromBytes(const QByteArray &bytes)
{
    ConvertInput in;
    const QList<QByteArray> fields = bytes.split('\x1f');
    if (fields.size() < 5) {
        in.text = QString::fromUtf8(bytes);
        return in;
    }
    in.linkOpen01 = QString::fromUtf8(fields[0]);
    in.linkOpen02 = QString::fromUtf8(fields[1]);
    in.linkClose01 = QString::fromUtf8(fields[2]);
    in.mailCall01 = QString::fromUtf8(fields[3]);
    in.text
        = QString::fromUtf8(bytes.mid(fields[0].size() + fields[1].size() + fields[2].size() + fields[3].size() + 4));
    return in;
}

// Every character of the text lands in at most one link or address, which
// writes it twice; each link takes a "://" of the text and each address an
// "@", and adds at most the four strings once.
inline qsizetype convertOutputBound(const ConvertInput &in)
{
    const qsizetype markup = in.linkOpen01.size() + in.linkOpen02.size() + in.linkClose01.size() + in.mailCall01.size();
    const qsizetype starts = in.text.count(QLatin1Char('@')) + in.text.count(QStringLiteral("://"));
    return 2 * in.text.size() + starts * markup;
}
