#pragma once

#include "cli/command.h"

// postmaven-cli check: the reply check run of the window over every watched
// post, from a terminal or a timer.
class CheckCommand : public Command {
public:
    CheckCommand();

protected:
    void addOptions(QCommandLineParser &parser) override;
    int run(const QCommandLineParser &parser) override;
};
