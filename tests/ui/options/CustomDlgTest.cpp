#include "ui/options/CustomDlg.h"

#include "OptionDialogTestSupport.h"
#include "core/model/ViewMode.h"
#include "ui/frame/CoolDialogBar.h"
#include "ui/options/CustomDlgIds.h"

#include <QCheckBox>
#include <QGroupBox>

#include <gtest/gtest.h>

namespace pellora::ui {
namespace {

using namespace custom;
using test::PressAndAnswer;
using test::Type;

QString fieldText(const COptionDialog& dialog, int id)
{
    return dialog.Item<QLineEdit>(id)->text();
}

bool enabled(const COptionDialog& dialog, int id)
{
    return FindControl(&dialog, id)->isEnabled();
}

TEST(CustomDlgTest, OkChecksTheIntervalRangesAndCancelShowsTheDefaultsBeforeClosing)
{
    const test::OptionStrings strings;
    CCustomDlg dialog(strings.folder().path());
    dialog.Initialise();
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Status Monitor Settings");
    EXPECT_EQ(fieldText(dialog, IDC_INTERVAL_LOCAL), "10");
    EXPECT_EQ(fieldText(dialog, IDC_INTERVAL_NET), "30");
    EXPECT_TRUE(dialog.Item<QCheckBox>(IDC_POPUP_ERROR)->isChecked());
    EXPECT_FALSE(dialog.Item<QCheckBox>(IDC_POPUP_WARNING)->isChecked());

    Type(dialog, IDC_INTERVAL_LOCAL, "5");
    EXPECT_EQ(PressAndAnswer(dialog, IDC_OK), "Please enter a number from 6 to 60.");
    EXPECT_TRUE(dialog.isVisible());
    Type(dialog, IDC_INTERVAL_LOCAL, "60");
    Type(dialog, IDC_INTERVAL_NET, "14");
    EXPECT_EQ(PressAndAnswer(dialog, IDC_OK), "Please enter a number from 15 to 60.");
    EXPECT_EQ(dialog.Block().MonitoringIntervalLocal, 10); // a failed read changes nothing
    Type(dialog, IDC_INTERVAL_NET, "15");
    dialog.Item<QCheckBox>(IDC_LOCK_CUSTOM_VALUE)->setChecked(true);
    EXPECT_EQ(PressAndAnswer(dialog, IDC_OK), "");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Block().MonitoringIntervalLocal, 60);
    EXPECT_EQ(dialog.Block().MonitoringIntervalNet, 15);
    EXPECT_EQ(dialog.Block().LockCustomValue, 1);

