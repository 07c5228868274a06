#include "cli/CliCommands.h"

#include "cli/CliHelp.h"
#include "cli/MessagePrinter.h"
#include "cli/ProgressDisplay.h"
#include "core/discovery/ModelList.h"
#include "core/document/Corvan2Doc.h"
#include "core/i18n/StringTable.h"
#include "core/package/PackageFile.h"
#include "core/package/RuntimeFileSet.h"
#include "core/script/OnePrinterScript.h"
#include "core/script/ScriptFile.h"
#include "core/util/MessageNumbers.h"
#include "core/util/Support.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>

namespace fs = std::filesystem;

namespace pellora::cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int)
{
    g_interrupted = 1;
}

// Turns the first Ctrl+C (or termination request) of a build into a clean cancel, so that the build
// removes what it wrote; a second one ends the process the usual way.
class InterruptGuard {
public:
    InterruptGuard()
    {
        g_interrupted = 0;
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        sigaction(SIGINT, &action, &m_previousInt);
        sigaction(SIGTERM, &action, &m_previousTerm);
    }
    ~InterruptGuard()
    {
        sigaction(SIGINT, &m_previousInt, nullptr);
        sigaction(SIGTERM, &m_previousTerm, nullptr);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    static bool Interrupted() { return g_interrupted != 0; }

private:
    struct sigaction m_previousInt {};
    struct sigaction m_previousTerm {};
};

// Tabs and line breaks inside a value would split its column or line.
std::string Field(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    }
    return out;
}

std::string JoinFolders(const std::vector<std::string>& folders)
{
    std::string joined;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (i != 0)
            joined += ';';
        joined += folders[i];
    }
    return joined;
}

int Report(const DocumentResult& result, const MessagePrinter& messages)
{
    if (result.fileMessage)
        messages.FileMessage(result.message, result.file, result.status.text());
    else
        messages.Message(result.message, result.status.text());
    return result.message != 0 ? result.message : kExitInternal;
}

// The program's own folder, whose model list, plugins and runtime files every command uses.
const fs::path& ProgramFolder()
{
    static const fs::path folder = GetModuleFolder();
    return folder;
}

// 0 when the model list of the program folder can be opened, else the status of message 24.
int CheckModelList(const MessagePrinter& messages)
{
    if (ModelList::InFolder(ProgramFolder()).opened())
        return kExitSuccess;
    messages.Message(kMessageNoModelList);
    return kMessageNoModelList;
}

// Opens a script, project or package into document; 0 or the status of the failure.
int Open(CCorvan2Doc& document, const std::string& file, const MessagePrinter& messages)
{
    if (const int status = CheckModelList(messages))
        return status;
    const DocumentResult result = document.OpenDocument(file);
    return result.ok() ? kExitSuccess : Report(result, messages);
}

// 0 when every printer passes, else the status: the message number of the check that failed.
int Check(const CCorvan2Doc& document, const MessagePrinter& messages)
{
    const ValidationResult result = document.Validate();
    if (result.ok())
        return kExitSuccess;
    const auto& printers = document.GetScript().printers;
    if (result.printerIndex >= 0 && static_cast<std::size_t>(result.printerIndex) < printers.size())
        messages.PrinterMessage(result.errorCode, result.printerIndex + 1,
                                printers[static_cast<std::size_t>(result.printerIndex)]->printerName);
    else
        messages.Message(result.errorCode);
    return result.errorCode;
}

int RunValidate(const Invocation& invocation, const MessagePrinter& messages)
{
    CCorvan2Doc document(BuildEnvironment::ForProgramFolder(ProgramFolder()));
    if (const int status = Open(document, invocation.input, messages))
        return status;
    if (const int status = Check(document, messages))
        return status;
    std::printf("%s: %zu printer(s), ready to build\n", invocation.input.c_str(),
                document.GetScript().printers.size());
    return kExitSuccess;
}

int RunBuild(const Invocation& invocation, const MessagePrinter& messages)
{
    BuildEnvironment environment = BuildEnvironment::ForProgramFolder(ProgramFolder());
    environment.signing = {invocation.signKey, invocation.passwordFile};
    CCorvan2Doc document(std::move(environment));
    if (const int status = Open(document, invocation.input, messages))
        return status;
    if (const int status = Check(document, messages))
        return status;

    const InterruptGuard interrupts;
    ProgressDisplay display(stderr, StandardErrorIsTerminal());
    document.SetBuildProgress([&display](const BuildProgress& progress) {
        display.Update(progress);
        return !InterruptGuard::Interrupted();
    });
    const DocumentResult result = document.SaveDocument(invocation.output);
    display.Finish();
    if (result.status.cancelled() || (InterruptGuard::Interrupted() && !result.ok())) {
        messages.Plain("interrupted; no package was written");
        return kExitInterrupted;
    }
    if (!result.ok())
        return Report(result, messages);
    if (result.installerMissing)
        messages.Plain("warning: the program folder has no " + std::string(kInstallerFileName) +
                       "; the package was built without the client installer and installs nothing on a client");
    return kExitSuccess;
}

