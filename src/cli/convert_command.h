#pragma once

#include "cli/command.h"

// postmaven-cli convert --format NAME: the link converter as a filter.
class ConvertCommand : public Command {
public:
    ConvertCommand();

protected:
    void addOptions(QCommandLineParser &parser) override;
    int run(const QCommandLineParser &parser) override;
};
