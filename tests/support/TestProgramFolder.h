#pragma once

// A temporary program folder for tests: holds a supported-model list; code under test is handed its path.

#include "core/document/BuildEnvironment.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace pellora::test {

class TestProgramFolder {
public:
    // Three groups with a few models each; the group index of "RX-C3400" is 1, of "VDL-N4000+" 2.
    static const std::string_view kDefaultModelList;

    // Creates a fresh folder under the test's temporary folder and writes modelList as "Modelname.dat".
    explicit TestProgramFolder(std::string_view modelList = kDefaultModelList);
    // Deletes the folder.
    ~TestProgramFolder();
    TestProgramFolder(const TestProgramFolder&) = delete;
    TestProgramFolder& operator=(const TestProgramFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path file(std::string_view name) const { return m_path / name; }
    // What documents read from this folder (its runtime files, the program's stub).
    BuildEnvironment environment() const;

    // Writes bytes as the file name in the folder (subfolders are created); returns its path.
    std::filesystem::path writeFile(std::string_view name, std::string_view bytes) const;
    void writeModelList(std::string_view text) const;
    void removeModelList() const;

private:
    std::filesystem::path m_path;
};

} // namespace pellora::test
