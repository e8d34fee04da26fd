#include "browser/form_scanner.h"

#include <QStringView>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// Calls f on each line; stops when f returns false.
template <typename F> void forEachLine(const QString &text, F f)
{
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i] == QLatin1Char('\r')) {
            if (!f(QStringView(text).mid(start, i - start)))
                return;
            if (i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        f(QStringView(text).mid(start));
}

bool has(QStringView line, QLatin1String what)
{
    return line.contains(what, Qt::CaseInsensitive);
}

} // namespace

namespace FormScanner {

QString breakAtTags(const QString &html, Pass pass)
{
    QString s = html;
    s.replace(QLatin1String("<form"), kCrLf + QLatin1String("<form") + kCrLf, Qt::CaseInsensitive);
    if (pass == Pass::OuterHtml) {
        s.replace(QLatin1String("</form"), kCrLf + QLatin1String("</form>") + kCrLf, Qt::CaseInsensitive);
        s.replace(QLatin1String("<input "), kCrLf + QLatin1String("<input "), Qt::CaseInsensitive);
    } else {
        s.replace(QLatin1String("</form>"), kCrLf + QLatin1String("</form>") + kCrLf, Qt::CaseInsensitive);
        s.replace(QLatin1String("<input "), kCrLf + QLatin1String("<input"), Qt::CaseInsensitive);
    }
    s.replace(QLatin1String("<textarea"), kCrLf + QLatin1String("<textarea"), Qt::CaseInsensitive);
    return s;
}

int findPostingForm(const QString &brokenHtml)
{
    int form = -1;
    bool inForm = false;
    bool found = false;
    forEachLine(brokenHtml, [&](QStringView line) {
        if (!inForm) {
            if (has(line, QLatin1String("<form"))) {
                inForm = true;
                ++form;
            }
        } else {
            if (has(line, QLatin1String("textarea")))
                found = true;
            if (has(line, QLatin1String("</form>")))
                inForm = false;
        }
        return !found;
    });
    return found ? form : -1;
}

int findMessageField(const QString &brokenHtml, int formIndex)
{
    int form = -1;
    int field = -1;
    bool found = false;
    forEachLine(brokenHtml, [&](QStringView line) {
        if (has(line, QLatin1String("<form")))
            ++form;
        if (form == formIndex) {
            if (has(line, QLatin1String("<textarea")) || has(line, QLatin1String("<input")))
                ++field;
            if (has(line, QLatin1String("textarea")))
                found = true;
        }
        return !found;
    });
    return found ? field : -1;
}

Result scanPass(const QString &html, Pass pass)
{
    Result r;
    r.savedText = breakAtTags(html, pass) + kCrLf;
    r.formIndex = findPostingForm(r.savedText);
    if (r.formIndex >= 0)
        r.fieldIndex = findMessageField(r.savedText, r.formIndex);
    return r;
}

Result scanPage(const QString &outerHtml, const QString &innerHtml)
{
    const Result outer = scanPass(outerHtml, Pass::OuterHtml);
    return outer.formIndex >= 0 ? outer : scanPass(innerHtml, Pass::InnerHtml);
}

} // namespace FormScanner

QString watchKey(const QString &insertedMessage)
{
    qsizetype n = insertedMessage.size();
    for (const QString &d :
        { QStringLiteral("\r\n"), QStringLiteral("\r"), QStringLiteral("\n"), QStringLiteral("<") }) {
        // 1-based position minus one is the 0-based index.
        const qsizetype cut = insertedMessage.indexOf(d);
        if (cut > 0 && cut < n)
            n = cut;
    }
    return insertedMessage.left(n);
}

bool pageShowsKey(const QString &key, const QString &outerHtml, const QString &innerHtml)
{
    if (key.isEmpty())
        return true;
    return outerHtml.contains(key, Qt::CaseInsensitive) || innerHtml.contains(key, Qt::CaseInsensitive);
}
