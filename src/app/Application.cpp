#include "app/Application.h"

#include "app/DesktopMessagePresenter.h"
#include "app/DropFilesHandOver.h"
#include "app/GuiSession.h"
#include "app/InteractiveStart.h"
#include "core/discovery/ModelList.h"
#include "core/i18n/StringTable.h"
#include "core/model/ViewMode.h"
#include "core/platform/DropFilesBlock.h"
#include "core/script/OnePrinterScript.h"
#include "core/util/RunFolder.h"
#include "core/util/Support.h"
#include "ui/frame/FrameOptions.h"

#include <clocale>
#include <exception>
#include <iostream>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace pellora {

namespace {

Application* g_current = nullptr;

} // namespace

Application::Application(StringTable& table, MessagePresenter& presenter, GuiSession* gui, fs::path programFolder)
    : m_table(table)
    , m_presenter(presenter)
    , m_gui(gui)
    , m_reporter(table, m_commandLine, presenter)
    , m_programFolder(std::move(programFolder))
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

void Application::SetViewMode(bool on)
{
    m_commandLine.viewMode = on;
    pellora::SetViewMode(on);
}

fs::path Application::HandOverSocket() const
{
    const std::string name = m_instance ? m_instance->name() : SingleInstance::InstanceName(GetModulePath(false));
    const fs::path folder = m_instance ? m_instance->lockFile().parent_path() : SingleInstance::DefaultFolder();
    return HandOverSocketPath(name, folder);
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
    pellora::SetViewMode(m_commandLine.viewMode);

    // A start that may become the command-line script mode writes one file and makes no window, so it
    // does not wait for the single instance: it must work beside a running interactive instance. Its
    // single-instance check comes only if it turns into an interactive start.
    const bool scriptModeAsked = !m_commandLine.viewMode && m_commandLine.HasScriptModeArguments();
    if (!scriptModeAsked) {
        if (const std::optional<int> status = settleSingleInstance())
            return *status;
    }

    if (!m_table.Load(m_programFolder, m_commandLine.language, kStringTableGroup)) {
        m_presenter.ShowFixedText(std::string(kResourceFileMissing), m_reporter.caption());
        return kStartupFailedStatus;
    }
    if (m_instance && m_instance->state() == SingleInstance::State::Failed) {
        ShowMessage(kMessageInstanceFailed);
        return kStartupFailedStatus;
    }
    const ModelList models = ModelList::InFolder(m_programFolder);
    if (!models.opened()) {
        ShowMessage(kMessageNoModelList);
        return kStartupFailedStatus;
    }
    if (!HasLoadDriverPrivilege()) {
        ShowMessage(kMessageNoDriverRight);
        return kStartupFailedStatus;
    }
    std::setlocale(LC_ALL, "");

    if (scriptModeAsked && models.IsModelListed(m_commandLine.model))
        return WriteCommandLineScript() ? 0 : kStartupFailedStatus;

    m_reporter.SetInteractiveStart(true);
    if (scriptModeAsked) {
        if (const std::optional<int> status = settleSingleInstance())
            return *status;
        if (m_instance->state() == SingleInstance::State::Failed) {
            ShowMessage(kMessageInstanceFailed);
            return kStartupFailedStatus;
        }
    }
    return runInteractive();
}

std::optional<int> Application::settleSingleInstance()
{
    m_instance = std::make_unique<SingleInstance>(SingleInstance::InstanceName(GetModulePath(false)));
    if (m_instance->Acquire() != SingleInstance::State::HeldElsewhere)
        return std::nullopt;
    // Another instance runs: it takes the files of this start, if there are any and it has a window.
    if (!m_commandLine.viewMode && handOverFiles())
        return 0;
    if (!m_table.Load(m_programFolder, m_commandLine.language, kStringTableGroup)) {
        m_presenter.ShowFixedText(std::string(kResourceFileMissing), m_reporter.caption());
        return kStartupFailedStatus;
    }
    ShowMessage(kMessageAnotherInstance);
    return kStartupFailedStatus;
}

bool Application::handOverFiles()
{
    // Without files nothing can be handed over whatever the running instance's state, so its window is
    // not waited for.
    if (m_commandLine.fileList.empty())
        return false;
    if (WaitForWindowHandle(m_settings) == 0)
        return false;
    const std::vector<std::uint8_t> block = platform::EncodeDropFiles(m_commandLine.fileList);
    return SendDropFiles(HandOverSocket(), block) == HandOverResult::Delivered;
}

int Application::runInteractive()
{
    m_backImage = static_cast<std::int32_t>(m_settings.GetInt(kSettingBackImage, 0));

    QApplication* gui = m_gui != nullptr ? m_gui->Ensure() : nullptr;
    if (gui == nullptr) {
        m_presenter.Show(m_table.GetItemText(kStartSection, kStartNoDisplay), m_reporter.caption(), MB_OK | MB_ICONHAND);
        return kStartupFailedStatus;
    }
    int status = kStartupFailedStatus;
    {
        InteractiveStart start(*this, *gui);
        status = start.Run();
    }
    // The main frame's watermark command changes the option while the program runs.
    m_backImage = ui::BackImageOption();
    exitInstance();
    return status;
}

void Application::exitInstance()
{
    m_settings.SetInt(kSettingBackImage, m_backImage);
}

BuildEnvironment Application::environment() const
{
    return BuildEnvironment::ForProgramFolder(m_programFolder);
}

fs::path Application::CommandLineScriptPath() const
{
    if (!m_commandLine.outputFile.empty())
        return fs::path(m_commandLine.outputFile);
    return m_programFolder / kCommandLineScriptName;
}

bool Application::WriteCommandLineScript() const
{
    const fs::path output = CommandLineScriptPath();
    if (WriteOnePrinterScript(m_commandLine.model, m_commandLine.address, m_commandLine.folder, m_programFolder, output))
        return true;
    // Only a file goes: whatever else stands at the name is not the script's.
    ::unlink(output.c_str());
    return false;
}

int RunApplication(int argc, char** argv)
{
    try {
        GuiSession gui(argc > 0 && argv[0] != nullptr ? argv[0] : "");
        DesktopMessagePresenter presenter(gui);
        std::vector<std::string> arguments;
        for (int i = 1; i < argc; ++i)
            arguments.emplace_back(argv[i]);
        RunFolder::RemoveAbandoned(GetWorkFolder());
        Application application(TheStringTable(), presenter, &gui, GetModuleFolder());
        return application.Run(arguments);
    } catch (const std::exception& error) {
        std::cerr << GetOwnProductName() << ": " << error.what() << std::endl;
        return kStartupFailedStatus;
    }
}

} // namespace pellora
