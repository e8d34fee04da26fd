#pragma once

#include <QObject>

#include <functional>

// SIGTERM, SIGINT and SIGHUP, turned into a call on the event loop: the
// handler only writes a byte into a pipe, which a socket notifier reads.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // One instance a process; onSignal runs on the thread of the event loop.
    explicit TerminationSignals(std::function<void()> onSignal, QObject *parent = nullptr);
    ~TerminationSignals() override;
    bool isInstalled() const { return m_installed; }

    // What the installed handler does for a signal; tests call it directly.
    static void handle(int signal);
    // The pipe's write end, which the handler never blocks on.
    static int writeEnd();

private:
    std::function<void()> m_onSignal;
    bool m_installed = false;
};
