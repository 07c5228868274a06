#pragma once

// Numbered messages and questions for the windows: the application installs the service that shows
// them.

#include <QString>

#include <filesystem>
#include <string_view>

namespace pellora {
struct DocumentResult;
}

namespace pellora::ui {

// The buttons that end a message or a question.
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;
inline constexpr int kAnswerCancel = 2;

// The string-table section of the questions: their texts and the texts of their buttons (the items of
// the buttons are the answers' numbers).
inline constexpr std::string_view kQuestionSection = "QUESTION";
enum : int {
    kQuestionSaveChanges = 10,   // "%1": the project's title
    kQuestionSaveAnyway = 11,    // after the message of a failed pre-build check
    kQuestionRemovePrinters = 12, // "%1": how many printers
};

class MessageService {
public:
    virtual ~MessageService() = default;
    // The button pressed, or 0 when nothing is shown.
    virtual int ShowMessage(int number) = 0;
    virtual int ShowFileMessage(int number, std::string_view path) = 0;
    // The message with detail below it: where a failure lies, or a tool's own words.
    virtual int ShowDetailedMessage(int number, std::string_view detail) = 0;
    // A question in the user's language with Yes and No, and Cancel when withCancel is set; returns
    // kAnswerYes, kAnswerNo or kAnswerCancel. By default a modal box over the active window.
    virtual int AskQuestion(const QString& text, bool withCancel);
};

// A negative number shows nothing; in view mode it closes the non-blocking box.
inline constexpr int kCloseNonBlockingBox = -1;

// The service in use; nullptr uninstalls it. The caller keeps ownership.
void SetMessageService(MessageService* service);
// Shows through the installed service; 0 when none is installed.
int ShowMessage(int number);
int ShowFileMessage(int number, const std::filesystem::path& path);
int ShowDetailedMessage(int number, std::string_view detail);
// Asks through the installed service; 0 (neither yes nor no) when none is installed.
int AskQuestion(const QString& text, bool withCancel = false);
// The message a failed document operation carries, as a file message when it names a file, else with
// detail below it when there is one.
void ShowDocumentResult(const DocumentResult& result, std::string_view detail = {});

} // namespace pellora::ui
