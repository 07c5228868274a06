// The application-list library TsAppInst.so, loaded by full path from a test program folder that holds
// a Utilities folder of good and bad manifests.

#include "support/TestProgramFolder.h"
#include "tsappinst/TsAppInst.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

extern "C" size_t TsAppRecordSizeSeenFromC(void);
extern "C" size_t TsAppModelsOffsetSeenFromC(void);

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

// What a caller reads out of one record.
struct Listed {
    std::string name;
    std::string setupPath;
    uint32_t kind = 0;
    std::string version;
    uint32_t osMask = 0;
    uint16_t platform = 0;
    std::vector<std::string> models;
};

std::vector<std::string> ModelNames(const APP_INFO& record)
{
    std::vector<std::string> names;
    if (!record.hasModelList)
        return names;
    for (const char* name = record.models->names; *name; name += std::strlen(name) + 1)
        names.emplace_back(name);
    EXPECT_EQ(names.size(), record.models->count);
    return names;
}

std::vector<Listed> Read(const APP_INFO* records, uint32_t count)
{
    std::vector<Listed> listed;
    for (uint32_t i = 0; i < count; ++i) {
        const APP_INFO& r = records[i];
        listed.push_back({ r.name, r.setupPath, r.kind, r.version, r.osMask, r.platform, ModelNames(r) });
    }
    return listed;
}

std::vector<std::string> Names(const std::vector<Listed>& listed)
{
    std::vector<std::string> names;
    for (const auto& entry : listed)
        names.push_back(entry.name);
    return names;
}

std::string Manifest(const std::string& name, const std::string& extra = {})
{
    return "[Utility]\nName=" + name + "\nSetup=setup.exe\n" + extra;
}

class TsAppInstTest : public ::testing::Test {
protected:
    struct Result {
        int code = -1;
        std::vector<Listed> listed;
    };

    void SetUp() override
    {
        const fs::path library = m_program.file("TsAppInst.so");
        fs::copy_file(PELLORA_TSAPPINST_PATH, library);
        m_handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_handle, nullptr) << dlerror();
        m_enumerate = reinterpret_cast<EnumApplicationInfoFunction>(dlsym(m_handle, TSAPP_ENUM_ENTRY_POINT));
        m_enumerateEx = reinterpret_cast<EnumApplicationInfoFunction>(dlsym(m_handle, TSAPP_ENUM_EX_ENTRY_POINT));
        m_free = reinterpret_cast<FreeApplicationInfoFunction>(dlsym(m_handle, TSAPP_FREE_ENTRY_POINT));
        ASSERT_TRUE(m_enumerate && m_enumerateEx && m_free);
    }

    void TearDown() override
    {
        if (m_handle)
            dlclose(m_handle);
    }

    fs::path Utilities() const { return m_program.path() / TSAPP_UTILITIES_FOLDER; }

    // A utility folder with its manifest and, unless told otherwise, its setup file.
    void AddUtility(const std::string& folder, const std::string& manifest, bool withSetup = true) const
    {
        m_program.writeFile(std::string(TSAPP_UTILITIES_FOLDER) + "/" + folder + "/" + TSAPP_MANIFEST_FILE, manifest);
        if (withSetup)
            m_program.writeFile(std::string(TSAPP_UTILITIES_FOLDER) + "/" + folder + "/setup.exe", "MZ");
    }

    std::string SetupOf(const std::string& folder) const { return (Utilities() / folder / "setup.exe").string(); }

    Result Run(EnumApplicationInfoFunction function, const std::vector<const char*>& texts, uint32_t option = 0,
               const char* folder = nullptr) const
    {
        static APP_INFO sentinel;
        APP_INFO* const untouched = &sentinel;
        APP_INFO* records = untouched;
        uint32_t count = 99;
        Result result;
        result.code = function(0, folder, texts.empty() ? nullptr : texts.data(), static_cast<uint32_t>(texts.size()),
                               option, &records, &count, nullptr, 0, nullptr);
        if (result.code != TSAPP_OK) {
            EXPECT_EQ(records, nullptr);
            EXPECT_EQ(count, 0u);
        }
        EXPECT_EQ(records == nullptr, count == 0);
        if (records == untouched)
            return result;
        result.listed = Read(records, count);
        m_free(records);
        return result;
    }
    Result Enumerate(const std::vector<const char*>& models = {}, uint32_t option = 0) const
    {
        return Run(m_enumerate, models, option);
    }

    pellora::test::TestProgramFolder m_program;
    void* m_handle = nullptr;
    EnumApplicationInfoFunction m_enumerate = nullptr;
    EnumApplicationInfoFunction m_enumerateEx = nullptr;
    FreeApplicationInfoFunction m_free = nullptr;
};

