#include "support/fake_browser.h"

void FakeBrowser::runJavaScript(const QString &script, ScriptCallback callback)
{
    scripts.append(script);
    if (script.contains(QLatin1String("return b?b.outerHTML")))
        callback(body.isValid() ? body.toMap().value(QStringLiteral("outer")) : QVariant());
    else if (script.contains(QLatin1String("return b?b.innerHTML")))
        callback(body.isValid() ? body.toMap().value(QStringLiteral("inner")) : QVariant());
    else if (script.contains(QLatin1String("outerHTML")))
        callback(body);
    else if (script.contains(QLatin1String("querySelectorAll")))
        callback(fieldWriteAnswer.isValid() ? fieldWriteAnswer : QVariant(writeSucceeds));
    else
        callback(QVariant());
}

void FakeBrowser::runJavaScriptInPage(const QString &script, ScriptCallback callback)
{
    pageScripts.append(script);
    if (holdPageCallbacks) {
        heldCallbacks.append(callback);
        return;
    }
    QVariant answer;
    if (!pageAnswers.isEmpty())
        answer = pageAnswers.size() > 1 ? pageAnswers.takeFirst() : pageAnswers.first();
    callback(answer);
}
