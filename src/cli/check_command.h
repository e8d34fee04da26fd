#pragma once

#include "cli/command.h"
#include "watch/reply_check.h"

#include <optional>

// postmaven-cli check: the reply check run of the window over every watched
// post, from a terminal or a timer.
class CheckCommand : public Command {
public:
    CheckCommand();

protected:
    void addOptions(QCommandLineParser &parser) override;
    int run(const QCommandLineParser &parser) override;

private:
    std::optional<CheckLimits> limits(const QCommandLineParser &parser) const;
};
