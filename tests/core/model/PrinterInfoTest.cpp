#include "core/model/PrinterInfo.h"

#include "core/model/Archive.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <sstream>

namespace pellora {
namespace {

using Bytes = std::vector<uint8_t>;

// Archive form of a default record, walked field by field. Empty texts take one byte, the default
// model name "RX-C3400" nine; there is no monitor block.
constexpr std::size_t kAddressKindAt = 9;                           // after nine empty texts
constexpr std::size_t kModelNameAt = kAddressKindAt + 4;            // 13
constexpr std::size_t kEntryKindAt = kModelNameAt + 9 + 6;          // model name, six empty texts
constexpr std::size_t kDriverFolderCountAt = kEntryKindAt + 8;      // entryKind, optionFlags
constexpr std::size_t kPrintSettingsAt = kDriverFolderCountAt + 4 + 1 + 28 + 3 + 4 + 1;
constexpr std::size_t kApplyPrintSettingsAt = kPrintSettingsAt + 6 * 4;
constexpr std::size_t kUtilityCountAt = kPrintSettingsAt + 44 + 1 + 8;
constexpr std::size_t kInstallMonitorAt = kUtilityCountAt + 4;
constexpr std::size_t kUtilityFolderCountAt = kInstallMonitorAt + 20;
constexpr std::size_t kUseHydroAt = kUtilityFolderCountAt + 4;      // the monitor block would stand here
constexpr std::size_t kPortBlockAt = kUseHydroAt + 12 + 1 + 4;      // three ints, nicName, portBlockFlags
constexpr std::size_t kSecurityBlockAt = kPortBlockAt + 84 + 8;     // port block, two ints
constexpr std::size_t kConnectionAt = kSecurityBlockAt + 68;
constexpr std::size_t kDefaultRecordSize = kConnectionAt + 4 + 3 + 8;

Bytes archive(const CPrinterInfoEx& record)
{
    Bytes out;
    ArchiveWriter writer(out);
    record.Serialize(writer);
    return out;
}

int32_t i32At(const Bytes& bytes, std::size_t offset)
{
    return static_cast<int32_t>(static_cast<uint32_t>(bytes.at(offset)) | static_cast<uint32_t>(bytes.at(offset + 1)) << 8
        | static_cast<uint32_t>(bytes.at(offset + 2)) << 16 | static_cast<uint32_t>(bytes.at(offset + 3)) << 24);
}

void putU32At(Bytes& bytes, std::size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.at(offset + i) = static_cast<uint8_t>(value >> (8 * i));
}

std::unique_ptr<CPrinterInfoEx> readBack(const Bytes& bytes)
{
    ArchiveReader reader(bytes);
    auto record = std::make_unique<CPrinterInfoEx>();
    record->Serialize(reader);
    EXPECT_TRUE(reader.atEnd());
    return record;
}

void expectEndOfFile(const std::function<void()>& read)
{
    try {
        read();
        ADD_FAILURE() << "no exception";
    } catch (const ArchiveException& e) {
        EXPECT_EQ(e.kind(), ArchiveException::Kind::EndOfFile);
    }
}

// A record with every archived field away from its default (the fields outside the archive form keep
// theirs).
std::unique_ptr<CPrinterInfoEx> populated()
{
    auto r = std::make_unique<CPrinterInfoEx>();
    r->SetNetwork(1, "10.0.5.77", "255.255.0.0", "00:11:22:33:44:55", "extra");
    r->SetIdentity("MFG:VARDO;MDL:RX-C5000;", "Office 2F", "VARDO RX-C5000", "note");
    int textNumber = 0;
    for (std::string* text : {&r->spareText1, &r->spareText2, &r->spareText3, &r->spareText4, &r->spareText5,
             &r->spareText6, &r->spareText7, &r->spareText8, &r->spareText9, &r->reportedModelName,
             &r->capabilityFilePath, &r->comment, &r->location, &r->nicName, &r->bsfPath, &r->connectionText1,
             &r->connectionText2})
        *text = "text" + std::to_string(textNumber++);
    int32_t next = 100;
    for (int32_t* value : {&r->entryKind, &r->optionFlags, &r->spareInt1, &r->testPrint, &r->defaultPrinter,
             &r->usePostScript, &r->spareInt2, &r->spareInt3, &r->spareInt4, &r->useCommonDriver, &r->paperSize,
             &r->paperSource, &r->color, &r->quality, &r->useLayout, &r->layout, &r->duplex, &r->binding,
             &r->tonerSave, &r->lockMask, &r->applyPrintSettings, &r->spareInt5, &r->installUtility,
             &r->installMonitor, &r->installLogBrowser, &r->installNetworkTwain, &r->utilitySearchFolder,
             &r->utilitySearchCdrom, &r->useHydro, &r->spareInt7, &r->autoPort, &r->portBlockFlags,
             &r->installConfirm, &r->securityBlockValid, &r->connection, &r->instModeOff, &r->sharedPrinter})
        *value = next++;
    r->driverFolders = {"C:\\Drivers\\A", "C:\\Drivers\\B"};
    r->utilityPaths = {"util\\one\\setup.exe", "util\\two\\setup.exe"};
    r->utilityNames = {"One", "Two"};
    r->utilityFolders = {"D:\\Utilities"};
    r->monitorBlock.MonitoringIntervalNet = 120;
    r->monitorBlock.setSectionName("MONITOR1");
    std::strcpy(r->portBlock.QueueName, "SecureQueue");
    r->portBlock.setSectionName("CONFIRM1");
    r->securityBlock.BlockPattern = 3;
    return r;
}

TEST(PrinterInfoTest, DefaultRecordLayout)
{
    const Bytes bytes = archive(CPrinterInfoEx());
    ASSERT_EQ(bytes.size(), kDefaultRecordSize);
    EXPECT_EQ(kDefaultRecordSize, 350u);
    CPrinterInfoEx smallest;
    smallest.modelName.clear();
    EXPECT_EQ(archive(smallest).size(), kMinArchivedRecordSize);

    EXPECT_EQ(i32At(bytes, kAddressKindAt), 1);
    EXPECT_EQ(bytes[kModelNameAt], 8);
    EXPECT_EQ(std::string(bytes.begin() + kModelNameAt + 1, bytes.begin() + kModelNameAt + 9), "RX-C3400");
    EXPECT_EQ(i32At(bytes, kEntryKindAt), 2);
    EXPECT_EQ(i32At(bytes, kDriverFolderCountAt), 0);
    EXPECT_EQ(i32At(bytes, kPrintSettingsAt), -1);
    EXPECT_EQ(i32At(bytes, kUtilityCountAt), 0);
    EXPECT_EQ(i32At(bytes, kInstallMonitorAt), 0);
    // The port block follows the utility folders and the hydro fields directly: no monitor block.
    EXPECT_EQ(i32At(bytes, kPortBlockAt), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[kPortBlockAt + 4])), "TSPQueue");
    EXPECT_EQ(i32At(bytes, kPortBlockAt + 40), 59200);
    EXPECT_EQ(i32At(bytes, kPortBlockAt + 48), 59202);
    EXPECT_EQ(i32At(bytes, kSecurityBlockAt + 16), -1); // BlockPattern
    EXPECT_EQ(i32At(bytes, kSecurityBlockAt + 64), 0);  // Lock
    EXPECT_EQ(i32At(bytes, kConnectionAt), 0);

