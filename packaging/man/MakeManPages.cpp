// Build tool: writes the manual pages pellora.1 and pellora-cli.1 from the help the programs carry.
// Usage: MakeManPages OUTPUT-FOLDER VERSION PROGRAM-FOLDER

#include "RoffPage.h"
#include "app/CommandLineHelp.h"
#include "cli/CliHelp.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;
using pellora::packaging::RoffPage;

namespace {

constexpr std::string_view kManual = "User Commands";

struct Setting {
    std::string version;
    std::string programFolder;
};

std::string Source(const Setting& setting)
{
    return "Pellora " + setting.version;
}

void ProgramFolderEntries(RoffPage& page, const Setting& setting)
{
    const std::string& folder = setting.programFolder;
    page.Entry(RoffPage::Italic(folder + "/"),
               "the program folder: both programs, the plugins DAVORUDI.so, TsAppInst.so and "
               "HalvaneWrapper.so, the client installer CVSetUp.exe, the pictures CVDATA1.DAT and "
               "CVDATA2.DAT; the programs find it through their own executable, also when started "
               "through a link");
    page.Entry(RoffPage::Italic(folder + "/Modelname.dat"), "the supported models");
    page.Entry(RoffPage::Italic(folder + "/TSST0000.dat"),
               "the string table of the neutral language (English); TSST0407.dat, TSST040A.dat, "
               "TSST040C.dat, TSST0410.dat, TSST0411.dat, TSST0413.dat and TSST0416.dat hold German, "
               "Spanish, French, Italian, Japanese, Dutch and Brazilian Portuguese");
}

std::string CliPage(const Setting& setting)
{
    using namespace pellora::cli;
    RoffPage page(kCliProgram, 1, Source(setting), kManual);
    page.Section("NAME");
    page.NameLine(kCliProgram, "check, build, write, show and unpack Pellora projects and packages");
    page.Section("SYNOPSIS");
    for (const CommandHelp& command : kCommandHelp) {
        page.FormattedParagraph(RoffPage::Bold(kCliProgram) + " " + RoffPage::Command("[--lang HEX]") + " " +
                                RoffPage::Command(std::string(command.name) + " " + std::string(command.arguments)));
    }
    page.FormattedParagraph(RoffPage::Bold(kCliProgram) + " " + RoffPage::Command("--help"));
    page.Section("DESCRIPTION");
    page.Paragraph("pellora-cli does from the command line what Pellora's window does with a project: it "
                   "checks a project as a package build does, builds the self-extracting Windows package, "
                   "writes the install script for one printer, lists what a project, script or package "
                   "holds and unpacks a package. Its messages are the numbered messages of the string "
                   "table, on standard error, and the number of a failed operation's message is the exit "
                   "status.");
    page.Section("COMMANDS");
    for (const CommandHelp& command : kCommandHelp)
        page.Entry(RoffPage::Command(std::string(command.name) + " " + std::string(command.arguments)), command.text);
    page.Paragraph(kInputNote);
    page.Section("OPTIONS");
    for (const OptionHelp& option : kOptionHelp) {
        std::string tag;
        std::string_view names = option.names;
        while (!names.empty()) {
            const std::size_t comma = names.find(", ");
            if (!tag.empty())
                tag += ", ";
            tag += RoffPage::Bold(names.substr(0, comma));
            if (comma == std::string_view::npos)
                break;
            names.remove_prefix(comma + 2);
        }
        if (!option.value.empty())
            tag += " " + RoffPage::Italic(option.value);
        page.Entry(tag, option.text);
    }
    page.Paragraph(kOptionNote);
    page.Section("EXIT STATUS");
    for (const ExitStatusHelp& status : kExitStatusHelp)
        page.Entry(RoffPage::Bold(ExitStatusText(status)), status.text);
    page.Section("ENVIRONMENT");
    page.Entry(RoffPage::Bold("LC_ALL") + ", " + RoffPage::Bold("LC_MESSAGES") + ", " + RoffPage::Bold("LANG"),
               "the first of them that is set chooses the language of the messages when --lang is not given");
    page.Entry(RoffPage::Bold("TMPDIR"), "the folder for temporary files (else /tmp)");
    page.Section("FILES");
    ProgramFolderEntries(page, setting);
    page.Section("SEE ALSO");
    page.FormattedParagraph(RoffPage::Bold("pellora") + "(1)");
    return page.text();
}

std::string ProgramPage(const Setting& setting)
{
    using namespace pellora;
    RoffPage page("pellora", 1, Source(setting), kManual);
    page.Section("NAME");
    page.NameLine("pellora", "gather network printers into a project and turn it into an install script or "
                             "a self-extracting Windows package");
    page.Section("SYNOPSIS");
    page.FormattedParagraph(RoffPage::Bold("pellora") + " " + RoffPage::Command("[SWITCH]... [FILE]..."));
    page.Section("DESCRIPTION");
    page.Paragraph("Pellora gathers network printers into a project, holds every install setting of each "
                   "printer, and turns the project into an install script (INI text) or into one "
                   "self-extracting Windows package that carries the client installer, the script, the "
                   "drivers and per-printer driver information. Only one window runs per user.");
    page.Paragraph(kSwitchRules);
    page.Section("SWITCHES");
    for (const SwitchHelp& entry : kSwitchHelp) {
        std::string tag = RoffPage::Bold(entry.name);
        if (!entry.value.empty())
            tag += RoffPage::Italic(entry.value);
        page.Entry(tag, entry.text);
    }
    page.Entry(RoffPage::Italic("FILE"), kFileArgumentText);
    page.Section("COMMAND-LINE SCRIPT MODE");
    page.Paragraph(kScriptModeText);
    page.Paragraph("Only root may write into the program folder " + setting.programFolder +
                   " that the package installs; pellora-cli script writes the same script to the file "
                   "-o names.");
    page.Section("EXIT STATUS");
    page.Entry(RoffPage::Bold("0"), "the window was closed, or the script was written");
    page.Entry(RoffPage::Bold("1"), "the start ended at one of its checks (no string table, no model list, "
                                    "another window runs), or the script could not be written");
    page.Section("ENVIRONMENT");
    page.Entry(RoffPage::Bold("LC_ALL") + ", " + RoffPage::Bold("LC_MESSAGES") + ", " + RoffPage::Bold("LANG"),
               "the first of them that is set chooses the language when /L is not given");
    page.Entry(RoffPage::Bold("XDG_CONFIG_HOME"), "the per-user settings are in $XDG_CONFIG_HOME/VARDO/Pellora.ini "
                                                  "(~/.config/VARDO/Pellora.ini when it is not set)");
    page.Entry(RoffPage::Bold("QT_QPA_PLATFORM"), "offscreen runs the program without a display");
    page.Entry(RoffPage::Bold("TMPDIR"), "the folder for temporary files (else /tmp)");
    page.Section("FILES");
    ProgramFolderEntries(page, setting);
    page.Entry(RoffPage::Italic("~/.config/VARDO/Pellora.ini"), "the per-user settings: window placement, "
                                                                "recent files, the watermark");
    page.Section("SEE ALSO");
    page.FormattedParagraph(RoffPage::Bold("pellora-cli") + "(1)");
    return page.text();
}

bool Write(const fs::path& file, const std::string& text)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", file.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "Usage: %s OUTPUT-FOLDER VERSION PROGRAM-FOLDER\n", argc > 0 ? argv[0] : "MakeManPages");
        return 2;
    }
    const fs::path folder(argv[1]);
    const Setting setting{argv[2], argv[3]};
    std::error_code error;
    fs::create_directories(folder, error);
    const bool written = Write(folder / "pellora.1", ProgramPage(setting)) &&
                         Write(folder / "pellora-cli.1", CliPage(setting));
    return written ? 0 : 1;
}
