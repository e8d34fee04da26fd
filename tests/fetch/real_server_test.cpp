// Measures pages served by a real HTTP server that none of us wrote
// (lighttpd from Debian), started on a loopback port for the test.
#include "fetch/fetch_helpers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

namespace {

class Lighttpd {
public:
    bool start()
    {
        const QString binary = "/usr/sbin/lighttpd";
        if (!QFile::exists(binary))
            return false;
        QDir(m_dir.path()).mkdir("www");
        m_port = closedLoopbackPort();
        QFile conf(m_dir.filePath("lighttpd.conf"));
        conf.open(QIODevice::WriteOnly);
        conf.write(QStringLiteral("server.document-root = \"%1\"\n"
                                  "server.port = %2\n"
                                  "server.bind = \"127.0.0.1\"\n"
                                  "server.errorlog = \"%3\"\n"
                                  "server.pid-file = \"%4\"\n"
                                  // the test rewrites pages and expects the new size at once
                                  "server.stat-cache-engine = \"disable\"\n"
                                  "mimetype.assign = (\".html\" => \"text/html\")\n")
                       .arg(root(), QString::number(m_port), m_dir.filePath("error.log"), m_dir.filePath("pid"))
                       .toUtf8());
        conf.close();
        m_process.start(binary, { "-D", "-f", m_dir.filePath("lighttpd.conf") });
        if (!m_process.waitForStarted(5000))
            return false;
        for (int i = 0; i < 100; ++i) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, m_port);
            if (probe.waitForConnected(100))
                return true;
            QTest::qWait(50);
        }
        return false;
    }
    ~Lighttpd()
    {
        m_process.terminate();
        m_process.waitForFinished(3000);
    }
    QString root() const { return m_dir.filePath("www"); }
    QString url(const QString &name) const { return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(name); }
    void writePage(const QString &name, const QByteArray &bytes) const
    {
        QFile f(root() + "/" + name);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};

QByteArray page(int replies)
{
    QByteArray html = "<html><body><h1>Thread</h1>";
    for (int i = 0; i < replies; ++i)
        html += "<div class=reply>Reply number " + QByteArray::number(i) + ": " + QByteArray(600, 'r') + "</div>\n";
    return html + "</body></html>\n";
}

} // namespace

TEST(RealServer, StaticPageAndAPageThatGrows)
{
    Lighttpd server;
    if (!server.start())
        GTEST_SKIP() << "lighttpd is not installed";
    server.writePage("thread.html", page(2));
    server.writePage("quiet.html", page(3));
    PageFetch fetch;
    const FetchOutcome out = runFetch(fetch, server.url("thread.html"));
    EXPECT_EQ(out.bytes, page(2).size()) << out.description.toStdString();
    EXPECT_TRUE(runFetch(fetch, server.url("missing.html")).finished) << "a 404 page is measured like any other";

    ThreadChecker c;
    c.posts.add(server.url("thread.html"), QString::number(page(2).size()));
    c.posts.add(server.url("quiet.html"), QString::number(page(3).size()));
    server.writePage("thread.html", page(3)); // one more reply
    EXPECT_EQ(c.check(), QStringList({ server.url("thread.html") }));
}
