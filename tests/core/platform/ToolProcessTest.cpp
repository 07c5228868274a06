#include "core/platform/ToolProcess.h"

#include "core/util/Support.h"
#include "support/FileTreeSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace pellora::platform {
namespace {

// Whether the process has ended (gone, or a zombie waiting for its new parent).
bool Ended(long pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text))
        return true;
    const std::size_t close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'Z';
}

TEST(ToolProcessTest, ArgumentsInputOutputAndExitCodeAsTheToolSeesThem)
{
    // No shell comes between: blanks, "$" and "*" reach the tool as they are.
    const ToolProcess::Result echoed = ToolProcess({"printf", "%s|", "a b", "$HOME", "*", ""}).Run();
    EXPECT_TRUE(echoed.status.ok()) << echoed.status.text();
    EXPECT_EQ(echoed.exitCode, 0);
    EXPECT_EQ(echoed.output, "a b|$HOME|*||");

    ToolProcess failing({"sh", "-c", "cat; printf ' and the reason' >&2; exit 3"});
    failing.SetInput("secret\nsecond line");
    const ToolProcess::Result failed = failing.Run();
    EXPECT_FALSE(failed.status.ok());
    EXPECT_EQ(failed.exitCode, 3);
    EXPECT_EQ(failed.output, "secret\nsecond line and the reason");
    EXPECT_NE(failed.status.text().find("exit code 3"), std::string::npos) << failed.status.text();

    const ToolProcess::Result emptyInput = ToolProcess({"wc", "-c"}).Run();
    EXPECT_EQ(emptyInput.output, "0\n");

    EXPECT_TRUE(ToolProcess::OnPath("sh"));
    EXPECT_FALSE(ToolProcess::OnPath("pellora-no-such-tool"));
    const ToolProcess::Result missing = ToolProcess({"pellora-no-such-tool", "x"}).Run();
    EXPECT_FALSE(missing.status.ok());
    EXPECT_NE(missing.status.text().find("pellora-no-such-tool"), std::string::npos) << missing.status.text();
    EXPECT_NE(missing.status.text().find("not found on PATH"), std::string::npos) << missing.status.text();
}

TEST(ToolProcessTest, TimeOutAndCancelEndTheToolWithEverythingItStarted)
{
    const ScopedTempFolder temp;
    ASSERT_TRUE(temp.valid());
    const fs::path pidFile = temp.path() / "pid";
    const std::string script = "sleep 600 & echo $! > '" + pidFile.string() + "'; printf started; wait";

    ToolProcess slow({"sh", "-c", script});
    slow.SetTimeout(std::chrono::milliseconds(1500));
    const ToolProcess::Result timedOut = slow.Run();
    EXPECT_FALSE(timedOut.status.ok());
    EXPECT_FALSE(timedOut.status.cancelled());
    EXPECT_EQ(timedOut.exitCode, -1);
    EXPECT_NE(timedOut.status.text().find("did not end"), std::string::npos) << timedOut.status.text();
    EXPECT_EQ(timedOut.output, "started");
    ASSERT_TRUE(fs::exists(pidFile));
    const long sleeper = std::stol(test::ReadFileBytes(pidFile));
    // SIGKILL has been sent to the whole group; the sleeper goes as soon as the kernel gets to it.
    for (int i = 0; i < 100 && !Ended(sleeper); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(Ended(sleeper)) << "the process the tool started is left running";

    int asked = 0;
    ToolProcess cancelled({"sh", "-c", script});
    cancelled.SetKeepGoing([&asked] { return ++asked < 3; });
    const ToolProcess::Result stopped = cancelled.Run();
    EXPECT_TRUE(stopped.status.cancelled());
    EXPECT_EQ(asked, 3);
}

} // namespace
} // namespace pellora::platform
