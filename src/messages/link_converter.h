#pragma once

#include <QString>

class TemplateSet;

// Wraps every web address ("http://" or "https://", any letter case) and then
// every e-mail address of the text in link markup:
//   LinkOpen01 target LinkOpen02 target LinkClose01
// with MailCall01 before an e-mail target. Markup once written is never
// wrapped again, so the output stays linear in the text; one pass over it.
QString convertLinks(const QString &text, const QString &linkOpen01, const QString &linkOpen02,
    const QString &linkClose01, const QString &mailCall01);

// Converts with the first template whose name equals formatName exactly;
// with no such template ("text") the text comes back unchanged.
QString convertMessage(const QString &text, const QString &formatName, const TemplateSet &templates);
