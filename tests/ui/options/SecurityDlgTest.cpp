#include "ui/options/SecurityDlg.h"

#include "OptionDialogTestSupport.h"
#include "core/model/ViewMode.h"
#include "ui/options/HeaderDlg.h"
#include "ui/options/HeaderDlgIds.h"
#include "ui/options/OptionControls.h"
#include "ui/options/SecurityDlgIds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace pellora::ui {
namespace {

using namespace security;
using test::PressAndAnswer;

CLockToggle* toggle(const CSecurityDlg& dialog, int id)
{
    return dialog.Item<CLockToggle>(id);
}

TEST(SecurityDlgTest, TheLockValueIsRebuiltFromTheTogglesOnOk)
{
    const test::OptionStrings strings;
    CSecurityDlg dialog;
    SecurityBlock block;
    block.Lock = 0x12; // the stamp and the watermark pattern
    block.NotAllowStamp = 1;
    dialog.SetBlock(block);
    dialog.Initialise();
    dialog.show();
    EXPECT_TRUE(toggle(dialog, IDC_LOCK_STAMP)->IsOn());
    EXPECT_TRUE(toggle(dialog, IDC_LOCK_BLOCK_PATTERN)->IsOn());
    EXPECT_FALSE(toggle(dialog, IDC_LOCK_BLOCK)->IsOn());

    for (const int id : {IDC_LOCK_STAMP, IDC_LOCK_BLOCK_PATTERN, IDC_LOCK_BLOCK, IDC_LOCK_PASSWORD_PRINTING})
        QTest::mouseClick(toggle(dialog, id), Qt::LeftButton);
    EXPECT_EQ(dialog.LockFromToggles(), 0x81);
    EXPECT_EQ(dialog.Block().Lock, 0x12); // kept until OK
    dialog.Item<QCheckBox>(IDC_PASSWORD)->setChecked(true);
    EXPECT_EQ(PressAndAnswer(dialog, IDC_OK), "");
    EXPECT_EQ(dialog.Block().Lock, 0x81);
    EXPECT_EQ(dialog.Block().NotAllowStamp, 1);
    EXPECT_EQ(dialog.Block().Password, 1);
    EXPECT_EQ(dialog.Block().BlockPattern, -1); // nothing chosen stays nothing
    EXPECT_EQ(dialog.Block().BlockPatternColor, -1);

    // In view mode a click leaves a toggle as it is.
    const ScopedViewMode viewMode;
    QTest::mouseClick(toggle(dialog, IDC_LOCK_HEADER), Qt::LeftButton);
    EXPECT_FALSE(toggle(dialog, IDC_LOCK_HEADER)->IsOn());
}

TEST(SecurityDlgTest, TheWatermarkSettingsNeedAWatermarkAndTheSwatchesPickTheirColour)
{
    const test::OptionStrings strings;
    CSecurityDlg dialog;
    dialog.Initialise();
    dialog.show();
    auto* pattern = dialog.Item<QComboBox>(IDC_BLOCK_PATTERN);
    EXPECT_EQ(pattern->count(), 5);
    EXPECT_EQ(pattern->currentIndex(), -1);
    EXPECT_EQ(dialog.Item<QComboBox>(IDC_STAMP_MARK)->itemText(0), "None");
    EXPECT_EQ(dialog.Item<CColourSwatch>(IDC_SWATCH_RED)->Colour(), QColor(0xFF, 0x80, 0x80));
    EXPECT_EQ(dialog.Item<CColourSwatch>(IDC_SWATCH_BLUE)->Colour(), QColor(0x80, 0x80, 0xFF));
    const auto patternControls = {IDC_COLOUR_LABEL, IDC_COLOUR_RED, IDC_COLOUR_BLUE, IDC_SWATCH_RED, IDC_SWATCH_BLUE,
                                  IDC_ARRANGE_LABEL, IDC_ARRANGE_FRONT, IDC_ARRANGE_BEHIND};
    for (const int id : patternControls)
        EXPECT_FALSE(FindControl(&dialog, id)->isEnabled()) << id;
    pattern->setCurrentIndex(0); // "None"
    EXPECT_FALSE(FindControl(&dialog, IDC_COLOUR_RED)->isEnabled());
    pattern->setCurrentIndex(2);
    for (const int id : patternControls)
        EXPECT_TRUE(FindControl(&dialog, id)->isEnabled()) << id;

    QTest::mouseClick(dialog.Item<CColourSwatch>(IDC_SWATCH_BLUE), Qt::LeftButton);
    EXPECT_TRUE(dialog.Item<QRadioButton>(IDC_COLOUR_BLUE)->isChecked());
    QTest::mouseClick(dialog.Item<CColourSwatch>(IDC_SWATCH_RED), Qt::LeftButton);
    EXPECT_TRUE(dialog.Item<QRadioButton>(IDC_COLOUR_RED)->isChecked());
    EXPECT_FALSE(dialog.Item<QRadioButton>(IDC_COLOUR_BLUE)->isChecked());
    dialog.Item<QRadioButton>(IDC_ARRANGE_FRONT)->click();
    EXPECT_EQ(PressAndAnswer(dialog, IDC_OK), "");
    EXPECT_EQ(dialog.Block().BlockPattern, 2);
    EXPECT_EQ(dialog.Block().BlockPatternColor, 0);
    EXPECT_EQ(dialog.Block().BlockPatternArrange, 1);
}

TEST(SecurityDlgTest, TheHeaderButtonRunsTheHeaderDialogWhoseOkAloneChangesThePositions)
{
    const test::OptionStrings strings;
    CSecurityDlg dialog;
    dialog.Initialise();
    dialog.show();
    auto* header = dialog.Item<QAbstractButton>(IDC_HEADER_BUTTON);
    EXPECT_FALSE(header->isEnabled());
    dialog.Item<QCheckBox>(IDC_HEADER_FOOTER)->click();
    ASSERT_TRUE(header->isEnabled());

    const auto answer = [](int footerRight, int button) {
        return test::ModalDriver([footerRight, button](QWidget* modal) {
            auto* positions = qobject_cast<CHeaderDlg*>(modal);
            ASSERT_NE(positions, nullptr);
            EXPECT_EQ(positions->windowTitle(), "Header and Footer");
            EXPECT_EQ(positions->Item<QComboBox>(header::IDC_HEADER_LEFT)->currentIndex(), -1);
            positions->Item<QComboBox>(header::IDC_FOOTER_RIGHT)->setCurrentIndex(footerRight);
            positions->Item<QAbstractButton>(button)->click();
        });
    };
    {
        const auto driver = answer(3, IDC_CANCEL);
        header->click();
        EXPECT_TRUE(driver.fired());
    }
    EXPECT_EQ(dialog.Block().FooterRight, -1);
    {
        const auto driver = answer(6, IDC_OK);
        header->click();
        EXPECT_TRUE(driver.fired());
    }
    EXPECT_EQ(dialog.Block().FooterRight, 6); // "Page number"
    EXPECT_EQ(dialog.Block().HeaderLeft, -1);
    // The positions belong to the block as the header dialog left them, not to a control of this dialog.
    EXPECT_EQ(PressAndAnswer(dialog, IDC_OK), "");
    EXPECT_EQ(dialog.Block().FooterRight, 6);
    EXPECT_EQ(dialog.Block().HeaderFooter, 1);
}

} // namespace
} // namespace pellora::ui
