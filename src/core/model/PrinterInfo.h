#pragma once

// The printer record: one printer to install with every setting, and its archive form.

#include "core/model/DriverBlocks.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pellora {

class ArchiveReader;
class ArchiveWriter;

inline constexpr char kPlaceholderAddressManual[] = "192.168.192.168";
inline constexpr char kPlaceholderAddressNone[] = "11.22.33.44";

// Characters a printer name never holds, and the name without them.
inline constexpr std::string_view kForbiddenPrinterNameCharacters = "!,\\";
std::string WithoutForbiddenCharacters(std::string_view printerName);

// Identity, address and driver source of a printer.
class CPrinterInfo {
public:
    CPrinterInfo() = default;
    virtual ~CPrinterInfo() = default;

    // Copies every field of this part except spareInt2.
    void CopyPrinterInfo(const CPrinterInfo& source);

    // Sets addressKind, address, subnetMask, macAddress and addressExtra and derives networkAddress.
    int SetNetwork(int32_t kind, std::string_view address, std::string_view mask, std::string_view mac,
        std::string_view extra);
    int SetIdentity(std::string_view deviceIdText, std::string_view printerNameText,
        std::string_view modelNameText, std::string_view identityNoteText);
    void SetPrinterName(std::string_view name) { printerName = name; }
    void SetOptionFlags(int32_t flags) { optionFlags = flags; }

    const std::string& GetMacAddress() const { return macAddress; }
    const std::string& GetAddress() const { return address; }
    const std::string& GetSubnetMask() const { return subnetMask; }
    const std::string& GetAddressExtra() const { return addressExtra; }
    const std::string& GetNetworkAddress() const { return networkAddress; }
    const std::string& GetModelName() const { return modelName; }
    const std::string& GetReportedModelName() const { return reportedModelName; }
    const std::string& GetDeviceId() const { return deviceId; }
    const std::string& GetPrinterName() const { return printerName; }
    const std::string& GetIdentityNote() const { return identityNote; }
    const std::string& GetCapabilityFilePath() const { return capabilityFilePath; }
    const std::string& GetComment() const { return comment; }
    const std::string& GetLocation() const { return location; }

    bool operator==(const CPrinterInfo&) const = default;

    std::string macAddress;
    std::string address;
    std::string subnetMask;
    std::string addressExtra;
    std::string networkAddress;
    std::string spareText1;
    std::string spareText2;
    std::string spareText3;
    std::string spareText4;
    int32_t addressKind = 1;
    std::string modelName = "RX-C3400";
    std::string reportedModelName;
    std::string deviceId;
    std::string spareText5;
    std::string spareText6;
    std::string printerName;
    std::string identityNote;
    int32_t entryKind = 2;
    // Driver source bits: 1 folder list, 2 CD-ROM, 0x24 the system's own driver store.
    int32_t optionFlags = 0;
    std::vector<std::string> driverFolders;
    std::string capabilityFilePath;
    int32_t spareInt1 = 0;
    int32_t testPrint = 0;
    int32_t defaultPrinter = 0;
    int32_t usePostScript = 0;
    int32_t spareInt2 = 0;
    int32_t spareInt3 = 0;
    int32_t spareInt4 = 0;
    std::string spareText7;
    std::string comment;
    std::string location;
    int32_t useCommonDriver = 0;
    std::string spareText8;

protected:
    // Whole-record copies only through the derived record, which decides what a copy is.
    CPrinterInfo(const CPrinterInfo&) = default;
    CPrinterInfo& operator=(const CPrinterInfo&) = default;
    CPrinterInfo& operator=(CPrinterInfo&&) = default;
};

// A printer record with its print settings, utilities and driver extension settings.
//
// Two kinds of copy exist. Construction from a record is the partial copy: it starts from the
// defaults and takes over the CPrinterInfo part (without spareInt2) and, from a CPrinterInfoEx, the
// connection fields. Assignment and Clone() copy every field.
class CPrinterInfoEx : public CPrinterInfo {
public:
    CPrinterInfoEx() = default;
    explicit CPrinterInfoEx(const CPrinterInfo& source);
    explicit CPrinterInfoEx(const CPrinterInfoEx& source)
        : CPrinterInfoEx(static_cast<const CPrinterInfo&>(source))
    {
    }
    CPrinterInfoEx& operator=(const CPrinterInfoEx&) = default;
    CPrinterInfoEx& operator=(CPrinterInfoEx&&) = default;
    ~CPrinterInfoEx() override = default;

    std::unique_ptr<CPrinterInfoEx> Clone() const;

    // A record for a printer added by hand: the printer name is prefix + a process-wide counter that
    // starts at 1, the address is the manual placeholder, entryKind is 0.
    static std::unique_ptr<CPrinterInfoEx> NewPrinter(std::string_view prefix);

