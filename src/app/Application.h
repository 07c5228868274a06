#pragma once

// The application object: start-up, the command-line script mode and the process-wide state of a run.

#include "app/CommandLine.h"
#include "app/Messages.h"
#include "app/SingleInstance.h"
#include "core/document/BuildEnvironment.h"
#include "core/platform/UserSettings.h"
#include "core/util/MessageNumbers.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pellora {

class GuiSession;
class StringTable;

// The fixed text of a start without string table.
inline constexpr std::string_view kResourceFileMissing = "resource file is not exist.";
// The script that the command-line script mode writes into the program folder.
inline constexpr std::string_view kCommandLineScriptName = "CVSCRIPT.QSM";

// Process status of a start that ended at one of its checks.
inline constexpr int kStartupFailedStatus = 1;

// Texts of the start-up itself in the string table.
inline constexpr std::string_view kStartSection = "START";
inline constexpr int kStartNoDisplay = 1;

class Application {
public:
    // gui makes the windows of an interactive start; without it an interactive start ends at once.
    // programFolder holds the model list, string tables, plugins and runtime files.
    Application(StringTable& table, MessagePresenter& presenter, GuiSession* gui, std::filesystem::path programFolder);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The application object of the running start, if any.
    static Application* Current();

    // Runs the start-up with the arguments after the program name; returns the process status.
    int Run(std::span<const std::string> arguments);

    const CommandLineInfo& commandLine() const { return m_commandLine; }
    bool IsViewMode() const { return m_commandLine.viewMode; }
    // The main frame turns view mode on for the length of one operation; the process-wide flag follows.
    void SetViewMode(bool on);
    std::uint16_t language() const { return m_commandLine.language; }
    const std::string& name() const { return m_reporter.caption(); }

    int ShowMessage(int number) { return m_reporter.ShowMessage(number); }
    int ShowFileMessage(int number, std::string_view path) { return m_reporter.ShowFileMessage(number, path); }
    MessageReporter& reporter() { return m_reporter; }
    MessagePresenter& presenter() { return m_presenter; }

    StringTable& stringTable() { return m_table; }
    const std::filesystem::path& programFolder() const { return m_programFolder; }
    // What the projects of the run take from the program folder.
    BuildEnvironment environment() const;
    std::int32_t backImage() const { return m_backImage; }
    void SetBackImage(std::int32_t value) { m_backImage = value; }
    UserSettings& settings() { return m_settings; }

    // Where this instance takes the files of later starts.
    std::filesystem::path HandOverSocket() const;

    // Writes the command-line script for one printer; true when the script was written. A failure leaves
    // no script there, so that a caller that looks for the file never finds an earlier run's.
    bool WriteCommandLineScript() const;
    // Where the command-line script goes: the output file, else CVSCRIPT.QSM in the program folder.
    std::filesystem::path CommandLineScriptPath() const;

private:
    // Takes the single-instance lock; nothing when this start may go on, else the process status.
    std::optional<int> settleSingleInstance();
    // Gives the files to the running instance; true when they were delivered.
    bool handOverFiles();
    int runInteractive();
    void exitInstance();

    StringTable& m_table;
    MessagePresenter& m_presenter;
    GuiSession* m_gui;
    CommandLineInfo m_commandLine;
    MessageReporter m_reporter;
    const std::filesystem::path m_programFolder;
    std::unique_ptr<SingleInstance> m_instance;
    UserSettings m_settings;
    std::int32_t m_backImage = 0;
};

// The program's entry: the application over the process-wide string table; messages in boxes when the
// user sees a screen, else on standard error.
int RunApplication(int argc, char** argv);

} // namespace pellora
