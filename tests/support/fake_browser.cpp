#include "support/fake_browser.h"

FakeBrowser *FakeBrowser::last = nullptr;

FakeBrowser::FakeBrowser(QObject *parent)
    : WebBrowser(parent)
    , m_widget(new QWidget)
{
    last = this;
}

FakeBrowser::~FakeBrowser()
{
    if (last == this)
        last = nullptr;
    delete m_widget.data();
}

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
