#include "support/TestProgramFolder.h"

#include "core/discovery/ModelList.h"
#include "core/util/Support.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace pellora::test {

namespace {

fs::path createUniqueFolder()
{
    static std::atomic<unsigned> counter { 0 };
    std::random_device device;
    const fs::path base = fs::path(::testing::TempDir());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = base
            / ("pellora-program-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-"
                + std::to_string(device() & 0xFFFFFF));
        std::error_code ec;
        if (fs::create_directory(candidate, ec))
            return candidate;
    }
    throw std::runtime_error("cannot create a temporary program folder under " + base.string());
}

} // namespace

const std::string_view TestProgramFolder::kDefaultModelList = "[Colour laser]\r\n"
                                                              "RX-C2100\r\n"
                                                              "RX-C3400\r\n"
                                                              "RX-C5300\r\n"
                                                              "\r\n"
                                                              "[Mono laser]\r\n"
                                                              "VDL-N2200\r\n"
                                                              "VDL-N4000+\r\n"
                                                              "\r\n"
                                                              "[Multifunction]\r\n"
                                                              "VMF-X3300\r\n"
                                                              "VMF-XC5600\r\n";

TestProgramFolder::TestProgramFolder(std::string_view modelList)
    : m_path(createUniqueFolder())
{
    writeModelList(modelList);
}

TestProgramFolder::~TestProgramFolder()
{
    DeleteFolderTree(m_path);
}

BuildEnvironment TestProgramFolder::environment() const
{
    return BuildEnvironment::ForProgramFolder(m_path);
}

fs::path TestProgramFolder::writeFile(std::string_view name, std::string_view bytes) const
{
    const fs::path target = m_path / name;
    fs::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + target.string());
    return target;
}

void TestProgramFolder::writeModelList(std::string_view text) const
{
    writeFile(kModelListFileName, text);
}

void TestProgramFolder::removeModelList() const
{
    std::error_code ec;
    fs::remove(file(kModelListFileName), ec);
}

} // namespace pellora::test
