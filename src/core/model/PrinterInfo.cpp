#include "core/model/PrinterInfo.h"

#include "core/model/Archive.h"
#include "core/util/Ipv4.h"

#include <algorithm>
#include <atomic>

namespace pellora {

std::string WithoutForbiddenCharacters(std::string_view printerName)
{
    std::string cleaned;
    cleaned.reserve(printerName.size());
    for (const char c : printerName) {
        if (kForbiddenPrinterNameCharacters.find(c) == std::string_view::npos)
            cleaned += c;
    }
    return cleaned;
}

namespace {

// The smallest archived forms of the list elements: an empty text takes its one length byte.
constexpr std::size_t kMinTextSize = 1;
constexpr std::size_t kMinUtilityPairSize = 2 * kMinTextSize;

template <std::size_t N>
void writeChars(ArchiveWriter& archive, const char (&area)[N])
{
    archive.writeBytes({reinterpret_cast<const uint8_t*>(area), N});
}

// The text areas come from outside data: whatever they hold, they end with a NUL afterwards.
template <std::size_t N>
void readChars(ArchiveReader& archive, char (&area)[N])
{
    archive.readBytes({reinterpret_cast<uint8_t*>(area), N});
    area[N - 1] = '\0';
}

void writeBlock(ArchiveWriter& archive, const MonitorBlock& block)
{
    for (const int32_t value : {block.LockCustomValue, block.EnableMonitoring, block.EnableErrorIcon,
             block.EnableWarningIcon, block.PopupError, block.PopupWarning, block.SoundNotifyEnable,
             block.Notify_Printed, block.MonitoringIntervalLocal, block.MonitoringIntervalNet})
        archive.writeI32(value);
    writeChars(archive, block.sectionName);
}

void readBlock(ArchiveReader& archive, MonitorBlock& block)
{
    for (int32_t* value : {&block.LockCustomValue, &block.EnableMonitoring, &block.EnableErrorIcon,
             &block.EnableWarningIcon, &block.PopupError, &block.PopupWarning, &block.SoundNotifyEnable,
             &block.Notify_Printed, &block.MonitoringIntervalLocal, &block.MonitoringIntervalNet})
        *value = archive.readI32();
    readChars(archive, block.sectionName);
}

void writeBlock(ArchiveWriter& archive, const PortBlock& block)
{
    archive.writeI32(block.ProtocolID);
    writeChars(archive, block.QueueName);
    archive.writeI32(block.SecureRawPortNo);
    archive.writeI32(block.SecureUserMode);
    archive.writeI32(block.CheckPortNo);
    writeChars(archive, block.sectionName);
}

void readBlock(ArchiveReader& archive, PortBlock& block)
{
    block.ProtocolID = archive.readI32();
    readChars(archive, block.QueueName);
    block.SecureRawPortNo = archive.readI32();
    block.SecureUserMode = archive.readI32();
    block.CheckPortNo = archive.readI32();
    readChars(archive, block.sectionName);
}

void writeBlock(ArchiveWriter& archive, const SecurityBlock& block)
{
    for (const int32_t value : {block.NotAllowBlock, block.NotAllowStamp, block.NotAllowHeader,
             block.NotAllowPassword, block.BlockPattern, block.BlockPatternColor, block.BlockPatternArrange,
             block.StampMark, block.HeaderFooter, block.HeaderLeft, block.HeaderCenter, block.HeaderRight,
             block.FooterLeft, block.FooterCenter, block.FooterRight, block.Password, block.Lock})
        archive.writeI32(value);
}

void readBlock(ArchiveReader& archive, SecurityBlock& block)
{
    for (int32_t* value : {&block.NotAllowBlock, &block.NotAllowStamp, &block.NotAllowHeader,
             &block.NotAllowPassword, &block.BlockPattern, &block.BlockPatternColor, &block.BlockPatternArrange,
             &block.StampMark, &block.HeaderFooter, &block.HeaderLeft, &block.HeaderCenter, &block.HeaderRight,
             &block.FooterLeft, &block.FooterCenter, &block.FooterRight, &block.Password, &block.Lock})
        *value = archive.readI32();
}

void writeTexts(ArchiveWriter& archive, std::initializer_list<const std::string*> texts)
{
    for (const std::string* text : texts)
        archive.writeString(*text);
}

void readTexts(ArchiveReader& archive, std::initializer_list<std::string*> texts)
{
    for (std::string* text : texts)
        *text = archive.readString();
}

void writeInts(ArchiveWriter& archive, std::initializer_list<int32_t> values)
{
    for (const int32_t value : values)
        archive.writeI32(value);
}

void readInts(ArchiveReader& archive, std::initializer_list<int32_t*> values)
{
    for (int32_t* value : values)
        *value = archive.readI32();
}

void writeList(ArchiveWriter& archive, const std::vector<std::string>& list)
{
    archive.writeU32(static_cast<uint32_t>(list.size()));
    for (const std::string& text : list)
        archive.writeString(text);
}

void readList(ArchiveReader& archive, std::vector<std::string>& list)
{
    const uint32_t count = archive.readCount(kMinTextSize);
    list.clear();
    for (uint32_t i = 0; i < count; ++i)
        list.push_back(archive.readString());
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return fold(x) == fold(y); });
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// CPrinterInfo

void CPrinterInfo::CopyPrinterInfo(const CPrinterInfo& source)
{
    if (&source == this)
        return;
    const int32_t keptSpareInt2 = spareInt2;
    CPrinterInfo::operator=(source);
    spareInt2 = keptSpareInt2;
}

int CPrinterInfo::SetNetwork(int32_t kind, std::string_view addressText, std::string_view mask,
    std::string_view mac, std::string_view extra)
{
    addressKind = kind;
    address = addressText;
    subnetMask = mask;
    macAddress = mac;
    addressExtra = extra;
    networkAddress = NetworkAddressOf(address, subnetMask);
    return 1;
}

int CPrinterInfo::SetIdentity(std::string_view deviceIdText, std::string_view printerNameText,
    std::string_view modelNameText, std::string_view identityNoteText)
{
    deviceId = deviceIdText;
    printerName = printerNameText;
    modelName = modelNameText;
    identityNote = identityNoteText;
    return 1;
}

// ---------------------------------------------------------------------------------------------------
// CPrinterInfoEx

CPrinterInfoEx::CPrinterInfoEx(const CPrinterInfo& source)
{
    if (const auto* ex = dynamic_cast<const CPrinterInfoEx*>(&source)) {
        connection = ex->connection;
        bsfPath = ex->bsfPath;
        connectionText1 = ex->connectionText1;
        connectionText2 = ex->connectionText2;
        instModeOff = ex->instModeOff;
        sharedPrinter = ex->sharedPrinter;
    }
    CopyPrinterInfo(source);
}

std::unique_ptr<CPrinterInfoEx> CPrinterInfoEx::Clone() const
{
    auto copy = std::make_unique<CPrinterInfoEx>();
    *copy = *this;
    return copy;
}

std::unique_ptr<CPrinterInfoEx> CPrinterInfoEx::NewPrinter(std::string_view prefix)
{
    static std::atomic<unsigned long> counter{0};
    const unsigned long number = counter.fetch_add(1, std::memory_order_relaxed) + 1;

    auto record = std::make_unique<CPrinterInfoEx>();
    record->SetNetwork(1, kPlaceholderAddressManual, "255.255.255.0", "", "");
    record->SetIdentity("", std::string(prefix) + std::to_string(number), "", "");
    record->entryKind = 0;
    return record;
}

bool CPrinterInfoEx::AddUtilityFolder(std::string_view folder)
{
    const bool listed = std::any_of(utilityFolders.begin(), utilityFolders.end(),
        [&](const std::string& entry) { return equalsIgnoringCase(entry, folder); });
    if (listed)
        return false;
    utilityFolders.emplace_back(folder);
    return true;
}

void CPrinterInfoEx::Serialize(ArchiveWriter& archive) const
{
    writeTexts(archive, {&macAddress, &address, &subnetMask, &addressExtra, &networkAddress, &spareText1,
                            &spareText2, &spareText3, &spareText4});
    archive.writeI32(addressKind);
    writeTexts(archive, {&modelName, &reportedModelName, &deviceId, &spareText5, &spareText6, &printerName,
                            &identityNote});
    writeInts(archive, {entryKind, optionFlags});
    writeList(archive, driverFolders);
    archive.writeString(capabilityFilePath);
    writeInts(archive, {spareInt1, testPrint, defaultPrinter, usePostScript, spareInt2, spareInt3, spareInt4});
    writeTexts(archive, {&spareText7, &comment, &location});
    archive.writeI32(useCommonDriver);
    archive.writeString(spareText8);
    writeInts(archive, {paperSize, paperSource, color, quality, useLayout, layout, applyPrintSettings, duplex,
                           binding, tonerSave, lockMask});
    archive.writeString(spareText9);
    writeInts(archive, {spareInt5, installUtility});

    archive.writeU32(static_cast<uint32_t>(utilityPaths.size()));
    for (std::size_t i = 0; i < utilityPaths.size(); ++i) {
        archive.writeString(utilityPaths[i]);
        archive.writeString(i < utilityNames.size() ? std::string_view(utilityNames[i]) : std::string_view());
    }

    writeInts(archive, {installMonitor, installLogBrowser, installNetworkTwain, utilitySearchFolder,
                           utilitySearchCdrom});
    writeList(archive, utilityFolders);
    if (installMonitor != 0)
        writeBlock(archive, monitorBlock);
    writeInts(archive, {useHydro, spareInt7, autoPort});
    archive.writeString(nicName);
    archive.writeI32(portBlockFlags);
    writeBlock(archive, portBlock);
    writeInts(archive, {installConfirm, securityBlockValid});
    writeBlock(archive, securityBlock);
    archive.writeI32(connection);
    writeTexts(archive, {&bsfPath, &connectionText1, &connectionText2});
    writeInts(archive, {instModeOff, sharedPrinter});
}

void CPrinterInfoEx::Serialize(ArchiveReader& archive)
{
    CPrinterInfoEx next;
    next = *this;
    next.readArchived(archive);
    *this = std::move(next);
}

void CPrinterInfoEx::readArchived(ArchiveReader& archive)
{
    readTexts(archive, {&macAddress, &address, &subnetMask, &addressExtra, &networkAddress, &spareText1,
                           &spareText2, &spareText3, &spareText4});
    addressKind = archive.readI32();
    readTexts(archive, {&modelName, &reportedModelName, &deviceId, &spareText5, &spareText6, &printerName,
                           &identityNote});
    readInts(archive, {&entryKind, &optionFlags});
    readList(archive, driverFolders);
    capabilityFilePath = archive.readString();
    readInts(archive, {&spareInt1, &testPrint, &defaultPrinter, &usePostScript, &spareInt2, &spareInt3,
                          &spareInt4});
    readTexts(archive, {&spareText7, &comment, &location});
    useCommonDriver = archive.readI32();
    spareText8 = archive.readString();
    readInts(archive, {&paperSize, &paperSource, &color, &quality, &useLayout, &layout, &applyPrintSettings,
                          &duplex, &binding, &tonerSave, &lockMask});
    spareText9 = archive.readString();
    readInts(archive, {&spareInt5, &installUtility});

    const uint32_t utilityCount = archive.readCount(kMinUtilityPairSize);
    utilityPaths.clear();
    utilityNames.clear();
    for (uint32_t i = 0; i < utilityCount; ++i) {
        utilityPaths.push_back(archive.readString());
        utilityNames.push_back(archive.readString());
    }

    readInts(archive, {&installMonitor, &installLogBrowser, &installNetworkTwain, &utilitySearchFolder,
                          &utilitySearchCdrom});
    readList(archive, utilityFolders);
    if (installMonitor != 0)
        readBlock(archive, monitorBlock);
    readInts(archive, {&useHydro, &spareInt7, &autoPort});
    nicName = archive.readString();
    portBlockFlags = archive.readI32();
    readBlock(archive, portBlock);
    readInts(archive, {&installConfirm, &securityBlockValid});
    readBlock(archive, securityBlock);
    connection = archive.readI32();
    readTexts(archive, {&bsfPath, &connectionText1, &connectionText2});
    readInts(archive, {&instModeOff, &sharedPrinter});
}

// ---------------------------------------------------------------------------------------------------
// Printer lists

void WritePrinterList(ArchiveWriter& archive, std::span<const CPrinterInfoEx* const> records)
{
    archive.writeU32(static_cast<uint32_t>(records.size()));
    for (const CPrinterInfoEx* record : records)
        record->Serialize(archive);
}

void WritePrinterList(ArchiveWriter& archive, const std::vector<std::unique_ptr<CPrinterInfoEx>>& records)
{
    archive.writeU32(static_cast<uint32_t>(records.size()));
    for (const auto& record : records)
        record->Serialize(archive);
}

uint32_t ReadPrinterCount(ArchiveReader& archive)
{
    return archive.readCount(kMinArchivedRecordSize);
}

std::vector<std::unique_ptr<CPrinterInfoEx>> ReadPrinterList(ArchiveReader& archive)
{
    const uint32_t count = ReadPrinterCount(archive);
    std::vector<std::unique_ptr<CPrinterInfoEx>> records;
    for (uint32_t i = 0; i < count; ++i) {
        auto record = std::make_unique<CPrinterInfoEx>();
        record->Serialize(archive);
        records.push_back(std::move(record));
    }
    return records;
}

} // namespace pellora
