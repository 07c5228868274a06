// The driver package check DAVORUDI.so, loaded from a test program folder through DriverCheckLibrary.

#include "core/plugin/DriverCheck.h"
#include "core/util/Support.h"
#include "davorudi/DavorUdi.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

using pellora::DriverCheckLibrary;

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// UTF-16LE bytes of a text, with or without byte-order mark.
std::string Utf16(const std::u16string& text, bool bom = true)
{
    std::string bytes = bom ? "\xFF\xFE" : "";
    for (const char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

const char* const kPrinterInf = "; Printer driver for two models\r\n"
                                "[Version]\r\n"
                                "Signature=\"$Windows NT$\"\r\n"
                                "Class=Printer\r\n"
                                "\r\n"
                                "[Manufacturer]\r\n"
                                "%Mfg%=Vardo,NTamd64\r\n"
                                "\r\n"
                                "[Vardo]\r\n"
                                "\"VARDO LaserJet 100\" = INSTALL100, USBPRINT\\VARDOLJ100\r\n"
                                "\r\n"
                                "[Vardo.NTamd64]\r\n"
                                "%Model200% = INSTALL200, LPTENUM\\VARDO200   ; the 64-bit model\r\n"
                                "\r\n"
                                "[Other]\r\n"
                                "\"VARDO Hidden 9\" = INSTALL9\r\n"
                                "\r\n"
                                "[Strings]\r\n"
                                "Mfg = \"VARDO\"\r\n"
                                "Model200 = \"VARDO Pro 200 PCL\"\r\n";

class DavorUdiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.valid());
        fs::create_directories(ProgramFolder());
        fs::copy_file(PELLORA_DAVORUDI_PATH, ProgramFolder() / DriverCheckLibrary::kFileName);
        m_library = std::make_unique<DriverCheckLibrary>(ProgramFolder());
        ASSERT_TRUE(m_library->IsLoaded()) << m_library->status().text();
        fs::create_directories(Driver());
    }

    void TearDown() override { m_library.reset(); }

    fs::path ProgramFolder() const { return m_root.path() / "program"; }
    fs::path Driver() const { return m_root.path() / "driver"; }

    // Runs the check the way the build validation does: the maker prefix put in front of the model.
    int Check(const std::string& model, const fs::path& folder, const std::string& bsfPath = {}) const
    {
        return m_library->Check(DriverCheckLibrary::ModelArgument(model), folder.string(), bsfPath).value_or(-1);
    }
    int Check(const std::string& model) const { return Check(model, Driver()); }

    pellora::ScopedTempFolder m_root;
    std::unique_ptr<DriverCheckLibrary> m_library;
};

TEST_F(DavorUdiTest, FindsModelsOfListedSectionsIgnoringCaseAndMakerPrefix)
{
    WriteBytes(Driver() / "prn.inf", kPrinterInf);

    EXPECT_EQ(Check("VARDO LaserJet 100"), DAVORUDI_OK);
    EXPECT_EQ(Check("LaserJet 100"), DAVORUDI_OK) << "name in the file carries the prefix, the model not";
    EXPECT_EQ(Check("vardo laserjet 100"), DAVORUDI_OK) << "prefix in another letter case gets a second prefix";
    EXPECT_EQ(Check("VARDO Pro 200 PCL"), DAVORUDI_OK) << "%key% of a decorated section";
    EXPECT_EQ(Check("pro 200 pcl"), DAVORUDI_OK);
    EXPECT_EQ(m_library->Check("LaserJet 100", Driver().string(), "").value_or(-1), DAVORUDI_OK)
        << "without any prefix on the argument";

    EXPECT_EQ(Check("VARDO LaserJet 10"), DAVORUDI_MODEL_NOT_LISTED) << "no partial match";
    EXPECT_EQ(Check("VARDO Hidden 9"), DAVORUDI_MODEL_NOT_LISTED) << "section not named by [Manufacturer]";
    EXPECT_EQ(Check("INSTALL100"), DAVORUDI_MODEL_NOT_LISTED) << "right-hand side is no model name";
    EXPECT_EQ(Check(""), DAVORUDI_MODEL_NOT_LISTED);
}

TEST_F(DavorUdiTest, ReadsUtf16AndAnsiAndUtf8Files)
{
    const std::u16string utf16 = u"[Manufacturer]\r\n"
                                 u"\"Vardo\"=Models,NTx86.6.0\r\n"
                                 u"[models.ntx86.6.0]\r\n"
                                 u"%M1% = I1\r\n"
                                 u"[Strings]\r\n"
                                 u"M1=\"VARDO Drucker Gr\u00F6\u00DFe 5\"\r\n";
    WriteBytes(Driver() / "utf16.INF", Utf16(utf16));
    EXPECT_EQ(Check("Drucker Gr\xC3\xB6\xC3\x9F" "e 5"), DAVORUDI_OK);

    fs::remove(Driver() / "utf16.INF");
    WriteBytes(Driver() / "nobom.inf", Utf16(utf16, false));
    EXPECT_EQ(Check("VARDO DRUCKER Gr\xC3\xB6\xC3\x9F" "E 5"), DAVORUDI_OK) << "UTF-16 without byte-order mark";

    fs::remove(Driver() / "nobom.inf");
    WriteBytes(Driver() / "ansi.inf", "[Manufacturer]\nV=M\n[M]\n\"Imprimante \xE9t\xE9 7\" = I\n");
    EXPECT_EQ(Check("Imprimante \xC3\xA9t\xC3\xA9 7"), DAVORUDI_OK) << "Windows-1252 bytes";

    fs::remove(Driver() / "ansi.inf");
    WriteBytes(Driver() / "utf8.inf", "\xEF\xBB\xBF[Manufacturer]\nV=M\n[M]\n\"Imprimante \xC3\xA9t\xC3\xA9 8\" = I\n");
    EXPECT_EQ(Check("Imprimante \xC3\xA9t\xC3\xA9 8"), DAVORUDI_OK) << "UTF-8 with byte-order mark";
}

