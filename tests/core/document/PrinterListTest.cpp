// The ordered list of owned records, without a project (a page's results) and as a project.

#include "core/document/PrinterList.h"

#include "core/document/Corvan2Doc.h"
#include "support/TestProgramFolder.h"

#include <gtest/gtest.h>

namespace pellora {
namespace {

std::unique_ptr<CPrinterInfoEx> Found(const std::string& name, const std::string& mac, const std::string& model = "RX-C3400")
{
    auto record = std::make_unique<CPrinterInfoEx>();
    record->printerName = name;
    record->macAddress = mac;
    record->modelName = model;
    return record;
}

std::vector<std::string> Names(const PrinterList& list)
{
    std::vector<std::string> names;
    for (const auto& record : list.Printers())
        names.push_back(record->printerName);
    return names;
}

TEST(PrinterRecordList, RefusesDuplicateMacAddressesAndAFullListAndLeavesTheRecordWithTheCaller)
{
    PrinterRecordList results;
    int notices = 0;
    results.AddObserver([&](long) { ++notices; });

    auto first = Found("A", "00:11:22:33:44:55");
    const CPrinterInfoEx* added = results.AddRecord(first);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(first, nullptr);

    // The same printer answering again on another interface.
    auto again = Found("A again", "00:11:22:33:44:55");
    EXPECT_EQ(results.AddRecord(again), nullptr);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->printerName, "A again");

    // Printers without a MAC address are never taken for each other.
    auto noMac1 = Found("B", "");
    auto noMac2 = Found("C", "");
    EXPECT_NE(results.AddRecord(noMac1), nullptr);
    EXPECT_NE(results.AddRecord(noMac2), nullptr);

    results.SetMaxPrinterCount(3);
    auto fourth = Found("D", "66:77:88:99:AA:BB");
    EXPECT_TRUE(results.IsFull());
    EXPECT_EQ(results.AddRecord(fourth), nullptr);
    ASSERT_NE(fourth, nullptr);
    EXPECT_EQ(Names(results), (std::vector<std::string>{"A", "B", "C"}));

    // A list without a program folder takes every model; its changes are no project's.
    EXPECT_TRUE(results.IsModelAccepted("QZ-1"));
    EXPECT_FALSE(results.IsEditable());

    CPrinterInfoEx* c = results.GetAt(2);
    results.Reorder(std::vector<CPrinterInfoEx*>{c});
    EXPECT_EQ(Names(results), (std::vector<std::string>{"C", "A", "B"}));
    EXPECT_TRUE(results.RemoveRecord(c));
    EXPECT_FALSE(results.RemoveRecord(c));
    EXPECT_EQ(results.IndexOf(c), -1);
    results.UpdateAllViews();
    EXPECT_EQ(notices, 1);
}

TEST(PrinterRecordList, AProjectAdmitsRecordsByItsOwnRules)
{
    const test::TestProgramFolder folder;
    CCorvan2Doc project(folder.environment());
    auto found = Found("Hall, first floor!", "00:11:22:33:44:55");
    found->defaultPrinter = 1;
    auto other = Found("Office", "");
    other->defaultPrinter = 1;
    ASSERT_NE(project.AddRecord(other), nullptr);
    ASSERT_NE(project.AddRecord(found), nullptr);
    EXPECT_TRUE(project.IsModified());
    EXPECT_EQ(project.GetAt(1)->printerName, "Hall first floor");
    EXPECT_EQ(project.GetAt(0)->defaultPrinter, 0);
    EXPECT_TRUE(project.IsModelAccepted("RX-C3400"));
    EXPECT_FALSE(project.IsModelAccepted("QZ-1"));

    project.SetModifiedFlag(false);
    project.RecordsEdited();
    EXPECT_TRUE(project.IsModified());
}

} // namespace
} // namespace pellora