TEST_F(TsAppInstTest, CallersReadTheFieldsAtTheirByteOffsets)
{
    EXPECT_EQ(TsAppRecordSizeSeenFromC(), 1920u);
    EXPECT_EQ(TsAppModelsOffsetSeenFromC(), offsetof(APP_INFO, models));

    AddUtility("a", Manifest("Alpha", "Kind=4\nVersion=2.10\nOS=0x9300\nPlatform=3\nModels=VARDO RX-C3400;VMF-X3300\n"));
    AddUtility("b", Manifest("Beta", "Kind=7\n"));
    APP_INFO* block = nullptr;
    uint32_t count = 0;
    ASSERT_EQ(m_enumerate(0, nullptr, nullptr, 0, 0, &block, &count, nullptr, 0, nullptr), TSAPP_OK);
    ASSERT_EQ(count, 2u);
    const std::unique_ptr<APP_INFO, FreeApplicationInfoFunction> owner(block, m_free);

    const auto* first = reinterpret_cast<const unsigned char*>(block);
    const auto at = [](const unsigned char* record, std::size_t offset, auto value) {
        std::memcpy(&value, record + offset, sizeof value);
        return value;
    };
    EXPECT_STREQ(reinterpret_cast<const char*>(first), "Alpha");
    EXPECT_EQ(reinterpret_cast<const char*>(first + 260), SetupOf("a"));
    EXPECT_EQ(at(first, 1040, uint32_t{}), 4u);
    EXPECT_STREQ(reinterpret_cast<const char*>(first + 1060), "2.10");
    EXPECT_EQ(at(first, 1096, uint32_t{}), 0x9300u);
    EXPECT_EQ(at(first, 1100, uint16_t{}), 3u);
    EXPECT_EQ(at(first, 1112, uint32_t{}), 1u);
    const auto* list = at(first, 1120, static_cast<const unsigned char*>(nullptr));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(at(list, 0, uint32_t{}), 2u);
    const char* names = at(list, 8, static_cast<const char*>(nullptr));
    EXPECT_EQ(std::string(names, 26), "VARDO RX-C3400\0VMF-X3300\0\0"s);

    const unsigned char* second = first + 1920;
    EXPECT_STREQ(reinterpret_cast<const char*>(second), "Beta") << "records follow each other every 1920 bytes";
    EXPECT_EQ(at(second, 1040, uint32_t{}), 7u);
    EXPECT_EQ(at(second, 1112, uint32_t{}), 0u);
    EXPECT_EQ(at(second, 1120, static_cast<const void*>(first)), nullptr);
}

TEST_F(TsAppInstTest, ListsWellFormedManifestsAndSkipsMalformedOnes)
{
    AddUtility("b-full", "\xEF\xBB\xBF; written on Windows\r\n"
                         "[Other]\r\nName=not this one\r\n"
                         "[ utility ]\r\n"
                         "  NAME = \"Status Viewer \xC3\x9C\" \r\n"
                         "setup=bin\\.\\setup.exe\r\n"
                         "Kind=0\r\nVersion='1.2 beta'\r\nOs=768\r\nPLATFORM=0x5\r\n"
                         "Models= ; VARDO RX-C2100 ;;VDL-N2200 \r\n"
                         "Future=ignored\r\n");
    AddUtility("a-minimal", "[Utility]\nName=Minimal\nSetup=setup.exe");
    AddUtility(".hidden", Manifest("Hidden"));
    m_program.writeFile("Utilities/loose-file", Manifest("Loose"));
    fs::create_directories(Utilities() / "no-manifest");
    fs::create_directories(Utilities() / "manifest-folder" / TSAPP_MANIFEST_FILE);

    const std::vector<std::string> malformed = {
        "Name=X\nSetup=setup.exe\n",                                    // no [Utility] section
        "[Utility]\nSetup=setup.exe\n",                                 // no name
        "[Utility]\nName=\nSetup=setup.exe\n",                          // empty name
        "[Utility]\nName=X\n",                                          // no setup file
        "[Utility]\nName=X\nSetup=setup.exe\nstray line\n",             // neither key nor section
        "[Utility]\nName=X\nSetup=setup.exe\n[Utility]\nKind=1\n",      // section twice
        "[Utility]\nName=X\nName=Y\nSetup=setup.exe\n",                 // key twice
        "[Utility\nName=X\nSetup=setup.exe\n",                          // unclosed section
        Manifest("X", "Kind=-1\n"),
        Manifest("X", "Kind=12x\n"),
        Manifest("X", "OS=0x100000000\n"),
        Manifest("X", "Platform=65536\n"),
        Manifest("X", "Version=" + std::string(36, 'v') + "\n"),
        Manifest(std::string(260, 'n')),
        Manifest("Bad \xC3\x28 UTF-8"),
        Manifest("Tab\there"),
        Manifest("X", "Models=A;" + std::string(260, 'm') + "\n"),
        "[Utility]\nName=X\nSetup=../outside.exe\n",
        "[Utility]\nName=X\nSetup=/bin/sh\n",
        "[Utility]\nName=X\nSetup=./\n",
        "[Utility]\nName=X\nSetup=" + std::string(250, 'd') + "/" + std::string(250, 'e') + "/" + std::string(250, 'f')
            + "/setup.exe\n",                                           // full path longer than the field
        "[Utility]\nName=X\0\nSetup=setup.exe\n"s,
        Manifest("Huge", std::string(64 * 1024, ';')),
    };
    for (std::size_t i = 0; i < malformed.size(); ++i)
        AddUtility("bad-" + std::to_string(100 + i), malformed[i]);

    const Result result = Enumerate();
    ASSERT_EQ(result.code, TSAPP_OK);
    ASSERT_EQ(Names(result.listed), (std::vector<std::string> { "Minimal", "Status Viewer \xC3\x9C" }));

    const Listed& minimal = result.listed[0];
    EXPECT_EQ(minimal.setupPath, SetupOf("a-minimal"));
    EXPECT_EQ(minimal.kind, 0u);
    EXPECT_EQ(minimal.version, "");
    EXPECT_EQ(minimal.osMask, 0u);
    EXPECT_EQ(minimal.platform, 0u);
    EXPECT_TRUE(minimal.models.empty());

    const Listed& full = result.listed[1];
    EXPECT_EQ(full.setupPath, (Utilities() / "b-full" / "bin" / "setup.exe").string());
    EXPECT_EQ(full.version, "1.2 beta");
    EXPECT_EQ(full.osMask, 768u);
    EXPECT_EQ(full.platform, 5u);
    EXPECT_EQ(full.models, (std::vector<std::string> { "VARDO RX-C2100", "VDL-N2200" }));
}

