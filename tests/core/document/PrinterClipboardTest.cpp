#include "core/document/PrinterClipboard.h"

#include "core/document/Corvan2Doc.h"
#include "core/model/ViewMode.h"
#include "support/TestProgramFolder.h"

#include <gtest/gtest.h>

#include <random>

namespace pellora {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::unique_ptr<CPrinterInfoEx> Record(const std::string& name, const std::string& model = "RX-C3400")
{
    auto record = std::make_unique<CPrinterInfoEx>();
    record->printerName = name;
    record->modelName = model;
    record->address = "10.1.2.3";
    return record;
}

Bytes Payload(const std::vector<std::unique_ptr<CPrinterInfoEx>>& records)
{
    std::vector<const CPrinterInfoEx*> pointers;
    for (const auto& record : records)
        pointers.push_back(record.get());
    return SerializePrinters(pointers);
}

std::vector<std::string> Names(const CCorvan2Doc& document)
{
    std::vector<std::string> names;
    for (const auto& printer : document.GetScript().printers)
        names.push_back(printer->printerName);
    return names;
}

// The model list of the test program folder decides which records pass.
class PrinterClipboardTest : public ::testing::Test {
protected:
    // Whether a payload can give the document a record, as the program asks before a paste.
    bool CanPaste(const Bytes& payload) const
    {
        return CanPastePayload(payload, [this](std::string_view model) { return document.IsModelAccepted(model); });
    }