TEST_F(DavorUdiTest, FollowsIniSyntaxOfSetupFiles)
{
    WriteBytes(Driver() / "syntax.inf", "[MANUFACTURER]\r\n"
                                        "%Mfg% = Main , NTamd64 , , NTia64\r\n"
                                        "[main.NTAMD64]\r\n"
                                        "\"VARDO A;B 1\" = I1 ; quoted semicolon is no comment\r\n"
                                        "%Unknown% = I2\r\n"
                                        "\"VARDO 100%% Duty\" = I3\r\n"
                                        "%Local% = \\\r\n"
                                        "    I4, USBPRINT\\X\r\n"
                                        "[Main.NTia64]\r\n"
                                        "\"VARDO Say \"\"Hi\"\"\" = I5\r\n"
                                        "[Strings.0407]\r\n"
                                        "Local = \"VARDO Lokal 4\"\r\n"
                                        "Mfg = ignored\r\n"
                                        "[strings]\r\n"
                                        "MFG = VARDO\r\n");
    EXPECT_EQ(Check("A;B 1"), DAVORUDI_OK);
    EXPECT_EQ(Check("%Unknown%"), DAVORUDI_OK) << "an unknown key stays as written";
    EXPECT_EQ(Check("100% Duty"), DAVORUDI_OK);
    EXPECT_EQ(Check("Lokal 4"), DAVORUDI_OK) << "localised strings section";
    EXPECT_EQ(Check("Say \"Hi\""), DAVORUDI_OK);
}

TEST_F(DavorUdiTest, ReadsOnlyInfFilesDirectlyInTheFolder)
{
    WriteBytes(Driver() / "readme.txt", kPrinterInf);
    WriteBytes(Driver() / "prn.inf.bak", kPrinterInf);
    WriteBytes(Driver() / "sub" / "prn.inf", kPrinterInf);
    fs::create_directories(Driver() / "folder.inf");
    EXPECT_EQ(Check("LaserJet 100"), DAVORUDI_NO_INF_FILE);

    WriteBytes(Driver() / "other.inf", "[Manufacturer]\nV=M\n[M]\n\"VARDO Else\" = I\n");
    EXPECT_EQ(Check("LaserJet 100"), DAVORUDI_MODEL_NOT_LISTED);

    WriteBytes(Driver() / "PRINTER.InF", kPrinterInf);
    EXPECT_EQ(Check("LaserJet 100"), DAVORUDI_OK) << "any INF file of the folder may name the model";
}

TEST_F(DavorUdiTest, ReportsUnusableFoldersAndSettingsFiles)
{
    WriteBytes(Driver() / "prn.inf", kPrinterInf);
    const fs::path settings = m_root.path() / "settings.bsf";

    EXPECT_EQ(Check("LaserJet 100", ""), DAVORUDI_FOLDER_UNREADABLE);
    EXPECT_EQ(Check("LaserJet 100", m_root.path() / "missing"), DAVORUDI_FOLDER_UNREADABLE);
    EXPECT_EQ(Check("LaserJet 100", Driver() / "prn.inf"), DAVORUDI_FOLDER_UNREADABLE) << "a file, not a folder";
    EXPECT_EQ(Check("LaserJet 100", m_root.path() / "missing", settings.string()), DAVORUDI_FOLDER_UNREADABLE)
        << "the folder is checked before the settings file";

    EXPECT_EQ(Check("LaserJet 100", Driver(), settings.string()), DAVORUDI_SETTINGS_MISSING);
    WriteBytes(settings, "");
    EXPECT_EQ(Check("LaserJet 100", Driver(), settings.string()), DAVORUDI_SETTINGS_UNREADABLE);
    EXPECT_EQ(Check("LaserJet 100", Driver(), Driver().string()), DAVORUDI_SETTINGS_UNREADABLE) << "a folder";
    WriteBytes(settings, "[Settings]\r\n");
    EXPECT_EQ(Check("LaserJet 100", Driver(), settings.string()), DAVORUDI_OK);
}

TEST_F(DavorUdiTest, LoadedLibraryMovesWithItsOwner)
{
    WriteBytes(Driver() / "prn.inf", kPrinterInf);
    DriverCheckLibrary moved(std::move(*m_library));
    EXPECT_FALSE(m_library->IsLoaded());
    EXPECT_FALSE(m_library->Check("VARDO LaserJet 100", Driver().string(), "").has_value());
    ASSERT_TRUE(moved.IsLoaded());
    EXPECT_EQ(moved.Check("VARDO LaserJet 100", Driver().string(), ""), DAVORUDI_OK);

    *m_library = std::move(moved);
    EXPECT_EQ(m_library->Check("VARDO LaserJet 100", Driver().string(), ""), DAVORUDI_OK);
}

} // namespace
