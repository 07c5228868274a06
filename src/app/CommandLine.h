#pragma once

// The command line of one start: the switches and file arguments that select what the program does.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pellora {

enum class ShellCommand {
    None, // no file named: a new, empty document
    Open, // open the files of the file list
    Dde,  // the request arrives through the desktop's document exchange
};

struct CommandLineInfo {
    // Fields of the standard command-line record.
    bool showSplash = true;
    ShellCommand shellCommand = ShellCommand::None;
    std::string outputFile; // no switch sets it

    // The program's own fields.
    std::vector<std::string> fileList; // "/F" and every argument that is not a switch
    bool viewMode = false;             // "/V"
    std::uint16_t language = 0;        // "/L"; the user's language by default
    std::string model;                 // "/M"
    std::string address;               // "/A"
    std::string folder;                // "/I"

    // Model and address both given: the start asks for the command-line script mode.
    bool HasScriptModeArguments() const { return !model.empty() && !address.empty(); }

    // Takes one argument of the command line into the record.
    void ParseParam(std::string_view argument);
};

// Parses the arguments (without the program name) into a record whose language starts as
// defaultLanguage.
CommandLineInfo ParseCommandLine(std::span<const std::string> arguments, std::uint16_t defaultLanguage);

// The full, normal form of a path argument taken relative to the current folder; the text unchanged
// when it cannot be made full.
std::string NormalizeFileArgument(std::string_view text);

// Reads the value of "/L" as a hexadecimal number (as far as it is one) and reduces it to a language
// identifier. False, with language untouched, when the text does not start with a hexadecimal number.
bool ParseLanguageValue(std::string_view text, std::uint16_t& language);

// The language identifier of a locale name such as "de_DE.UTF-8" (0x0407) with the default
// sub-language; 0 for "C", "POSIX", an empty name or a language the table does not know.
std::uint16_t LanguageFromLocaleName(std::string_view locale);

// The language of the user's locale, from the first of LC_ALL, LC_MESSAGES and LANG that is set and
// not empty.
std::uint16_t UserDefaultLanguage();

} // namespace pellora
