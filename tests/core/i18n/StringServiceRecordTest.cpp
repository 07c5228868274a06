#include "core/i18n/ScreenKind.h"
#include "core/i18n/StringServiceRecord.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace pellora {
namespace {

using namespace string_service;
using Record = std::array<std::byte, kRecordSize>;

TEST(StringServiceRecordTest, FieldsLieAtTheirOffsetsAndReadBack)
{
    Record bytes {};
    const StringServiceRecord record {0x0411, "IDD_DIALOG_LEFT", 1001, 10302, "Freigegeben"};
    ASSERT_TRUE(EncodeRecord(record, bytes));

    std::uint16_t language = 0;
    std::int32_t identifier = 0;
    std::int32_t textNumber = 0;
    std::memcpy(&language, bytes.data(), 2);
    std::memcpy(&identifier, bytes.data() + 36, 4);
    std::memcpy(&textNumber, bytes.data() + 40, 4);
    EXPECT_EQ(language, 0x0411);
    EXPECT_EQ(identifier, 1001);
    EXPECT_EQ(textNumber, 10302);
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes.data() + 2), "IDD_DIALOG_LEFT");
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes.data() + 44), "Freigegeben");
    EXPECT_EQ(DecodeRecord(bytes), record);
}

TEST(StringServiceRecordTest, TextsMustEndWithinTheirFields)
{
    Record bytes {};
    // A section of 33 bytes with its terminator fills its field exactly; one more byte does not fit.
    ASSERT_TRUE(EncodeRecord({0, std::string(33, 'S'), 0, 0, std::string(1023, 't')}, bytes));
    EXPECT_TRUE(DecodeRecord(bytes).has_value());
    EXPECT_FALSE(EncodeRecord({0, std::string(34, 'S'), 0, 0, {}}, bytes));
    EXPECT_FALSE(EncodeRecord({0, {}, 0, 0, std::string(1024, 't')}, bytes));

    // Tools write the fields themselves: a section field without a zero byte runs into the identifier,
    // a text field without one runs to the end of the record.
    Record unterminatedSection {};
    std::memset(unterminatedSection.data() + kSectionOffset, 'S', kSectionSize);
    EXPECT_FALSE(DecodeRecord(unterminatedSection).has_value());
    Record unterminatedText {};
    std::memset(unterminatedText.data() + kTextOffset, 't', kTextSize);
    EXPECT_FALSE(DecodeRecord(unterminatedText).has_value());
}

TEST(ScreenKindTest, SectionsAreFoundWithoutRegardToCaseAndUnknownOnesShowTheMainFrame)
{
    EXPECT_EQ(ScreenKindOf("message"), ScreenKind::Message);
    EXPECT_EQ(ScreenKindOf("Idd_Dialog_Left"), ScreenKind::LeftPane);
    EXPECT_EQ(ScreenKindOf("IDD_DIALOG_HYDRO"), ScreenKind::HydroDialog);
    EXPECT_EQ(ScreenKindOf("IDD_DIALOG_HEADER"), ScreenKind::HeaderDialog);
    EXPECT_EQ(ScreenKindOf("ETC"), ScreenKind::MainFrame);
    EXPECT_EQ(ScreenKindOf(""), ScreenKind::MainFrame);
    EXPECT_EQ(ScreenKindOf("IDD_DIALOG_LEFTX"), ScreenKind::MainFrame);
}

TEST(ScreenKindTest, TheIdentifierChoosesHowToFlash)
{
    EXPECT_EQ(FlashModeOf(ScreenKind::Message, 5), FlashMode::None);
    EXPECT_EQ(FlashModeOf(ScreenKind::Menu, 57600), FlashMode::None);
    EXPECT_EQ(FlashModeOf(ScreenKind::CustomDialog, 0), FlashMode::Caption);
    EXPECT_EQ(FlashModeOf(ScreenKind::UtilityDialog, 1126), FlashMode::HeaderItem);
    EXPECT_EQ(FlashModeOf(ScreenKind::ProjectView, 1000), FlashMode::HeaderItem);
    EXPECT_EQ(FlashModeOf(ScreenKind::LeftPane, 1001), FlashMode::TabItem);
    EXPECT_EQ(FlashModeOf(ScreenKind::SecurityDialog, 1024), FlashMode::ComboItem);
    EXPECT_EQ(FlashModeOf(ScreenKind::MainFrame, 59396), FlashMode::StatusPane);
    EXPECT_EQ(FlashModeOf(ScreenKind::Toolbar, 32772), FlashMode::ToolbarButton);
    EXPECT_EQ(FlashModeOf(ScreenKind::Toolbar, 0), FlashMode::Caption);
    EXPECT_EQ(FlashModeOf(ScreenKind::MainFrame, 32772), FlashMode::Control);
}

} // namespace
} // namespace pellora
