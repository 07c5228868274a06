// Parses arbitrary text as a registry value; whatever parses must encode, and every value that the
// notation can hold exactly (not text, and a DWORD only with 4 bytes) must parse back unchanged.

#include "core/script/RegistryValue.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto clock = [] { return pellora::LocalDateTime{2001, 2, 3, 4, 5, 6}; };
    const auto value = pellora::RegistryValue::Parse(text, clock);
    if (!value)
        return 0;
    const std::string quoted = value->Encode(true);
    const std::string plain = value->Encode(false);
    const bool exact = value->type() != pellora::kRegString &&
                       (value->type() != pellora::kRegDword || value->data().size() == 4);
    if (exact) {
        if (quoted != plain)
            __builtin_trap();
        const auto again = pellora::RegistryValue::Parse(quoted, clock);
        if (!again || !(*again == *value))
            __builtin_trap();
    }
    return 0;
}
