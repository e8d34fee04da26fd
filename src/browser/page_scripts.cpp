#include "browser/page_scripts.h"

#include <QJsonDocument>
#include <QJsonValue>

namespace PageScripts {

QString quote(const QString &text)
{
    // A JSON string is a valid JavaScript string literal.
    QByteArray json = QJsonDocument::fromVariant(QVariantList { text }).toJson(QJsonDocument::Compact);
    json = json.mid(1, json.size() - 2);
    return QString::fromUtf8(json);
}

QString readBody()
{
    return QStringLiteral("(function(){var b=document.body;"
                          "if(!b)return null;"
                          "return {outer:b.outerHTML,inner:b.innerHTML};})()");
}

QString readBodyHtml(bool inner)
{
    return inner ? QStringLiteral("(function(){var b=document.body;return b?b.innerHTML:null;})()")
                 : QStringLiteral("(function(){var b=document.body;return b?b.outerHTML:null;})()");
}

QString setFormField(int formIndex, int fieldIndex, const QString &text)
{
    // A page's script may change what the field was given (cut it short, add
    // a line of its own): only the message itself, white space aside, counts,
    // and the field gets back what it held.
    return QStringLiteral("(function(f,i,t){try{"
                          "var form=document.forms[f];if(!form)return false;"
                          "var el=form.querySelectorAll('input,textarea')[i];if(!el)return false;"
                          "if(el.tagName=='TEXTAREA'){var s=getComputedStyle(el);"
                          "if(s.display=='none'||s.visibility=='hidden')return 'editor';}"
                          "var flat=function(v){return String(v).replace(/\\s+/g,'');},was=el.value;"
                          "var set=function(v){el.value=v;"
                          "el.dispatchEvent(new Event('input',{bubbles:true}));"
                          "el.dispatchEvent(new Event('change',{bubbles:true}));};"
                          "set(t);if(flat(el.value)===flat(t))return true;"
                          "set(was);return false;}catch(e){return false;}})(%1,%2,%3)")
        .arg(formIndex)
        .arg(fieldIndex)
        .arg(quote(text));
}

} // namespace PageScripts