    EXPECT_EQ(*readBack(bytes), CPrinterInfoEx());
}

TEST(PrinterInfoTest, PrintSettingsOrderPutsApplyBetweenLayoutAndDuplex)
{
    CPrinterInfoEx record;
    record.layout = 5;
    record.applyPrintSettings = 1;
    record.duplex = 1;
    record.lockMask = 0x81;
    const Bytes bytes = archive(record);
    EXPECT_EQ(i32At(bytes, kApplyPrintSettingsAt - 4), 5);
    EXPECT_EQ(i32At(bytes, kApplyPrintSettingsAt), 1);
    EXPECT_EQ(i32At(bytes, kApplyPrintSettingsAt + 4), 1);
    EXPECT_EQ(i32At(bytes, kPrintSettingsAt + 40), 0x81);
}

TEST(PrinterInfoTest, MonitorBlockOnlyWhenMonitorIsInstalled)
{
    CPrinterInfoEx record;
    record.installMonitor = 1;
    record.monitorBlock.PopupWarning = 1;
    record.monitorBlock.MonitoringIntervalLocal = 45;
    record.monitorBlock.setSectionName("MON");
    const Bytes bytes = archive(record);
    ASSERT_EQ(bytes.size(), kDefaultRecordSize + sizeof(MonitorBlock));
    EXPECT_EQ(i32At(bytes, kUseHydroAt + 4), 1); // EnableMonitoring, right after the utility folders
    EXPECT_EQ(i32At(bytes, kUseHydroAt + 32), 45);
    EXPECT_EQ(bytes[kUseHydroAt + 40], 'M');
    EXPECT_EQ(readBack(bytes)->monitorBlock, record.monitorBlock);

    // Without the monitor the block is not read: the record keeps the block it had.
    CPrinterInfoEx target;
    target.monitorBlock.MonitoringIntervalNet = 99;
    const Bytes withoutMonitor = archive(CPrinterInfoEx());
    ArchiveReader reader(withoutMonitor);
    target.Serialize(reader);
    EXPECT_EQ(target.monitorBlock.MonitoringIntervalNet, 99);
}

