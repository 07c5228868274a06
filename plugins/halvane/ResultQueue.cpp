// The result queue and the layout of a ProbeResult block.

#include "ResultQueue.h"

#include "HalvaneWrapper.h"

#include <cstring>
#include <string>

namespace pellora::halvane {

namespace {

// Copies text with its terminator to block + offset; returns where it landed.
const char* Place(const std::string& text, char* block, std::size_t& offset)
{
    char* const at = block + offset;
    std::memcpy(at, text.c_str(), text.size() + 1);
    offset += text.size() + 1;
    return at;
}

} // namespace

void ResultQueue::Push(DiscoveredPrinter printer)
{
    const std::lock_guard lock(m_mutex);
    m_printers.push_back(std::move(printer));
}

void ResultQueue::Clear()
{
    const std::lock_guard lock(m_mutex);
    m_printers.clear();
}

bool ResultQueue::Fetch(void* buffer, std::uint32_t& size)
{
    const std::lock_guard lock(m_mutex);
    if (m_printers.empty()) {
        size = 0;
        return false;
    }
    const std::uint32_t needed = ProbeResultSize(m_printers.front());
    const bool fits = buffer != nullptr && size >= needed;
    size = needed;
    if (buffer == nullptr)
        return true;
    if (!fits)
        return false;
    WriteProbeResult(m_printers.front(), buffer);
    m_printers.pop_front();
    return true;
}

std::uint32_t ProbeResultSize(const DiscoveredPrinter& printer)
{
    return static_cast<std::uint32_t>(sizeof(ProbeResult) + printer.modelName.size() + printer.macAddress.size() +
                                      printer.deviceId.size() + printer.freeText.size() +
                                      printer.interfaceName.size() + 5);
}

void WriteProbeResult(const DiscoveredPrinter& printer, void* buffer)
{
    char* const block = static_cast<char*>(buffer);
    std::size_t offset = sizeof(ProbeResult);
    ProbeResult record{};
    record.modelName = Place(printer.modelName, block, offset);
    record.macAddress = Place(printer.macAddress, block, offset);
    std::memcpy(record.ipAddress, printer.address.data(), sizeof record.ipAddress);
    record.deviceId = Place(printer.deviceId, block, offset);
    record.freeText = Place(printer.freeText, block, offset);
    record.interfaceName = Place(printer.interfaceName, block, offset);
    std::memcpy(block, &record, sizeof record);
}

} // namespace pellora::halvane
