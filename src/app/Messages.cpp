#include "app/Messages.h"

#include "app/CommandLine.h"
#include "core/i18n/StringTable.h"
#include "core/util/Support.h"

#include <iostream>

namespace pellora {

namespace {

constexpr int kYesNoQuestion = MB_YESNO | MB_ICONQUESTION;

int defaultAnswer(int style)
{
    return (style & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
}

} // namespace

StreamMessagePresenter::StreamMessagePresenter()
    : m_out(std::cerr)
{
}

StreamMessagePresenter::StreamMessagePresenter(std::ostream& out)
    : m_out(out)
{
}

int StreamMessagePresenter::Show(const std::string& text, const std::string& caption, int style)
{
    m_out << caption << ": " << text << std::endl;
    return defaultAnswer(style);
}

int StreamMessagePresenter::ShowNonBlocking(const std::string& text, const std::string& caption, int style)
{
    return Show(text, caption, style);
}

void StreamMessagePresenter::ShowFixedText(const std::string& text, const std::string&)
{
    m_out << text << std::endl;
}

MessageReporter::MessageReporter(const StringTable& table, const CommandLineInfo& commandLine,
                                 MessagePresenter& presenter)
    : m_table(table)
    , m_commandLine(commandLine)
    , m_presenter(presenter)
{
}

int MessageReporter::ShowMessage(int number)
{
    if (number < 0) {
        if (m_commandLine.viewMode)
            m_presenter.CloseNonBlocking();
        return 0;
    }
    return present(MessageText(number), MessageStyle(number));
}

int MessageReporter::ShowMessage(int number, std::string_view detail)
{
    if (number < 0 || detail.empty())
        return ShowMessage(number);
    std::string text = MessageText(number);
    text += "\n\n";
    text += detail;
    return present(text, MessageStyle(number));
}

int MessageReporter::ShowFileMessage(int number, std::string_view path)
{
    std::string text(FileNameOf(path));
    text += ":\n";
    text += MessageText(number);
    return present(text, FileMessageStyle(number));
}

std::string MessageReporter::MessageText(int number) const
{
    return m_table.GetItemText(kMessageSection, number);
}

bool MessageReporter::IsSilent() const
{
    return !m_commandLine.viewMode && !m_interactiveStart && m_commandLine.HasScriptModeArguments();
}

int MessageReporter::MessageStyle(int number)
{
    switch (number) {
    case 2:
        return kYesNoQuestion;
    case 3:
    case 4:
    case 999:
        return MB_OK | MB_ICONHAND;
    default:
        return MB_OK | MB_ICONEXCLAMATION;
    }
}

int MessageReporter::FileMessageStyle(int number)
{
    switch (number) {
    case 2:
        return kYesNoQuestion;
    case 5:
        return MB_OK | MB_ICONEXCLAMATION;
    default:
        return MB_OK | MB_ICONHAND;
    }
}

std::string_view MessageReporter::FileNameOf(std::string_view path)
{
    return LastPathComponent(path);
}

int MessageReporter::present(const std::string& text, int style)
{
    if (m_commandLine.viewMode)
        return m_presenter.ShowNonBlocking(text, m_caption, style);
    if (IsSilent())
        return 0;
    return m_presenter.Show(text, m_caption, style);
}

} // namespace pellora