TEST(PrinterInfoTest, TextLengthBoundariesInsideARecord)
{
    CPrinterInfoEx record;
    record.comment = std::string(254, 'c');
    EXPECT_EQ(archive(record).size(), kDefaultRecordSize + 254);
    record.comment = std::string(255, 'c');
    EXPECT_EQ(archive(record).size(), kDefaultRecordSize + 255 + 2);
    record.comment = std::string(0xFFFE, 'c');
    const Bytes bytes = archive(record);
    EXPECT_EQ(bytes.size(), kDefaultRecordSize + 0xFFFE + 6);
    EXPECT_EQ(readBack(bytes)->comment, record.comment);
}

TEST(PrinterInfoTest, UtilitiesArePairedInOrder)
{
    CPrinterInfoEx record;
    record.utilityPaths = {"a\\setup.exe", "b\\setup.exe"};
    record.utilityNames = {"Alpha", "Beta"};
    const auto back = readBack(archive(record));
    EXPECT_EQ(back->utilityPaths, record.utilityPaths);
    EXPECT_EQ(back->utilityNames, record.utilityNames);

    // A missing name is written empty, so names always match paths one to one.
    record.utilityNames = {"Alpha"};
    const auto shortNames = readBack(archive(record));
    EXPECT_EQ(shortNames->utilityNames, (std::vector<std::string>{"Alpha", ""}));
}

TEST(PrinterInfoTest, ReadingReplacesListsAndKeepsUnarchivedFields)
{
    const auto source = populated();
    source->spareText10 = "not archived";
    source->spareInt6 = 6;
    source->switchSetting = 1;
    source->modelIndex = 3;

    CPrinterInfoEx target;
    target.driverFolders = {"old1", "old2", "old3"};
    target.utilityPaths = {"oldUtil"};
    target.utilityNames = {"oldName"};
    target.utilityFolders = {"oldFolder"};
    target.modelIndex = 8;
    target.workTexts2 = {"scratch"};
    const Bytes bytes = archive(*source);
    ArchiveReader reader(bytes);
    target.Serialize(reader);

    CPrinterInfoEx expected;
    expected = *source;
    expected.spareText10.clear();
    expected.spareInt6 = 0;
    expected.switchSetting = 0;
    expected.modelIndex = 8;
    expected.workTexts2 = {"scratch"};
    EXPECT_EQ(target, expected);
}

