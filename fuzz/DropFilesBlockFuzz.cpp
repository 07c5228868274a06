// Fuzz target: a drop-files block received from another process, decoded, then encoded and decoded again.

#include "core/platform/DropFilesBlock.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto names = pellora::platform::DecodeDropFiles(std::span(data, size));
    if (!names)
        return 0;
    // What was taken from a block goes into a block of this program's own form and comes back unchanged
    // (wide names grow as UTF-8, so the new block may pass the size limit).
    const auto block = pellora::platform::EncodeDropFiles(*names);
    if (block.size() > pellora::platform::kMaxDropFilesBlockBytes)
        return 0;
    const auto again = pellora::platform::DecodeDropFiles(block);
    if (!again || *again != *names)
        std::abort();
    return 0;
}