    test::TestProgramFolder folder;
    CCorvan2Doc document{folder.environment()};
};

TEST_F(PrinterClipboardTest, PayloadIsCountThenArchivedRecords)
{
    std::vector<std::unique_ptr<CPrinterInfoEx>> records;
    records.push_back(Record("First"));
    records.push_back(Record("Second", "VDL-N4000+"));
    records[1]->driverFolders = {"/drivers/a", "/drivers/b"};
    records[1]->defaultPrinter = 1;
    records[1]->bsfPath = "/settings/x.bsf";
    const Bytes payload = Payload(records);

    ASSERT_GE(payload.size(), 4u);
    EXPECT_EQ(payload[0], 2);
    EXPECT_EQ(payload[1], 0);
    EXPECT_EQ(payload[2], 0);
    EXPECT_EQ(payload[3], 0);

    const auto read = ReadPayload(payload);
    ASSERT_TRUE(read.has_value());
    ASSERT_EQ(read->size(), 2u);
    EXPECT_EQ(*(*read)[0], *records[0]);
    EXPECT_EQ(*(*read)[1], *records[1]);

    // The block may be larger than its data: readers go by the count.
    Bytes padded = payload;
    padded.resize(payload.size() + 4096, 0xCC);
    const auto readPadded = ReadPayload(padded);
    ASSERT_TRUE(readPadded.has_value());
    EXPECT_EQ(readPadded->size(), 2u);
}

TEST_F(PrinterClipboardTest, EmptyPayloadIsPasteableAndInsertsNothing)
{
    const Bytes payload = SerializePrinters({});
    EXPECT_EQ(payload, (Bytes{0, 0, 0, 0}));
    EXPECT_TRUE(CanPaste(payload));
    const PasteOutcome outcome = PasteRecords(document, payload, -1);
    EXPECT_TRUE(outcome.accepted);
    EXPECT_EQ(outcome.inserted, 0u);
    EXPECT_FALSE(document.IsModified());
}

TEST_F(PrinterClipboardTest, UnlistedModelsAreLeftOut)
{
    std::vector<std::unique_ptr<CPrinterInfoEx>> records;
    records.push_back(Record("Listed", "RX-C3400"));
    records.push_back(Record("Unlisted", "QZ-9999"));
    const Bytes payload = Payload(records);

    EXPECT_TRUE(CanPaste(payload));
    const PasteOutcome outcome = PasteRecords(document, payload, -1);
    EXPECT_EQ(outcome.inserted, 1u);
    EXPECT_EQ(Names(document), std::vector<std::string>{"Listed"});
    EXPECT_TRUE(document.IsModified());

    // Nothing passes: not pasteable, and a paste changes nothing.
    std::vector<std::unique_ptr<CPrinterInfoEx>> unlisted;
    unlisted.push_back(Record("A", "QZ-1"));
    unlisted.push_back(Record("B", ""));
    const Bytes none = Payload(unlisted);
    EXPECT_FALSE(CanPaste(none));
    CCorvan2Doc other{folder.environment()};
    EXPECT_EQ(PasteRecords(other, none, -1).inserted, 0u);
    EXPECT_TRUE(other.GetScript().printers.empty());
    EXPECT_FALSE(other.IsModified());

    // Without a model list nothing is supported.
    folder.removeModelList();
    EXPECT_FALSE(CanPaste(payload));
}

TEST_F(PrinterClipboardTest, FullProjectEndsTheTransfer)
{
    std::vector<std::unique_ptr<CPrinterInfoEx>> records;
    records.push_back(Record("Unlisted", "QZ-9999"));
    records.push_back(Record("Second"));
    records.push_back(Record("Third"));
    document.SetMaxPrinterCount(1);

    const PasteOutcome outcome = PasteRecords(document, Payload(records), -1);
    EXPECT_EQ(outcome.inserted, 1u);
    EXPECT_EQ(Names(document), std::vector<std::string>{"Second"});

    // Already full: nothing more goes in.
    EXPECT_EQ(PasteRecords(document, Payload(records), -1).inserted, 0u);
    EXPECT_EQ(document.GetScript().printers.size(), 1u);
}

TEST_F(PrinterClipboardTest, InsertsAtTheIndexInPayloadOrder)
{
    for (const char* name : {"A", "B", "C"}) {
        auto record = Record(name);
        document.AddPrinter(record);
    }
    std::vector<std::unique_ptr<CPrinterInfoEx>> records;
    records.push_back(Record("X"));
    records.push_back(Record("Y"));
    const Bytes payload = Payload(records);

    PasteOutcome outcome = PasteRecords(document, payload, 1);
    EXPECT_EQ(outcome.firstIndex, 1u);
    EXPECT_EQ(Names(document), (std::vector<std::string>{"A", "X", "Y", "B", "C"}));

    // Past the end and negative both append.
    outcome = PasteRecords(document, payload, 99);
    EXPECT_EQ(outcome.firstIndex, 5u);
    PasteRecords(document, payload, -1);
    EXPECT_EQ(Names(document), (std::vector<std::string>{"A", "X", "Y", "B", "C", "X", "Y", "X", "Y"}));
}

TEST_F(PrinterClipboardTest, DefaultPrinterMarkAndNamesAreTakenInAsByAddPrinter)
{
    auto existing = Record("Existing");
    existing->defaultPrinter = 1;
    document.AddPrinter(existing);

    std::vector<std::unique_ptr<CPrinterInfoEx>> records;
    records.push_back(Record("A!B,C\\D"));
    records[0]->defaultPrinter = 1;
    records.push_back(Record(std::string(40, 'n')));
    // The 31st byte starts a two-byte character: the name is cut before it.
    records.push_back(Record(std::string(30, 'm') + "\xC3\xA9" + "tail"));
    PasteRecords(document, Payload(records), -1);

    const auto& printers = document.GetScript().printers;
    ASSERT_EQ(printers.size(), 4u);
    EXPECT_EQ(printers[0]->defaultPrinter, 0);
    EXPECT_EQ(printers[1]->printerName, "ABCD");
    EXPECT_EQ(printers[1]->defaultPrinter, 1);
    EXPECT_EQ(printers[2]->printerName, std::string(31, 'n'));
    EXPECT_EQ(printers[3]->printerName, std::string(30, 'm'));
}

TEST_F(PrinterClipboardTest, ViewModeNeverMarksModified)
{
    std::vector<std::unique_ptr<CPrinterInfoEx>> records;
    records.push_back(Record("A"));
    const ScopedViewMode viewMode;
    EXPECT_EQ(PasteRecords(document, Payload(records), -1).inserted, 1u);
    EXPECT_FALSE(document.IsModified());
}

TEST_F(PrinterClipboardTest, MalformedPayloadsAreRefusedWhole)
{
    std::vector<std::unique_ptr<CPrinterInfoEx>> records;
    records.push_back(Record("A"));
    records.push_back(Record("B"));
    const Bytes good = Payload(records);

    std::vector<Bytes> hostile{
        {},
        {1, 0, 0},
        {0xFF, 0xFF, 0xFF, 0xFF},       // a count no payload can hold
        {0x00, 0x00, 0x00, 0x80},       // a negative count
        Bytes(good.begin(), good.end() - 1), // the last record cut short
    };
    // A count above the records present.
    Bytes moreCounted = good;
    moreCounted[0] = 3;
    hostile.push_back(moreCounted);
    // A text length beyond the end inside the first record.
    Bytes longText = good;
    longText[4] = 0xFF;
    longText[5] = 0xFD;
    longText[6] = 0xFF;
    hostile.push_back(longText);

    for (const Bytes& payload : hostile) {
        SCOPED_TRACE(payload.size());
        EXPECT_FALSE(ReadPayload(payload).has_value());
        EXPECT_FALSE(CanPaste(payload));
        const PasteOutcome outcome = PasteRecords(document, payload, -1);
        EXPECT_FALSE(outcome.accepted);
        EXPECT_EQ(outcome.inserted, 0u);
    }
    // A damaged second record also keeps the first one out.
    EXPECT_TRUE(document.GetScript().printers.empty());
    EXPECT_FALSE(document.IsModified());
}

TEST_F(PrinterClipboardTest, RandomDamageNeverCrashes)
{
    std::vector<std::unique_ptr<CPrinterInfoEx>> records;
    records.push_back(Record("A"));
    records.push_back(Record("B", "VDL-N4000+"));
    records[1]->utilityPaths = {"/u/1"};
    records[1]->utilityNames = {"One"};
    const Bytes good = Payload(records);

    std::mt19937 random(20240607);
    for (int round = 0; round < 400; ++round) {
        Bytes payload = good;
        const int flips = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < flips; ++i)
            payload[random() % payload.size()] = static_cast<std::uint8_t>(random());
        if (round % 3 == 0)
            payload.resize(random() % payload.size());
        CCorvan2Doc target{folder.environment()};
        const auto read = ReadPayload(payload);
        const PasteOutcome outcome = PasteRecords(target, payload, -1);
        EXPECT_EQ(outcome.accepted, read.has_value());
        EXPECT_LE(target.GetScript().printers.size(), read ? read->size() : 0u);
    }
}

} // namespace
} // namespace pellora
