// Fuzz target: a string-table text (ANSI/UTF-8 or UTF-16) read into texts and the sections of one group.

#include "core/i18n/StringTable.h"
#include "core/util/IniFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace pellora;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    CIniFile ini;
    ini.Parse(string_table::DecodeText(bytes));
    string_table::HasValidHeader(ini, 0x0411);

    StringTableContent content;
    if (!string_table::ParseContent(ini, kStringTableGroup, content))
        return 0;

    // Every text number left in an entry names a non-empty text, and expansion never fails.
    std::size_t total = 0;
    for (const StringSection& section : content.group.sections) {
        for (const StringEntry& entry : section.entries) {
            total += entry.textIds.size();
            for (const std::uint32_t id : entry.textIds) {
                const auto it = content.texts.find(id);
                if (it == content.texts.end() || it->second.empty())
                    std::abort();
                string_table::ExpandEscapes(it->second);
            }
        }
    }
    if (total > string_table::kMaxTextIds)
        std::abort();
    return 0;
}