TEST(PrinterInfoTest, CopyRules)
{
    const auto source = populated();
    const CPrinterInfoEx copy(*source);
    EXPECT_EQ(copy.address, source->address);
    EXPECT_EQ(copy.printerName, source->printerName);
    EXPECT_EQ(copy.driverFolders, source->driverFolders);
    EXPECT_EQ(copy.spareInt2, 0);
    // Defaults, the base part and the connection fields; print settings, utilities, blocks stay default.
    CPrinterInfoEx expected;
    expected.CopyPrinterInfo(*source);
    expected.connection = source->connection;
    expected.bsfPath = source->bsfPath;
    expected.connectionText1 = source->connectionText1;
    expected.connectionText2 = source->connectionText2;
    expected.instModeOff = source->instModeOff;
    expected.sharedPrinter = source->sharedPrinter;
    EXPECT_EQ(copy, expected);

    // From a plain base record only the base part is taken.
    CPrinterInfo base;
    base.CopyPrinterInfo(*source);
    const CPrinterInfoEx fromBase(base);
    EXPECT_EQ(fromBase.connection, 0);
    EXPECT_TRUE(fromBase.bsfPath.empty());
    EXPECT_EQ(static_cast<const CPrinterInfo&>(fromBase), base);

    // The base copy keeps the target's spareInt2 and replaces its folder list.
    CPrinterInfoEx target;
    target.spareInt2 = 5;
    target.driverFolders = {"x", "y", "z"};
    target.CopyPrinterInfo(*source);
    EXPECT_EQ(target.spareInt2, 5);
    EXPECT_EQ(target.driverFolders, source->driverFolders);

    // Clone copies every field.
    source->modelIndex = 2;
    source->workInt1 = 4;
    EXPECT_EQ(*source->Clone(), *source);
}

TEST(PrinterInfoTest, PrintSettingGettersFollowApplyPrintSettings)
{
    CPrinterInfoEx record;
    record.paperSize = 9;
    record.binding = 2;
    record.duplex = 1;
    record.tonerSave = 1;
    record.lockMask = 0xFF;
    EXPECT_EQ(record.GetPaperSize(), -1);
    EXPECT_EQ(record.GetBinding(), -1);
    EXPECT_EQ(record.GetDuplex(), 0);
    EXPECT_EQ(record.GetTonerSave(), 0);
    EXPECT_EQ(record.EffectiveLockMask(), 0);

    record.applyPrintSettings = 1;
    EXPECT_EQ(record.GetPaperSize(), 9);
    EXPECT_EQ(record.GetBinding(), 2);
    EXPECT_EQ(record.GetDuplex(), 1);
    EXPECT_EQ(record.GetUseLayout(), 0);
    EXPECT_EQ(record.EffectiveLockMask(), 0xFF);
    record.tonerSave = 7; // any non-zero flag reads as 1
    EXPECT_EQ(record.GetTonerSave(), 1);
}

TEST(PrinterInfoTest, UtilityFolderDuplicatesIgnoreCase)
{
    CPrinterInfoEx record;
    EXPECT_TRUE(record.AddUtilityFolder("C:\\Tools\\Util"));
    EXPECT_FALSE(record.AddUtilityFolder("c:\\TOOLS\\util"));
    EXPECT_TRUE(record.AddUtilityFolder("C:\\Tools\\Util2"));
    EXPECT_EQ(record.utilityFolders, (std::vector<std::string>{"C:\\Tools\\Util", "C:\\Tools\\Util2"}));
}

TEST(PrinterInfoTest, NewPrinterNumbersConsecutively)
{
    const auto first = CPrinterInfoEx::NewPrinter("Printer");
    const auto second = CPrinterInfoEx::NewPrinter("Printer");
    const std::string firstNumber = first->printerName.substr(7);
    const std::string secondNumber = second->printerName.substr(7);
    ASSERT_EQ(first->printerName.substr(0, 7), "Printer");
    EXPECT_EQ(std::stoul(secondNumber), std::stoul(firstNumber) + 1);
    EXPECT_GE(std::stoul(firstNumber), 1u);

    EXPECT_EQ(first->address, "192.168.192.168");
    EXPECT_EQ(first->subnetMask, "255.255.255.0");
    EXPECT_EQ(first->networkAddress, "192.168.192.0");
    EXPECT_EQ(first->addressKind, 1);
    EXPECT_TRUE(first->modelName.empty());
    EXPECT_TRUE(first->deviceId.empty());
    EXPECT_EQ(first->entryKind, 0);
}

