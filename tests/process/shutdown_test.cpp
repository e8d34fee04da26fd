// The built program, ended by a signal as a desktop session or `kill` ends
// it: it must end without waiting for anyone, and name what it could not write.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

struct Program {
    QTemporaryDir home;
    QTemporaryDir data;
    QProcess process;

    void start()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *dir : { "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME" })
            env.insert(QLatin1String(dir), home.filePath(QLatin1String(dir)));
        env.insert("HOME", home.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(POSTMAVEN_PROGRAM), { "--data-dir", data.path() });
        ASSERT_TRUE(process.waitForStarted(10000));
        // The load sequence has run once the data files are there.
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(data.filePath("sizes.txt")); }, 60000));
        QTest::qWait(500);
    }
};

} // namespace

TEST(Shutdown, ASignalEndsTheProgramWithoutABoxAndNamesTheFileItCouldNotWrite)
{
    for (int signal : { SIGTERM, SIGINT, SIGHUP }) {
        Program p;
        p.start();
        // sizes.txt cannot be replaced while a folder stands in its place.
        QFile::remove(p.data.filePath("sizes.txt"));
        QDir(p.data.path()).mkdir("sizes.txt");
        ::kill(static_cast<pid_t>(p.process.processId()), signal);
        ASSERT_TRUE(p.process.waitForFinished(20000)) << "signal " << signal << ": the program still waits";
        const QString err = QString::fromLocal8Bit(p.process.readAllStandardError());
        EXPECT_TRUE(err.contains("could not write " + p.data.filePath("sizes.txt"))) << err.toStdString();
        EXPECT_EQ(p.process.exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_TRUE(QFile::exists(p.data.filePath("posts.txt")));
    }
}
