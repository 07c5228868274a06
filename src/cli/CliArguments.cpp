#include "cli/CliArguments.h"

#include "core/i18n/StringTable.h"
#include "core/platform/Profile.h"

#include <array>
#include <cstdlib>
#include <utility>

namespace pellora::cli {

namespace {

struct CommandName {
    std::string_view name;
    Command command;
};

constexpr std::array<CommandName, 5> kCommands{{
    {"validate", Command::Validate},
    {"build", Command::Build},
    {"script", Command::Script},
    {"show", Command::Show},
    {"extract", Command::Extract},
}};

constexpr std::string_view kMakerPrefix = "VARDO ";

// Options that take a value, with where the value goes.
struct ValueOption {
    std::string_view longName;
    std::string_view shortName; // empty when there is none
    std::string Invocation::*field;
};

constexpr std::array<ValueOption, 6> kValueOptions{{
    {"--output", "-o", &Invocation::output},
    {"--model", "", &Invocation::model},
    {"--address", "", &Invocation::address},
    {"--folder", "", &Invocation::folder},
    {"--sign", "", &Invocation::signKey},
    {"--password-file", "", &Invocation::passwordFile},
}};

const ValueOption* FindValueOption(std::string_view name)
{
    for (const ValueOption& option : kValueOptions) {
        if (name == option.longName || (!option.shortName.empty() && name == option.shortName))
            return &option;
    }
    return nullptr;
}

std::optional<Command> FindCommand(std::string_view name)
{
    for (const CommandName& entry : kCommands) {
        if (entry.name == name)
            return entry.command;
    }
    return std::nullopt;
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() &&
           platform::EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

// The checks that depend on the command; empty when the invocation is complete.
std::string CheckCommand(const Invocation& invocation)
{
    const bool hasInput = !invocation.input.empty();
    const bool hasOutput = !invocation.output.empty();
    const bool hasScriptOptions =
        !invocation.model.empty() || !invocation.address.empty() || !invocation.folder.empty();
    const bool hasSigningOptions = !invocation.signKey.empty() || !invocation.passwordFile.empty();
    if (hasSigningOptions && invocation.command != Command::Build && invocation.command != Command::Help)
        return "only build takes --sign and --password-file";
    if (!invocation.passwordFile.empty() && invocation.signKey.empty())
        return "--password-file needs --sign";
    switch (invocation.command) {
    case Command::None:
        return "no command given";
    case Command::Help:
        return {};
    case Command::Validate:
    case Command::Show:
        if (!hasInput)
            return "the command needs a file";
        if (hasOutput || hasScriptOptions)
            return "the command takes no -o, --model, --address or --folder";
        return {};
    case Command::Build:
        if (!hasInput || !hasOutput)
            return "build needs a project and -o OUT.exe";
        if (!EndsWithNoCase(invocation.output, ".exe"))
            return "the package name given with -o must end in \".exe\"";
        if (hasScriptOptions)
            return "build takes no --model, --address or --folder";
        return {};
    case Command::Script:
        if (hasInput)
            return "script takes no file argument";
        if (invocation.model.empty() || invocation.address.empty() || !hasOutput)
            return "script needs --model, --address and -o OUT.qsm";
        return {};
    case Command::Extract:
        if (!hasInput || !hasOutput)
            return "extract needs a package and -o DIR";
        if (hasScriptOptions)
            return "extract takes no --model, --address or --folder";
        return {};
    }
    return {};
}

} // namespace

std::optional<std::uint16_t> ParseLanguage(std::string_view text)
{
    const std::string terminated(text);
    const char* const begin = terminated.c_str();
    char* end = nullptr;
    const unsigned long long value = std::strtoull(begin, &end, 16);
    if (end == begin)
        return std::nullopt;
    return NormalizeLanguage(static_cast<std::uint32_t>(value & 0xFFFFFFFFu));
}

std::uint16_t DefaultLanguage()
{
    struct LocaleLanguage {
        std::string_view code;
        std::uint16_t language;
    };
    static constexpr std::array<LocaleLanguage, 7> kLocales{{
        {"de", 0x0407}, {"es", 0x040A}, {"fr", 0x040C}, {"it", 0x0410},
        {"ja", 0x0411}, {"nl", 0x0413}, {"pt", 0x0416},
    }};
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0')
            continue;
        const std::string_view locale(value);
        const std::string_view code = locale.substr(0, locale.find_first_of("_-.@"));
        for (const LocaleLanguage& entry : kLocales) {
            if (platform::EqualsNoCase(code, entry.code))
                return entry.language;
        }
        return 0;
    }
    return 0;
}

Invocation ParseArguments(std::span<const std::string> arguments, UsageError& error)
{
    Invocation invocation;
    bool helpAsked = false;
    bool optionsEnded = false;
    std::vector<std::string> positional;
    auto fail = [&error](std::string why) {
        error.what = std::move(why);
        return Invocation{};
    };

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            positional.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "-h" || argument == "--help") {
            helpAsked = true;
            continue;
        }
        // "--name=value" or "--name value".
        std::string_view name = argument;
        std::optional<std::string> value;
        if (const std::size_t equals = argument.find('='); equals != std::string::npos && argument.starts_with("--")) {
            name = std::string_view(argument).substr(0, equals);
            value = argument.substr(equals + 1);
        }
        const ValueOption* option = FindValueOption(name);
        const bool isLanguage = name == "--lang";
        if (option == nullptr && !isLanguage)
            return fail("unknown option " + std::string(name));
        if (!value) {
            if (i + 1 >= arguments.size())
                return fail(std::string(name) + " needs a value");
            value = arguments[++i];
        }
        if (value->empty())
            return fail(std::string(name) + " needs a value");
        if (isLanguage) {
            // As with "/L", a value that is not hexadecimal at all leaves the language as it was.
            if (const auto language = ParseLanguage(*value))
                invocation.language = *language;
            continue;
        }
        std::string& field = invocation.*(option->field);
        if (!field.empty())
            return fail(std::string(name) + " is given twice");
        field = *value;
    }

    if (helpAsked) {
        invocation.command = Command::Help;
        return invocation;
    }
    if (positional.empty())
        return fail("no command given");
    const std::optional<Command> command = FindCommand(positional.front());
    if (!command)
        return fail("unknown command " + positional.front());
    invocation.command = *command;
    if (positional.size() > 2)
        return fail("too many arguments");
    if (positional.size() == 2) {
        if (positional[1].empty())
            return fail("the file name is empty");
        invocation.input = positional[1];
    }
    if (invocation.model.starts_with(kMakerPrefix))
        invocation.model.erase(0, kMakerPrefix.size());
    if (std::string why = CheckCommand(invocation); !why.empty())
        return fail(std::move(why));
    return invocation;
}

} // namespace pellora::cli
