#pragma once

// Reads a Windows setup information (INF) file and lists the printer models it installs.

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace pellora::davorudi {

class InfFile {
public:
    // Decodes the file's bytes (UTF-16 with byte-order mark or recognised by its zero bytes, UTF-8, or
    // Windows-1252) and reads its sections; sections of the same name are joined.
    explicit InfFile(std::string_view bytes);

    // Display names of the models in every models section that [Manufacturer] lists, undecorated and
    // decorated, with %keys% resolved and quotes removed, in file order.
    std::vector<std::string> ModelNames() const;

private:
    struct Line {
        std::string key;   // the text left of the first "=" outside quotes; empty when there is none
        std::string value; // the text right of it, or the whole line
        bool hasKey = false;
    };
    using Section = std::vector<Line>;

    void Parse(std::string_view text);
    void CollectStrings();
    const Section* Find(std::string_view name) const;
    std::string Expand(std::string_view text) const;

    std::map<std::string, Section> m_sections;         // by lower-case name
    std::map<std::string, std::string> m_strings;      // [Strings], then the localised [Strings.xxxx]
};

// The form in which model names are compared: blanks trimmed, ASCII letters in lower case, leading
// maker prefixes "vardo " removed.
std::string ComparableModelName(std::string_view name);

} // namespace pellora::davorudi