TEST_F(TsAppInstTest, ModelFilterAndKnownTextsChooseTheUtilities)
{
    AddUtility("a", Manifest("A", "Models=VARDO RX-C3400;VDL-N2200\n"));
    AddUtility("b", Manifest("B"));
    AddUtility("c", Manifest("C", "Models=VMF-X3300\n"));

    EXPECT_EQ(Names(Enumerate().listed), (std::vector<std::string> { "A", "B", "C" }));
    EXPECT_EQ(Names(Enumerate({ "rx-c3400" }).listed), (std::vector<std::string> { "A", "B" }))
        << "case and maker prefix do not matter; a utility without models serves every model";
    EXPECT_EQ(Names(Enumerate({ nullptr, "VARDO VMF-X3300", "VARDO VDL-N2200" }).listed),
              (std::vector<std::string> { "A", "B", "C" }));
    EXPECT_EQ(Names(Enumerate({ "VMF-X33" }).listed), (std::vector<std::string> { "B" })) << "whole names only";

    std::string upperA = SetupOf("a");
    for (char& c : upperA)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(Names(Run(m_enumerateEx, { upperA.c_str(), "elsewhere" }).listed), (std::vector<std::string> { "B", "C" }));
    EXPECT_EQ(Names(Run(m_enumerateEx, { "rx-c3400" }).listed), (std::vector<std::string> { "A", "B", "C" }))
        << "the Ex texts are identifying texts, not models";

    APP_INFO* block = nullptr;
    uint32_t count = 0;
    EXPECT_EQ(m_enumerate(0, nullptr, nullptr, 1, 0, &block, &count, nullptr, 0, nullptr), TSAPP_INVALID_ARGUMENT);
    EXPECT_EQ(m_enumerateEx(0, nullptr, nullptr, 2, 0, &block, &count, nullptr, 0, nullptr), TSAPP_INVALID_ARGUMENT);
}

