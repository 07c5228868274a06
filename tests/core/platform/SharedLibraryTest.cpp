// Run-time libraries: loaded by full path only, the loader's words kept, absent entry points harmless.

#include "core/platform/SharedLibrary.h"

#include "core/plugin/DriverCheck.h"
#include "support/TestProgramFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace pellora::platform {
namespace {

namespace fs = std::filesystem;

TEST(SharedLibrary, LoadsByAbsolutePathOnlyAndKeepsTheLoadersWords)
{
    // A bare name would make the loader search its path: it is refused before the loader sees it.
    const SharedLibrary bare(DriverCheckLibrary::kFileName);
    EXPECT_FALSE(bare.loaded());
    EXPECT_NE(bare.status().text().find("no absolute path"), std::string::npos) << bare.status().text();

    const test::TestProgramFolder program;
    const SharedLibrary missing(program.file("none.so"));
    EXPECT_FALSE(missing.loaded());
    EXPECT_NE(missing.status().text().find(program.file("none.so").string()), std::string::npos);

    program.writeFile("broken.so", "not a library");
    const SharedLibrary broken(program.file("broken.so"));
    EXPECT_FALSE(broken.loaded());
    EXPECT_FALSE(broken.status().ok());
}

TEST(SharedLibrary, AbsentEntryPointsAreCallableAndGiveZero)
{
    const SharedLibrary none(fs::path("/nonexistent/library.so"));
    const EntryPoint<int(int, const char*)> missing = none.Entry<int(int, const char*)>("Anything");
    EXPECT_FALSE(missing.present());
    EXPECT_EQ(missing(7, "text"), 0);
    const EntryPoint<void*(void)> pointer = none.Entry<void*(void)>("Create");
    EXPECT_EQ(pointer(), nullptr);

    // A real library: its entry point answers, a name it lacks does not.
    const SharedLibrary library(fs::path(PELLORA_BIN_DIR) / DriverCheckLibrary::kFileName);
    ASSERT_TRUE(library.loaded()) << library.status().text();
    EXPECT_TRUE(library.Entry<DriverCheckLibrary::Signature>(DriverCheckLibrary::kEntryPoint).present());
    EXPECT_FALSE(library.Entry<int(void)>("NoSuchEntryPoint").present());
    EXPECT_EQ(library.Entry<int(void)>("NoSuchEntryPoint")(), 0);
}

} // namespace
} // namespace pellora::platform
