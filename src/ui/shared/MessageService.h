#pragma once

// Numbered messages for the windows: the application installs the service that shows them.

#include <filesystem>
#include <string_view>

namespace pellora {
struct DocumentResult;
}

namespace pellora::ui {

class MessageService {
public:
    virtual ~MessageService() = default;
    // The button pressed, or 0 when nothing is shown.
    virtual int ShowMessage(int number) = 0;
    virtual int ShowFileMessage(int number, std::string_view path) = 0;
    // The message with detail below it: where a failure lies, or a tool's own words.
    virtual int ShowDetailedMessage(int number, std::string_view detail) = 0;
};

// A negative number shows nothing; in view mode it closes the non-blocking box.
inline constexpr int kCloseNonBlockingBox = -1;

// The service in use; nullptr uninstalls it. The caller keeps ownership.
void SetMessageService(MessageService* service);
// Shows through the installed service; 0 when none is installed.
int ShowMessage(int number);
int ShowFileMessage(int number, const std::filesystem::path& path);
int ShowDetailedMessage(int number, std::string_view detail);
// The message a failed document operation carries, as a file message when it names a file, else with
// detail below it when there is one.
void ShowDocumentResult(const DocumentResult& result, std::string_view detail = {});

} // namespace pellora::ui
