#include "core/document/Corvan2Doc.h"

#include "core/i18n/StringTable.h"
#include "core/model/ViewMode.h"
#include "core/package/PackageFile.h"
#include "core/package/StubResource.h"
#include "core/util/Support.h"
#include "support/StringTableFixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;
using namespace pellora;

namespace {

constexpr std::string_view kTableBody = "[String Table]\r\n"
                                        "100=Project\r\n"
                                        "101=Printer\r\n"
                                        "106=Pellora Test Edition\r\n"
                                        "[Pellorix.exe\\ETC]\r\n"
                                        "NEW_DOCUMENT_TITLE=1:100\r\n"
                                        "NEW_PRINTER_NAME=2:101\r\n"
                                        "PRODUCT_NAME=12:106\r\n";

std::string ReadBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& file, std::string_view bytes)
{
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::unique_ptr<CPrinterInfoEx> MakePrinter(std::string_view name, std::string_view model = "RX-C3400")
{
    auto printer = std::make_unique<CPrinterInfoEx>();
    printer->SetNetwork(1, "10.0.0.7", "255.255.255.0", "00:11:22:33:44:55", "");
    printer->SetIdentity("", name, model, "");
    return printer;
}

// A script file holding one printer of the given name.
void WriteScript(const fs::path& file, std::string_view printerName)
{
    CScriptFile script;
    script.printers.push_back(MakePrinter(printerName));
    ASSERT_EQ(script.Write(file), 1);
}

class Corvan2DocTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(table.Load(strings.folder().path(), 0, kStringTableGroup));
        work = strings.folder().path() / "work";
        fs::create_directories(work);
    }

    // The document's printers as copies, to compare with later.
    static std::vector<std::unique_ptr<CPrinterInfoEx>> Snapshot(const CCorvan2Doc& document)
    {
        std::vector<std::unique_ptr<CPrinterInfoEx>> copies;
        for (const auto& printer : document.GetScript().printers)
            copies.push_back(printer->Clone());
        return copies;
    }

    static void ExpectPrinters(const CCorvan2Doc& document, const std::vector<std::unique_ptr<CPrinterInfoEx>>& expected)
    {
        const auto& printers = document.GetScript().printers;
        ASSERT_EQ(printers.size(), expected.size());
        for (std::size_t i = 0; i < printers.size(); ++i)
            EXPECT_TRUE(*printers[i] == *expected[i]) << "printer " << i;
    }

    // A package that holds the given files at its top level, in that order.
    static fs::path WritePackage(const fs::path& package, const std::vector<fs::path>& files)
    {
        CPackageFile writer;
        writer.SetStub(PackageStubResource());
        writer.SetEntries(files);
        writer.SetCommandString("\"" + files.front().filename().string() + "\"");
        std::ofstream out(package, std::ios::binary | std::ios::trunc);
        EXPECT_TRUE(writer.Write(out));
        return package;
    }

    // The test's program folder in place of the program's own.
    BuildEnvironment Environment() const
    {
        BuildEnvironment environment;
        environment.programFolder = strings.folder().path();
        environment.runtimeFiles = {"Modelname.dat"};
        environment.stub = PackageStubResource();
        return environment;
    }

    // A document with two printers with assorted settings, saved as a project.
    void FillDocument(CCorvan2Doc& document)
    {
        auto first = MakePrinter("Hall");
        first->comment = "Near the lift";
        first->applyPrintSettings = 1;
        first->paperSize = 9;
        first->lockMask = 0x81;
        first->driverFolders = {(work / "drivers" / "a").string(), (work / "drivers" / "b").string()};
        first->installMonitor = 1;
        first->monitorBlock.MonitoringIntervalNet = 45;
        auto second = MakePrinter("Office", "VDL-N4000+");
        second->defaultPrinter = 1;
        second->useHydro = 1;
        document.AddPrinter(first);
        document.AddPrinter(second);
        document.GetScript().scriptNote = "Second floor";
        document.GetScript().reboot = 1;
    }

    test::StringTableFixture strings{kTableBody};
    StringTable table;
    fs::path work;
};

} // namespace

