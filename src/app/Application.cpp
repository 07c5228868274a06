#include "app/Application.h"

#include "core/discovery/ModelList.h"
#include "core/i18n/StringTable.h"
#include "core/model/PrinterInfo.h"
#include "core/package/Support.h"
#include "core/script/ScriptFile.h"

#include <clocale>
#include <exception>
#include <iostream>
#include <vector>

namespace fs = std::filesystem;

namespace pellora {

namespace {

Application* g_current = nullptr;

// The program folder as a text without a trailing separator (the root stays "/").
std::string programFolderText()
{
    std::string folder = GetModuleFolder().string();
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

} // namespace

Application::Application(StringTable& table, MessagePresenter& presenter)
    : m_table(table)
    , m_presenter(presenter)
    , m_reporter(table, m_commandLine, presenter)
{
    g_current = this;
}

Application::~Application()
{
    if (g_current == this)
        g_current = nullptr;
}

Application* Application::Current()
{
    return g_current;
}

int Application::Run(std::span<const std::string> arguments)
{
    // Messages carry the product name of the program's own version strings.
    m_reporter.SetCaption(GetOwnProductName());

    const std::uint16_t userLanguage = UserDefaultLanguage();
    m_commandLine = ParseCommandLine(arguments, userLanguage);
    if (m_commandLine.shellCommand == ShellCommand::Dde) {
        // A document-exchange start brings its request through the exchange; nothing else of the
        // command line is taken.
        m_commandLine = CommandLineInfo {};
        m_commandLine.language = userLanguage;
        m_commandLine.shellCommand = ShellCommand::Dde;
    }

    // A start that may become the command-line script mode writes one file and makes no window, so it
    // does not wait for the single instance: it must work beside a running interactive instance. Its
    // single-instance check comes only if it turns into an interactive start.
    const bool scriptModeAsked = !m_commandLine.viewMode && m_commandLine.HasScriptModeArguments();
    if (!scriptModeAsked) {
        if (const int status = settleSingleInstance(); status != 0)
            return status;
    }

    if (!m_table.Load(m_commandLine.language, kStringTableGroup)) {
        m_presenter.ShowFixedText(std::string(kResourceFileMissing), m_reporter.caption());
        return kStartupFailedStatus;
    }
    if (m_instance && m_instance->state() == SingleInstance::State::Failed) {
        ShowMessage(kMessageInstanceFailed);
        return kStartupFailedStatus;
    }
    if (!ModelListExists()) {
        ShowMessage(kMessageNoModelList);
        return kStartupFailedStatus;
    }
    if (!HasLoadDriverPrivilege()) {
        ShowMessage(kMessageNoDriverRight);
        return kStartupFailedStatus;
    }
    std::setlocale(LC_ALL, "");

    if (scriptModeAsked && IsModelListed(m_commandLine.model))
        return WriteCommandLineScript(m_commandLine) ? 0 : kStartupFailedStatus;

    m_reporter.SetInteractiveStart(true);
    if (scriptModeAsked) {
        if (const int status = settleSingleInstance(); status != 0)
            return status;
        if (m_instance->state() == SingleInstance::State::Failed) {
            ShowMessage(kMessageInstanceFailed);
            return kStartupFailedStatus;
        }
    }
    return runInteractive();
}

int Application::settleSingleInstance()
{
    m_instance = std::make_unique<SingleInstance>(SingleInstance::InstanceName(GetModulePath(false)));
    if (m_instance->Acquire() != SingleInstance::State::HeldElsewhere)
        return 0;
    // Handing the documents over to the running instance needs its window; until then the second
    // start only reports that another instance runs.
    if (!m_table.Load(m_commandLine.language, kStringTableGroup)) {
        m_presenter.ShowFixedText(std::string(kResourceFileMissing), m_reporter.caption());
        return kStartupFailedStatus;
    }
    ShowMessage(kMessageAnotherInstance);
    return kStartupFailedStatus;
}

int Application::runInteractive()
{
    m_backImage = static_cast<std::int32_t>(m_settings.GetInt(kSettingBackImage, 0));
    m_runtimeFiles.LoadRuntimeFileList();

    std::cerr << m_reporter.caption() << ": the main window is not available in this build." << std::endl;

    exitInstance();
    return 0;
}

void Application::exitInstance()
{
    m_settings.SetInt(kSettingBackImage, m_backImage);
}

fs::path Application::CommandLineScriptPath(const CommandLineInfo& commandLine)
{
    if (!commandLine.outputFile.empty())
        return fs::path(commandLine.outputFile);
    return GetModuleFolder() / kCommandLineScriptName;
}

bool Application::WriteCommandLineScript(const CommandLineInfo& commandLine)
{
    const std::string printerName = commandLine.model + "(" + commandLine.address + ")";
    const std::string folder = commandLine.folder.empty() ? programFolderText() : commandLine.folder;

    auto printer = std::make_unique<CPrinterInfoEx>();
    printer->SetNetwork(1, commandLine.address, kCommandLineSubnetMask, "", "");
    printer->SetIdentity("", printerName, commandLine.model, "");
    printer->SetOptionFlags(1);
    printer->driverFolders.push_back(folder);

    CScriptFile script;
    script.printers.push_back(std::move(printer));
    script.logFile = kCommandLineScriptLogFile;
    return script.Write(CommandLineScriptPath(commandLine)) == 1;
}

int RunApplication(int argc, char** argv)
{
    StreamMessagePresenter presenter;
    try {
        std::vector<std::string> arguments;
        for (int i = 1; i < argc; ++i)
            arguments.emplace_back(argv[i]);
        Application application(TheStringTable(), presenter);
        return application.Run(arguments);
    } catch (const std::exception& error) {
        std::cerr << GetOwnProductName() << ": " << error.what() << std::endl;
        return kStartupFailedStatus;
    }
}

} // namespace pellora
