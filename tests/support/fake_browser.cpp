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
        callback(QVariant(writeSucceeds));
    else
        callback(QVariant());
}
