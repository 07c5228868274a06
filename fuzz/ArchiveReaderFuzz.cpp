// Fuzz target: a printer clipboard payload read from untrusted bytes.

#include "core/model/Archive.h"
#include "core/model/PrinterInfo.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace pellora;
    try {
        ArchiveReader reader(std::span<const uint8_t>(data, size));
        const auto records = ReadPrinterList(reader);

        // What was read once must write and read back to the same bytes.
        std::vector<uint8_t> first;
        ArchiveWriter firstWriter(first);
        WritePrinterList(firstWriter, records);
        ArchiveReader again(first);
        const auto reread = ReadPrinterList(again);
        std::vector<uint8_t> second;
        ArchiveWriter secondWriter(second);
        WritePrinterList(secondWriter, reread);
        if (first != second || !again.atEnd())
            std::abort();
    } catch (const ArchiveException&) {
        // A short or malformed payload is rejected; nothing more to check.
    }
    return 0;
}
