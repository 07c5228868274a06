// Loading the driver package check library: the file it takes and how a failed load is reported.

#include "core/plugin/DriverCheck.h"

#include "core/util/Support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

using pellora::DriverCheckLibrary;

TEST(DriverCheckTest, ModelArgumentCarriesTheMakerPrefixOnce)
{
    EXPECT_EQ(DriverCheckLibrary::ModelArgument("LaserJet 100"), "VARDO LaserJet 100");
    EXPECT_EQ(DriverCheckLibrary::ModelArgument("VARDO LaserJet 100"), "VARDO LaserJet 100");
    // Only the exact six characters count as the prefix.
    EXPECT_EQ(DriverCheckLibrary::ModelArgument("Vardo LaserJet"), "VARDO Vardo LaserJet");
    EXPECT_EQ(DriverCheckLibrary::ModelArgument("VARDO"), "VARDO VARDO");
    EXPECT_EQ(DriverCheckLibrary::ModelArgument(""), "VARDO ");
}

TEST(DriverCheckTest, MissingOrBrokenLibraryIsReportedNotLoaded)
{
    const pellora::ScopedTempFolder program;
    ASSERT_TRUE(program.valid());

    const DriverCheckLibrary missing(program.path());
    EXPECT_FALSE(missing.IsLoaded());
    EXPECT_NE(missing.status().text().find((program.path() / "DAVORUDI.so").string()), std::string::npos)
        << missing.status().text();
    EXPECT_FALSE(missing.Check("VARDO X", program.path().string(), "").has_value());

    std::ofstream(program.path() / "DAVORUDI.so") << "not a shared library";
    const DriverCheckLibrary broken(program.path());
    EXPECT_FALSE(broken.IsLoaded());
    EXPECT_FALSE(broken.status().text().empty());
}

} // namespace
