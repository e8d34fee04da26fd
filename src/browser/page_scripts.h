#pragma once

#include <QString>

// The scripts the program runs in pages. Each returns a value that the
// callback of runJavaScript receives.
namespace PageScripts {

// An object {outer, inner} with the body's outerHTML and innerHTML, or null
// when the page has no body.
QString readBody();

// The body's outerHTML (or innerHTML) alone as a string, or null.
QString readBodyHtml(bool inner);

// Writes text into the field-th input or text area of the form-th form, and
// tells the page's scripts with input and change events. Returns true when
// the field then holds the text (white space aside), or false, the field
// holding what it held before; or, writing nothing, "editor" when the field is
// a text area hidden by its own style, as rich-text editors hide the one they
// stand in for (the style is read without a layout of the page), for
// MessageWriter to handle.
QString setFormField(int formIndex, int fieldIndex, const QString &text);

// The text as a JavaScript string literal.
QString quote(const QString &text);

} // namespace PageScripts
