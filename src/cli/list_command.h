#pragma once

#include "cli/command.h"

// postmaven-cli list: the watched posts with their recorded sizes.
class ListCommand : public Command {
public:
    ListCommand();

protected:
    void addOptions(QCommandLineParser &parser) override;
    int run(const QCommandLineParser &parser) override;
};