TEST(PrinterInfoTest, EveryTruncationIsEndOfFileAndLeavesTheRecordAsItWas)
{
    const Bytes bytes = archive(*populated());
    CPrinterInfoEx target;
    target.printerName = "untouched";
    target.driverFolders = {"keep"};
    const auto before = target.Clone();
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        SCOPED_TRACE(cut);
        const Bytes part(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
        expectEndOfFile([&] {
            ArchiveReader reader(part);
            target.Serialize(reader);
        });
        ASSERT_EQ(target, *before);
    }
    EXPECT_EQ(*readBack(bytes), *populated());
}

TEST(PrinterInfoTest, HostileCountsFailAtOnce)
{
    const Bytes bytes = archive(CPrinterInfoEx());
    for (const std::size_t at : {kDriverFolderCountAt, kUtilityCountAt, kUtilityFolderCountAt}) {
        SCOPED_TRACE(at);
        Bytes hostile = bytes;
        putU32At(hostile, at, 0xFFFFFFFF);
        expectEndOfFile([&] { readBack(hostile); });

        // No element is read: a stream stands right after the count.
        std::istringstream stream(std::string(hostile.begin(), hostile.end()));
        ArchiveReader reader(stream);
        CPrinterInfoEx record;
        expectEndOfFile([&] { record.Serialize(reader); });
        EXPECT_TRUE(stream.good());
        EXPECT_EQ(static_cast<std::size_t>(stream.tellg()), at + 4);
    }

    // Four billion records claimed by a 16-byte payload.
    Bytes payload(16, 0);
    putU32At(payload, 0, 0xFFFFFFFF);
    expectEndOfFile([&] {
        ArchiveReader reader(payload);
        ReadPrinterList(reader);
    });
    // A count that would need just one more record than there is room for.
    Bytes two;
    ArchiveWriter writer(two);
    writer.writeU32(2);
    CPrinterInfoEx().Serialize(writer);
    expectEndOfFile([&] {
        ArchiveReader reader(two);
        ReadPrinterList(reader);
    });
}

TEST(PrinterInfoTest, PrinterListRoundTrip)
{
    std::vector<std::unique_ptr<CPrinterInfoEx>> records;
    records.push_back(populated());
    records.push_back(CPrinterInfoEx::NewPrinter("P"));
    Bytes payload;
    ArchiveWriter writer(payload);
    WritePrinterList(writer, records);
    EXPECT_EQ(i32At(payload, 0), 2);

    // The stream form of the reader gives the same records.
    std::istringstream stream(std::string(payload.begin(), payload.end()));
    ArchiveReader streamReader(stream);
    const auto fromStream = ReadPrinterList(streamReader);
    ArchiveReader reader(payload);
    const auto back = ReadPrinterList(reader);
    ASSERT_EQ(back.size(), 2u);
    ASSERT_EQ(fromStream.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(*back[i], *records[i]);
        EXPECT_EQ(*fromStream[i], *records[i]);
    }

    Bytes empty;
    ArchiveWriter emptyWriter(empty);
    WritePrinterList(emptyWriter, std::span<const CPrinterInfoEx* const>());
    ArchiveReader emptyReader(empty);
    EXPECT_TRUE(ReadPrinterList(emptyReader).empty());
}

TEST(PrinterInfoTest, BlockTextAreasEndWithNulAfterReading)
{
    CPrinterInfoEx record;
    record.installMonitor = 1;
    std::memset(record.monitorBlock.sectionName, 'M', sizeof record.monitorBlock.sectionName);
    std::memset(record.portBlock.QueueName, 'Q', sizeof record.portBlock.QueueName);
    const auto back = readBack(archive(record));
    EXPECT_EQ(std::strlen(back->monitorBlock.sectionName), sizeof back->monitorBlock.sectionName - 1);
    EXPECT_EQ(std::strlen(back->portBlock.QueueName), sizeof back->portBlock.QueueName - 1);
}

} // namespace
} // namespace pellora
