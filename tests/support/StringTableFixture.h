#pragma once

// A temporary program folder with string-table files built from given texts.

#include "support/TestProgramFolder.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pellora::test {

// The four upper-case hexadecimal digits that name a language's table and fragment folder ("040A").
std::string LanguageCode(std::uint16_t language);

class StringTableFixture {
public:
    // With a non-empty body, the neutral table "TSST0000.dat" is written at once (header for locale 0 + body).
    explicit StringTableFixture(std::string_view neutralBody = {});

    const TestProgramFolder& folder() const { return m_folder; }

    // A table text: the "File Info" header with the given Locale value, then body.
    static std::string TableText(std::string_view body, std::string_view locale = "0");
    // The text as UTF-16 little-endian with the byte-order mark FF FE (input: UTF-8).
    static std::string ToUtf16(std::string_view utf8);
    // Writes a Zip archive holding the named members; throws when it cannot.
    static void WriteZip(const std::filesystem::path& archive,
                         const std::vector<std::pair<std::string, std::string>>& members);

    // Writes textBytes as member "String.txt" of the archive fileName (relative to the program folder).
    std::filesystem::path WriteTable(std::string_view fileName, std::string_view textBytes) const;
    // Writes "TSST%04X.dat" for the language with a matching header and body.
    std::filesystem::path WriteTableFor(std::uint16_t language, std::string_view body) const;

private:
    TestProgramFolder m_folder;
};

} // namespace pellora::test
