#include "app/TerminationSignals.h"

#include "QtTestApplication.h"

#include <QElapsedTimer>

#include <csignal>

namespace pellora {
namespace {

using TerminationSignalsTest = test::QtApplicationTest;

void noteSignal(int) {}

TEST_F(TerminationSignalsTest, ASignalBecomesARequestInTheEventLoopAndTheOldHandlerReturns)
{
    struct sigaction own {};
    own.sa_handler = noteSignal;
    sigemptyset(&own.sa_mask);
    struct sigaction before {};
    ASSERT_EQ(::sigaction(SIGTERM, &own, &before), 0);
    {
        TerminationSignals catcher;
        ASSERT_TRUE(catcher.IsActive());
        std::vector<int> requests;
        QObject::connect(&catcher, &TerminationSignals::terminationRequested,
                         [&requests](int number) { requests.push_back(number); });
        ::raise(SIGTERM);
        ::raise(SIGINT);
        QElapsedTimer clock;
        clock.start();
        while (requests.size() < 2 && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_EQ(requests, (std::vector<int> {SIGTERM, SIGINT}));

        // Only one catcher at a time.
        const TerminationSignals second;
        EXPECT_FALSE(second.IsActive());
    }
    struct sigaction after {};
    ASSERT_EQ(::sigaction(SIGTERM, nullptr, &after), 0);
    EXPECT_EQ(after.sa_handler, noteSignal);
    ::sigaction(SIGTERM, &before, nullptr);
}

} // namespace
} // namespace pellora
