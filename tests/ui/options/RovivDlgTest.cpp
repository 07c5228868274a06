#include "ui/options/RovivDlg.h"

#include "OptionDialogTestSupport.h"
#include "ui/options/RovivDlgIds.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QValidator>

#include <gtest/gtest.h>

#include <cstring>

namespace pellora::ui {
namespace {

using namespace roviv;
using test::PressAndAnswer;
using test::Type;

bool enabled(const COptionDialog& dialog, int id)
{
    return FindControl(&dialog, id)->isEnabled();
}

TEST(RovivDlgTest, WithPortSettingsTheFieldsAreLimitedAndFollowTheProtocol)
{
    const test::OptionStrings strings;
    CRovivDlg dialog(CRovivDlg::kShowPortSettings);
    dialog.Initialise();
    dialog.show();
    for (const int id : kHydroControls)
        EXPECT_FALSE(FindControl(&dialog, id)->isHidden()) << id;
    auto* queue = dialog.Item<QLineEdit>(IDC_QUEUE_NAME);
    EXPECT_EQ(queue->text(), "TSPQueue");
    EXPECT_EQ(queue->maxLength(), 32);
    EXPECT_FALSE(queue->testAttribute(Qt::WA_InputMethodEnabled));
    QString text = "a b";
    int position = 0;
    EXPECT_EQ(queue->validator()->validate(text, position), QValidator::Invalid); // a blank is character 32
    text = "LP!~";
    EXPECT_EQ(queue->validator()->validate(text, position), QValidator::Acceptable);
    EXPECT_EQ(dialog.Item<QLineEdit>(IDC_RAW_PORT)->maxLength(), 5);

    // Authenticated printing off: nothing of it can be set.
    EXPECT_FALSE(enabled(dialog, IDC_PROTOCOL_LPR));
    EXPECT_FALSE(enabled(dialog, IDC_CHECK_PORT));
    dialog.Item<QCheckBox>(IDC_USE_HYDRO)->click();
    EXPECT_TRUE(enabled(dialog, IDC_USER_LOGON));
    EXPECT_TRUE(enabled(dialog, IDC_CHECK_PORT));
    EXPECT_TRUE(enabled(dialog, IDC_QUEUE_NAME)); // LPR is the default protocol
    EXPECT_FALSE(enabled(dialog, IDC_RAW_PORT));
    dialog.Item<QRadioButton>(IDC_PROTOCOL_RAW)->click();
    EXPECT_FALSE(enabled(dialog, IDC_QUEUE_NAME));
    EXPECT_TRUE(enabled(dialog, IDC_RAW_PORT));
    EXPECT_FALSE(dialog.Item<QRadioButton>(IDC_PROTOCOL_LPR)->isChecked());

    Type(dialog, IDC_RAW_PORT, "70000");
    EXPECT_EQ(PressAndAnswer(dialog, IDC_OK), "Please enter a number from 0 to 65535.");
    Type(dialog, IDC_RAW_PORT, "9100");
    queue->setMaxLength(40);
    Type(dialog, IDC_QUEUE_NAME, QString(33, 'q'));
    EXPECT_EQ(PressAndAnswer(dialog, IDC_OK), "Please enter no more than 32 characters.");
    EXPECT_TRUE(dialog.isVisible());
    Type(dialog, IDC_QUEUE_NAME, QString(32, 'q'));
    EXPECT_EQ(PressAndAnswer(dialog, IDC_OK), "");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.UseHydro(), 1);
    EXPECT_EQ(dialog.Block().ProtocolID, 1);
    EXPECT_EQ(dialog.Block().SecureRawPortNo, 9100);
    EXPECT_EQ(std::strlen(dialog.Block().QueueName), 32u);
}

TEST(RovivDlgTest, WithoutPortSettingsOnlyTheAutoPortBoxRemainsAndTheDialogIsShorter)
{
    const test::OptionStrings strings;
    const CRovivDlg full(CRovivDlg::kShowPortSettings);
    CRovivDlg dialog(0x7); // every bit but bit 3
    dialog.SetAutoPortEnabled(false);
    dialog.Initialise();
    dialog.show();

    const int gap = FindControl(&full, IDC_OK)->y() - FindControl(&full, IDC_USE_HYDRO)->y();
    EXPECT_EQ(dialog.height(), full.height() - gap);
    EXPECT_EQ(FindControl(&dialog, IDC_OK)->y(), FindControl(&full, IDC_USE_HYDRO)->y());
    EXPECT_EQ(FindControl(&dialog, IDC_CANCEL)->y(), FindControl(&full, IDC_USE_HYDRO)->y());
    QStringList shown;
    for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (ControlId(child) > 0 && !child->isHidden())
            shown << QString::number(ControlId(child));
    }
    shown.sort();
    EXPECT_EQ(shown, QStringList({"1", "1115", "2"}));
    EXPECT_FALSE(enabled(dialog, IDC_AUTO_PORT));
    EXPECT_EQ(dialog.windowTitle(), "Port Settings");
}

} // namespace
} // namespace pellora::ui
