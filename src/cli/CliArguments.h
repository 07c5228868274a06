#pragma once

// The command line of pellora-cli: which command, on which files, with which options.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pellora::cli {

enum class Command {
    None,
    Help,
    Validate,
    Build,
    Script,
    Show,
    Extract,
};

struct Invocation {
    Command command = Command::None;
    std::string input;                    // PROJECT, FILE or PACKAGE
    std::string output;                   // -o
    std::string model;                    // --model, without a leading "VARDO "
    std::string address;                  // --address
    std::string folder;                   // --folder
    std::string signKey;                  // --sign: the PKCS#12 key file build signs with
    std::string passwordFile;             // --password-file: its first line is the key's password
    std::optional<std::uint16_t> language; // --lang, when its value is hexadecimal
};

// A command line that does not fit the usage; what() says why.
struct UsageError {
    std::string what;
};

// Parses the arguments after the program name. Options may stand before or after the command and
// take their value as the next argument or after "="; "--" ends the options.
// Returns the invocation, or the usage error in error (and Command::None).
Invocation ParseArguments(std::span<const std::string> arguments, UsageError& error);

// The "/L" rule: the text read as a hexadecimal number, reduced to a language identifier; empty
// when the text does not start with a hexadecimal number.
std::optional<std::uint16_t> ParseLanguage(std::string_view text);

// The language of the user's locale among the languages of the string tables; 0 otherwise.
std::uint16_t DefaultLanguage();

} // namespace pellora::cli
