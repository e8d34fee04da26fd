#pragma once

#include <QString>

// Finding the posting form and its message field in a page's HTML. The body
// HTML is broken into lines at the tags that matter (the text that is saved
// to htmltemp.txt) and scanned line by line; lines end at CR, with or without
// LF, and a lone LF stays inside its line.
namespace FormScanner {

enum class Pass { OuterHtml, InnerHtml };

// The body HTML with line breaks put in front of (and for forms also behind)
// the form, input and text-area tags; matching ignores letter case.
QString breakAtTags(const QString &html, Pass pass);

// The 0-based index of the first form inside which "textarea" occurs, or -1.
int findPostingForm(const QString &brokenHtml);

// The position of the text area among the form's input and text-area tags,
// or -1.
int findMessageField(const QString &brokenHtml, int formIndex);

struct Result {
    QString savedText; // what htmltemp.txt holds afterwards (with its final line break)
    int formIndex = -1;
    int fieldIndex = -1;
};

// One pass over one HTML text.
Result scanPass(const QString &html, Pass pass);
// Both passes: the outer HTML first, the inner HTML when the first finds no form.
Result scanPage(const QString &outerHtml, const QString &innerHtml);

} // namespace FormScanner

// The search key of the automatic watch: the first line of the inserted
// message (cut at its first CR LF, CR, LF or "<").
QString watchKey(const QString &insertedMessage);
// True when the key occurs in the page text, letter case ignored.
bool pageShowsKey(const QString &key, const QString &outerHtml, const QString &innerHtml);
