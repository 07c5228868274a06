#include "core/model/PrinterListRules.h"

#include <algorithm>

namespace pellora {

bool IsPlaceholderAddress(std::string_view address)
{
    return address.empty() || address == kPlaceholderAddressNone || address == kPlaceholderAddressManual;
}

std::string PrinterItemText(const CPrinterInfoEx& record, int column, std::string_view none)
{
    const auto orNone = [none](const std::string& text) { return text.empty() ? std::string(none) : text; };
    switch (column) {
    case kColumnName:
        return orNone(record.printerName);
    case kColumnAddress:
        return IsPlaceholderAddress(record.address) ? std::string(none) : record.address;
    case kColumnModel:
        return orNone(record.modelName);
    case kColumnMac:
        return orNone(record.macAddress);
    case kColumnNote:
        return record.identityNote;
    default:
        return {};
    }
}

bool IsIncompleteRecord(const CPrinterInfoEx& record)
{
    return record.printerName.empty() || IsPlaceholderAddress(record.address) || record.modelName.empty();
}

int PrinterImageIndex(const CPrinterInfoEx& record)
{
    return (record.defaultPrinter ? 2 : 0) + (IsIncompleteRecord(record) ? 1 : 0);
}

std::optional<std::uint32_t> DottedQuadValue(std::string_view text)
{
    std::uint32_t value = 0;
    bool overflow = false;
    int parts = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = text.find('.', start);
        const std::string_view part = text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        if (part.empty() || part.size() > 3)
            return std::nullopt;
        unsigned number = 0;
        for (const char c : part) {
            if (c < '0' || c > '9')
                return std::nullopt;
            number = number * 10 + static_cast<unsigned>(c - '0');
        }
        overflow = overflow || number > 255;
        value = (value << 8) | (number & 0xFF);
        ++parts;
        if (dot == std::string_view::npos)
            break;
        if (parts == 4)
            return std::nullopt;
        start = dot + 1;
    }
    if (parts != 4)
        return std::nullopt;
    return overflow ? 0xFFFFFFFFu : value;
}

namespace {

int CompareBytes(std::string_view a, std::string_view b)
{
    const int result = a.compare(b);
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

int CompareAddresses(std::string_view a, std::string_view b)
{
    if (IsPlaceholderAddress(a))
        a = {};
    if (IsPlaceholderAddress(b))
        b = {};
    const auto va = DottedQuadValue(a);
    const auto vb = DottedQuadValue(b);
    if (va && !vb)
        return -1;
    if (!va && vb)
        return 1;
    if (va && vb && *va != *vb)
        return *va < *vb ? -1 : 1;
    return CompareBytes(a, b);
}

} // namespace

int ComparePrinterColumn(const CPrinterInfoEx& a, const CPrinterInfoEx& b, int column)
{
    switch (column) {
    case kColumnName:
        return CompareBytes(a.printerName, b.printerName);
    case kColumnAddress:
        return CompareAddresses(a.address, b.address);
    case kColumnModel:
        return CompareBytes(a.modelName, b.modelName);
    case kColumnMac:
        return CompareBytes(a.macAddress, b.macAddress);
    case kColumnNote:
        return CompareBytes(a.identityNote, b.identityNote);
    default:
        return 0;
    }
}

std::vector<std::size_t> DropMoveOrder(const std::vector<bool>& selected, std::ptrdiff_t dropIndex)
{
    const std::size_t count = selected.size();
    std::vector<std::size_t> order;
    order.reserve(count);
    if (count == 0)
        return order;
    const std::size_t drop =
        dropIndex < 0 || static_cast<std::size_t>(dropIndex) >= count ? count - 1 : static_cast<std::size_t>(dropIndex);
    const auto firstSelected = std::find(selected.begin(), selected.end(), true);
    const bool selectionBefore = firstSelected != selected.end() &&
                                 static_cast<std::size_t>(firstSelected - selected.begin()) < drop;
    // Unselected items up to (and with selectionBefore including) the drop item come first.
    const std::size_t split = selectionBefore ? drop + 1 : drop;
    for (std::size_t i = 0; i < split; ++i) {
        if (!selected[i])
            order.push_back(i);
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (selected[i])
            order.push_back(i);
    }
    for (std::size_t i = split; i < count; ++i) {
        if (!selected[i])
            order.push_back(i);
    }
    return order;
}

} // namespace pellora