TEST_F(TsAppInstTest, OptionAndReservedArgumentsActAsDocumented)
{
    AddUtility("present", Manifest("Present"));
    AddUtility("missing", Manifest("Missing"), false);
    AddUtility("folder", Manifest("Folder"), false);
    fs::create_directories(Utilities() / "folder" / "setup.exe");

    EXPECT_EQ(Names(Enumerate({}, 0).listed), (std::vector<std::string> { "Folder", "Missing", "Present" }));
    EXPECT_EQ(Names(Enumerate({}, TSAPP_OPTION_PRESENT_ONLY).listed), (std::vector<std::string> { "Present" }));
    EXPECT_EQ(Names(Run(m_enumerateEx, {}, TSAPP_OPTION_PRESENT_ONLY).listed), (std::vector<std::string> { "Present" }));
    EXPECT_EQ(Enumerate({}, 2).code, TSAPP_INVALID_ARGUMENT) << "unknown option bit";

    APP_INFO* block = nullptr;
    uint32_t count = 0;
    EXPECT_EQ(m_enumerate(1, nullptr, nullptr, 0, 0, &block, &count, nullptr, 0, nullptr), TSAPP_INVALID_ARGUMENT);
    EXPECT_EQ(m_enumerate(0, nullptr, nullptr, 0, 0, &block, &count, nullptr, 1, nullptr), TSAPP_INVALID_ARGUMENT);
    EXPECT_EQ(m_enumerate(0, nullptr, nullptr, 0, 0, nullptr, &count, nullptr, 0, nullptr), TSAPP_INVALID_ARGUMENT);
    EXPECT_EQ(m_enumerateEx(0, nullptr, nullptr, 0, 0, &block, nullptr, nullptr, 0, nullptr), TSAPP_INVALID_ARGUMENT);
    EXPECT_EQ(block, nullptr);
}

TEST_F(TsAppInstTest, FolderArgumentMissingFoldersAndProgress)
{
    EXPECT_EQ(Enumerate().code, TSAPP_OK) << "no Utilities folder: nothing to list";
    EXPECT_TRUE(Enumerate().listed.empty());
    m_program.writeFile(TSAPP_UTILITIES_FOLDER, "a file");
    EXPECT_EQ(Enumerate().code, TSAPP_FOLDER_UNREADABLE);
    fs::remove(Utilities());

    m_program.writeFile("elsewhere/one/" TSAPP_MANIFEST_FILE, Manifest("One"));
    m_program.writeFile("elsewhere/two/" TSAPP_MANIFEST_FILE, Manifest("Two"));
    const std::string elsewhere = (m_program.path() / "elsewhere").string();
    const Result other = Run(m_enumerate, {}, 0, elsewhere.c_str());
    ASSERT_EQ(Names(other.listed), (std::vector<std::string> { "One", "Two" }));
    EXPECT_EQ(other.listed[0].setupPath, elsewhere + "/one/setup.exe");

    struct Progress {
        std::vector<std::pair<uint32_t, uint32_t>> calls;
        uint32_t stopAt = 0;
    } progress;
    const TsAppProgress record = [](uint32_t examined, uint32_t total, void* context) {
        auto* p = static_cast<Progress*>(context);
        p->calls.emplace_back(examined, total);
        return examined == p->stopAt ? 1 : 0;
    };
    APP_INFO* block = nullptr;
    uint32_t count = 0;
    ASSERT_EQ(m_enumerate(0, elsewhere.c_str(), nullptr, 0, 0, &block, &count, record, 0, &progress), TSAPP_OK);
    m_free(block);
    EXPECT_EQ(progress.calls, (std::vector<std::pair<uint32_t, uint32_t>> { { 1, 2 }, { 2, 2 } }));
    progress = { {}, 1 };
    EXPECT_EQ(m_enumerate(0, elsewhere.c_str(), nullptr, 0, 0, &block, &count, record, 0, &progress), TSAPP_CANCELLED);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(progress.calls.size(), 1u);
}

TEST_F(TsAppInstTest, RecordsSurviveUntilFreed)
{
    AddUtility("a", Manifest("A", "Version=3\nModels=VARDO RX-C3400;VDL-N2200\n"));
    AddUtility("b", Manifest("B", "Models=VMF-X3300\n"));
    APP_INFO* first = nullptr;
    uint32_t firstCount = 0;
    ASSERT_EQ(m_enumerate(0, nullptr, nullptr, 0, 0, &first, &firstCount, nullptr, 0, nullptr), TSAPP_OK);

    // Later enumerations, a changed folder and the freeing of another block leave the first block alone.
    fs::remove_all(Utilities() / "a");
    AddUtility("b", Manifest("B2", "Models=Other\n"));
    APP_INFO* second = nullptr;
    uint32_t secondCount = 0;
    ASSERT_EQ(m_enumerateEx(0, nullptr, nullptr, 0, 1, &second, &secondCount, nullptr, 0, nullptr), TSAPP_OK);
    ASSERT_EQ(secondCount, 1u);
    EXPECT_EQ(ModelNames(second[0]), std::vector<std::string> { "Other" });
    m_free(second);
    m_free(nullptr);

    const std::vector<Listed> listed = Read(first, firstCount);
    m_free(first);
    ASSERT_EQ(Names(listed), (std::vector<std::string> { "A", "B" }));
    EXPECT_EQ(listed[0].version, "3");
    EXPECT_EQ(listed[0].models, (std::vector<std::string> { "VARDO RX-C3400", "VDL-N2200" }));
    EXPECT_EQ(listed[1].models, std::vector<std::string> { "VMF-X3300" });
}

} // namespace