int RunScript(const Invocation& invocation, const MessagePrinter& messages)
{
    if (const int status = CheckModelList(messages))
        return status;
    if (!ModelList::InFolder(ProgramFolder()).IsModelListed(invocation.model)) {
        messages.Plain(invocation.model + ": not a model of " + kModelListFileName);
        return kExitModelNotListed;
    }
    if (!WriteOnePrinterScript(invocation.model, invocation.address, invocation.folder, ProgramFolder(),
                               invocation.output)) {
        messages.Message(kMessageCannotSave);
        return kMessageCannotSave;
    }
    return kExitSuccess;
}

int RunShow(const Invocation& invocation, const MessagePrinter& messages)
{
    CCorvan2Doc document(BuildEnvironment::ForProgramFolder(ProgramFolder()));
    if (const int status = Open(document, invocation.input, messages))
        return status;
    PrintScript(stdout, document.GetScript());
    return kExitSuccess;
}

int RunExtract(const Invocation& invocation, const MessagePrinter& messages)
{
    // Unpacked first into a folder of its own: a damaged package leaves nothing in the target folder.
    const ScopedTempFolder staging;
    if (!staging.valid()) {
        messages.FileMessage(kMessageCannotOpenFile, invocation.input, "no temporary folder for unpacking");
        return kMessageCannotOpenFile;
    }
    try {
        CPackageFile package;
        if (!package.Load(invocation.input, staging.path())) {
            messages.FileMessage(kMessageCannotOpenFile, invocation.input, package.status().text());
            return kMessageCannotOpenFile;
        }
    } catch (const std::exception& error) {
        messages.FileMessage(kMessageCannotOpenFile, invocation.input, error.what());
        return kMessageCannotOpenFile;
    }
    if (!CopyFolderTree(staging.path(), invocation.output)) {
        messages.FileMessage(kMessageCannotSave, invocation.output);
        return kMessageCannotSave;
    }
    return kExitSuccess;
}

} // namespace

void PrintScript(std::FILE* out, const CScriptFile& script)
{
    const auto line = [out](const char* key, std::string_view value) {
        std::fprintf(out, "%s=%s\n", key, Field(value).c_str());
    };
    const auto number = [out](const char* key, int value) { std::fprintf(out, "%s=%d\n", key, value); };
    line("FILE", script.software);
    line("VER", script.fileVersion);
    line("DATE", script.date);
    line("DESCRIPTION", script.scriptNote);
    line("PRODUCTNAME", script.productName);
    line("LOGFILE", script.logFile);
    line("AUTOCOMPLETE", script.autoComplete);
    line("TESTPAGE_TITLE", script.testPageTitle);
    number("REBOOT", script.reboot);
    number("CONFIRM_DRIVERCOPY", script.confirmDriverCopy);
    number("REQUIRE_LOGON", script.requireLogon);
    number("EXTEND_FEATURE", script.extendFeature);
    std::fprintf(out, "COUNT=%zu\n", script.printers.size());
    std::size_t index = 0;
    for (const auto& printer : script.printers) {
        std::fprintf(out, "%zu\t%s\t%s\t%s\t%s\n", ++index, Field(printer->printerName).c_str(),
                     Field(printer->modelName).c_str(), Field(printer->address).c_str(),
                     Field(JoinFolders(printer->driverFolders)).c_str());
    }
    std::fflush(out);
}

int RunCommand(const Invocation& invocation, const MessagePrinter& messages)
{
    switch (invocation.command) {
    case Command::Validate:
        return RunValidate(invocation, messages);
    case Command::Build:
        return RunBuild(invocation, messages);
    case Command::Script:
        return RunScript(invocation, messages);
    case Command::Show:
        return RunShow(invocation, messages);
    case Command::Extract:
        return RunExtract(invocation, messages);
    case Command::Help:
    case Command::None:
        break;
    }
    return kExitUsage;
}

int Main(std::span<const std::string> arguments)
{
    UsageError usageError;
    const Invocation invocation = ParseArguments(arguments, usageError);
    if (invocation.command == Command::None) {
        std::fprintf(stderr, "pellora-cli: %s\n", usageError.what.c_str());
        std::fprintf(stderr, "%s\n", ShortUsage().c_str());
        return kExitUsage;
    }
    if (invocation.command == Command::Help) {
        std::fputs(UsageText().c_str(), stdout);
        return kExitSuccess;
    }

    StringTable& table = TheStringTable();
    if (!table.Load(ProgramFolder(), invocation.language.value_or(DefaultLanguage()), kStringTableGroup)) {
        std::fprintf(stderr, "resource file is not exist.\n");
        return kExitNoStringTable;
    }
    const MessagePrinter messages(table, stderr);
    try {
        return RunCommand(invocation, messages);
    } catch (const std::exception& error) {
        messages.Plain(error.what());
        return kExitInternal;
    }
}

} // namespace pellora::cli
