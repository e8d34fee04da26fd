#include "platform/web_sandbox.h"

#include <cstdio>
#include <unistd.h>

namespace {
QString sandboxOffNotice()
{
    return QStringLiteral("Running as root: the web page sandbox is off");
}
} // namespace

QString prepareWebSandbox(bool runningAsRoot)
{
    if (!runningAsRoot)
        return QString();
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    std::fprintf(stderr, "%s\n", qPrintable(sandboxOffNotice()));
    std::fflush(stderr);
    return sandboxOffNotice();
}

QString prepareWebSandbox()
{
    return prepareWebSandbox(::geteuid() == 0);
}
