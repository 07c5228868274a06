#pragma once

// Numbered messages of pellora-cli: the text from the string table on the error stream, with the
// file's name in front for messages about one file.

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace pellora {
class StringTable;
}

namespace pellora::cli {

class MessagePrinter {
public:
    MessagePrinter(const StringTable& table, std::FILE* out);

    // "<caption>: <text>", then the detail on a line of its own when there is one.
    void Message(int number, std::string_view detail = {}) const;
    // "<caption>: <file name>:" and the text on the next line, then the detail.
    void FileMessage(int number, const std::filesystem::path& file, std::string_view detail = {}) const;
    // A message about one printer of a project: "<caption>: printer <n> "<name>":" and the text.
    void PrinterMessage(int number, int printerNumber, std::string_view printerName) const;
    // A text that is no numbered message.
    void Plain(std::string_view text) const;

    // The text of item number of section "MESSAGE" with line breaks as "\n"; "message <n>" when the
    // table holds no text for it.
    std::string MessageText(int number) const;

private:
    void print(const std::string& head, int number, std::string_view detail) const;

    const StringTable& m_table;
    std::FILE* m_out;
    std::string m_caption;
};

} // namespace pellora::cli