TEST_F(Corvan2DocTest, NewDocumentsAreNumberedFromOne)
{
    DocumentNumbering numbering;
    CCorvan2Doc first(Environment(), table);
    CCorvan2Doc second(Environment(), table);
    ASSERT_TRUE(first.OnNewDocument(numbering));
    ASSERT_TRUE(second.OnNewDocument(numbering));
    EXPECT_EQ(first.GetTitle(), "Project1");
    EXPECT_EQ(second.GetTitle(), "Project2");
    EXPECT_TRUE(first.GetPathName().empty());
    EXPECT_TRUE(first.GetScript().printers.empty());
    EXPECT_FALSE(first.IsModified());
}

TEST_F(Corvan2DocTest, OpeningAScriptTakesItsPrintersPathAndTitle)
{
    const fs::path file = work / "floor.qsm";
    WriteScript(file, "Lobby");
    CCorvan2Doc document(Environment(), table);
    document.AddPrinter(); // replaced by the file's printers
    int updates = 0;
    document.AddObserver([&updates](long) { ++updates; });

    const DocumentResult result = document.OpenDocument(file);

    ASSERT_TRUE(result.ok()) << result.status.text();
    ASSERT_EQ(document.GetScript().printers.size(), 1u);
    EXPECT_EQ(document.GetScript().printers[0]->printerName, "Lobby");
    EXPECT_EQ(document.GetPathName(), file);
    EXPECT_EQ(document.GetTitle(), "floor.qsm");
    EXPECT_FALSE(document.IsModified());
    EXPECT_EQ(updates, 1);
}

TEST_F(Corvan2DocTest, FailedOpenKeepsTheDocumentAsItWas)
{
    CCorvan2Doc document(Environment(), table);
    FillDocument(document);
    const auto before = Snapshot(document);
    const CPrinterInfoEx* const firstRecord = document.GetScript().printers[0].get();

    // Another version of the format is not a script.
    const fs::path other = work / "old.qst";
    WriteScript(other, "Old");
    std::string text = ReadBytes(other);
    text.replace(text.find("VER=2.02"), 8, "VER=2.01");
    WriteBytes(other, text);
    // A package cut short inside its archive.
    const fs::path project = work / "p.qst";
    WriteScript(project, "Packed");
    const fs::path package = WritePackage(work / "full.exe", {project});
    const std::string packageBytes = ReadBytes(package);
    const fs::path truncated = work / "cut.exe";
    WriteBytes(truncated, std::string_view(packageBytes).substr(0, packageBytes.size() - 40));

    for (const fs::path& file : {other, work / "missing.qst", truncated}) {
        SCOPED_TRACE(file.string());
        const DocumentResult result = document.OpenDocument(file);
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.message, 5);
        EXPECT_TRUE(result.fileMessage);
        EXPECT_EQ(result.file, file);
        ExpectPrinters(document, before);
        EXPECT_EQ(document.GetScript().printers[0].get(), firstRecord);
        EXPECT_EQ(document.GetScript().scriptNote, "Second floor");
        EXPECT_EQ(document.GetScript().reboot, 1);
        EXPECT_TRUE(document.IsModified());
        EXPECT_TRUE(document.GetPathName().empty());
    }
}

TEST_F(Corvan2DocTest, OpeningAPackageReadsItsFirstProjectInEntryOrder)
{
    const fs::path sources = work / "sources";
    fs::create_directories(sources);
    WriteScript(sources / "Zulu.QST", "First listed");
    WriteScript(sources / "Alpha.qst", "Second listed");
    WriteBytes(sources / "readme.txt", "not a project");
    const fs::path package =
        WritePackage(work / "site.EXE", {sources / "readme.txt", sources / "Zulu.QST", sources / "Alpha.qst"});

    CCorvan2Doc document(Environment(), table);
    const DocumentResult result = document.OpenDocument(package);

    ASSERT_TRUE(result.ok()) << result.status.text();
    ASSERT_EQ(document.GetScript().printers.size(), 1u);
    EXPECT_EQ(document.GetScript().printers[0]->printerName, "First listed");
    EXPECT_EQ(document.GetPathName(), package);
}

TEST_F(Corvan2DocTest, PackageWithoutProjectDoesNotOpen)
{
    WriteBytes(work / "readme.txt", "text");
    const fs::path package = WritePackage(work / "empty.exe", {work / "readme.txt"});
    CCorvan2Doc document(Environment(), table);
    const DocumentResult result = document.OpenDocument(package);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.message, 5);
    EXPECT_EQ(result.file, package);
}