    // Cancel puts the defaults back into the controls, whatever was typed, and closes.
    dialog.show();
    Type(dialog, IDC_INTERVAL_LOCAL, "99");
    EXPECT_EQ(PressAndAnswer(dialog, IDC_CANCEL), "");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(fieldText(dialog, IDC_INTERVAL_LOCAL), "10");
    EXPECT_EQ(fieldText(dialog, IDC_INTERVAL_NET), "30");
    EXPECT_EQ(dialog.Block(), MonitorBlock {});
}

TEST(CustomDlgTest, InViewModeOkAndCancelDoNothing)
{
    const test::OptionStrings strings;
    CCustomDlg dialog(strings.folder().path());
    dialog.Initialise();
    dialog.show();
    const ScopedViewMode viewMode;
    Type(dialog, IDC_INTERVAL_LOCAL, "5");
    EXPECT_EQ(PressAndAnswer(dialog, IDC_OK), ""); // not even read
    EXPECT_EQ(PressAndAnswer(dialog, IDC_CANCEL), "");
    dialog.close();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(fieldText(dialog, IDC_INTERVAL_LOCAL), "5");
}

TEST(CustomDlgTest, TheMonitoringBoxTitlesItsGroupAndDecidesWhatCanBeSet)
{
    const test::OptionStrings strings;
    CCustomDlg dialog(strings.folder().path());
    dialog.Initialise();
    auto* monitoring = dialog.Item<QCheckBox>(IDC_ENABLE_MONITORING);
    EXPECT_EQ(monitoring->text(), "Monitor the printer's status");
    EXPECT_EQ(monitoring->size(),
              QSize(monitoring->fontMetrics().horizontalAdvance("Monitor the printer's status") + 32, 16));
    EXPECT_EQ(dialog.Item<QGroupBox>(IDC_MONITORING_GROUP)->title(), "");

    // The sound goes with a pop-up notice only.
    EXPECT_TRUE(enabled(dialog, IDC_SOUND_NOTIFY));
    dialog.Item<QCheckBox>(IDC_POPUP_ERROR)->click();
    EXPECT_FALSE(enabled(dialog, IDC_SOUND_NOTIFY));
    dialog.Item<QCheckBox>(IDC_POPUP_WARNING)->click();
    EXPECT_TRUE(enabled(dialog, IDC_SOUND_NOTIFY));

    monitoring->click();
    for (const int id : {IDC_ICON_GROUP, IDC_ERROR_ICON, IDC_WARNING_ICON, IDC_POPUP_GROUP, IDC_POPUP_ERROR,
                         IDC_POPUP_WARNING, IDC_SOUND_NOTIFY, IDC_NOTIFY_PRINTED})
        EXPECT_FALSE(enabled(dialog, id)) << id;
    EXPECT_TRUE(enabled(dialog, IDC_INTERVAL_LOCAL));
    EXPECT_TRUE(enabled(dialog, IDC_LOCK_CUSTOM_VALUE));
}

TEST(CustomDlgTest, AHiddenSoundBoxOrFolderGroupTakesItsBandAlong)
{
    const test::OptionStrings strings;
    const CCustomDlg full(strings.folder().path());
    const auto place = [&full](int id) { return FindControl(&full, id)->geometry(); };

    DialogTemplate withoutSound = CCustomDlg::Template();
    DialogTemplate withoutBoth = CCustomDlg::Template();
    for (ControlTemplate& control : withoutSound.controls)
        control.visible = control.visible && control.id != IDC_SOUND_NOTIFY;
    for (ControlTemplate& control : withoutBoth.controls)
        control.visible = control.visible && control.id != IDC_SOUND_NOTIFY && control.id != IDC_FOLDER_GROUP;

    CCustomDlg shorter(withoutSound, strings.folder().path());
    shorter.Initialise();
    const int band = place(IDC_NOTIFY_PRINTED).top() - place(IDC_SOUND_NOTIFY).top();
    EXPECT_EQ(shorter.height(), full.height() - band);
    const auto moved = [&shorter](int id) { return FindControl(&shorter, id)->geometry(); };
    EXPECT_EQ(moved(IDC_NOTIFY_PRINTED).topLeft(), place(IDC_SOUND_NOTIFY).topLeft());
    EXPECT_EQ(moved(IDC_POPUP_GROUP).height(), place(IDC_POPUP_GROUP).height() - band);
    EXPECT_EQ(moved(IDC_MONITORING_GROUP).height(), place(IDC_MONITORING_GROUP).height() - band);
    EXPECT_EQ(moved(IDC_POPUP_ERROR), place(IDC_POPUP_ERROR)); // above the band: untouched
    EXPECT_EQ(moved(IDC_OK).top(), place(IDC_OK).top() - band);
    EXPECT_EQ(shorter.Item<QCheckBox>(IDC_SOUND_NOTIFY)->text(), "");

    // A second initialisation (a re-text) keeps the height.
    shorter.Initialise();
    EXPECT_EQ(shorter.height(), full.height() - band);

    CCustomDlg shortest(withoutBoth, strings.folder().path());
    shortest.Initialise();
    const int folderBand = place(IDC_CLIENT_GROUP).top() - place(IDC_FOLDER_GROUP).top();
    EXPECT_EQ(shortest.height(), full.height() - band - folderBand);
    EXPECT_TRUE(FindControl(&shortest, IDC_FOLDER)->isHidden());
    EXPECT_TRUE(FindControl(&shortest, IDC_BROWSE_FOLDER)->isHidden());
    EXPECT_EQ(shortest.Item<QAbstractButton>(IDC_BROWSE_FOLDER)->text(), "");
    EXPECT_EQ(FindControl(&shortest, IDC_CLIENT_GROUP)->y(), place(IDC_FOLDER_GROUP).y() - band);
}

} // namespace
} // namespace pellora::ui
