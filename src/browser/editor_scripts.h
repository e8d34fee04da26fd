#pragma once

#include <QString>

// The scripts that write a message through a rich-text editor. Editors keep
// their API in the page's own scripts, so these run beside them
// (WebBrowser::runJavaScriptInPage). Each returns {ok: true|false} when it has
// an answer, or {pending: true} while the editor is still taking the message;
// then checkWrite with the same id asks again.
namespace EditorScripts {

// Writes into the editor that stands in for the field-th input or text area of
// the form-th form: CKEditor 4 or 5 or TinyMCE through their own API, another
// editor through its visible editable element in the form, and the text area
// itself when there is none. text is the message as the text area takes it,
// html the message as editor markup.
QString writeFormEditor(
    int formIndex, int fieldIndex, const QString &text, const QString &html, bool insertAsHtml, int id);

// Writes into the editable element that has the keyboard focus, or else the
// largest visible one on the page, for pages without a posting form.
QString writeEditable(const QString &text, const QString &html, bool insertAsHtml, int id);

// Asks again whether the write with this id has reached what the page posts.
QString checkWrite(int id);

} // namespace EditorScripts
