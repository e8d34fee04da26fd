#include "platform/termination_signals.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <unistd.h>

TEST(TerminationSignals, ASignalBecomesOneCallOnTheEventLoop)
{
    int calls = 0;
    TerminationSignals handler([&] { ++calls; });
    ASSERT_TRUE(handler.isInstalled());
    ::raise(SIGTERM);
    EXPECT_EQ(calls, 0) << "nothing runs inside the handler";
    EXPECT_TRUE(QTest::qWaitFor([&] { return calls == 1; }, 5000));
}

TEST(TerminationSignals, TheHandlerKeepsErrnoAndNeverBlocks)
{
    int calls = 0;
    TerminationSignals handler([&] { ++calls; });
    ASSERT_TRUE(handler.isInstalled());
    // Fill the pipe until it takes no more.
    const char byte = 0;
    while (::write(TerminationSignals::writeEnd(), &byte, 1) == 1) { }
    errno = ENOTDIR;
    TerminationSignals::handle(SIGHUP); // a blocking write would hang here
    EXPECT_EQ(errno, ENOTDIR) << "the interrupted code's errno is given back";
    EXPECT_TRUE(QTest::qWaitFor([&] { return calls >= 1; }, 5000));
}