    int32_t GetConnection() const { return connection; }
    void SetConnection(int32_t value) { connection = value; }
    const std::string& GetNicName() const { return nicName; }
    const std::string& GetBsfPath() const { return bsfPath; }

    // The print settings as they take effect: -1 (or 0 for the flags) unless applyPrintSettings is on.
    int32_t GetPaperSize() const { return applied(paperSize); }
    int32_t GetPaperSource() const { return applied(paperSource); }
    int32_t GetColor() const { return applied(color); }
    int32_t GetQuality() const { return applied(quality); }
    int32_t GetLayout() const { return applied(layout); }
    int32_t GetBinding() const { return applied(binding); }
    int32_t GetUseLayout() const { return appliedFlag(useLayout); }
    int32_t GetDuplex() const { return appliedFlag(duplex); }
    int32_t GetTonerSave() const { return appliedFlag(tonerSave); }
    int32_t EffectiveLockMask() const { return applyPrintSettings ? lockMask : 0; }

    // Appends the folder unless an entry equal to it without regard to case is listed; true when added.
    bool AddUtilityFolder(std::string_view folder);

    // The archive form; reading replaces the archived fields only when the whole record was read and
    // throws ArchiveException otherwise, leaving this record as it was.
    void Serialize(ArchiveWriter& archive) const;
    void Serialize(ArchiveReader& archive);

    bool operator==(const CPrinterInfoEx&) const = default;

    int32_t paperSize = -1;
    int32_t paperSource = -1;
    int32_t color = -1;
    int32_t quality = -1;
    int32_t useLayout = 0;
    int32_t layout = -1;
    int32_t duplex = 0;
    int32_t binding = -1;
    int32_t tonerSave = 0;
    int32_t lockMask = 0;
    int32_t applyPrintSettings = 0;
    int32_t switchSetting = 0; // not archived
    std::string spareText9;
    std::string spareText10; // not archived
    int32_t spareInt5 = 0;
    int32_t spareInt6 = 0; // not archived
    int32_t installUtility = 0;
    std::vector<std::string> utilityPaths;
    std::vector<std::string> utilityNames; // parallel to utilityPaths
    // 1 or more: install the status monitor; monitorBlock is then valid and archived.
    int32_t installMonitor = 0;
    int32_t installLogBrowser = 0;
    int32_t installNetworkTwain = 0;
    int32_t utilitySearchFolder = 0;
    int32_t utilitySearchCdrom = 0;
    std::vector<std::string> utilityFolders;
    MonitorBlock monitorBlock;
    int32_t useHydro = 0;
    int32_t spareInt7 = 0;
    int32_t autoPort = 0;
    std::string nicName;
    int32_t portBlockFlags = 0; // bit 0: portBlock is valid
    PortBlock portBlock;
    int32_t installConfirm = 0;
    int32_t securityBlockValid = 0;
    SecurityBlock securityBlock;
    int32_t connection = 0; // 0 network printer, 1 locally connected
    std::string bsfPath;
    std::string connectionText1;
    std::string connectionText2;
    int32_t instModeOff = 0; // 0 new or additional installation, 1 update
    int32_t modelIndex = -1; // not archived
    // Working values: neither archived nor taken over by the partial copy.
    int32_t workInt1 = 0;
    std::vector<std::string> workTexts1;
    int32_t sharedPrinter = 0;
    int32_t workInt2 = 0;
    int32_t workInt3 = 0;
    std::string workText1;
    std::array<uint8_t, 16> workBytes = {};
    std::string workText2;
    std::vector<std::string> workTexts2;

private:
    int32_t applied(int32_t value) const { return applyPrintSettings ? value : -1; }
    int32_t appliedFlag(int32_t flag) const { return applyPrintSettings && flag ? 1 : 0; }

    void readArchived(ArchiveReader& archive);
};

// Clipboard payload: a 32-bit count, then the records back to back in their archive form.
void WritePrinterList(ArchiveWriter& archive, std::span<const CPrinterInfoEx* const> records);
void WritePrinterList(ArchiveWriter& archive, const std::vector<std::unique_ptr<CPrinterInfoEx>>& records);
// Throws ArchiveException when the payload is short or its count cannot fit in the bytes left.
std::vector<std::unique_ptr<CPrinterInfoEx>> ReadPrinterList(ArchiveReader& archive);
// The record count at the start of a payload, checked against the bytes left; for callers that read
// the records one at a time.
uint32_t ReadPrinterCount(ArchiveReader& archive);

// The fewest bytes a record's archive form can take (every text empty, every list empty).
inline constexpr std::size_t kMinArchivedRecordSize = 342;

} // namespace pellora
