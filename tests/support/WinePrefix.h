#pragma once

// A Wine prefix of its own in a temporary folder, for tests that run Windows programs under Wine.

#include <filesystem>
#include <string>
#include <vector>

namespace pellora::test {

class WinePrefix {
public:
    struct Result {
        int status = -1;    // the low 8 bits Wine passes on, or -1 when wine could not be run
        std::string output; // standard output
    };

    // Makes the folder and the prefix in it, waits until Wine has finished setting it up, so that no
    // test's first program races the prefix's creation, and keeps one Wine server running until the end.
    WinePrefix();
    // Stops the prefix's wineserver and removes the folder.
    ~WinePrefix();
    WinePrefix(const WinePrefix&) = delete;
    WinePrefix& operator=(const WinePrefix&) = delete;

    // Runs "wine program arguments..." in folder with WINEDEBUG=-all, no Mono or Gecko, and extra
    // environment entries ("NAME=value").
    Result run(const std::filesystem::path& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& folder, const std::vector<std::string>& environment = {}) const;

    // The Windows path under which Wine shows a path of this system (drive Z:).
    static std::string windowsPath(const std::filesystem::path& path);
    // The folder that is drive C: of the prefix.
    std::filesystem::path driveC() const { return m_path / "prefix" / "drive_c"; }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace pellora::test
