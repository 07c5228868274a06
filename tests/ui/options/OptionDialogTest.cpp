#include "ui/options/OptionDialog.h"

#include "FocusOrder.h"
#include "OptionDialogTestSupport.h"
#include "ui/options/CustomDlg.h"
#include "ui/options/HeaderDlg.h"
#include "ui/options/RovivDlg.h"
#include "ui/options/SecurityDlg.h"
#include "ui/options/UtilityDlg.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace pellora::ui {
namespace {

// Tab goes through each option dialog as its controls are read.
TEST(OptionDialogTest, TabOrderOfEveryDialogFollowsItsRows)
{
    const test::OptionStrings strings;
    CCustomDlg custom(strings.folder().path());
    CUtilityDlg utility(strings.folder().path());
    CRovivDlg roviv(CRovivDlg::kShowPortSettings);
    CSecurityDlg security;
    CHeaderDlg header;
    for (COptionDialog* dialog : std::initializer_list<COptionDialog*>{&custom, &utility, &roviv, &security, &header}) {
        dialog->Initialise();
        dialog->show();
        QCoreApplication::processEvents();
        EXPECT_EQ(test::FocusOrderBreaks(dialog), std::vector<std::string>{}) << dialog->windowTitle().toStdString();
        dialog->hide();
    }
}

} // namespace
} // namespace pellora::ui
