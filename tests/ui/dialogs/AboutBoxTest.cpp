#include "ui/dialogs/AboutBox.h"

#include "core/i18n/StringTable.h"
#include "core/model/ViewMode.h"
#include "core/util/Support.h"
#include "support/StringTableFixture.h"
#include "ui/shared/ControlId.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMainWindow>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace pellora::ui {
namespace {

constexpr std::string_view kBody = "[String Table]\r\n"
                                   "40000=About Pellora\r\n"
                                   "40001=Pellora Version 1.0\r\n"
                                   "40002=Copyright (C) 2026 VARDO Corporation. All rights reserved.\r\n"
                                   "40003=OK\r\n"
                                   "40004=(C) VARDO\r\n"
                                   "[Pellorix.exe\\IDD_ABOUTBOX]\r\n"
                                   "TITLE=0:40000\r\n"
                                   "V=1054:40001\r\n"
                                   "C=1055:40002\r\n"
                                   "OK=1:40003\r\n";

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(TheStringTable().Load(m_strings.folder().path(), 0, kStringTableGroup)); }
    void TearDown() override { SetViewMode(false); }

    static QLabel* label(const QWidget& box, int id) { return qobject_cast<QLabel*>(FindControl(&box, id)); }

    test::StringTableFixture m_strings {kBody};
};

TEST_F(AboutBoxTest, TakesCaptionAndControlTextsFromItsSection)
{
    const CAboutDlg box;
    EXPECT_EQ(box.windowTitle(), "About Pellora");
    ASSERT_NE(label(box, IDC_ABOUT_VERSION), nullptr);
    EXPECT_EQ(label(box, IDC_ABOUT_VERSION)->text(), "Pellora Version 1.0");
    EXPECT_EQ(label(box, IDC_ABOUT_COPYRIGHT)->text(), "Copyright (C) 2026 VARDO Corporation. All rights reserved.");
    const auto* ok = qobject_cast<QPushButton*>(FindControl(&box, IDC_ABOUT_OK));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "OK");
    ASSERT_NE(label(box, IDC_ABOUT_ICON), nullptr);
    EXPECT_FALSE(label(box, IDC_ABOUT_ICON)->pixmap().isNull());
}

TEST_F(AboutBoxTest, IsSizedToTheCopyrightTextAndPlacesItsControls)
{
    const CAboutDlg box;
    const QLabel* copyright = label(box, IDC_ABOUT_COPYRIGHT);
    const int textWidth = QFontMetrics(copyright->font()).horizontalAdvance(copyright->text());
    const int w = textWidth + 2 * 2 + 64;
    const int h = 88;
    EXPECT_EQ(box.size(), QSize(w, h));

    EXPECT_EQ(label(box, IDC_ABOUT_ICON)->geometry(), QRect(16, h / 2 - 16, 32, 32));
    EXPECT_EQ(label(box, IDC_ABOUT_VERSION)->geometry(), QRect(64, h / 3 - 9, w - 168, 18));
    EXPECT_EQ(copyright->geometry().topLeft(), QPoint(64, 2 * h / 3 - 9));
    EXPECT_EQ(copyright->width(), textWidth);
    EXPECT_EQ(FindControl(&box, IDC_ABOUT_OK)->geometry(), QRect(w - 104, h / 3 - 11, 88, 22));
    // Nothing sticks out of the box.
    for (const int id : {IDC_ABOUT_ICON, IDC_ABOUT_VERSION, IDC_ABOUT_COPYRIGHT, IDC_ABOUT_OK})
        EXPECT_TRUE(box.rect().contains(FindControl(&box, id)->geometry())) << id;
}

// A copyright text shorter than the version text would leave the version cut off beside the button.
TEST_F(AboutBoxTest, AShortCopyrightTextDoesNotCutTheVersionOff)
{
    TheStringTable().SetText(40002, "(C) VARDO");
    CAboutDlg box;
    const QLabel* version = label(box, IDC_ABOUT_VERSION);
    const int versionWidth = QFontMetrics(version->font()).horizontalAdvance(version->text());
    EXPECT_GE(version->width(), versionWidth);
    const QRect ok = FindControl(&box, IDC_ABOUT_OK)->geometry();
    EXPECT_LE(version->geometry().right(), ok.left());
    EXPECT_EQ(CAboutDlg::ClientSizeFor(100, 400), QSize(468, 88));
    EXPECT_EQ(CAboutDlg::ClientSizeFor(300, 100), QSize(468, 88));
}

TEST_F(AboutBoxTest, TheAboutCommandRunsTheBoxModallyOverTheFrame)
{
    QMainWindow frame;
    frame.setGeometry(50, 50, 764, 564);
    frame.show();
    QString shown;
    QPoint centre;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown = box->windowTitle();
        centre = box->frameGeometry().center();
        qobject_cast<QPushButton*>(FindControl(box, IDC_ABOUT_OK))->click();
    });
    ShowAboutBox(&frame);
    EXPECT_EQ(shown, "About Pellora");
    EXPECT_LE((centre - frame.frameGeometry().center()).manhattanLength(), 2);
}

TEST_F(AboutBoxTest, TheAboutCommandDoesNothingInViewMode)
{
    SetViewMode(true);
    bool appeared = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&appeared] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            appeared = true;
            modal->close();
        }
    });
    guard.start(200);
    ShowAboutBox(nullptr);
    EXPECT_TRUE(guard.isActive()); // returned at once, before the guard looked
    EXPECT_FALSE(appeared);
}

// The tables delivered beside the program give the box its texts in each language, and the box fits them.
TEST(DeliveredAboutBoxTest, EveryLanguageHasTheTextsAndTheBoxFitsThem)
{
    for (const LanguageInfo& row : kLanguages) {
        const std::uint16_t language = row.id;
        const std::string file = "TSST" + test::LanguageCode(language) + ".dat";
        ASSERT_TRUE(std::filesystem::exists(std::filesystem::path(PELLORA_BIN_DIR) / file)) << file;
        ASSERT_TRUE(TheStringTable().Load(PELLORA_BIN_DIR, language, kStringTableGroup)) << language;
        const CAboutDlg box;
        EXPECT_FALSE(box.windowTitle().isEmpty()) << language;
        if (language != 0) {
            EXPECT_NE(box.windowTitle(), "About Pellora") << row.name << " is served by the neutral table";
        }
        for (const int id : {IDC_ABOUT_VERSION, IDC_ABOUT_COPYRIGHT}) {
            const auto* text = qobject_cast<const QLabel*>(FindControl(&box, id));
            ASSERT_NE(text, nullptr);
            EXPECT_FALSE(text->text().isEmpty()) << language << " " << id;
            EXPECT_TRUE(box.rect().contains(text->geometry())) << language << " " << id;
        }
        EXPECT_FALSE(qobject_cast<QPushButton*>(FindControl(&box, IDC_ABOUT_OK))->text().isEmpty());
        EXPECT_FALSE(TheStringTable().GetItemText("START", 1).empty()) << language;
    }
    ASSERT_TRUE(TheStringTable().Load(PELLORA_BIN_DIR, 0x0411, kStringTableGroup));
    EXPECT_EQ(TheStringTable().GetItemText(kAboutBoxSection, 0), "Pellora \xE3\x81\xAE\xE3\x83\x90\xE3\x83\xBC\xE3\x82\xB8\xE3\x83\xA7\xE3\x83\xB3\xE6\x83\x85\xE5\xA0\xB1");
}

} // namespace
} // namespace pellora::ui
