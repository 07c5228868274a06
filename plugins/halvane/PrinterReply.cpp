// Maps the answers of an SNMP agent to the fields of a discovered printer.

#include "PrinterReply.h"

#include <algorithm>
#include <cctype>

namespace pellora::halvane {

namespace {

const Oid kSysName = {1, 3, 6, 1, 2, 1, 1, 5};
const Oid kSysLocation = {1, 3, 6, 1, 2, 1, 1, 6};
const Oid kHrDeviceType = {1, 3, 6, 1, 2, 1, 25, 3, 2, 1, 2};
const Oid kHrDeviceDescr = {1, 3, 6, 1, 2, 1, 25, 3, 2, 1, 3};
const Oid kPrinterDeviceId = {1, 3, 6, 1, 4, 1, 2699, 1, 2, 1, 2, 1, 1, 3};
const Oid kPrinterMib = {1, 3, 6, 1, 2, 1, 43};
const Oid kHrDevicePrinter = {1, 3, 6, 1, 2, 1, 25, 3, 1, 5};
const Oid kIpAdEntIfIndex = {1, 3, 6, 1, 2, 1, 4, 20, 1, 2};
const Oid kIfPhysAddress = {1, 3, 6, 1, 2, 1, 2, 2, 1, 6};

Oid Instance(const Oid& object, std::uint32_t index)
{
    Oid name = object;
    name.push_back(index);
    return name;
}

// The instance that answers the GetNext of an item.
const Oid& ExpectedInstance(IdentityItem item)
{
    static const Oid sysName = Instance(kSysName, 0);
    static const Oid sysLocation = Instance(kSysLocation, 0);
    static const Oid deviceType = Instance(kHrDeviceType, 1);
    static const Oid deviceDescr = Instance(kHrDeviceDescr, 1);
    static const Oid deviceId = Instance(kPrinterDeviceId, 1);
    switch (item) {
    case IdentityItem::SysName:
        return sysName;
    case IdentityItem::SysLocation:
        return sysLocation;
    case IdentityItem::DeviceType:
        return deviceType;
    case IdentityItem::DeviceDescr:
        return deviceDescr;
    case IdentityItem::DeviceId:
    case IdentityItem::PrinterMib:
        break;
    }
    return deviceId;
}

std::string_view Trim(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string Upper(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

// The value of the first key of a device ID that is one of the two names.
std::string_view DeviceIdValue(std::string_view deviceId, std::string_view name, std::string_view longName)
{
    while (!deviceId.empty()) {
        const std::size_t end = deviceId.find(';');
        const std::string_view pair = deviceId.substr(0, end);
        deviceId = end == std::string_view::npos ? std::string_view() : deviceId.substr(end + 1);
        const std::size_t colon = pair.find(':');
        if (colon == std::string_view::npos)
            continue;
        const std::string key = Upper(Trim(pair.substr(0, colon)));
        if (key == name || key == longName)
            return Trim(pair.substr(colon + 1));
    }
    return {};
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Six octets from "00:11:22:aa:bb:cc", "00-11-22-aa-bb-cc" or "001122aabbcc".
std::optional<std::string> OctetsFromText(std::string_view text)
{
    const bool separated = text.size() == 17;
    if (!separated && text.size() != 12)
        return std::nullopt;
    const std::size_t step = separated ? 3 : 2;
    std::string octets;
    for (std::size_t i = 0; i < 6; ++i) {
        const std::size_t at = i * step;
        if (separated && i > 0 && text[at - 1] != text[2])
            return std::nullopt;
        const int high = HexDigit(text[at]);
        const int low = HexDigit(text[at + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        octets += static_cast<char>(high * 16 + low);
    }
    if (separated && text[2] != ':' && text[2] != '-')
        return std::nullopt;
    return octets;
}

// Length of the UTF-8 sequence a lead byte starts; 1 for anything else.
std::size_t SequenceLength(unsigned char lead)
{
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

} // namespace

const Oid& IdentityQueryName(IdentityItem item)
{
    switch (item) {
    case IdentityItem::SysName:
        return kSysName;
    case IdentityItem::SysLocation:
        return kSysLocation;
    case IdentityItem::DeviceType:
        return kHrDeviceType;
    case IdentityItem::DeviceDescr:
        return kHrDeviceDescr;
    case IdentityItem::DeviceId:
        return kPrinterDeviceId;
    case IdentityItem::PrinterMib:
        break;
    }
    return kPrinterMib;
}

void TakeIdentityAnswer(IdentityItem item, const VarBind& answer, Identity& identity)
{
    if (item == IdentityItem::PrinterMib) {
        identity.printerMib = identity.printerMib || (IsBelow(answer.name, kPrinterMib) && !HasNoValue(answer.type));
        return;
    }
    if (answer.name != ExpectedInstance(item))
        return;
    if (item == IdentityItem::DeviceType) {
        identity.printerType = answer.type == ValueType::ObjectId && answer.objectId == kHrDevicePrinter;
        return;
    }
    if (answer.type != ValueType::OctetString)
        return;
    switch (item) {
    case IdentityItem::SysName:
        identity.sysName = answer.octets;
        break;
    case IdentityItem::SysLocation:
        identity.sysLocation = answer.octets;
        break;
    case IdentityItem::DeviceDescr:
        identity.deviceDescr = answer.octets;
        break;
    default:
        identity.deviceId = answer.octets;
        break;
    }
}

bool IsPrinter(const Identity& identity)
{
    return identity.printerType || identity.printerMib;
}

PrinterTexts DescribePrinter(const Identity& identity)
{
    PrinterTexts texts;
    texts.deviceId = CleanText(StripDeviceIdLength(identity.deviceId), kLongestDeviceId);
    texts.modelName = CleanText(ModelFromDeviceId(texts.deviceId), kLongestModelName);
    if (texts.modelName.empty())
        texts.modelName = CleanText(identity.deviceDescr, kLongestModelName);
    texts.freeText = CleanText(identity.sysName, kLongestFreeText);
    if (texts.freeText.empty())
        texts.freeText = CleanText(identity.sysLocation, kLongestFreeText);
    return texts;
}

Oid InterfaceIndexName(std::uint32_t address)
{
    Oid name = kIpAdEntIfIndex;
    for (int shift = 24; shift >= 0; shift -= 8)
        name.push_back((address >> shift) & 0xFF);
    return name;
}

std::optional<std::uint32_t> InterfaceIndexFrom(const VarBind& answer, const Oid& asked)
{
    if (answer.name != asked || answer.type != ValueType::Integer || answer.integer < 1 || answer.integer > 0x7FFFFFFF)
        return std::nullopt;
    return static_cast<std::uint32_t>(answer.integer);
}

Oid PhysAddressName(std::uint32_t interfaceIndex)
{
    return Instance(kIfPhysAddress, interfaceIndex);
}

const Oid& PhysAddressColumn()
{
    return kIfPhysAddress;
}

std::string FormatMacAddress(std::string_view octets)
{
    std::string bytes(octets);
    if (bytes.size() != 6) {
        const std::optional<std::string> parsed = OctetsFromText(octets);
        if (!parsed)
            return {};
        bytes = *parsed;
    }
    const auto all = [&bytes](unsigned char value) {
        return std::all_of(bytes.begin(), bytes.end(), [value](char c) { return static_cast<unsigned char>(c) == value; });
    };
    if (all(0x00) || all(0xFF))
        return {};
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const char c : bytes) {
        const auto value = static_cast<unsigned char>(c);
        text += kDigits[value >> 4];
        text += kDigits[value & 0x0F];
    }
    return text;
}

std::string_view StripDeviceIdLength(std::string_view raw)
{
    if (raw.size() < 2)
        return raw;
    // A device ID starts with a key name; a control character in front is the high byte of a length (its
    // value is not trusted: agents count it with or without the two bytes, or not at all).
    return static_cast<unsigned char>(raw[0]) < 0x20 ? raw.substr(2) : raw;
}

std::string ModelFromDeviceId(std::string_view deviceId)
{
    const std::string_view model = DeviceIdValue(deviceId, "MDL", "MODEL");
    if (model.empty())
        return {};
    const std::string_view maker = DeviceIdValue(deviceId, "MFG", "MANUFACTURER");
    const bool hasMaker = model.size() >= maker.size() && Upper(model.substr(0, maker.size())) == Upper(maker) &&
                          (model.size() == maker.size() || model[maker.size()] == ' ');
    if (maker.empty() || hasMaker)
        return std::string(model);
    return std::string(maker) + ' ' + std::string(model);
}

std::string CleanText(std::string_view raw, std::size_t limit)
{
    raw = raw.substr(0, raw.find('\0'));
    std::string text(raw);
    for (char& c : text) {
        const auto value = static_cast<unsigned char>(c);
        if (value < 0x20 || value == 0x7F)
            c = ' ';
    }
    text = std::string(Trim(text));
    if (text.size() <= limit)
        return text;
    std::size_t cut = limit;
    std::size_t lead = cut;
    while (lead > 0 && (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80)
        --lead;
    if (lead > 0 && cut - (lead - 1) < SequenceLength(static_cast<unsigned char>(text[lead - 1])))
        cut = lead - 1;
    text.resize(cut);
    return std::string(Trim(text));
}

} // namespace pellora::halvane
