// Fuzzes the private-profile parser: any text parses, serializes and parses again to the same document.

#include "core/platform/Profile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    pellora::platform::ProfileDocument document;
    document.parse(text);

    pellora::platform::ProfileDocument again;
    again.parse(document.serialize());
    if (!(again == document))
        std::abort();

    // Whatever the first section and key are, a value written there reads back as a reader sees it.
    const auto sections = document.sectionNames();
    if (!sections.empty() && document.set(sections.front(), "FuzzKey", text.substr(0, 64))) {
        const auto value = document.get(sections.front(), "FuzzKey");
        if (!value || *value != pellora::platform::ProfileDocument::parsedValue(text.substr(0, 64)))
            std::abort();
    }
    return 0;
}
