#include "core/script/OptionSections.h"

#include "core/platform/Profile.h"
#include "support/TestProgramFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace pellora;
using platform::Profile;

namespace {

class OptionSectionsTest : public ::testing::Test {
protected:
    ~OptionSectionsTest() override { Profile::instance().forget(m_file); }

    std::vector<std::string> keysOf(std::string_view section) const
    {
        std::vector<std::string> keys;
        for (const auto& [key, value] : Profile::instance().sectionEntries(m_file, section))
            keys.push_back(key);
        return keys;
    }
    std::optional<std::string> valueOf(std::string_view section, std::string_view key) const
    {
        return Profile::instance().get(m_file, section, key);
    }
    void setRaw(std::string_view section, std::string_view key, std::string_view value) const
    {
        ASSERT_TRUE(Profile::instance().write(m_file, section, key, value));
    }
    std::string flushedText() const
    {
        EXPECT_TRUE(Profile::instance().flush(m_file));
        std::ifstream in(m_file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    test::TestProgramFolder m_folder;
    fs::path m_file = m_folder.file("script.qst");
};

} // namespace

TEST_F(OptionSectionsTest, ReadDwordFailsOnlyForAMissingKey)
{
    setRaw("S", "Text", "abc");
    setRaw("S", "Bytes", "hex:01,02");
    setRaw("S", "Empty", "");
    setRaw("S", "Minus", "DWORD:fffffffe");
    const OptionSection section(m_file, "S");
    for (const char* key : {"Text", "Bytes", "Empty"}) {
        int32_t number = 77;
        EXPECT_EQ(section.ReadDword(key, number), kSectionOk) << key;
        EXPECT_EQ(number, 77) << key;
    }
    int32_t number = 77;
    EXPECT_EQ(section.ReadDword("minus", number), kSectionOk);
    EXPECT_EQ(number, -2);
    EXPECT_EQ(section.ReadDword("Missing", number), kSectionKeyMissing);
    EXPECT_EQ(number, -2);
    EXPECT_EQ(OptionSection(m_file, "Other").ReadDword("Text", number), kSectionKeyMissing);
}

TEST_F(OptionSectionsTest, ReadDwordSeesOnlyWhatFitsA260ByteBuffer)
{
    // 253 zeros fill the buffer after "dword:"; the final 1 never arrives.
    setRaw("S", "Long", "dword:" + std::string(253, '0') + "1");
    setRaw("S", "Fits", "dword:" + std::string(252, '0') + "1");
    const OptionSection section(m_file, "S");
    int32_t number = 5;
    EXPECT_EQ(section.ReadDword("Long", number), kSectionOk);
    EXPECT_EQ(number, 0);
    EXPECT_EQ(section.ReadDword("Fits", number), kSectionOk);
    EXPECT_EQ(number, 1);
}

TEST_F(OptionSectionsTest, StringsAreQuotedOnRequestAndVerified)
{
    const OptionSection section(m_file, "S");
    EXPECT_EQ(section.WriteString("Quoted", " padded ", true), kSectionOk);
    EXPECT_EQ(section.WriteString("Plain", "%DATE%", false), kSectionOk);
    EXPECT_EQ(valueOf("S", "Quoted"), " padded ");
    EXPECT_EQ(valueOf("S", "Plain"), "%DATE%");

    // A reader would get the text without its blanks.
    EXPECT_EQ(section.WriteString("Padded", " padded ", false), kSectionReadBackDiffers);
    EXPECT_EQ(section.WriteString("Broken", "two\r\nlines", true), kSectionWriteRefused);
    EXPECT_FALSE(valueOf("S", "Broken"));

    const std::string text = flushedText();
    EXPECT_NE(text.find("Quoted=\" padded \""), std::string::npos) << text;
}

TEST_F(OptionSectionsTest, ReadTextCutsToTheBufferWithoutSplittingCharacters)
{
    setRaw("S", "Name", "ab\xC3\xA9" "cd"); // "abécd"
    const OptionSection section(m_file, "S");
    std::string text = "old";
    EXPECT_EQ(section.ReadText("Name", text, 4), kSectionOk);
    EXPECT_EQ(text, "ab");
    EXPECT_EQ(section.ReadText("Name", text, 5), kSectionOk);
    EXPECT_EQ(text, "ab\xC3\xA9");
    EXPECT_EQ(section.ReadText("Name", text, 0), kSectionOk);
    EXPECT_EQ(text, "");
    text = "old";
    EXPECT_EQ(section.ReadText("Missing", text, 10), kSectionKeyMissing);
    EXPECT_EQ(text, "");
}

TEST_F(OptionSectionsTest, MonitorSectionHoldsMillisecondsInItsKeyOrder)
{
    MonitorBlock block;
    block.setSectionName("CUSTOM1");
    block.LockCustomValue = 1;
    ASSERT_EQ(WriteMonitorSection(m_file, block), kSectionOk);

    EXPECT_EQ(keysOf("CUSTOM1"),
              (std::vector<std::string>{"InstallSection", "CustomInstallDateTime", "EnableMonitoring",
                                        "EnableErrorIcon", "EnableWarningIcon", "PopupError", "PopupWarning",
                                        "SoundNotifyEnable", "Notify_Printed", "MonitoringIntervalLocal",
                                        "MonitoringIntervalNet", "LockCustomValue"}));
    EXPECT_EQ(valueOf("CUSTOM1", "InstallSection"), "InstallCSTM");
    EXPECT_EQ(valueOf("CUSTOM1", "CustomInstallDateTime"), "%DATE%");
    EXPECT_EQ(valueOf("CUSTOM1", "MonitoringIntervalLocal"), "dword:00002710");
    EXPECT_EQ(valueOf("CUSTOM1", "MonitoringIntervalNet"), "dword:00007530");
    EXPECT_NE(flushedText().find("InstallSection=\"InstallCSTM\""), std::string::npos);

    MonitorBlock read;
    read.EnableMonitoring = 5;
    ASSERT_EQ(ReadMonitorSection(m_file, "CUSTOM1", read), kSectionOk);
    EXPECT_EQ(read, block);
}

TEST_F(OptionSectionsTest, MonitorSoundKeyOnlyWithAPopup)
{
    MonitorBlock block;
    block.setSectionName("CUSTOM2");
    block.PopupError = 0;
    block.PopupWarning = 0;
    block.SoundNotifyEnable = 1;
    block.Notify_Printed = 1;
    block.MonitoringIntervalLocal = 20;
    ASSERT_EQ(WriteMonitorSection(m_file, block), kSectionOk);
    EXPECT_FALSE(valueOf("CUSTOM2", "SoundNotifyEnable"));

    // The sound key may be missing without a popup; the keys after it are still read.
    MonitorBlock read;
    ASSERT_EQ(ReadMonitorSection(m_file, "CUSTOM2", read), kSectionOk);
    MonitorBlock expected = block;
    expected.SoundNotifyEnable = 0;
    EXPECT_EQ(read, expected);

    block.PopupWarning = 1;
    ASSERT_EQ(WriteMonitorSection(m_file, block), kSectionOk);
    ASSERT_EQ(ReadMonitorSection(m_file, "CUSTOM2", read), kSectionOk);
    EXPECT_EQ(read, block);
}

TEST_F(OptionSectionsTest, MonitorSectionWithMonitoringOffKeepsItsIntervalsAndLock)
{
    MonitorBlock block;
    block.setSectionName("CUSTOM3");
    block.EnableMonitoring = 0;
    block.LockCustomValue = 1;
    block.EnableErrorIcon = 0;
    block.MonitoringIntervalLocal = 5;
    block.MonitoringIntervalNet = 60;
    ASSERT_EQ(WriteMonitorSection(m_file, block), kSectionOk);
    EXPECT_EQ(keysOf("CUSTOM3"),
              (std::vector<std::string>{"InstallSection", "CustomInstallDateTime", "EnableMonitoring",
                                        "MonitoringIntervalLocal", "MonitoringIntervalNet", "LockCustomValue"}));

    MonitorBlock read;
    ASSERT_EQ(ReadMonitorSection(m_file, "CUSTOM3", read), kSectionOk);
    MonitorBlock expected = block;
    expected.EnableErrorIcon = 1; // not written, so the default
    EXPECT_EQ(read, expected);
}

TEST_F(OptionSectionsTest, MonitorReadStopsAtAKeyThatMonitoringRequires)
{
    MonitorBlock block;
    block.setSectionName("CUSTOM1");
    block.PopupWarning = 1;
    block.Notify_Printed = 1;
    ASSERT_EQ(WriteMonitorSection(m_file, block), kSectionOk);
    ASSERT_TRUE(Profile::instance().removeKey(m_file, "CUSTOM1", "EnableWarningIcon"));
    setRaw("CUSTOM1", "EnableErrorIcon", "dword:00000000");

    MonitorBlock read;
    EXPECT_EQ(ReadMonitorSection(m_file, "CUSTOM1", read), kSectionKeyMissing);
    MonitorBlock expected;
    expected.setSectionName("CUSTOM1");
    expected.EnableErrorIcon = 0;
    EXPECT_EQ(read, expected);

    ASSERT_TRUE(Profile::instance().removeKey(m_file, "CUSTOM1", "SoundNotifyEnable"));
    setRaw("CUSTOM1", "EnableWarningIcon", "dword:00000001");
    EXPECT_EQ(ReadMonitorSection(m_file, "CUSTOM1", read), kSectionKeyMissing);
    EXPECT_EQ(read.PopupWarning, 1);
    EXPECT_EQ(read.Notify_Printed, 0);
}

TEST_F(OptionSectionsTest, MonitorIntervalsStayInSecondsWhenTheReadStopsOrTheValueIsNoDword)
{
    for (const char* key : {"LockCustomValue", "EnableMonitoring", "EnableErrorIcon", "EnableWarningIcon", "PopupError",
                            "PopupWarning", "SoundNotifyEnable", "Notify_Printed"})
        setRaw("CUSTOM1", key, "dword:00000000");
    setRaw("CUSTOM1", "MonitoringIntervalLocal", "dword:00001388");

    MonitorBlock read;
    EXPECT_EQ(ReadMonitorSection(m_file, "CUSTOM1", read), kSectionKeyMissing);
    EXPECT_EQ(read.MonitoringIntervalLocal, 5);
    EXPECT_EQ(read.MonitoringIntervalNet, 30);

    setRaw("CUSTOM1", "MonitoringIntervalNet", "soon");
    EXPECT_EQ(ReadMonitorSection(m_file, "CUSTOM1", read), kSectionOk);
    EXPECT_EQ(read.MonitoringIntervalLocal, 5);
    EXPECT_EQ(read.MonitoringIntervalNet, 30);
}

TEST_F(OptionSectionsTest, PortSectionRoundTripsWithTheWholeQueueName)
{
    PortBlock block;
    block.setSectionName("CONFIRM1");
    block.ProtocolID = 2;
    std::strcpy(block.QueueName, "ABCDEFGHIJKL");
    block.SecureUserMode = 1;
    ASSERT_EQ(WritePortSection(m_file, block), kSectionOk);
    EXPECT_EQ(keysOf("CONFIRM1"), (std::vector<std::string>{"ProtocolID", "QueueName", "SecureRawPortNo",
                                                             "SecureUserMode", "CheckPortNo"}));
    EXPECT_EQ(valueOf("CONFIRM1", "SecureRawPortNo"), "dword:0000E740");
    EXPECT_NE(flushedText().find("QueueName=\"ABCDEFGHIJKL\""), std::string::npos);

    PortBlock read;
    ASSERT_EQ(ReadPortSection(m_file, "CONFIRM1", read), kSectionOk);
    EXPECT_EQ(read, block);

    // The longest name the area holds (35 bytes and its NUL) survives too.
    std::memset(block.QueueName, 'Q', sizeof block.QueueName - 1);
    block.QueueName[sizeof block.QueueName - 1] = '\0';
    ASSERT_EQ(WritePortSection(m_file, block), kSectionOk);
    ASSERT_EQ(ReadPortSection(m_file, "CONFIRM1", read), kSectionOk);
    EXPECT_EQ(read, block);

    std::memset(block.QueueName, 0, sizeof block.QueueName);
    std::strcpy(block.QueueName, "Short");
    ASSERT_EQ(WritePortSection(m_file, block), kSectionOk);
    ASSERT_EQ(ReadPortSection(m_file, "CONFIRM1", read), kSectionOk);
    EXPECT_EQ(read, block);
}

TEST_F(OptionSectionsTest, PortSectionWriteStopsAtTheFirstRefusedValue)
{
    PortBlock block;
    block.setSectionName("CONFIRM1");
    std::strcpy(block.QueueName, "bad\nname");
    EXPECT_EQ(WritePortSection(m_file, block), kSectionWriteRefused);
    EXPECT_EQ(keysOf("CONFIRM1"), std::vector<std::string>{"ProtocolID"});

    PortBlock read;
    read.SecureRawPortNo = 1;
    EXPECT_EQ(ReadPortSection(m_file, "CONFIRM1", read), kSectionKeyMissing);
    PortBlock expected;
    expected.setSectionName("CONFIRM1");
    EXPECT_EQ(read, expected);

    MonitorBlock unnamed;
    EXPECT_EQ(WriteMonitorSection(m_file, unnamed), kSectionWriteRefused);
}

TEST_F(OptionSectionsTest, SecuritySectionLeavesOutNegativeOptionalKeys)
{
    const SecurityBlock defaults;
    ASSERT_EQ(WriteSecuritySection(m_file, "SECURITY1", defaults), kSectionOk);
    EXPECT_EQ(keysOf("SECURITY1"),
              (std::vector<std::string>{"NotAllowBlock", "NotAllowStamp", "NotAllowHeader", "NotAllowPassword",
                                        "BlockPatternColor", "BlockPatternArrange", "HeaderFooter", "Password",
                                        "Lock"}));
    EXPECT_EQ(valueOf("SECURITY1", "BlockPatternColor"), "dword:FFFFFFFF");

    SecurityBlock block;
    block.NotAllowStamp = 1;
    block.HeaderFooter = 1;
    block.Lock = 0x81;
    block.HeaderLeft = 2;
    block.HeaderCenter = -5;
    block.FooterRight = 3;
    ASSERT_EQ(WriteSecuritySection(m_file, "SECURITY2", block), kSectionOk);
    EXPECT_FALSE(valueOf("SECURITY2", "BlockPattern"));

    // Keys left out for negative values keep their defaults.
    SecurityBlock read;
    read.Lock = 9;
    ASSERT_EQ(ReadSecuritySection(m_file, "SECURITY2", read), kSectionOk);
    SecurityBlock expected = block;
    expected.HeaderCenter = -1;
    EXPECT_EQ(read, expected);

    // A key written always ends the read when it is missing.
    ASSERT_TRUE(Profile::instance().removeKey(m_file, "SECURITY2", "Lock"));
    EXPECT_EQ(ReadSecuritySection(m_file, "SECURITY2", read), kSectionKeyMissing);
    EXPECT_EQ(read.Password, 0);
    EXPECT_EQ(read.Lock, 0);
    EXPECT_EQ(read.HeaderLeft, -1);
}

TEST_F(OptionSectionsTest, SecuritySectionRoundTripsNegativeValuesOfAlwaysWrittenKeys)
{
    SecurityBlock block;
    block.NotAllowBlock = 1;
    block.BlockPattern = 4;
    block.BlockPatternColor = -1;
    block.BlockPatternArrange = -7;
    block.StampMark = 0;
    block.Password = 1;
    block.Lock = -1;
    block.HeaderLeft = 0;
    block.HeaderCenter = 1;
    block.HeaderRight = 2;
    block.FooterLeft = 3;
    block.FooterCenter = 4;
    block.FooterRight = 5;
    ASSERT_EQ(WriteSecuritySection(m_file, "SECURITY1", block), kSectionOk);
    EXPECT_EQ(keysOf("SECURITY1").size(), 17u);
    EXPECT_EQ(valueOf("SECURITY1", "BlockPatternArrange"), "dword:FFFFFFF9");

    SecurityBlock read;
    ASSERT_EQ(ReadSecuritySection(m_file, "SECURITY1", read), kSectionOk);
    EXPECT_EQ(read, block);
}
