#pragma once

// A message service for window tests: installed for its lifetime, records every number shown and
// every question asked.

#include "ui/shared/MessageService.h"

#include <string>
#include <string_view>
#include <vector>

namespace pellora::test {

class MessageRecorder : public ui::MessageService {
public:
    MessageRecorder() { ui::SetMessageService(this); }
    ~MessageRecorder() override { ui::SetMessageService(nullptr); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    int ShowMessage(int number) override
    {
        shown.push_back(number);
        return 1;
    }
    int ShowFileMessage(int number, std::string_view) override
    {
        shown.push_back(number);
        return 1;
    }
    int ShowDetailedMessage(int number, std::string_view detail) override
    {
        shown.push_back(number);
        details.emplace_back(detail);
        return 1;
    }

    // Records the question and answers with questionAnswer.
    int AskQuestion(const QString& text, bool withCancel) override
    {
        questions.push_back(text);
        cancelOffered.push_back(withCancel);
        return questionAnswer;
    }

    std::vector<int> shown;
    std::vector<QString> questions;
    std::vector<bool> cancelOffered;
    int questionAnswer = ui::kAnswerYes;
    std::vector<std::string> details; // of the messages shown with detail, in order
};

} // namespace pellora::test
