#include "app/SingleInstance.h"

#include "core/util/Support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace fs = std::filesystem;

namespace pellora {
namespace {

using State = SingleInstance::State;

TEST(SingleInstanceTest, OnlyOneHolderAtATimeAndTheLockGoesWithTheHolder)
{
    const ScopedTempFolder folder;
    ASSERT_TRUE(folder.valid());
    {
        SingleInstance first("pellora", folder.path());
        EXPECT_EQ(first.state(), State::NotTried);
        EXPECT_EQ(first.Acquire(), State::Acquired);
        EXPECT_EQ(first.Acquire(), State::Acquired); // a second try keeps the lock

        SingleInstance second("pellora", folder.path());
        EXPECT_EQ(second.Acquire(), State::HeldElsewhere);
        EXPECT_EQ(second.lockFile(), first.lockFile());

        SingleInstance otherProgram("pellora-cli", folder.path());
        EXPECT_EQ(otherProgram.Acquire(), State::Acquired);
    }
    SingleInstance later("pellora", folder.path());
    EXPECT_EQ(later.Acquire(), State::Acquired);
}

TEST(SingleInstanceTest, RefusesALockFileThatIsALinkOrAFolder)
{
    const ScopedTempFolder folder;
    ASSERT_TRUE(folder.valid());
    const fs::path target = folder.path() / "elsewhere";
    std::ofstream(target) << "keep";

    SingleInstance linked("linked", folder.path());
    fs::create_symlink(target, linked.lockFile());
    EXPECT_EQ(linked.Acquire(), State::Failed);

    SingleInstance folderTaken("folder", folder.path());
    fs::create_directory(folderTaken.lockFile());
    EXPECT_EQ(folderTaken.Acquire(), State::Failed);

    SingleInstance missingFolder("missing", folder.path() / "no" / "such");
    EXPECT_EQ(missingFolder.Acquire(), State::Failed);

    std::ifstream in(target);
    std::string content;
    in >> content;
    EXPECT_EQ(content, "keep");
}

TEST(SingleInstanceTest, RuntimeFolderIsUsedWhenItIsAnAbsoluteFolder)
{
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::optional<std::string> previous = saved ? std::optional<std::string>(saved) : std::nullopt;
    const ScopedTempFolder folder;
    ASSERT_TRUE(folder.valid());

    ::setenv("XDG_RUNTIME_DIR", folder.path().c_str(), 1);
    EXPECT_EQ(SingleInstance::DefaultFolder(), folder.path());
    ::setenv("XDG_RUNTIME_DIR", "relative/run", 1);
    EXPECT_EQ(SingleInstance::DefaultFolder(), GetTempBase());
    ::setenv("XDG_RUNTIME_DIR", (folder.path() / "missing").c_str(), 1);
    EXPECT_EQ(SingleInstance::DefaultFolder(), GetTempBase());

    if (previous)
        ::setenv("XDG_RUNTIME_DIR", previous->c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
}

} // namespace
} // namespace pellora
