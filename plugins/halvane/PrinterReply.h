#pragma once

// What the answers of an SNMP agent say about a printer: the objects asked, the printer test, the model
// name from the IEEE 1284 device ID, the physical address and the texts as a probe result carries them.

#include "SnmpMessage.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pellora::halvane {

// The identity objects, in the order the sweep request asks them.
enum class IdentityItem : std::uint8_t { SysName, SysLocation, DeviceType, DeviceDescr, DeviceId, PrinterMib };
inline constexpr std::array kIdentityItems = {IdentityItem::SysName,     IdentityItem::SysLocation,
                                              IdentityItem::DeviceType,  IdentityItem::DeviceDescr,
                                              IdentityItem::DeviceId,    IdentityItem::PrinterMib};

// The raw answers about one agent's identity.
struct Identity {
    std::string sysName;
    std::string sysLocation;
    std::string deviceDescr;
    std::string deviceId;
    bool printerType = false; // hrDeviceType.1 is hrDevicePrinter
    bool printerMib = false;  // an object of the printer MIB answered
};

// The texts of a probe result, cleaned and cut to their limits.
struct PrinterTexts {
    std::string modelName;
    std::string deviceId;
    std::string freeText;
};

// Longest texts handed out, in bytes.
inline constexpr std::size_t kLongestModelName = 255;
inline constexpr std::size_t kLongestDeviceId = 1023;
inline constexpr std::size_t kLongestFreeText = 255;

// The GetNext name that asks for an item: the object's column or group, whose first instance is the item.
const Oid& IdentityQueryName(IdentityItem item);
// Takes an answer to the GetNext of item; one that is not the item's instance (another row, another
// object, an exception, a wrong type) tells nothing and is ignored.
void TakeIdentityAnswer(IdentityItem item, const VarBind& answer, Identity& identity);

bool IsPrinter(const Identity& identity);
PrinterTexts DescribePrinter(const Identity& identity);

// ipAdEntIfIndex of an address (host byte order), and the interface index an answer to it names.
Oid InterfaceIndexName(std::uint32_t address);
std::optional<std::uint32_t> InterfaceIndexFrom(const VarBind& answer, const Oid& asked);
// ifPhysAddress of an interface, and the column for walking.
Oid PhysAddressName(std::uint32_t interfaceIndex);
const Oid& PhysAddressColumn();

// Twelve upper-case hexadecimal digits for a usable physical address: 6 octets that are neither all zero
// nor all 0xFF, or the same written as text ("00:11:22:aa:bb:cc", "00-11-…", "001122AABBCC"); else "".
std::string FormatMacAddress(std::string_view octets);

// The device ID without the two-byte big-endian length that some agents keep in front of it (two bytes
// of which the first is a control character).
std::string_view StripDeviceIdLength(std::string_view raw);
// "MFG MDL" from a device ID's MFG/MANUFACTURER and MDL/MODEL keys (names in any letter case); MDL alone
// when MFG is missing or MDL already starts with it; "" without MDL.
std::string ModelFromDeviceId(std::string_view deviceId);

// Text up to its first NUL, control characters as blanks, blanks trimmed at both ends, cut to limit
// bytes without leaving a UTF-8 sequence cut short.
std::string CleanText(std::string_view raw, std::size_t limit);

} // namespace pellora::halvane
