// Printer records as MIME data and on the system clipboard.

#include "ui/shared/PrinterMimeData.h"

#include "core/document/Corvan2Doc.h"
#include "support/TestProgramFolder.h"

#include <QClipboard>
#include <QGuiApplication>

#include <gtest/gtest.h>

namespace pellora::ui {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes PayloadOf(const std::vector<std::string>& models)
{
    std::vector<std::unique_ptr<CPrinterInfoEx>> records;
    std::vector<const CPrinterInfoEx*> pointers;
    for (const std::string& model : models) {
        records.push_back(std::make_unique<CPrinterInfoEx>());
        records.back()->modelName = model;
        records.back()->printerName = "P " + model;
        pointers.push_back(records.back().get());
    }
    return SerializePrinters(pointers);
}

class PrinterMimeDataTest : public ::testing::Test {
protected:
    void SetUp() override { QGuiApplication::clipboard()->clear(); }
    void TearDown() override { QGuiApplication::clipboard()->clear(); }

    test::TestProgramFolder folder;
    CCorvan2Doc project{folder.environment()};
};

TEST_F(PrinterMimeDataTest, TypeIsTheClipboardFormatName)
{
    EXPECT_EQ(PrinterMimeType(), QStringLiteral("Tessaris Corvane Printer Object 1.5.1.0"));
}

TEST_F(PrinterMimeDataTest, PayloadRoundTrip)
{
    const Bytes payload = PayloadOf({"RX-C3400", "VDL-N4000+"});
    const auto data = MakePrinterMimeData(payload);
    ASSERT_TRUE(HasPrinterData(data.get()));
    EXPECT_EQ(data->formats(), QStringList{PrinterMimeType()});
    const auto read = PrinterPayload(data.get());
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, payload);
    EXPECT_TRUE(CanPaste(data.get(), project));

    const auto records = ReadPayload(*read);
    ASSERT_TRUE(records.has_value());
    ASSERT_EQ(records->size(), 2u);
    EXPECT_EQ((*records)[1]->printerName, "P VDL-N4000+");
}

TEST_F(PrinterMimeDataTest, WhatCannotBePasted)
{
    EXPECT_FALSE(HasPrinterData(nullptr));
    EXPECT_FALSE(CanPaste(nullptr, project));

    QMimeData text;
    text.setText("RX-C3400");
    EXPECT_FALSE(HasPrinterData(&text));
    EXPECT_FALSE(PrinterPayload(&text).has_value());
    EXPECT_FALSE(CanPaste(&text, project));

    // Every model unsupported.
    EXPECT_FALSE(CanPaste(MakePrinterMimeData(PayloadOf({"QZ-1", "QZ-2"})).get(), project));
    // One supported model is enough; no records at all count as pasteable.
    EXPECT_TRUE(CanPaste(MakePrinterMimeData(PayloadOf({"QZ-1", "RX-C3400"})).get(), project));
    EXPECT_TRUE(CanPaste(MakePrinterMimeData(PayloadOf({})).get(), project));

    // Hostile payloads under the right format.
    for (const Bytes& hostile : {Bytes{}, Bytes{7, 0, 0, 0, 1, 2, 3}, Bytes{0xFF, 0xFF, 0xFF, 0x7F}}) {
        const auto data = MakePrinterMimeData(hostile);
        EXPECT_TRUE(HasPrinterData(data.get()));
        EXPECT_FALSE(CanPaste(data.get(), project));
    }
}

TEST_F(PrinterMimeDataTest, SystemClipboardRoundTrip)
{
    EXPECT_FALSE(ClipboardCanPaste(project));
    const Bytes payload = PayloadOf({"RX-C3400"});
    CopyToClipboard(payload);
    ASSERT_TRUE(HasPrinterData(ClipboardData()));
    EXPECT_EQ(*PrinterPayload(ClipboardData()), payload);
    EXPECT_TRUE(ClipboardCanPaste(project));

    // The answer follows the clipboard.
    QGuiApplication::clipboard()->setText("plain text");
    EXPECT_FALSE(ClipboardCanPaste(project));
    CopyToClipboard(PayloadOf({"QZ-9"}));
    EXPECT_FALSE(ClipboardCanPaste(project));
    CopyToClipboard(payload);
    EXPECT_TRUE(ClipboardCanPaste(project));

    // ...and the program folder whose model list decides.
    test::TestProgramFolder withoutModels("[Group]\r\nVMF-X3300\r\n");
    const CCorvan2Doc other(withoutModels.environment());
    EXPECT_FALSE(ClipboardCanPaste(other));
    EXPECT_TRUE(ClipboardCanPaste(project));
}

} // namespace
} // namespace pellora::ui