TEST_F(Corvan2DocTest, SavingToExeBuildsAPackageAndKeepsTheDocumentsPath)
{
    WriteBytes(work / "drivers" / "a" / "driver.inf", "[Version]\r\n");
    WriteBytes(work / "drivers" / "b" / "sub" / "data.bin", "bytes");
    CCorvan2Doc document(Environment(), table);
    FillDocument(document);
    const fs::path project = work / "site.qst";
    ASSERT_TRUE(document.SaveDocument(project).ok());
    document.SetModifiedFlag(true);

    const fs::path output = work / "out" / "Site.Package.EXE";
    fs::create_directories(output.parent_path());
    const DocumentResult result = document.SaveDocument(output);

    ASSERT_TRUE(result.ok()) << result.status.text();
    EXPECT_TRUE(result.installerMissing) << "the test's program folder has no CVSetUp.exe";
    EXPECT_EQ(document.GetPathName(), project);
    EXPECT_EQ(document.GetTitle(), "site.qst");
    // The build wrote the package, not site.qst: the change made before it is still unsaved.
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(document.GetScript().productName, "Pellora Test Edition");

    const ScopedTempFolder unpacked;
    CPackageFile reader;
    ASSERT_TRUE(reader.Load(output, unpacked.path())) << reader.status().text();
    EXPECT_EQ(ReadBytes(unpacked.path() / "DRIVER_000" / "001" / "sub" / "data.bin"), "bytes");
    CCorvan2Doc reopened(Environment(), table);
    ASSERT_TRUE(reopened.OpenDocument(output).ok());
    ASSERT_EQ(reopened.GetScript().printers.size(), 2u);
    EXPECT_EQ(reopened.GetScript().printers[1]->printerName, "Office");
    EXPECT_EQ(reopened.GetScript().productName, "Pellora Test Edition");
}

TEST_F(Corvan2DocTest, SavingAScriptMakesItTheDocumentsPath)
{
    CCorvan2Doc document(Environment(), table);
    FillDocument(document);
    const fs::path file = work / "Floor.QST";
    const DocumentResult result = document.SaveDocument(file);
    ASSERT_TRUE(result.ok()) << result.status.text();
    EXPECT_EQ(document.GetPathName(), file);
    EXPECT_EQ(document.GetTitle(), "Floor.QST");
    EXPECT_FALSE(document.IsModified());
    EXPECT_TRUE(CScriptFile::IsScript(file));
}

TEST_F(Corvan2DocTest, FailedSaveLeavesThePreviousFileAndTheDocument)
{
    CCorvan2Doc document(Environment(), table);
    FillDocument(document);
    const fs::path project = work / "keep.qst";
    ASSERT_TRUE(document.SaveDocument(project).ok());
    const std::string projectBytes = ReadBytes(project);
    const fs::path package = work / "keep.exe";
    WriteBytes(package, "the package of yesterday");
    document.SetModifiedFlag(true);

    // A value the script format cannot hold fails the script write; a vanished driver folder fails the build.
    document.GetScript().printers[0]->comment = "two\nlines";
    const DocumentResult scriptResult = document.SaveDocument(project);
    document.GetScript().printers[0]->comment.clear();
    const DocumentResult buildResult = document.SaveDocument(package);

    for (const DocumentResult& result : {scriptResult, buildResult}) {
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.message, 6);
        EXPECT_FALSE(result.fileMessage);
    }
    EXPECT_EQ(ReadBytes(project), projectBytes);
    EXPECT_EQ(ReadBytes(package), "the package of yesterday");
    EXPECT_EQ(document.GetPathName(), project);
    EXPECT_EQ(document.GetScript().filePath, project);
    EXPECT_TRUE(document.IsModified());
}

TEST_F(Corvan2DocTest, BuildRefusingANameFailsWithMessage6AndNamesIt)
{
    WriteBytes(work / "drivers" / "a" / "driver.inf", "[Version]\r\n");
    WriteBytes(work / "drivers" / "b" / "what?.txt", "bytes");
    CCorvan2Doc document(Environment(), table);
    FillDocument(document);
    const fs::path package = work / "out" / "site.exe";
    fs::create_directories(package.parent_path());

    const DocumentResult result = document.SaveDocument(package);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.message, 6);
    EXPECT_FALSE(result.fileMessage);
    ASSERT_TRUE(result.refusal.has_value());
    EXPECT_EQ(result.refusal->path, "what?.txt");
    EXPECT_EQ(result.refusal->folder, work / "drivers" / "b");
    EXPECT_EQ(result.status.text(), result.refusal->Describe());
    EXPECT_FALSE(fs::exists(package));
}

