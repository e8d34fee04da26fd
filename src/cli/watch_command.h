#pragma once

#include "cli/command.h"

// postmaven-cli watch URL: Watch This Post without the window.
class WatchCommand : public Command {
public:
    WatchCommand();

protected:
    void addOptions(QCommandLineParser &parser) override;
    QStringList requiredArguments() const override { return { QStringLiteral("url") }; }
    int run(const QCommandLineParser &parser) override;
};
