#pragma once

#include <QString>

// The scripts that write a message through a rich-text editor. Editors keep
// their API in the page's own scripts, so these run beside them
// (WebBrowser::runJavaScriptInPage). A write moves on in steps, one for each
// run, so that the editor can take each step before the next: each run
// returns {ok: true|false} when the write has ended, or {pending: true} while
// it goes on, with wait: true while the editor is still taking the message;
// then checkWrite with the same id takes the next step. A write that does not
// read back as the message puts back what the editor held before.
namespace EditorScripts {

// Writes into the editor that stands in for the field-th input or text area of
// the form-th form: CKEditor 4 or 5 or TinyMCE through their own API, another
// editor through its visible editable element in the form (a paste first, then
// its API or typing), and the text area itself when there is none. text is the
// message as the text area takes it, html the message as editor markup.
QString writeFormEditor(
    int formIndex, int fieldIndex, const QString &text, const QString &html, bool insertAsHtml, int id);

// Writes into the editable element that has the keyboard focus, or else the
// largest visible one on the page, for pages without a posting form.
QString writeEditable(const QString &text, const QString &html, bool insertAsHtml, int id);

// Takes the next step of the write with this id.
QString checkWrite(int id);

} // namespace EditorScripts