TEST_F(Corvan2DocTest, ViewModeRefusesOpenAndSaveAndNeverMarksModified)
{
    const fs::path file = work / "view.qst";
    WriteScript(file, "Viewed");
    CCorvan2Doc document(Environment(), table);
    const ScopedViewMode viewMode;

    const DocumentResult opened = document.OpenDocument(file);
    const DocumentResult saved = document.SaveDocument(work / "new.qst");
    EXPECT_FALSE(opened.ok());
    EXPECT_EQ(opened.message, 0);
    EXPECT_FALSE(saved.ok());
    EXPECT_EQ(saved.message, 0);
    EXPECT_FALSE(fs::exists(work / "new.qst"));
    EXPECT_TRUE(document.GetScript().printers.empty());

    ASSERT_NE(document.AddPrinter(), nullptr);
    document.SetModifiedFlag(true);
    EXPECT_FALSE(document.IsModified());
}

TEST_F(Corvan2DocTest, AddPrinterCleansAndShortensTheName)
{
    CCorvan2Doc document(Environment(), table);
    const auto add = [&document](std::string name) {
        auto record = MakePrinter(name);
        return document.AddPrinter(record)->printerName;
    };
    EXPECT_EQ(add("A!B,C\\D"), "ABCD");
    EXPECT_EQ(add(std::string(40, 'x')), std::string(31, 'x'));
    // Removal comes before shortening: 31 letters survive out of 36 characters.
    EXPECT_EQ(add(std::string(30, 'y') + "!!,,\\" + "z"), std::string(30, 'y') + "z");
    // A two-byte character at bytes 31 and 32 is dropped whole.
    EXPECT_EQ(add(std::string(30, 'w') + "\xC3\xA9" + "v"), std::string(30, 'w'));
    EXPECT_EQ(add(std::string(29, 'u') + "\xE2\x82\xAC"), std::string(29, 'u'));
    EXPECT_TRUE(document.IsModified());
    // A printer made by the document is named after item 2 of "ETC".
    EXPECT_EQ(document.AddPrinter()->printerName.rfind("Printer", 0), 0u);
}

TEST_F(Corvan2DocTest, FullDocumentLeavesTheRecordWithTheCaller)
{
    CCorvan2Doc document(Environment(), table);
    document.SetMaxPrinterCount(1);
    auto first = MakePrinter("One");
    auto second = MakePrinter("Two!");
    ASSERT_NE(document.AddPrinter(first), nullptr);
    EXPECT_EQ(first, nullptr);

    EXPECT_EQ(document.AddPrinter(second), nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->printerName, "Two!");
    EXPECT_EQ(document.AddPrinter(), nullptr);
    EXPECT_EQ(document.GetScript().printers.size(), 1u);
}

TEST_F(Corvan2DocTest, DefaultPrinterMarkMovesToTheNewPrinter)
{
    CCorvan2Doc document(Environment(), table);
    auto first = MakePrinter("One");
    first->defaultPrinter = 1;
    auto second = MakePrinter("Two");
    auto third = MakePrinter("Three");
    third->defaultPrinter = 1;
    CPrinterInfoEx* const one = document.AddPrinter(first);
    document.AddPrinter(second);
    EXPECT_EQ(one->defaultPrinter, 1); // a record without the mark leaves it where it is
    CPrinterInfoEx* const three = document.AddPrinter(third);
    EXPECT_EQ(one->defaultPrinter, 0);
    EXPECT_EQ(three->defaultPrinter, 1);
}

TEST_F(Corvan2DocTest, ObserverMayRemoveItselfWhileBeingNotified)
{
    CCorvan2Doc document(Environment(), table);
    std::vector<int> calls;
    CCorvan2Doc::ObserverId first = CCorvan2Doc::kNoObserver;
    first = document.AddObserver([&](long) {
        calls.push_back(1);
        document.RemoveObserver(first);
    });
    const auto second = document.AddObserver([&](long hint) { calls.push_back(static_cast<int>(hint)); });
    document.UpdateAllViews(CCorvan2Doc::kNoObserver, 7);
    document.UpdateAllViews(second, 8);
    document.UpdateAllViews();
    EXPECT_EQ(calls, (std::vector<int>{1, 7, 0}));
}
