#pragma once

// The supported-model list "Modelname.dat": which models the program handles and their groups.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pellora {

inline constexpr const char* kModelListFileName = "Modelname.dat";

// One read of a model list file. Parsed files are shared through a process-wide cache that is keyed
// by the file's path, identity, size and modification time, so a changed file is read again.
class ModelList {
public:
    struct Line {
        std::string upper;     // the line upper-cased, as matching sees it
        bool header = false;   // holds both "[" and "]"
        std::string groupName; // a header's name: the text between "[" and the next "]", blanks trimmed
    };

    // Reads file; opened() tells whether it could be opened.
    explicit ModelList(const std::filesystem::path& file);
    // The list "Modelname.dat" of a program folder.
    static ModelList InFolder(const std::filesystem::path& programFolder);
    // A list made from text as if it had been read from a file.
    static ModelList FromText(std::string_view text);

    bool opened() const { return m_lines != nullptr; }
    // The non-empty lines in file order.
    const std::vector<Line>& lines() const;

    // True when a line holds the name, ignoring case. A name starting with "VARDO " is tried without
    // that prefix as well (and keeps it off for the lines that follow).
    bool IsModelListed(std::string_view name) const;
    // The names of the groups (the headers) in file order; the model box of the printer tab lists them.
    std::vector<std::string> GroupNames() const;
    // Number of group headers before the first line holding the name; -1 when the name is empty or not
    // listed, 0 when the file could not be opened.
    int GetModelGroupIndex(std::string_view name) const;

    // Splits text into its non-empty lines (CRLF or LF).
    static std::vector<Line> ParseLines(std::string_view text);
    // Upper-cases ASCII letters; bytes of multi-byte characters are left as they are.
    static std::string ToUpper(std::string_view text);

private:
    ModelList() = default;
    std::shared_ptr<const std::vector<Line>> m_lines;
};

} // namespace pellora
