#pragma once

// Numbered messages: the text from the string table, the style by number, and who shows them.

#include <iosfwd>
#include <string>
#include <string_view>

namespace pellora {

class StringTable;
struct CommandLineInfo;

// Message box styles and the buttons a box returns.
enum : int {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_YESNOCANCEL = 0x03,
    MB_YESNO = 0x04,
    MB_ICONHAND = 0x10,
    MB_ICONSTOP = MB_ICONHAND,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONASTERISK = 0x40,
    MB_ICONMASK = 0xF0,
    MB_TYPEMASK = 0x0F,
};
enum : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDYES = 6,
    IDNO = 7,
};

// The section of the string table that holds the message texts.
inline constexpr std::string_view kMessageSection = "MESSAGE";

// Shows message texts to the user.
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;

    // A modal box; returns the button pressed.
    virtual int Show(const std::string& text, const std::string& caption, int style) = 0;
    // View mode: a box that does not block the program and takes no input; returns the button that
    // stands for it.
    virtual int ShowNonBlocking(const std::string& text, const std::string& caption, int style) = 0;
    // Closes the non-blocking box if one is open.
    virtual void CloseNonBlocking() = 0;
    // The one fixed text of a start without string table, shown as a plain stop box.
    virtual void ShowFixedText(const std::string& text, const std::string& caption) = 0;
};

// Writes each message as one line "<caption>: <text>" to a stream (standard error by default) and
// answers as the default button would: yes for a yes/no question, else OK.
class StreamMessagePresenter final : public MessagePresenter {
public:
    StreamMessagePresenter();
    explicit StreamMessagePresenter(std::ostream& out);

    int Show(const std::string& text, const std::string& caption, int style) override;
    int ShowNonBlocking(const std::string& text, const std::string& caption, int style) override;
    void CloseNonBlocking() override {}
    // The text alone on its line.
    void ShowFixedText(const std::string& text, const std::string& caption) override;

private:
    std::ostream& m_out;
};

// ShowMessage and ShowFileMessage of the application: they read the command line's view mode and
// script-mode arguments.
class MessageReporter {
public:
    MessageReporter(const StringTable& table, const CommandLineInfo& commandLine, MessagePresenter& presenter);

    void SetCaption(std::string caption) { m_caption = std::move(caption); }
    const std::string& caption() const { return m_caption; }
    // Called when a start whose command line names a model and an address goes on as an interactive
    // start after all: from then on its messages are shown.
    void SetInteractiveStart(bool interactive) { m_interactiveStart = interactive; }

    // Returns the button pressed, or 0 when nothing is shown.
    int ShowMessage(int number);
    int ShowFileMessage(int number, std::string_view path);
    // The message text, a blank line and detail (where the failure lies, a tool's own words).
    int ShowMessage(int number, std::string_view detail);

    // Item number of section "MESSAGE"; empty when the table does not hold it.
    std::string MessageText(int number) const;
    // True while the command-line script mode runs: nothing is shown then.
    bool IsSilent() const;

    static int MessageStyle(int number);
    static int FileMessageStyle(int number);
    // The part of path after its last "\" or "/"; empty when the path ends with one.
    static std::string_view FileNameOf(std::string_view path);

private:
    int present(const std::string& text, int style);

    const StringTable& m_table;
    const CommandLineInfo& m_commandLine;
    MessagePresenter& m_presenter;
    std::string m_caption;
    bool m_interactiveStart = false;
};

} // namespace pellora
