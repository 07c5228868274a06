#include "app/CommandLine.h"

#include "core/i18n/StringTable.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace pellora {

namespace {

constexpr std::string_view kMakerPrefix = "VARDO ";

struct LocaleLanguage {
    std::string_view code; // ISO 639 language code
    std::uint16_t primary; // primary language identifier
};

// Sorted by code.
constexpr std::array<LocaleLanguage, 64> kLocaleLanguages{{
    {"af", 0x36}, {"ar", 0x01}, {"az", 0x2C}, {"be", 0x23}, {"bg", 0x02}, {"bn", 0x45}, {"ca", 0x03},
    {"cs", 0x05}, {"da", 0x06}, {"de", 0x07}, {"el", 0x08}, {"en", 0x09}, {"es", 0x0A}, {"et", 0x25},
    {"eu", 0x2D}, {"fa", 0x29}, {"fi", 0x0B}, {"fo", 0x38}, {"fr", 0x0C}, {"gl", 0x56}, {"gu", 0x47},
    {"he", 0x0D}, {"hi", 0x39}, {"hr", 0x1A}, {"hu", 0x0E}, {"hy", 0x2B}, {"id", 0x21}, {"is", 0x0F},
    {"it", 0x10}, {"iw", 0x0D}, {"ja", 0x11}, {"ka", 0x37}, {"kk", 0x3F}, {"kn", 0x4B}, {"ko", 0x12},
    {"lt", 0x27}, {"lv", 0x26}, {"mk", 0x2F}, {"mr", 0x4E}, {"ms", 0x3E}, {"nb", 0x14}, {"nl", 0x13},
    {"nn", 0x14}, {"no", 0x14}, {"pa", 0x46}, {"pl", 0x15}, {"pt", 0x16}, {"ro", 0x18}, {"ru", 0x19},
    {"sk", 0x1B}, {"sl", 0x24}, {"sq", 0x1C}, {"sr", 0x1A}, {"sv", 0x1D}, {"sw", 0x41}, {"ta", 0x49},
    {"te", 0x4A}, {"th", 0x1E}, {"tr", 0x1F}, {"uk", 0x22}, {"ur", 0x20}, {"uz", 0x43}, {"vi", 0x2A},
    {"zh", 0x04},
}};
static_assert(std::is_sorted(kLocaleLanguages.begin(), kLocaleLanguages.end(),
                             [](const LocaleLanguage& a, const LocaleLanguage& b) { return a.code < b.code; }));

constexpr std::uint16_t kDefaultSubLanguage = 0x0400;

bool equalsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

} // namespace

namespace {

bool namesExistingFile(std::string_view argument)
{
    if (argument.front() != '/')
        return false;
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::path(argument), error);
}

} // namespace

void CommandLineInfo::ParseParam(std::string_view argument)
{
    // An absolute path names a file here, not a switch: "/home/u/a.qst" is opened, "/Afoo" is a switch.
    const bool isSwitch = !argument.empty() && (argument.front() == '/' || argument.front() == '-') &&
                          !namesExistingFile(argument);
    if (!isSwitch) {
        if (argument.empty())
            return; // names no file
        fileList.push_back(NormalizeFileArgument(argument));
        if (shellCommand != ShellCommand::Dde)
            shellCommand = ShellCommand::Open;
        return;
    }

    const std::string_view body = argument.substr(1);
    if (body.empty())
        return;
    const std::string_view value = body.substr(1);
    switch (std::toupper(static_cast<unsigned char>(body.front()))) {
    case 'A':
        address = value;
        break;
    case 'D':
        if (equalsNoCase(body, "dde"))
            shellCommand = ShellCommand::Dde;
        break;
    case 'F':
        if (!value.empty()) {
            fileList.push_back(NormalizeFileArgument(value));
            shellCommand = ShellCommand::Open;
        }
        break;
    case 'I':
        folder = value;
        break;
    case 'L':
        ParseLanguageValue(value, language);
        break;
    case 'M':
        model = value.substr(0, kMakerPrefix.size()) == kMakerPrefix ? value.substr(kMakerPrefix.size()) : value;
        break;
    case 'V':
        viewMode = true;
        showSplash = false;
        break;
    default:
        break;
    }
}

CommandLineInfo ParseCommandLine(std::span<const std::string> arguments, std::uint16_t defaultLanguage)
{
    CommandLineInfo info;
    info.language = defaultLanguage;
    for (const std::string& argument : arguments)
        info.ParseParam(argument);
    return info;
}

std::string NormalizeFileArgument(std::string_view text)
{
    if (text.empty())
        return {};
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(std::filesystem::path(text), error);
    if (error || full.empty())
        return std::string(text);
    return full.lexically_normal().string();
}

bool ParseLanguageValue(std::string_view text, std::uint16_t& language)
{
    const std::string terminated(text);
    const char* const begin = terminated.c_str();
    char* end = nullptr;
    const unsigned long long value = std::strtoull(begin, &end, 16);
    if (end == begin)
        return false;
    language = NormalizeLanguage(static_cast<std::uint32_t>(value & 0xFFFFFFFFu));
    return true;
}

std::uint16_t LanguageFromLocaleName(std::string_view locale)
{
    const std::size_t codeEnd = locale.find_first_of("_-.@");
    std::string code(locale.substr(0, codeEnd));
    std::transform(code.begin(), code.end(), code.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto found = std::lower_bound(kLocaleLanguages.begin(), kLocaleLanguages.end(), code,
                                        [](const LocaleLanguage& entry, const std::string& wanted) {
                                            return entry.code < wanted;
                                        });
    if (found == kLocaleLanguages.end() || found->code != code)
        return 0; // "C", "POSIX", empty and unknown languages
    return static_cast<std::uint16_t>(kDefaultSubLanguage | found->primary);
}

std::uint16_t UserDefaultLanguage()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return NormalizeLanguage(LanguageFromLocaleName(value));
    }
    return 0;
}

} // namespace pellora
