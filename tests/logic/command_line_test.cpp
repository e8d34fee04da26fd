#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {
struct Row {
    const char *name;
    QStringList arguments;
    CommandLine::Action action;
    int exitCode;
    QString dataDir;
    QString outputStart; // what the output begins with
    bool outputIsError;
};
} // namespace

TEST(CommandLine, Rows)
{
    const Row rows[] = {
        { "no arguments runs the program", { "postmaven" }, CommandLine::Action::Run, 0, {}, {}, false },
        { "data folder", { "postmaven", "--data-dir", "/tmp/pm" }, CommandLine::Action::Run, 0, "/tmp/pm", {}, false },
        { "data folder with equals sign", { "postmaven", "--data-dir=/tmp/pm" }, CommandLine::Action::Run, 0, "/tmp/pm",
            {}, false },
        { "version", { "postmaven", "--version" }, CommandLine::Action::Exit, 0, {}, "Postmaven 2.03\n", false },
        { "short version", { "postmaven", "-v" }, CommandLine::Action::Exit, 0, {}, "Postmaven 2.03\n", false },
        { "help names the program as started", { "/usr/bin/postmaven", "--help" }, CommandLine::Action::Exit, 0, {},
            "Usage: postmaven [options]\n", false },
        { "data folder without a value", { "postmaven", "--data-dir" }, CommandLine::Action::Exit, 1, {},
            "Missing value after '--data-dir'.", true },
        { "an empty data folder would be the current one", { "postmaven", "--data-dir", "" }, CommandLine::Action::Exit,
            1, {}, "--data-dir was given an empty folder name.", true },
        { "Qt's own options are left to Qt", { "postmaven", "-platform", "offscreen", "--data-dir", "/d" },
            CommandLine::Action::Run, 0, "/d", {}, false },
        { "web engine flags are left to the web engine", { "postmaven", "--remote-debugging-port=9222" },
            CommandLine::Action::Run, 0, {}, {}, false },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const CommandLine line = parseCommandLine(row.arguments);
        EXPECT_EQ(line.action, row.action);
        EXPECT_EQ(line.exitCode, row.exitCode);
        EXPECT_EQ(line.dataDir, row.dataDir);
        EXPECT_TRUE(line.output.startsWith(row.outputStart)) << qPrintable(line.output);
        EXPECT_EQ(line.outputIsError, row.outputIsError);
    }
}

TEST(CommandLine, HelpListsTheOptions)
{
    const QString help = parseCommandLine({ "postmaven", "--help" }).output;
    for (const char *option : { "--help", "--version", "--data-dir <dir>" })
        EXPECT_TRUE(help.contains(option)) << option;
}
