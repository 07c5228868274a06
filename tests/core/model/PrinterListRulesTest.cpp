#include "core/model/PrinterListRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace pellora {
namespace {

// Records are not copyable by value: each test gets them from here.
std::unique_ptr<CPrinterInfoEx> Make(const std::string& name, const std::string& address,
                                     const std::string& model = "RX-C3400")
{
    auto record = std::make_unique<CPrinterInfoEx>();
    record->printerName = name;
    record->address = address;
    record->modelName = model;
    return record;
}

TEST(PrinterListRulesTest, MissingValuesShowAsNone)
{
    auto owned = Make("", "", "");
    CPrinterInfoEx& record = *owned;
    EXPECT_EQ(PrinterItemText(record, kColumnName), kNoneText);
    EXPECT_EQ(PrinterItemText(record, kColumnAddress), kNoneText);
    EXPECT_EQ(PrinterItemText(record, kColumnModel), kNoneText);
    EXPECT_EQ(PrinterItemText(record, kColumnMac), kNoneText);
    // The note column has no placeholder.
    EXPECT_EQ(PrinterItemText(record, kColumnNote), "");

    for (const char* placeholder : {"11.22.33.44", "192.168.192.168"}) {
        record.address = placeholder;
        EXPECT_EQ(PrinterItemText(record, kColumnAddress), kNoneText) << placeholder;
    }
    record.printerName = "Office";
    record.address = "10.0.0.7";
    record.modelName = "VDL-N4000+";
    record.macAddress = "00AA11BB22CC";
    record.identityNote = "Floor 2";
    EXPECT_EQ(PrinterItemText(record, kColumnName), "Office");
    EXPECT_EQ(PrinterItemText(record, kColumnAddress), "10.0.0.7");
    EXPECT_EQ(PrinterItemText(record, kColumnModel), "VDL-N4000+");
    EXPECT_EQ(PrinterItemText(record, kColumnMac), "00AA11BB22CC");
    EXPECT_EQ(PrinterItemText(record, kColumnNote), "Floor 2");
}

TEST(PrinterListRulesTest, ImageShowsDefaultPrinterAndIncompleteRecords)
{
    auto owned = Make("Office", "10.0.0.7");
    CPrinterInfoEx& record = *owned;
    EXPECT_FALSE(IsIncompleteRecord(record));
    EXPECT_EQ(PrinterImageIndex(record), 0);
    record.defaultPrinter = 1;
    EXPECT_EQ(PrinterImageIndex(record), 2);

    // A printer added by hand carries the placeholder address: incomplete.
    record.address = kPlaceholderAddressManual;
    EXPECT_TRUE(IsIncompleteRecord(record));
    EXPECT_EQ(PrinterImageIndex(record), 3);
    record.defaultPrinter = 0;
    EXPECT_EQ(PrinterImageIndex(record), 1);

    // A missing MAC address does not make a record incomplete; a missing name or model does.
    EXPECT_FALSE(IsIncompleteRecord(*Make("Office", "10.0.0.7")));
    EXPECT_TRUE(IsIncompleteRecord(*Make("", "10.0.0.7")));
    EXPECT_TRUE(IsIncompleteRecord(*Make("Office", "10.0.0.7", "")));
}

TEST(PrinterListRulesTest, DottedQuads)
{
    EXPECT_EQ(DottedQuadValue("10.0.0.2"), 0x0A000002u);
    EXPECT_EQ(DottedQuadValue("255.255.255.254"), 0xFFFFFFFEu);
    EXPECT_EQ(DottedQuadValue("001.002.003.004"), 0x01020304u);
    // A part above 255 keeps the quad valid, with the value of a failed conversion.
    EXPECT_EQ(DottedQuadValue("999.999.999.999"), 0xFFFFFFFFu);
    EXPECT_EQ(DottedQuadValue("1.2.3.256"), 0xFFFFFFFFu);
    for (const char* text : {"", "1.2.3", "1.2.3.4.5", "1..2.3", "1.2.3.", ".1.2.3", "1.2.3.a", " 1.2.3.4",
                             "1.2.3.4 ", "1234.1.1.1", "-1.2.3.4", "printer.local"})
        EXPECT_FALSE(DottedQuadValue(text).has_value()) << text;
}

int Compare(const std::string& a, const std::string& b)
{
    return ComparePrinterColumn(*Make("n", a), *Make("n", b), kColumnAddress);
}

TEST(PrinterListRulesTest, AddressOrder)
{
    // By value, not by text.
    EXPECT_LT(Compare("9.0.0.1", "10.0.0.2"), 0);
    EXPECT_GT(Compare("10.0.0.2", "9.0.0.1"), 0);
    // Valid addresses come before everything else; placeholders count as empty.
    EXPECT_LT(Compare("200.0.0.1", "host"), 0);
    EXPECT_LT(Compare("200.0.0.1", "192.168.192.168"), 0);
    EXPECT_EQ(Compare("192.168.192.168", ""), 0);
    EXPECT_EQ(Compare("11.22.33.44", "192.168.192.168"), 0);
    EXPECT_LT(Compare("", "host"), 0);
    // Equal values and invalid texts by their bytes.
    EXPECT_LT(Compare("010.0.0.1", "10.0.0.1"), 0);
    EXPECT_LT(Compare("Host", "host"), 0);
    EXPECT_EQ(Compare("10.0.0.1", "10.0.0.1"), 0);

    std::vector<std::string> addresses{"host", "10.0.0.2", "192.168.192.168", "9.0.0.1", "999.1.1.1", ""};
    std::stable_sort(addresses.begin(), addresses.end(),
                     [](const std::string& a, const std::string& b) { return Compare(a, b) < 0; });
    EXPECT_EQ(addresses, (std::vector<std::string>{"9.0.0.1", "10.0.0.2", "999.1.1.1", "192.168.192.168", "", "host"}));
}

TEST(PrinterListRulesTest, TextColumnsCompareAsBytesWithCase)
{
    auto upperRecord = Make("Beta", "", "VDL");
    auto lowerRecord = Make("alpha", "", "rx");
    CPrinterInfoEx& upper = *upperRecord;
    CPrinterInfoEx& lower = *lowerRecord;
    upper.macAddress = "AA";
    lower.macAddress = "aa";
    upper.identityNote = "\xE3\x81\x82"; // a multi-byte character sorts after ASCII
    lower.identityNote = "z";
    EXPECT_LT(ComparePrinterColumn(upper, lower, kColumnName), 0);
    EXPECT_LT(ComparePrinterColumn(upper, lower, kColumnModel), 0);
    EXPECT_LT(ComparePrinterColumn(upper, lower, kColumnMac), 0);
    EXPECT_GT(ComparePrinterColumn(upper, lower, kColumnNote), 0);
    EXPECT_EQ(ComparePrinterColumn(upper, upper, kColumnName), 0);
}

TEST(PrinterListRulesTest, DropMoveOrder)
{
    // The second of three dropped onto the first goes to the top.
    EXPECT_EQ(DropMoveOrder({false, true, false}, 0), (std::vector<std::size_t>{1, 0, 2}));
    // The first dropped onto the last: the drop item counts as before.
    EXPECT_EQ(DropMoveOrder({true, false, false}, 2), (std::vector<std::size_t>{1, 2, 0}));
    // No item under the drop point: the last one.
    EXPECT_EQ(DropMoveOrder({true, false, false}, -1), (std::vector<std::size_t>{1, 2, 0}));
    EXPECT_EQ(DropMoveOrder({true, false, false}, 7), (std::vector<std::size_t>{1, 2, 0}));
    // Several selected keep their order, around the drop item.
    EXPECT_EQ(DropMoveOrder({false, true, false, true, false}, 2), (std::vector<std::size_t>{0, 2, 1, 3, 4}));
    EXPECT_EQ(DropMoveOrder({false, false, true, false, true}, 1), (std::vector<std::size_t>{0, 2, 4, 1, 3}));
    // Dropped onto itself: nothing moves.
    EXPECT_EQ(DropMoveOrder({false, true, false}, 1), (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_TRUE(DropMoveOrder({}, 0).empty());
}

} // namespace
} // namespace pellora
