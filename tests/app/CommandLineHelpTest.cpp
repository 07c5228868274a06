#include "app/CommandLineHelp.h"

#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace pellora {
namespace {

bool SameRecord(const CommandLineInfo& a, const CommandLineInfo& b)
{
    return a.showSplash == b.showSplash && a.shellCommand == b.shellCommand && a.outputFile == b.outputFile &&
           a.fileList == b.fileList && a.viewMode == b.viewMode && a.language == b.language &&
           a.model == b.model && a.address == b.address && a.folder == b.folder;
}

// True when the argument changes anything in the record of a start.
bool ActsOn(const std::string& argument)
{
    constexpr std::uint16_t kStartLanguage = 0x0409;
    return !SameRecord(ParseCommandLine({}, kStartLanguage),
                       ParseCommandLine(std::vector<std::string>{argument}, kStartLanguage));
}

std::string SwapCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::isupper(static_cast<unsigned char>(c)) ? std::tolower(static_cast<unsigned char>(c))
                                                                          : std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The manual page is made from kSwitchHelp: it must name every switch the parser acts on, and no other.
TEST(CommandLineHelpTest, TheManualNamesExactlyTheSwitchesTheParserActsOn)
{
    std::set<char> documentedLetters;
    for (const SwitchHelp& entry : kSwitchHelp) {
        ASSERT_GE(entry.name.size(), 2u);
        ASSERT_EQ(entry.name.front(), '/');
        const std::string word(entry.name.substr(1));
        const std::string argument = word + (entry.value.empty() ? "" : "1");
        for (const std::string& written : {"/" + argument, "-" + argument, "/" + SwapCase(argument)}) {
            EXPECT_TRUE(ActsOn(written)) << written << " is in the manual but changes nothing";
        }
        if (word.size() == 1)
            documentedLetters.insert(static_cast<char>(std::tolower(static_cast<unsigned char>(word.front()))));
    }
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        if (documentedLetters.count(letter) != 0)
            continue;
        const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
        for (const char prefix : {'/', '-'}) {
            for (const std::string& written : {std::string{prefix, letter, '1'}, std::string{prefix, upper, '1'}}) {
                EXPECT_FALSE(ActsOn(written)) << written << " acts but the manual does not name it";
            }
        }
    }
}

} // namespace
} // namespace pellora
