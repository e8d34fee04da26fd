#pragma once

// postmaven-cli run as a user runs it: a separate process on a temporary data
// folder and configuration, against loopback servers in the test's process.
#include "support/files.h"
#include "support/script_server.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

struct Cli {
    QTemporaryDir data;
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // A program that runs postmaven-cli as another user (setpriv and its options); empty: as this one.
    QStringList runAs;

    Cli()
    {
        for (const char *dir : { "config", "data" })
            QDir().mkpath(home.filePath(QLatin1String(dir)));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        // No desktop session unless a test brings its own bus.
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        env.remove(QStringLiteral("DISPLAY"));
        // The system's reasons in its own words, which the tests look for.
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    }

    // Started, not waited for: for runs at the same time.
    std::unique_ptr<QProcess> start(const QStringList &arguments) const
    {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(env);
        if (runAs.isEmpty())
            p->start(QStringLiteral(CLI_PROGRAM), arguments);
        else
            p->start(runAs.constFirst(), runAs.mid(1) + QStringList { QStringLiteral(CLI_PROGRAM) } + arguments);
        return p;
    }

    // Waits with the event loop running, so that the servers here can answer.
    static Outcome wait(QProcess &p, const QByteArray &input = {})
    {
        QSignalSpy finished(&p, &QProcess::finished);
        if (!p.waitForStarted(10000))
            return {};
        p.write(input);
        p.closeWriteChannel();
        if (p.state() != QProcess::NotRunning && finished.isEmpty() && !finished.wait(60000)) {
            p.kill();
            p.waitForFinished();
            return {};
        }
        return { p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError()) };
    }
    // On the test's data folder.
    Outcome run(QStringList arguments) const
    {
        arguments.insert(1, QStringLiteral("--data-dir=%1").arg(data.path()));
        return runWithoutFolder(arguments);
    }
    Outcome runWithoutFolder(const QStringList &arguments, const QByteArray &input = {}) const
    {
        return wait(*start(arguments), input);
    }

    QByteArray file(const char *name) const { return readBytes(data.filePath(QLatin1String(name))); }
    void writeFile(const char *name, const QByteArray &bytes) const
    {
        writeBytes(data.filePath(QLatin1String(name)), bytes);
    }
};

inline QByteArray records(const QStringList &lines)
{
    QByteArray out;
    for (const QString &line : lines)
        out += line.toUtf8() + "\r\n\r\n";
    return out;
}

inline QList<QJsonObject> jsonLines(const QString &out)
{
    QList<QJsonObject> objects;
    for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        objects.append(QJsonDocument::fromJson(line.toUtf8()).object());
    return objects;
}
